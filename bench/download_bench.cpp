// How close a download comes to the line's own speed, and what it costs the sender.
//
// Runs the real LcdDownload (WriteComPort, Delay, Timer1) against the simulated line draining
// at exactly 9600 baud, ten bit times per byte, and prints for each picture: the bytes on the
// line, the time the line alone needs for them plus the 110 ms pause (the limit), the total
// time and its ratio to the limit, and the sender's CPU time (user + system) against the wall
// time.
//
// Then it holds the line for SECONDS, once on the simulated line (CTS off after the first
// group) and once on a pseudo-terminal that nobody reads, through the real serial port code,
// and prints what the held line costs: the transmit wait's own wake-ups (its poll timer), the
// process's context switches (every wake-up, the 10 ms tick included) and its CPU time, each
// per second of the hold; then how long a stop takes to end the download.
//
//   download_bench [--held SECONDS] [WxH ...]     default: --held 10 240x128 128x64
//                                                 (--held 0: no held-line measurement)
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "download/download_view.h"
#include "download/fake_uart.h"
#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/pacer.h"
#include "download/serial_port_link.h"
#include "download/stream/command_stream.h"

namespace {

using namespace vornix::download;

constexpr int kLineBaud = 9600;
constexpr double kPauseSeconds = 0.11;

class SilentView : public DownloadView {
public:
    void setFileMenuEnabled(bool) override {}
    void setRowCounter(const QString&) override {}
    void setLamp(LampColor) override {}
    void showHeaderMissing() override {}
};

// A picture whose values are all different from their neighbours; the stream's length does
// not depend on the picture, only on its size.
std::string patternPxl(int width, int height) {
    std::string text = "@," + std::to_string(width) + "," + std::to_string(height) + ",8\r\n";
    const int values = (width + 7) / 8;
    for (int row = 0; row < height; ++row) {
        for (int k = 0; k < values; ++k) {
            char value[8];
            std::snprintf(value, sizeof value, "0%02Xh", (7 * row + k) & 0xFF);
            text += value;
            text += k + 1 < values ? "," : "\r\n";
        }
    }
    return text;
}

double cpuSeconds() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long contextSwitches() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw + usage.ru_nivcsw;
}

// What the process has used up to a moment.
struct Sample {
    double wall = 0;
    double cpu = 0;
    long switches = 0;
    quint64 polls = 0;
};

Sample sample(const QElapsedTimer& clock, const Pacer& pacer) {
    return {clock.nsecsElapsed() / 1e9, cpuSeconds(), contextSwitches(), pacer.transmitPolls()};
}

// A download on `line`, which comes to a standstill by itself: once the pacer reports the
// stall (the line has stood still for the stall time) the hold is measured for `seconds`,
// then a stop is requested.
bool measureHeld(const char* name, SerialLink& line, const QString& device, int seconds) {
    DownloadFlags flags;
    Pacer pacer(flags, line);
    SilentView view;
    LcdDownload download(flags, line, pacer, view);
    if (OpenComDevice(line, device, QString::number(kLineBaud)) == OpenComResult::Failed) {
        std::printf("%s: cannot open %s\n", name, qPrintable(device));
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    Sample from;
    Sample to;
    QObject::connect(&pacer, &Pacer::stallChanged, [&](bool stalled) {
        if (!stalled || from.wall > 0) {
            return;
        }
        from = sample(clock, pacer);
        QTimer::singleShot(seconds * 1000, &pacer, [&] {
            to = sample(clock, pacer);
            flags.StopDownload = true;
        });
    });
    const DownloadOutcome outcome =
        download.LoadLCDText(QStringLiteral("OPEN"), patternPxl(240, 128));
    const double stopSeconds = clock.nsecsElapsed() / 1e9 - to.wall;
    const double held = to.wall - from.wall;
    if (outcome != DownloadOutcome::Stopped || held <= 0) {
        const std::string_view words = describe(outcome);
        std::printf("%s: the line was not held (%.*s)\n", name, static_cast<int>(words.size()),
                    words.data());
        return false;
    }
    std::printf("%s, held %.1f s: transmit-wait wake-ups %.1f/s, process context switches "
                "%.1f/s, CPU %.2f %% of a core; the stop ended the download %.3f s later%s\n",
                name, held, (to.polls - from.polls) / held, (to.switches - from.switches) / held,
                100 * (to.cpu - from.cpu) / held, stopSeconds,
                download.discardedOnStop() ? " (queue dropped)" : "");
    return true;
}

bool measureHeldLines(int seconds) {
    FakeUart uart(kLineBaud);
    QByteArray left;
    QObject::connect(&uart, &FakeUart::bytesLeft, [&](const QByteArray& bytes) {
        if (!left.contains("G 0 0 0")) {
            left += bytes;
            if (left.contains("G 0 0 0")) {
                uart.setCts(false); // the controller stays busy from the first group on
            }
        }
    });
    bool ok = measureHeld("simulated line, CTS off", uart, QStringLiteral("simulated"), seconds);
    // A pseudo-terminal whose other end is never read fills up after some 20 KB.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::printf("pseudo-terminal: none available\n");
        return false;
    }
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    const int keepOpen = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    {
        SerialPortLink port;
        ok = measureHeld("pseudo-terminal nobody reads", port, slave, seconds) && ok;
    }
    ::close(keepOpen);
    ::close(master);
    return ok;
}

bool measure(int width, int height) {
    const std::string pxl = patternPxl(width, height);
    DownloadFlags flags;
    FakeUart line(kLineBaud);
    Pacer pacer(flags, line);
    SilentView view;
    LcdDownload download(flags, line, pacer, view);
    OpenComDevice(line, QStringLiteral("simulated"), QString::number(kLineBaud));

    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const DownloadOutcome outcome = download.LoadLCDText(QStringLiteral("OPEN"), pxl);
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;

    const qint64 sent = line.sentBytes().size();
    const qint64 expected = StreamByteCount(pxl);
    const double limit = static_cast<double>(expected) * 10 / kLineBaud + kPauseSeconds;
    std::printf("%dx%d: %lld bytes on the line (stream %lld), limit %.2f s, total %.2f s, "
                "total/limit %.3f, sender CPU %.2f s = %.1f %% of wall\n",
                width, height, static_cast<long long>(sent), static_cast<long long>(expected),
                limit, seconds, seconds / limit, cpu, 100 * cpu / seconds);
    return outcome == DownloadOutcome::Completed && sent == expected;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::pair<int, int>> sizes;
    int heldSeconds = 10;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--held" && i + 1 < argc) {
            heldSeconds = std::atoi(argv[++i]);
            continue;
        }
        int width = 0;
        int height = 0;
        if (std::sscanf(argv[i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
            std::fprintf(stderr, "usage: download_bench [--held SECONDS] [WxH ...]\n");
            return 2;
        }
        sizes.emplace_back(width, height);
    }
    if (sizes.empty()) {
        sizes = {{240, 128}, {128, 64}};
    }
    bool allSent = true;
    for (const auto& [width, height] : sizes) {
        allSent = measure(width, height) && allSent;
    }
    if (heldSeconds > 0) {
        allSent = measureHeldLines(heldSeconds) && allSent;
    }
    return allSent ? 0 : 1;
}
