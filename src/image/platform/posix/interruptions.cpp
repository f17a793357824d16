// Temporary files removed on SIGINT, SIGTERM and SIGHUP, and those signals held back while a
// file and its record change together.
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <pthread.h>
#include <unistd.h>

#include "image/platform/platform.h"

namespace vornix::platform {

namespace {

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The names of the temporary files that exist now, for the signal handler. A record is armed
// only while its file exists; the handler reads nothing else.
constexpr int kNameSlots = 8;
struct TemporaryName {
    std::atomic<bool> claimed{false};
    std::atomic<bool> armed{false};
    char path[PATH_MAX] = {};
};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads these flags");
TemporaryName g_names[kNameSlots];
std::atomic<bool> g_handlersInstalled{false};

// Removes the temporary files, then lets the signal do what it would have done: the handler is
// installed with SA_RESETHAND, and the raised signal stays blocked until the handler returns.
void removeTemporariesAndRaise(int signal) {
    const int saved = errno;
    for (TemporaryName& name : g_names) {
        if (name.armed.load()) {
            ::unlink(name.path);
        }
    }
    errno = saved;
    ::raise(signal);
}

// Only signals that would end the process get the handler: an ignored SIGHUP (nohup) stays
// ignored, and a handler the program set itself stays in charge.
void installHandlers() {
    if (g_handlersInstalled.exchange(true)) {
        return;
    }
    for (const int number : kCleanupSignals) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndRaise;
        sigfillset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(number, &action, nullptr);
    }
}

static_assert(sizeof(sigset_t) <= 128, "InterruptionsHeld keeps a sigset_t");

} // namespace

int RememberTemporaryName(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return -1;
    }
    installHandlers();
    for (int slot = 0; slot < kNameSlots; ++slot) {
        if (!g_names[slot].claimed.exchange(true)) {
            std::memcpy(g_names[slot].path, path.c_str(), path.size() + 1);
            g_names[slot].armed.store(true);
            return slot;
        }
    }
    return -1;
}

void ForgetTemporaryName(int slot) {
    if (slot >= 0 && slot < kNameSlots) {
        g_names[slot].armed.store(false);
        g_names[slot].claimed.store(false);
    }
}

InterruptionsHeld::InterruptionsHeld() : m_previous{} {
    sigset_t held;
    sigemptyset(&held);
    for (const int number : kCleanupSignals) {
        sigaddset(&held, number);
    }
    ::pthread_sigmask(SIG_BLOCK, &held, reinterpret_cast<sigset_t*>(m_previous));
}

InterruptionsHeld::~InterruptionsHeld() {
    ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(m_previous), nullptr);
}

} // namespace vornix::platform
