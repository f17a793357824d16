// "vornix-cli load" to many ports: one download per port, all at once. Each port gets its own
// vornix-cli-load, so every download is exactly the one of a single port and a port that
// fails, is busy or stalls ends only its own download. This process only waits: in poll() on
// the helpers' standard error, the Ctrl+C pipe and (for --each-new-port) inotify, with a
// timeout only while a line is stalled or the board has a redraw due.
#include "load_many.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "commands.h"
#include "port_board.h"
#include "port_watch.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

using Clock = std::chrono::steady_clock;

// The board is redrawn at most this often however fast the rows come.
constexpr auto kRedrawGap = std::chrono::milliseconds(200);

int g_stopPipe[2] = {-1, -1};

extern "C" void askStop(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_stopPipe[1], &byte, 1);
}

struct PortRun {
    PortTarget target;
    std::string shownName; // the device as a terminal may show it
    pid_t pid = -1;
    int output = -1;     // the helper's standard error, read here
    std::string partial; // a line not yet ended
    PortProgress progress;
    std::optional<Clock::time_point> stalledSince;
    bool gaveUp = false;   // stopped here because its line stayed held
    bool vanished = false; // its device went away during the download
    bool ended = false;
};

// Starts the helper for one port with its standard error on a pipe; false when it cannot.
bool start(PortRun& run, const std::string& helper) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.progress.reason = std::string("cannot start: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        run.progress.reason = std::string("cannot start: ") + std::strerror(errno);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return false;
    }
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        std::vector<std::string> args = {"vornix-cli-load", "--port", run.target.device, "--",
                                         run.target.file};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        ::execv(helper.c_str(), argv.data());
        std::fprintf(stderr, "vornix-cli: cannot start %s: %s\n", helper.c_str(),
                     std::strerror(errno));
        ::_exit(kExitFailure);
    }
    ::close(pipeEnds[1]);
    run.pid = pid;
    run.output = pipeEnds[0];
    return true;
}

int terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) {
        return size.ws_col - 1; // never the last column, which would wrap on some terminals
    }
    return 79;
}

class ManyLoadRun {
public:
    ManyLoadRun(const ManyLoad& request, std::string helper)
        : m_request(request), m_helper(std::move(helper)),
          m_terminal(::isatty(STDERR_FILENO) == 1) {}

    int run();

private:
    void add(const PortTarget& target);
    void takeOutput(PortRun& run);
    void end(PortRun& run);
    void onPortEvent(const PortEvent& event);
    void stopAll();
    std::optional<Clock::time_point> nextDeadline() const;
    void giveUpStalled();
    std::string resultOf(const PortRun& run) const;
    void print(const std::string& line);
    void drawBoard();
    void eraseBoard();
    int exitCode() const;

    const ManyLoad& m_request;
    std::string m_helper;
    bool m_terminal;
    std::vector<std::unique_ptr<PortRun>> m_runs;
    std::unique_ptr<PortWatch> m_watch;
    std::vector<std::string> m_pending; // appeared but not yet readable and writable
    bool m_stopping = false;
    int m_loaded = 0;
    int m_stopped = 0;
    int m_failed = 0;
    int m_drawnLines = 0;
    bool m_boardDirty = false;
    Clock::time_point m_lastDraw{};
};

void ManyLoadRun::add(const PortTarget& target) {
    auto run = std::make_unique<PortRun>();
    run->target = target;
    run->shownName = TerminalName(target.device);
    if (!start(*run, m_helper)) {
        run->progress.state = PortState::Failed;
    }
    m_runs.push_back(std::move(run));
    if (m_runs.back()->output < 0) {
        end(*m_runs.back());
    }
    m_boardDirty = true;
}

// Takes what the helper wrote: each whole line moves its progress on; off a terminal it is
// shown as "DEVICE: line".
void ManyLoadRun::takeOutput(PortRun& run) {
    char buffer[4096];
    const ssize_t got = ::read(run.output, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
        return;
    }
    if (got <= 0) {
        ::close(run.output);
        run.output = -1;
        end(run);
        return;
    }
    run.partial.append(buffer, static_cast<std::size_t>(got));
    std::size_t lineEnd = 0;
    while ((lineEnd = run.partial.find_first_of("\r\n")) != std::string::npos) {
        const std::string line = run.partial.substr(0, lineEnd);
        run.partial.erase(0, lineEnd + 1);
        if (line.empty()) {
            continue;
        }
        TakeHelperLine(run.progress, line, run.target.device);
        run.stalledSince = run.progress.state == PortState::Stalled
                               ? run.stalledSince.value_or(Clock::now())
                               : std::optional<Clock::time_point>();
        if (!m_terminal) {
            print(run.shownName + ": " + line);
        }
    }
    m_boardDirty = true;
}

std::string ManyLoadRun::resultOf(const PortRun& run) const {
    switch (run.progress.state) {
    case PortState::Loaded:
        return "loaded";
    case PortState::Stopped:
        return "stopped";
    default:
        return "failed: " + run.progress.reason;
    }
}

