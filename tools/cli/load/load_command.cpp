// vornix-cli load [--port DEVICE] FILE: sends FILE to the LCD controller, as "&Load LCD" does.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "../commands.h"
#include "download/download_flags.h"
#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/pacer.h"
#include "download/port_mapping.h"
#include "download/pxl_text_file.h"
#include "download/serial_port_link.h"
#include "download/stream/command_stream.h"
#include "file_errors.h"
#include "image/files/bounded_read.h"
#include "image/text/messages.h"
#include "load_args.h"
#include "load_progress.h"
#include "picture_text.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

constexpr int kBaudRate = 9600;

// Progress on stderr, as every load shows it.
class ProgressView : public download::DownloadView {
public:
    ProgressView(int rows, bool terminal) : m_progress(rows, terminal) {}

    void setFileMenuEnabled(bool /*enabled*/) override {}
    void setLamp(download::LampColor /*color*/) override {}
    void showHeaderMissing() override {
        m_progress.endLine();
        std::fprintf(stderr, "%s\n", download::kHeaderMissingMessage);
    }
    void showProgress(qint64 bytesSent, qint64 bytesTotal) override {
        m_progress.progress(bytesSent, bytesTotal);
    }
    void setRowCounter(const QString& caption) override {
        // The caption is "Row" and the row's number field ("Row 5").
        bool isRow = false;
        const int row = caption.mid(3).trimmed().toInt(&isRow);
        if (isRow) {
            m_progress.rowDone(row);
        }
    }
    void showStalled(bool stalled) override { m_progress.stalled(stalled); }

    void endLine() { m_progress.endLine(); }

private:
    LoadProgress m_progress;
};

// Ctrl-C asks the download to stop, as Escape does in the window: the handler only writes a
// byte to a pipe, and the event loop that the download waits in turns it into StopDownload.
int g_interruptPipe[2] = {-1, -1};

extern "C" void onInterrupt(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_interruptPipe[1], &byte, 1);
}

class InterruptWatch {
public:
    explicit InterruptWatch(download::DownloadFlags& flags) {
        if (::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;
        }
        m_notifier = std::make_unique<QSocketNotifier>(g_interruptPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [&flags] {
            char buffer[16];
            while (::read(g_interruptPipe[0], buffer, sizeof buffer) > 0) {
            }
            flags.StopDownload = true;
        });
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_previous);
        m_installed = true;
    }
    ~InterruptWatch() {
        if (m_installed) {
            ::sigaction(SIGINT, &m_previous, nullptr);
        }
        m_notifier.reset();
        for (int& fd : g_interruptPipe) {
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
        }
    }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous = {};
    bool m_installed = false;
};

LoadEnd loadEnd(download::DownloadOutcome outcome) {
    switch (outcome) {
    case download::DownloadOutcome::Completed:
        return LoadEnd::Completed;
    case download::DownloadOutcome::Stopped:
        return LoadEnd::Stopped;
    default:
        return LoadEnd::Failed;
    }
}

// Why `device` did not open as a serial port, in words. The device is tried once more by hand
// for the system's own reason; one that opens and is a terminal is held by another program,
// which the toolkit's lock on the port reports as a permission error.
std::string whyNotOpen(const QString& device, const download::SerialPortLink& link) {
    const QByteArray path = device.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::strerror(errno);
    }
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    if (!terminal) {
        return "not a serial port";
    }
    if (link.portError() == QSerialPort::PermissionError) {
        return std::strerror(EBUSY);
    }
    return "the port does not take the line settings 9600,N,8,1 with RTS/CTS";
}

// FILE as PXL text, or why there is none ("vornix-cli: FILE: reason"); "-" is standard input,
// a bitmap when it starts with "BM".
PictureText readPicture(const QString& file) {
    const std::string name = file.toLocal8Bit().toStdString();
    PictureText picture;
    if (IsStandardStream(name)) {
        StandardInput input = ReadStandardInput(download::kMaxPxlFileBytes);
        if (!input.ok()) {
            return {QByteArray(), QString::fromLocal8Bit(FileError(name, input.reason()).c_str())};
        }
        picture = PictureFromBytes(QByteArray(reinterpret_cast<const char*>(input.bytes.data()),
                                              static_cast<qsizetype>(input.bytes.size())));
    } else {
        // The reason a file does not open, which the download's reader does not keep.
        if (const int error = image::ReadableFile(name).error(); error != 0) {
            const std::string reason = ReadFailureReason(name, error, image::kMaxDownloadTextBytes);
            return {QByteArray(), QString::fromLocal8Bit(FileError(name, reason).c_str())};
        }
        picture = ReadPictureAsPxl(file);
    }
    if (!picture.error.isEmpty()) {
        picture.error = QString::fromLocal8Bit(
            FileError(name, picture.error.toLocal8Bit().toStdString()).c_str());
    }
    return picture;
}

int sendPicture(const PictureText& picture, const QString& device, const image::PxlHeader& header) {
    download::DownloadFlags flags;
    download::SerialPortLink link;
    if (download::OpenComDevice(link, device, QString::number(kBaudRate)) ==
        download::OpenComResult::Failed) {
        const std::string_view failed = download::describe(download::OpenComResult::Failed);
        std::fprintf(stderr, "vornix-cli: %s: %.*s: %s\n",
                     TerminalName(device.toLocal8Bit().toStdString()).c_str(),
                     static_cast<int>(failed.size()), failed.data(),
                     whyNotOpen(device, link).c_str());
        return kExitFailure;
    }
    download::Pacer pacer(flags, link);
    ProgressView view(header.height, ::isatty(STDERR_FILENO) == 1);
    download::LcdDownload download(flags, link, pacer, view);
    const InterruptWatch interrupts(flags);
    const download::DownloadOutcome outcome =
        download.LoadLCDText(QStringLiteral("OPEN"), picture.view());
    view.endLine();
    if (outcome != download::DownloadOutcome::Completed &&
        outcome != download::DownloadOutcome::Stopped &&
        outcome != download::DownloadOutcome::Failed) {
        return kExitFailure; // nothing was sent, and the reason has been told
    }
    return ReportLoadEnd(loadEnd(outcome), download.discardedOnStop());
}

} // namespace

int RunLoad(const std::vector<std::string>& args) {
    LoadArgs request;
    if (const std::string reason = ParseLoadArgs(args, false, request); !reason.empty()) {
        return UsageError("load", reason);
    }
    const QString device = QString::fromLocal8Bit(request.device.c_str());
    const QString file = QString::fromLocal8Bit(request.file.c_str());
    static int argc = 1;
    static char name[] = "vornix-cli";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    // The file is checked before the port is touched, so a refused file leaves the line alone.
    const PictureText picture = readPicture(file);
    if (!picture.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(picture.error));
        return kExitFailure;
    }
    const download::CommandStream probe(picture.view());
    if (probe.error() == download::StreamError::NoHeader) {
        PrintFileError(qPrintable(file), download::kHeaderMissingMessage);
        return kExitFailure;
    }
    if (probe.error() != download::StreamError::None) {
        PrintFileError(qPrintable(file), download::describe(probe.error()));
        return kExitFailure;
    }
    return sendPicture(picture, device.isEmpty() ? download::DeviceForPort(1) : device,
                       probe.header());
}

} // namespace vornix::cli
