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
#include "picture_text.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

constexpr int kBaudRate = 9600;
constexpr int kBitsPerByte = 10;
constexpr int kBarWidth = 30;

struct LoadArgs {
    QString device; // empty: what port 1 maps to
    QString file;
};

// Reads the port and the file; returns the reason of a usage error, or "".
std::string parseLoadArgs(const std::vector<std::string>& args, LoadArgs& parsed) {
    bool haveFile = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--port") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                return std::string(image::messages::kPortNeedsDevice);
            }
            parsed.device = QString::fromLocal8Bit(args[++i].c_str());
        } else if (!optionsEnded && arg.rfind("--port=", 0) == 0) {
            if (arg.size() == 7) {
                return std::string(image::messages::kPortNeedsDevice);
            }
            parsed.device = QString::fromLocal8Bit(arg.c_str() + 7);
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return std::string(image::messages::kUnknownOption) + TerminalName(arg);
        } else if (arg.empty() || haveFile) {
            return std::string(image::messages::kNeedsOneFile);
        } else {
            parsed.file = QString::fromLocal8Bit(arg.c_str());
            haveFile = true;
        }
    }
    if (!haveFile) {
        return std::string(image::messages::kNeedsOneFile);
    }
    return "";
}

// Progress on stderr: a bar redrawn in place on a terminal, one line per row otherwise.
class ProgressView : public download::DownloadView {
public:
    ProgressView(int rows, bool terminal) : m_rows(rows), m_terminal(terminal) {}
    ~ProgressView() override { endLine(); }

    void setFileMenuEnabled(bool /*enabled*/) override {}
    void setLamp(download::LampColor /*color*/) override {}
    void showHeaderMissing() override {
        endLine();
        std::fprintf(stderr, "%s\n", download::kHeaderMissingMessage);
    }
    void showProgress(qint64 bytesSent, qint64 bytesTotal) override {
        m_sent = bytesSent;
        m_total = bytesTotal;
    }
    void setRowCounter(const QString& caption) override {
        if (caption.isEmpty()) {
            return;
        }
        ++m_rowsDone;
        m_terminal ? drawBar(caption) : printLine(caption);
    }

    // The controller has held the line up for a while (CTS off): say so; the download waits on.
    void showStalled(bool stalled) override {
        if (stalled) {
            endLine();
            const std::string_view text = image::messages::kControllerNotReady;
            std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        }
    }

    void endLine() {
        if (m_barShown) {
            std::fputc('\n', stderr);
            m_barShown = false;
        }
    }

private:
    double secondsLeft() const {
        return static_cast<double>(m_total - m_sent) * kBitsPerByte / kBaudRate;
    }
    void printLine(const QString& caption) const {
        std::fprintf(stderr, "%s of %d, %.1f s left\n", qPrintable(caption), m_rows, secondsLeft());
    }
    void drawBar(const QString& caption) {
        const qint64 filled = m_total > 0 ? m_sent * kBarWidth / m_total : kBarWidth;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(kBarWidth, '.');
        std::fprintf(stderr, "\r[%s] %s  %d/%d rows  %.1f s left\x1b[K", bar.c_str(),
                     qPrintable(caption), m_rowsDone, m_rows, secondsLeft());
        std::fflush(stderr);
        m_barShown = true;
    }

    int m_rows;
    bool m_terminal;
    int m_rowsDone = 0;
    qint64 m_sent = 0;
    qint64 m_total = 0;
    bool m_barShown = false;
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

int exitCodeFor(download::DownloadOutcome outcome) {
    const std::string_view words = download::describe(outcome);
    switch (outcome) {
    case download::DownloadOutcome::Completed:
        return kExitOk;
    case download::DownloadOutcome::Stopped:
        std::fprintf(stderr, "%.*s.\n", static_cast<int>(words.size()), words.data());
        return kExitStopped;
    case download::DownloadOutcome::Failed:
        std::fprintf(stderr, "vornix-cli: %.*s\n", static_cast<int>(words.size()), words.data());
        return kExitFailure;
    default:
        return kExitFailure;
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
    if (download.discardedOnStop()) {
        std::fputs("The controller held the line: the command in flight was dropped.\n", stderr);
    }
    return exitCodeFor(outcome);
}

} // namespace

int RunLoad(const std::vector<std::string>& args) {
    LoadArgs request;
    if (const std::string reason = parseLoadArgs(args, request); !reason.empty()) {
        return UsageError("load", reason);
    }
    const LoadArgs* parsed = &request;
    static int argc = 1;
    static char name[] = "vornix-cli";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    // The file is checked before the port is touched, so a refused file leaves the line alone.
    const PictureText picture = readPicture(parsed->file);
    if (!picture.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(picture.error));
        return kExitFailure;
    }
    const download::CommandStream probe(picture.view());
    if (probe.error() == download::StreamError::NoHeader) {
        PrintFileError(qPrintable(parsed->file), download::kHeaderMissingMessage);
        return kExitFailure;
    }
    if (probe.error() != download::StreamError::None) {
        PrintFileError(qPrintable(parsed->file), download::describe(probe.error()));
        return kExitFailure;
    }
    const QString device = parsed->device.isEmpty() ? download::DeviceForPort(1) : parsed->device;
    return sendPicture(picture, device, probe.header());
}

} // namespace vornix::cli
