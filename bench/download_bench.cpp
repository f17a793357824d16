// How close a download comes to the line's own speed, and what it costs the sender.
//
// Runs the real LcdDownload (WriteComPort, Delay, Timer1) against the simulated line draining
// at exactly 9600 baud, ten bit times per byte, and prints for each picture: the bytes on the
// line, the time the line alone needs for them plus the 110 ms pause (the limit), the total
// time and its ratio to the limit, and the sender's CPU time (user + system) against the wall
// time.
//
//   download_bench [WxH ...]     default: 240x128 128x64
#include <cstdio>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "download/download_view.h"
#include "download/fake_uart.h"
#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/pacer.h"
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
    for (int i = 1; i < argc; ++i) {
        int width = 0;
        int height = 0;
        if (std::sscanf(argv[i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
            std::fprintf(stderr, "usage: download_bench [WxH ...]\n");
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
    return allSent ? 0 : 1;
}
