#pragma once

#include <QObject>

class QSocketNotifier;

namespace vornix::lcdsim {

// Turns SIGUSR1, SIGTERM and SIGINT into Qt signals on the event loop. The handler itself
// only writes the signal number into a socket pair, the one thing that is safe to do there.
class SignalRelay : public QObject {
    Q_OBJECT
public:
    explicit SignalRelay(QObject* parent = nullptr);
    ~SignalRelay() override;

    // False when the socket pair or the handlers could not be installed.
    bool install();

signals:
    void snapshotRequested();
    void quitRequested();

private:
    void relay();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vornix::lcdsim
