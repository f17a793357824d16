#include "app/termination_signals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace vornix::app {

namespace {

constexpr int kHandledSignals[] = {SIGTERM, SIGHUP};

// The pipe's ends; the handler reaches them only through these.
int g_pipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a request that the event loop will read.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void closePipe() {
    for (int& end : g_pipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = &onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kHandledSignals) {
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            return;
        }
    }
    m_active = true;
}

TerminationSignals::~TerminationSignals() {
    if (g_pipe[0] < 0 || m_notifier == nullptr) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kHandledSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    delete m_notifier;
    m_notifier = nullptr;
    closePipe();
}

void TerminationSignals::readPipe() {
    unsigned char bytes[16];
    for (ssize_t got; (got = ::read(g_pipe[0], bytes, sizeof bytes)) > 0;) {
        for (ssize_t i = 0; i < got; ++i) {
            emit received(bytes[i]);
        }
    }
}

} // namespace vornix::app
