#include "signal_relay.h"

#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace vornix::lcdsim {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
    errno = savedErrno;
}

bool handle(int number) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(number, &action, nullptr) == 0;
}

} // namespace

SignalRelay::SignalRelay(QObject* parent) : QObject(parent) {}

SignalRelay::~SignalRelay() {
    for (int number : {SIGUSR1, SIGTERM, SIGINT}) {
        std::signal(number, SIG_DFL);
    }
}

bool SignalRelay::install() {
    if (g_pipe[0] < 0 &&
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        return false;
    }
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalRelay::relay);
    // A reader of the device path that goes away early must not end the simulator.
    std::signal(SIGPIPE, SIG_IGN);
    return handle(SIGUSR1) && handle(SIGTERM) && handle(SIGINT);
}

void SignalRelay::relay() {
    char numbers[16];
    ssize_t got = 0;
    while ((got = ::read(g_pipe[1], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (numbers[i] == SIGUSR1) {
                emit snapshotRequested();
            } else {
                emit quitRequested();
            }
        }
    }
}

} // namespace vornix::lcdsim
