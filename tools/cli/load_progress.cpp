#include "load_progress.h"

#include <cstdio>
#include <string_view>

#include "commands.h"
#include "image/text/messages.h"
#include "image/text/number_field.h"

namespace vornix::cli {

namespace {

constexpr int kBaudRate = 9600;
constexpr int kBitsPerByte = 10;
constexpr int kBarWidth = 30;

void printText(std::string_view text) {
    std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
}

} // namespace

void LoadProgress::rowDone(int row) {
    const std::string caption = "Row" + image::NumberField(row);
    ++m_rowsDone;
    if (!m_terminal) {
        std::fprintf(stderr, "%s of %d, %.1f s left\n", caption.c_str(), m_rows, secondsLeft());
        return;
    }
    const std::int64_t filled = m_total > 0 ? m_sent * kBarWidth / m_total : kBarWidth;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kBarWidth, '.');
    std::fprintf(stderr, "\r[%s] %s  %d/%d rows  %.1f s left\x1b[K", bar.c_str(), caption.c_str(),
                 m_rowsDone, m_rows, secondsLeft());
    std::fflush(stderr);
    m_barShown = true;
}

void LoadProgress::stalled(bool stalled) {
    if (stalled) {
        endLine();
        printText(image::messages::kControllerNotReady);
        std::fputc('\n', stderr);
    }
}

void LoadProgress::endLine() {
    if (m_barShown) {
        std::fputc('\n', stderr);
        m_barShown = false;
    }
}

double LoadProgress::secondsLeft() const {
    return static_cast<double>(m_total - m_sent) * kBitsPerByte / kBaudRate;
}

int ReportLoadEnd(LoadEnd end, bool discardedOnStop) {
    if (discardedOnStop) {
        std::fputs("The controller held the line: the command in flight was dropped.\n", stderr);
    }
    switch (end) {
    case LoadEnd::Completed:
        return kExitOk;
    case LoadEnd::Stopped:
        printText(image::messages::kDownloadStopped);
        std::fputs(".\n", stderr);
        return kExitStopped;
    case LoadEnd::Failed:
        std::fputs("vornix-cli: ", stderr);
        printText(image::messages::kDownloadEndedEarly);
        std::fputc('\n', stderr);
        return kExitFailure;
    }
    return kExitFailure;
}

} // namespace vornix::cli
