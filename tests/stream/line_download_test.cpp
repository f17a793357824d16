// The download without the toolkit over a line that the test drives: what reaches the
// controller, where a stop ends it, and what a held line does.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "download/line/line_download.h"
#include "download/stream/command_stream.h"

namespace vornix::download {
namespace {

using Clock = std::chrono::steady_clock;

// Three rows of twelve bytes: two groups a row.
const std::string kPicture = "@,96,3,8\r\n"
                             "1,2,3,4,5,6,7,8,9,10,11,12\r\n"
                             "13,14,15,16,17,18,19,20,21,22,23,24\r\n"
                             "25,26,27,28,29,30,31,32,33,34,35,36\r\n";

// A line that sends at `bytesPerMs` while it is not held, for `heldMs` after the `holdAt`-th
// byte has been queued; a stop is asked once `stopAt` bytes have been queued, and the line
// fails once `failAt` have.
class ScriptedLine : public SerialLine {
public:
    int bytesPerMs = 100;
    std::size_t holdAt = SIZE_MAX;
    int heldMs = 0;
    std::size_t stopAt = SIZE_MAX;
    std::size_t failAt = SIZE_MAX;

    std::string written;
    bool discarded = false;
    bool closed = false;
    int waits = 0;

    bool write(std::string_view bytes) override {
        written.append(bytes);
        pending += static_cast<std::int64_t>(bytes.size());
        if (holdAt != SIZE_MAX && written.size() >= holdAt && !holdStart) {
            holdStart = Clock::now();
        }
        return written.size() < failAt;
    }
    std::int64_t pendingBytes() override { return written.size() >= failAt ? -1 : pending; }
    void waitForLine(std::chrono::milliseconds timeout) override {
        ++waits;
        std::this_thread::sleep_for(timeout);
        const bool held =
            holdStart && Clock::now() - *holdStart < std::chrono::milliseconds(heldMs);
        if (!held) {
            pending = std::max<std::int64_t>(0, pending - bytesPerMs * timeout.count());
        }
    }
    bool stopRequested() override { return written.size() >= stopAt; }
    void discardPending() override {
        discarded = true;
        pending = 0;
    }
    void close() override { closed = true; }

private:
    std::int64_t pending = 0;
    std::optional<Clock::time_point> holdStart;
};

class RecordedReport : public DownloadReport {
public:
    std::vector<int> rows;
    std::vector<bool> stalls;
    std::int64_t lastSent = -1;
    std::int64_t total = -1;

    void progress(std::int64_t bytesSent, std::int64_t bytesTotal) override {
        EXPECT_GE(bytesSent, lastSent);
        lastSent = bytesSent;
        total = bytesTotal;
    }
    void rowDone(int row) override { rows.push_back(row); }
    void stalled(bool stalled) override { stalls.push_back(stalled); }
};

// The stream up to the end of its `groups`-th group (0: the commands before the first group).
std::string throughGroup(int groups) {
    const std::string full = StreamBytes(kPicture).bytes;
    std::size_t end = full.find("G 0 0 0\r");
    for (int g = 0; g < groups; ++g) {
        end = full.find('\r', full.find('\r', end) + 1) + 1;
    }
    return full.substr(0, end);
}

TEST(LineDownload, SendsWholeGroupsAndStopsOnlyWhereTheRulesAllow) {
    const std::string full = StreamBytes(kPicture).bytes;
    const std::string beforePause = "\x03\r/I 6\r";
    struct Case {
        const char* name;
        std::size_t stopAt;
        std::size_t failAt;
        LineOutcome outcome;
        std::string received;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {"complete", SIZE_MAX, SIZE_MAX, LineOutcome::Completed, full, {0, 1, 2}},
        // A stop during the pause ends before the D command.
        {"stop in the pause", beforePause.size(), SIZE_MAX, LineOutcome::Stopped, beforePause, {}},
        // A stop asked while a group's position command goes out lets the group finish.
        {"stop in a group",
         throughGroup(2).size() + 3,
         SIZE_MAX,
         LineOutcome::Stopped,
         throughGroup(3),
         {0}},
        // The last group has no group after it to look for the stop before.
        {"stop in the last group",
         throughGroup(5).size() + 1,
         SIZE_MAX,
         LineOutcome::Completed,
         full,
         {0, 1, 2}},
        {"line fails",
         SIZE_MAX,
         throughGroup(1).size() + 2,
         LineOutcome::Failed,
         throughGroup(1) + "G 0 0 10\r",
         {}},
    };
    for (const Case& c : cases) {
        ScriptedLine line;
        line.stopAt = c.stopAt;
        line.failAt = c.failAt;
        RecordedReport report;
        const LineResult result = RunLineDownload(kPicture, line, report);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_FALSE(result.discardedOnStop) << c.name;
        EXPECT_EQ(line.written, c.received) << c.name;
        EXPECT_EQ(report.rows, c.rows) << c.name;
        EXPECT_TRUE(line.closed) << c.name;
        EXPECT_TRUE(report.stalls.empty()) << c.name;
        EXPECT_EQ(report.total, static_cast<std::int64_t>(full.size())) << c.name;
        if (c.outcome == LineOutcome::Completed) {
            EXPECT_EQ(report.lastSent, report.total);
        }
    }
}

// A line held for longer than the stall time: said once, and then either a stop drops what is
// queued, or the line moves again and nothing is lost.
TEST(LineDownload, HeldLineIsReportedAndOnlyAStopGivesItUp) {
    const std::string full = StreamBytes(kPicture).bytes;
    const std::size_t holdAt = throughGroup(2).size() + 2;
    struct Case {
        std::size_t stopAt;
        LineOutcome outcome;
        bool discarded;
        std::vector<bool> stalls;
    };
    const Case cases[] = {{holdAt, LineOutcome::Stopped, true, {true, false}},
                          {SIZE_MAX, LineOutcome::Completed, false, {true, false}}};
    for (const Case& c : cases) {
        ScriptedLine line;
        line.holdAt = holdAt;
        line.heldMs = kLineStallMs + 300;
        line.stopAt = c.stopAt;
        RecordedReport report;
        const LineResult result = RunLineDownload(kPicture, line, report);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.discardedOnStop, c.discarded);
        EXPECT_EQ(line.discarded, c.discarded);
        EXPECT_EQ(report.stalls, c.stalls);
        EXPECT_EQ(line.written, c.discarded ? throughGroup(2) + "G 0 1 0\r" : full);
        // The wait backs off while the line is held: far fewer looks than milliseconds.
        EXPECT_LT(line.waits, kLineStallMs / 8);
    }
}

} // namespace
} // namespace vornix::download