// The helper has closed its end: collect its exit status and tell the port's result.
void ManyLoadRun::end(PortRun& run) {
    int status = -1;
    if (run.pid > 0) {
        while (::waitpid(run.pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.pid = -1;
    }
    const int code = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : kExitFailure;
    PortProgress& progress = run.progress;
    if (run.vanished) {
        progress.state = PortState::Failed;
        progress.reason = "the device went away during the download";
    } else if (run.gaveUp) {
        progress.state = PortState::Failed;
        progress.reason =
            "the controller held the line for " + std::to_string(m_request.stallSeconds) + " s";
    } else if (code == kExitOk && status >= 0) {
        progress.state = PortState::Loaded;
    } else if (code == kExitStopped ||
               (m_stopping && status >= 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGINT)) {
        // A helper that Ctrl+C reached before its download began ends by the signal itself:
        // nothing was sent, and the port counts as stopped.
        progress.state = PortState::Stopped;
    } else {
        progress.state = PortState::Failed;
        if (progress.reason.empty()) {
            progress.reason =
                progress.lastLine.empty() ? "the download ended unexpectedly" : progress.lastLine;
        }
    }
    run.ended = true;
    run.stalledSince.reset();
    if (progress.state == PortState::Loaded) {
        ++m_loaded;
    } else if (progress.state == PortState::Stopped) {
        ++m_stopped;
    } else {
        ++m_failed;
    }
    if (m_request.eachNewPort) {
        // A production line wants each panel's result as it ends, and where the count stands.
        print(run.shownName + ": " + resultOf(run) + " (" + Summary(m_loaded, m_stopped, {}) +
              (m_failed == 0 ? "" : ", " + std::to_string(m_failed) + " failed") + ")");
    }
    m_boardDirty = true;
}

void ManyLoadRun::onPortEvent(const PortEvent& event) {
    auto running = std::find_if(m_runs.begin(), m_runs.end(), [&](const auto& run) {
        return !run->ended && run->target.device == event.path;
    });
    auto pending = std::find(m_pending.begin(), m_pending.end(), event.path);
    if (event.kind == PortEvent::Kind::Gone) {
        if (running != m_runs.end()) {
            (*running)->vanished = true;
            ::kill((*running)->pid, SIGTERM);
        }
        if (pending != m_pending.end()) {
            m_pending.erase(pending);
        }
        return;
    }
    if (running != m_runs.end() || m_stopping) {
        return;
    }
    if (event.kind == PortEvent::Kind::Changed && pending == m_pending.end()) {
        return; // a device already loaded, or one that was present at the start
    }
    // A new device node may be readable by its group only a moment after it appears; its
    // permission change (IN_ATTRIB) brings it back here.
    if (::access(event.path.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        if (pending == m_pending.end()) {
            m_pending.push_back(event.path);
        }
        return;
    }
    if (pending != m_pending.end()) {
        m_pending.erase(pending);
    }
    add({event.path, m_request.file});
}

void ManyLoadRun::stopAll() {
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    // Each download stops at its next group of values, as a single one does.
    for (const auto& run : m_runs) {
        if (run->pid > 0) {
            ::kill(run->pid, SIGINT);
        }
    }
    m_watch.reset();
}

std::optional<Clock::time_point> ManyLoadRun::nextDeadline() const {
    std::optional<Clock::time_point> next;
    for (const auto& run : m_runs) {
        if (run->stalledSince && !run->gaveUp) {
            const auto giveUp = *run->stalledSince + std::chrono::seconds(m_request.stallSeconds);
            next = next ? std::min(*next, giveUp) : giveUp;
        }
    }
    if (m_terminal && m_boardDirty) {
        const auto redraw = m_lastDraw + kRedrawGap;
        next = next ? std::min(*next, redraw) : redraw;
    }
    for (const auto& run : m_runs) {
        if (m_terminal && run->stalledSince && !run->gaveUp) {
            // The board counts the seconds a line has been held.
            const auto tick = m_lastDraw + std::chrono::seconds(1);
            next = next ? std::min(*next, tick) : tick;
            break;
        }
    }
    return next;
}

// A port whose line has been held past the stall time is stopped; the helper may then drop
// the command in flight, as a stop of a held line does, and ends.
void ManyLoadRun::giveUpStalled() {
    const auto now = Clock::now();
    for (const auto& run : m_runs) {
        if (run->stalledSince && !run->gaveUp && run->pid > 0 &&
            now >= *run->stalledSince + std::chrono::seconds(m_request.stallSeconds)) {
            run->gaveUp = true;
            ::kill(run->pid, SIGINT);
            m_boardDirty = true;
        }
    }
}

void ManyLoadRun::print(const std::string& line) {
    eraseBoard();
    std::fprintf(stderr, "%s\n", line.c_str());
    if (m_terminal) {
        m_boardDirty = true;
    }
}

// Removes the board from the terminal, leaving the cursor where it started.
void ManyLoadRun::eraseBoard() {
    if (m_drawnLines > 0) {
        std::fprintf(stderr, "\x1b[%dA\r\x1b[J", m_drawnLines);
        m_drawnLines = 0;
    }
}

// One line a port, redrawn in place: for a load to many every port stays on the board; with
// --each-new-port a panel leaves it with its result line.
void ManyLoadRun::drawBoard() {
    if (!m_terminal) {
        return;
    }
    const int width = terminalWidth();
    std::size_t nameWidth = 0;
    for (const auto& run : m_runs) {
        nameWidth = std::max(nameWidth, run->shownName.size());
    }
    std::string text = m_drawnLines > 0 ? "\x1b[" + std::to_string(m_drawnLines) + "A\r" : "";
    int lines = 0;
    const auto now = Clock::now();
    for (const auto& run : m_runs) {
        if (m_request.eachNewPort && run->ended) {
            continue;
        }
        std::string name = run->shownName;
        name.resize(std::max(nameWidth, name.size()), ' ');
        const int held = run->stalledSince
                             ? static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                                    now - *run->stalledSince)
                                                    .count())
                             : -1;
        text += BoardLine(name, run->progress, held, width) + "\x1b[K\n";
        ++lines;
    }
    text += "\x1b[J";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    m_drawnLines = lines;
    m_boardDirty = false;
    m_lastDraw = now;
}

int ManyLoadRun::exitCode() const {
    if (m_stopped > 0) {
        return kExitStopped;
    }
    if (m_failed > 0) {
        return kExitFailure;
    }
    return m_stopping && !m_request.eachNewPort ? kExitStopped : kExitOk;
}

int ManyLoadRun::run() {
    if (m_request.eachNewPort) {
        m_watch = std::make_unique<PortWatch>(m_request.patterns);
        std::string reason;
        if (!m_watch->start(reason)) {
            std::fprintf(stderr, "vornix-cli: load: %s\n", reason.c_str());
            return kExitFailure;
        }
        std::string shown;
        for (const std::string& pattern : m_request.patterns) {
            shown += (shown.empty() ? "" : " ") + TerminalName(pattern);
        }
        print("Waiting for new ports (" + shown + "); Ctrl+C ends.");
    }
    for (const PortTarget& target : m_request.targets) {
        add(target);
    }
    for (;;) {
        std::vector<pollfd> waits{{g_stopPipe[0], POLLIN, 0}};
        if (m_watch) {
            waits.push_back({m_watch->fd(), POLLIN, 0});
        }
        std::vector<PortRun*> owners;
        for (const auto& run : m_runs) {
            if (run->output >= 0) {
                waits.push_back({run->output, POLLIN, 0});
                owners.push_back(run.get());
            }
        }
        if (owners.empty() && !m_watch) {
            break;
        }
        if (m_boardDirty && Clock::now() >= m_lastDraw + kRedrawGap) {
            drawBoard();
        }
        int timeout = -1;
        if (const auto deadline = nextDeadline()) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
        }
        if (::poll(waits.data(), waits.size(), timeout) < 0 && errno != EINTR) {
            break;
        }
        if (waits[0].revents != 0) {
            char drained[16];
            while (::read(g_stopPipe[0], drained, sizeof drained) > 0) {
            }
            stopAll();
            continue;
        }
        const std::size_t first = m_watch ? 2 : 1;
        if (m_watch && waits[1].revents != 0) {
            for (const PortEvent& event : m_watch->take()) {
                onPortEvent(event);
            }
        }
        for (std::size_t k = 0; k < owners.size(); ++k) {
            if (waits[first + k].revents != 0) {
                takeOutput(*owners[k]);
            }
        }
        giveUpStalled();
    }
    drawBoard();
    m_drawnLines = 0; // the final board stays on the screen, above the results
    if (!m_request.eachNewPort) {
        for (const auto& run : m_runs) {
            std::fprintf(stderr, "%s: %s\n", run->shownName.c_str(), resultOf(*run).c_str());
        }
    }
    // The failures in the order the ports were given (or plugged in).
    std::vector<std::string> failures;
    for (const auto& run : m_runs) {
        if (run->progress.state == PortState::Failed) {
            failures.push_back(run->shownName + ": " + run->progress.reason);
        }
    }
    std::fprintf(stderr, "%s\n", Summary(m_loaded, m_stopped, failures).c_str());
    return exitCode();
}

} // namespace

int RunLoadMany(const ManyLoad& request, const std::string& helper) {
    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "vornix-cli: load: %s\n", std::strerror(errno));
        return kExitFailure;
    }
    struct sigaction stop {};
    stop.sa_handler = askStop;
    ::sigemptyset(&stop.sa_mask);
    stop.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &stop, nullptr);
    ::sigaction(SIGTERM, &stop, nullptr);
    ManyLoadRun run(request, helper);
    return run.run();
}

} // namespace vornix::cli
