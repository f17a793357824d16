#include "download/lcd_download.h"

#include <QScopeGuard>

#include "download/pxl_text_file.h"
#include "download/stream/command_stream.h"
#include "image/text/messages.h"
#include "image/text/number_field.h"

namespace vornix::download {

namespace {

const QString kPortClosed = QStringLiteral("CLOSED");

QString rowCaption(int row) {
    return QStringLiteral("Row") + QString::fromStdString(image::NumberField(row));
}

} // namespace

std::string_view describe(DownloadOutcome outcome) {
    switch (outcome) {
    case DownloadOutcome::PortClosed:
        return "the port is closed";
    case DownloadOutcome::AlreadyRunning:
        return "a download is already running";
    case DownloadOutcome::HeaderMissing:
        return image::messages::kNoLcdHeader;
    case DownloadOutcome::Failed:
        return image::messages::kDownloadEndedEarly;
    case DownloadOutcome::Completed:
        return image::messages::kDownloadComplete;
    case DownloadOutcome::Stopped:
        return image::messages::kDownloadStopped;
    }
    return "unknown outcome";
}

LcdDownload::LcdDownload(DownloadFlags& flags, SerialLink& link, Pacer& pacer, DownloadView& view)
    : m_flags(flags), m_link(link), m_pacer(pacer), m_view(view),
      m_stallNote(QObject::connect(&pacer, &Pacer::stallChanged, &pacer,
                                   [this](bool stalled) { m_view.showStalled(stalled); })) {}

LcdDownload::~LcdDownload() {
    QObject::disconnect(m_stallNote);
}

DownloadOutcome LcdDownload::LoadLCD(const QString& portStatus, const QString& pxlPath) {
    if (m_running) {
        return DownloadOutcome::AlreadyRunning;
    }
    if (portStatus == kPortClosed) {
        return DownloadOutcome::PortClosed;
    }
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });
    m_flags.StopDownload = false;
    const PxlFileText file = ReadPxlFile(pxlPath);
    if (file.error != PxlFileError::None) {
        return fail();
    }
    return run(std::string_view(file.text.constData(), static_cast<size_t>(file.text.size())));
}

DownloadOutcome LcdDownload::LoadLCDText(const QString& portStatus, std::string_view pxlText) {
    if (m_running) {
        return DownloadOutcome::AlreadyRunning;
    }
    if (portStatus == kPortClosed) {
        return DownloadOutcome::PortClosed;
    }
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });
    m_flags.StopDownload = false;
    return run(pxlText);
}

DownloadOutcome LcdDownload::run(std::string_view pxlText) {
    m_started = false;
    m_discardedOnStop = false;
    const CommandStream probe(pxlText);
    if (probe.error() == StreamError::NoHeader) {
        m_view.showHeaderMissing();
        return DownloadOutcome::HeaderMissing;
    }
    if (probe.error() != StreamError::None) {
        return fail();
    }
    m_header = probe.header();
    m_view.setFileMenuEnabled(false);
    m_view.setRowCounter(QString());
    m_view.setLamp(LampColor::Red);
    m_bytesSent = 0;
    m_bytesTotal = StreamByteCount(pxlText);
    m_started = true;
    m_view.showProgress(0, m_bytesTotal);
    return sendSteps(pxlText);
}

DownloadOutcome LcdDownload::sendSteps(std::string_view pxlText) {
    CommandStream stream(pxlText);
    while (true) {
        const StreamStep step = stream.next();
        WriteResult result = WriteResult::Sent;
        switch (step.kind) {
        case StepKind::Reset:
        case StepKind::Init:
        case StepKind::Dimensions:
            result = send(step.command);
            if (result == WriteResult::Sent && step.kind == StepKind::Dimensions) {
                m_view.setLamp(LampColor::Yellow);
            }
            break;
        case StepKind::Pause:
            m_pacer.Delay(step.ticks);
            if (m_flags.StopDownload) {
                return finish(DownloadOutcome::Stopped);
            }
            break;
        case StepKind::Group:
            if (m_flags.StopDownload) {
                return finish(DownloadOutcome::Stopped);
            }
            // A group that has started goes out whole: no stop check between its commands.
            result = send(step.command);
            if (result == WriteResult::Sent) {
                result = send(step.data);
            }
            break;
        case StepKind::RowDone:
            m_view.setRowCounter(rowCaption(step.row));
            break;
        case StepKind::End:
            return finish(DownloadOutcome::Completed);
        }
        if (result == WriteResult::Failed) {
            return fail();
        }
        if (result == WriteResult::Abandoned) {
            m_discardedOnStop = true;
            return finish(DownloadOutcome::Stopped);
        }
    }
}

WriteResult LcdDownload::send(const std::string& command) {
    const WriteResult result =
        m_pacer.WriteComPort(QByteArray(command.data(), static_cast<qsizetype>(command.size())));
    if (result == WriteResult::Sent) {
        m_bytesSent += static_cast<qint64>(command.size());
        m_view.showProgress(m_bytesSent, m_bytesTotal);
    }
    return result;
}

DownloadOutcome LcdDownload::finish(DownloadOutcome outcome) {
    m_started = false;
    m_link.close();
    m_view.setLamp(LampColor::Green);
    m_flags.StopDownload = false;
    m_view.setFileMenuEnabled(true);
    m_view.showEnd(outcome == DownloadOutcome::Completed ? DownloadEnd::Done
                                                         : DownloadEnd::Stopped);
    return outcome;
}

// Ends without a message: the port stays open (unless it went away), the lamp keeps its
// colour and StopDownload its value; only the File menu comes back, and a download that was
// under way says that it failed.
DownloadOutcome LcdDownload::fail() {
    m_view.setFileMenuEnabled(true);
    if (m_started) {
        m_started = false;
        m_view.showEnd(DownloadEnd::Failed);
    }
    return DownloadOutcome::Failed;
}

} // namespace vornix::download
