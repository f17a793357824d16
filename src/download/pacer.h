#pragma once

#include <optional>
#include <string_view>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "download/download_flags.h"
#include "download/drain_alarm.h"
#include "download/serial_link.h"

namespace vornix::download {

enum class WriteResult {
    Sent,     // every byte has left the port
    Failed,   // the link refused the bytes or went away
    Abandoned // a stop was requested while the line stood still; what was queued is dropped
};

// What became of a command, in words, for logs and test output.
std::string_view describe(WriteResult result);

// The waits a download is paced by, and the 10 ms tick they count. One Pacer lives as long as
// the main window; Timer1 starts with it, and its owner may stop it between downloads (Delay
// starts it again when it finds it stopped).
//
// Both waits run a nested event loop that sleeps until a timer or the port wakes it, so the
// window stays live (Escape, the close guard, the port list) while the process stays idle.
class Pacer : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    static constexpr std::int32_t kTickWrapLimit = 30000;
    // After this long without a byte leaving the port, the line counts as held up by the
    // controller (CTS off): stallChanged(true) says so and the wait goes on. Only then may a
    // stop request abandon the command in flight; a line that moves, however slowly or in
    // bursts, always finishes its command.
    static constexpr int kStallMs = 2000;
    // While bytes move the transmit wait looks at the port every millisecond; each look that
    // finds the line where it was doubles the gap, up to this, so a held line costs little.
    static constexpr int kFirstPollMs = 1;
    static constexpr int kLongestPollMs = 64;

    Pacer(DownloadFlags& flags, SerialLink& link, QObject* parent = nullptr);

    // Hands the whole command to the link and waits until it has left the port: nothing in
    // Qt's buffer nor in the driver's queue. Transmitting is true for the length of the call
    // and false again whatever the result.
    WriteResult WriteComPort(const QByteArray& text);

    // Waits until `ticks` ticks of Timer1 have been counted; returns at once for ticks <= 0.
    void Delay(int ticks);

    // One tick: the counter wraps to 0 above 30000, except during a Delay, then counts on.
    void Timer1_Timer();

    // Reports of the port. All are ignored except a vanished device: that port is closed on
    // the first report (QSerialPort repeats it thousands of times a second until closed).
    void MSComm1_OnComm(LinkError error);

    QTimer& Timer1() { return m_timer1; }
    // "Busy" while a Delay runs, "" otherwise.
    const QString& Tag() const { return m_tag; }
    bool isPausing() const { return m_tag == kBusyTag; }

    // True once the device went away, until the next WriteComPort starts.
    bool linkLost() const { return m_linkLost; }

    // How often transmit waits have been woken by their own poll timer, for the benchmark.
    quint64 transmitPolls() const { return m_transmitPolls; }

signals:
    // The line has stood still for kStallMs during a transmit wait (true), or bytes
    // are moving again or the wait is over (false).
    void stallChanged(bool stalled);

private:
    static inline const QString kBusyTag = QStringLiteral("Busy");

    struct TransmitWait;

    WriteResult waitUntilSent();
    void lookAtLine(TransmitWait& wait);
    std::optional<WriteResult> transmitVerdict(TransmitWait& wait);
    void onDrainAlarm(TransmitWait& wait);
    void reportStall(bool stalled);
    void expectDrainedIn(TransmitWait& wait, qint64 pendingBytes);

    DownloadFlags& m_flags;
    SerialLink& m_link;
    QTimer m_timer1;
    DrainAlarm m_drainAlarm;
    QString m_tag;
    bool m_linkLost = false;
    bool m_stalled = false;
    quint64 m_transmitPolls = 0;
};

} // namespace vornix::download
