// "vornix-cli load --port A --port B ... FILE": one download per port, all at once. Each port
// gets its own vornix-cli-load, so every download is exactly the one of a single port and a
// port that fails, is busy or stalls ends only its own download.
#include "load_many.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "commands.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

volatile std::sig_atomic_t g_stopAsked = 0;

void askStop(int /*signal*/) {
    g_stopAsked = 1;
}

struct PortRun {
    PortTarget target;
    pid_t pid = -1;
    int output = -1;     // the helper's standard error, read here
    std::string partial; // a line not yet ended
    std::string last;    // its last whole line
    std::string failure; // its last "vornix-cli: ..." line
    int status = -1;     // its exit status once it has ended
};

// Starts the helper for one port with its standard error on a pipe; false when it cannot.
bool start(PortRun& run, const std::string& helper) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.failure = std::string("cannot start: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        run.failure = std::string("cannot start: ") + std::strerror(errno);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return false;
    }
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
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

// Takes what the helper wrote: whole lines become its last line (and its failure when they
// name one); `shown` gets each whole line for a log that is not a terminal.
void takeOutput(PortRun& run, std::vector<std::string>& shown) {
    char buffer[4096];
    const ssize_t got = ::read(run.output, buffer, sizeof buffer);
    if (got <= 0) {
        if (got == 0 || errno != EINTR) {
            ::close(run.output);
            run.output = -1;
        }
        return;
    }
    run.partial.append(buffer, static_cast<std::size_t>(got));
    std::size_t end = 0;
    while ((end = run.partial.find_first_of("\r\n")) != std::string::npos) {
        std::string line = run.partial.substr(0, end);
        run.partial.erase(0, end + 1);
        if (line.empty()) {
            continue;
        }
        if (line.rfind("vornix-cli: ", 0) == 0) {
            // "vornix-cli: DEVICE: reason" is told as the port's reason alone.
            run.failure = line.substr(12);
            const std::string device = run.target.device + ": ";
            if (run.failure.rfind(device, 0) == 0) {
                run.failure.erase(0, device.size());
            }
        }
        run.last = line;
        shown.push_back(TerminalName(run.target.device) + ": " + line);
    }
}

std::string resultOf(const PortRun& run) {
    if (run.status == 0) {
        return "loaded";
    }
    if (run.status == kExitStopped) {
        return "stopped";
    }
    return "failed: " + (run.failure.empty() ? run.last : run.failure);
}

} // namespace

int RunLoadMany(const std::vector<PortTarget>& targets, const std::string& helper) {
    struct sigaction stop {};
    stop.sa_handler = askStop; // reset to the default in the helpers when they start
    ::sigemptyset(&stop.sa_mask);
    ::sigaction(SIGINT, &stop, nullptr);
    ::sigaction(SIGTERM, &stop, nullptr);

    std::vector<PortRun> runs(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        runs[i].target = targets[i];
        start(runs[i], helper);
    }
    bool stopSent = false;
    for (;;) {
        std::vector<pollfd> waits;
        std::vector<std::size_t> owners;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (runs[i].output >= 0) {
                waits.push_back({runs[i].output, POLLIN, 0});
                owners.push_back(i);
            }
        }
        if (waits.empty()) {
            break;
        }
        if (g_stopAsked && !stopSent) {
            // Each download stops at its next group of values, as a single one does.
            for (const PortRun& run : runs) {
                if (run.pid > 0) {
                    ::kill(run.pid, SIGINT);
                }
            }
            stopSent = true;
        }
        if (::poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR) {
            break;
        }
        std::vector<std::string> shown;
        for (std::size_t k = 0; k < waits.size(); ++k) {
            if (waits[k].revents != 0) {
                takeOutput(runs[owners[k]], shown);
            }
        }
        for (const std::string& line : shown) {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
    int loaded = 0;
    int stopped = 0;
    std::string failures;
    for (PortRun& run : runs) {
        if (run.pid > 0) {
            int status = 0;
            while (::waitpid(run.pid, &status, 0) < 0 && errno == EINTR) {
            }
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : kExitFailure;
        }
        const std::string result = resultOf(run);
        std::fprintf(stderr, "%s: %s\n", TerminalName(run.target.device).c_str(), result.c_str());
        if (run.status == 0) {
            ++loaded;
        } else if (run.status == kExitStopped) {
            ++stopped;
        } else {
            failures += (failures.empty() ? "" : "; ") + TerminalName(run.target.device) + ": " +
                        result.substr(8);
        }
    }
    const int failed = static_cast<int>(runs.size()) - loaded - stopped;
    std::string summary = std::to_string(loaded) + " loaded";
    if (stopped > 0) {
        summary += ", " + std::to_string(stopped) + " stopped";
    }
    if (failed > 0) {
        summary += ", " + std::to_string(failed) + " failed: " + failures;
    }
    std::fprintf(stderr, "%s\n", summary.c_str());
    if (stopped > 0 || g_stopAsked) {
        return kExitStopped;
    }
    return failed > 0 ? kExitFailure : kExitOk;
}

} // namespace vornix::cli
