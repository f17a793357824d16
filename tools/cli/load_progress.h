#pragma once

#include <cstdint>
#include <string>

namespace vornix::cli {

// A load's progress on stderr: a bar redrawn in place on a terminal, one line per row
// otherwise ("Row 5 of 128, 20.1 s left"), and a line when the controller holds the line.
class LoadProgress {
public:
    LoadProgress(int rows, bool terminal) : m_rows(rows), m_terminal(terminal) {}
    ~LoadProgress() { endLine(); }
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    void progress(std::int64_t bytesSent, std::int64_t bytesTotal) {
        m_sent = bytesSent;
        m_total = bytesTotal;
    }
    void rowDone(int row);
    // The controller has held the line up for a while (CTS off): said once; the load waits on.
    void stalled(bool stalled);
    // Ends the bar's line, if one is shown.
    void endLine();

private:
    double secondsLeft() const;

    int m_rows;
    bool m_terminal;
    int m_rowsDone = 0;
    std::int64_t m_sent = 0;
    std::int64_t m_total = 0;
    bool m_barShown = false;
};

// How a load ended, as far as the command line tells it.
enum class LoadEnd { Completed, Stopped, Failed };

// Says how the load ended (nothing for a completed one; "Stopped." or why it failed, after a
// note when the command in flight was dropped) and gives the exit code.
int ReportLoadEnd(LoadEnd end, bool discardedOnStop);

} // namespace vornix::cli
