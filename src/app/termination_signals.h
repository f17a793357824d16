#pragma once

#include <QObject>

class QSocketNotifier;

namespace vornix::app {

// Turns SIGTERM and SIGHUP (a logout, `kill`) into a signal of the event loop. The handler only
// writes the signal's number into a pipe, which is safe inside a signal handler; the event loop
// reads it and emits received(). One object at a time may exist; it puts the default handlers
// back when destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe or the handlers could not be set up; the signals then end the
    // process as they would without this object.
    bool active() const { return m_active; }

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
    bool m_active = false;
};

} // namespace vornix::app
