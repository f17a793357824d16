#include "download/drain_alarm.h"

#include <algorithm>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace vornix::download {

DrainAlarm::DrainAlarm(QObject* parent) : QObject(parent) {
#ifdef __linux__
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &DrainAlarm::onReadable);
    }
#endif
}

DrainAlarm::~DrainAlarm() {
    m_notifier.reset();
#ifdef __linux__
    if (m_fd >= 0) {
        ::close(m_fd);
    }
#endif
}

void DrainAlarm::arm(std::chrono::nanoseconds after) {
#ifdef __linux__
    if (m_fd < 0) {
        return;
    }
    // A zero it_value would disarm the timer: ring after one nanosecond instead.
    const long long ns = std::max<long long>(after.count(), 1);
    itimerspec spec = {};
    spec.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    spec.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    ::timerfd_settime(m_fd, 0, &spec, nullptr);
#else
    Q_UNUSED(after);
#endif
}

void DrainAlarm::disarm() {
#ifdef __linux__
    if (m_fd >= 0) {
        const itimerspec off = {};
        ::timerfd_settime(m_fd, 0, &off, nullptr);
    }
#endif
}

void DrainAlarm::onReadable() {
#ifdef __linux__
    unsigned long long expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) > 0) {
        emit rang();
    }
#endif
}

} // namespace vornix::download
