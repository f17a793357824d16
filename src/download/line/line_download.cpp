#include "download/line/line_download.h"

#include <algorithm>

#include "download/stream/command_stream.h"

namespace vornix::download {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::int64_t kBitsPerByte = 10; // start bit, 8 data bits, stop bit
// While nothing moves, each look at the line that finds it where it was doubles the sleep
// from the first to the longest, so a held line costs little.
constexpr milliseconds kFirstSleep{1};
constexpr milliseconds kLongestSleep{64};

enum class SendResult { Sent, Failed, Abandoned };

// The time `pendingBytes` need at the line's rate, rounded up to a whole millisecond, within
// the sleeps a transmit wait takes.
milliseconds drainTime(std::int64_t pendingBytes) {
    const std::int64_t ms =
        (pendingBytes * kBitsPerByte * 1000 + kLineBaudRate - 1) / kLineBaudRate;
    return std::clamp(milliseconds(ms), kFirstSleep, kLongestSleep);
}

class Sender {
public:
    Sender(SerialLine& line, DownloadReport& report) : m_line(line), m_report(report) {}

    // Hands `command` to the line and waits until none of it is queued any more.
    SendResult send(const std::string& command) {
        if (!m_line.write(command)) {
            return SendResult::Failed;
        }
        const SendResult result = waitUntilSent();
        reportStall(false);
        return result;
    }

    // Waits `ticks` ticks; a stop request does not cut the pause short, it is looked at after.
    void pause(int ticks) {
        const Clock::time_point end = Clock::now() + milliseconds(ticks * kLineTickMs);
        for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
            m_line.waitForLine(std::chrono::ceil<milliseconds>(end - now));
        }
    }

private:
    SendResult waitUntilSent() {
        std::int64_t lastPending = -1;
        Clock::time_point stillSince = Clock::now();
        milliseconds sleep = kFirstSleep;
        while (true) {
            const std::int64_t pending = m_line.pendingBytes();
            if (pending < 0) {
                return SendResult::Failed;
            }
            if (pending == 0) {
                return SendResult::Sent;
            }
            if (pending != lastPending) {
                lastPending = pending;
                stillSince = Clock::now();
                reportStall(false);
                // Wakes when the bytes should have gone at the line's rate.
                sleep = drainTime(pending);
            } else {
                sleep = std::min(sleep * 2, kLongestSleep);
                if (Clock::now() - stillSince >= milliseconds(kLineStallMs)) {
                    reportStall(true);
                    // A controller that holds the line for good would keep the download
                    // waiting forever: a stop ends that, dropping what is queued.
                    if (m_line.stopRequested()) {
                        m_line.discardPending();
                        return SendResult::Abandoned;
                    }
                }
            }
            m_line.waitForLine(sleep);
        }
    }

    void reportStall(bool stalled) {
        if (stalled != m_stalled) {
            m_stalled = stalled;
            m_report.stalled(stalled);
        }
    }

    SerialLine& m_line;
    DownloadReport& m_report;
    bool m_stalled = false;
};

LineResult sendSteps(std::string_view pxlText, SerialLine& line, DownloadReport& report) {
    CommandStream stream(pxlText);
    if (stream.error() != StreamError::None) {
        return {LineOutcome::Failed};
    }
    const std::int64_t total = StreamByteCount(pxlText);
    std::int64_t sent = 0;
    report.progress(sent, total);
    Sender sender(line, report);
    const auto send = [&](const std::string& command) {
        const SendResult result = sender.send(command);
        if (result == SendResult::Sent) {
            sent += static_cast<std::int64_t>(command.size());
            report.progress(sent, total);
        }
        return result;
    };
    while (true) {
        const StreamStep step = stream.next();
        SendResult result = SendResult::Sent;
        switch (step.kind) {
        case StepKind::Reset:
        case StepKind::Init:
        case StepKind::Dimensions:
            result = send(step.command);
            break;
        case StepKind::Pause:
            sender.pause(step.ticks);
            if (line.stopRequested()) {
                return {LineOutcome::Stopped};
            }
            break;
        case StepKind::Group:
            if (line.stopRequested()) {
                return {LineOutcome::Stopped};
            }
            // A group that has started goes out whole: no stop check between its commands.
            result = send(step.command);
            if (result == SendResult::Sent) {
                result = send(step.data);
            }
            break;
        case StepKind::RowDone:
            report.rowDone(step.row);
            break;
        case StepKind::End:
            return {LineOutcome::Completed};
        }
        if (result == SendResult::Failed) {
            return {LineOutcome::Failed};
        }
        if (result == SendResult::Abandoned) {
            return {LineOutcome::Stopped, true};
        }
    }
}

} // namespace

LineResult RunLineDownload(std::string_view pxlText, SerialLine& line, DownloadReport& report) {
    const LineResult result = sendSteps(pxlText, line, report);
    line.close();
    return result;
}

} // namespace vornix::download
