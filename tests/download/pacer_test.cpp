// The tick counter, the pause and the transmit wait, against the simulated line.
#include <vector>

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "download/drain_alarm.h"
#include "download/fake_uart.h"
#include "download/pacer.h"
#include "support/row_name.h"

namespace vornix::download {
namespace {

// A pacer on a simulated line draining at `baud`, open unless told otherwise.
struct Rig {
    explicit Rig(int baud = 9600, bool open = true) : line(baud), pacer(flags, line) {
        if (open) {
            line.open(QStringLiteral("simulated"), LineSettings{});
        }
    }
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer;
};

struct TickCase {
    const char* name;
    std::int32_t before;
    std::int32_t after;
};

void PrintTo(const TickCase& c, std::ostream* out) {
    *out << c.before << " -> " << c.after;
}

class TimerTickTest : public ::testing::TestWithParam<TickCase> {};

// Outside a pause the counter wraps to 0 once it is above 30000, then counts the tick.
TEST_P(TimerTickTest, CountsAndWraps) {
    Rig rig;
    rig.flags.TimerTicks = GetParam().before;
    rig.pacer.Timer1_Timer();
    EXPECT_EQ(rig.flags.TimerTicks, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Ticks, TimerTickTest,
                         ::testing::Values(TickCase{"FromZero", 0, 1},
                                           TickCase{"UpTo30000", 29999, 30000},
                                           TickCase{"Past30000", 30000, 30001},
                                           TickCase{"WrapsAbove30000", 30001, 1},
                                           TickCase{"WrapsFarAbove30000", 45000, 1}),
                         vornix::test::RowName);

TEST(Pacer, DelayCountsItsTicksMarkedBusy) {
    Rig rig;
    rig.flags.TimerTicks = 500;
    rig.pacer.Delay(0);
    EXPECT_EQ(rig.flags.TimerTicks, 500);

    QString tagDuring;
    bool transmittingDuring = true;
    QTimer::singleShot(15, [&] {
        tagDuring = rig.pacer.Tag();
        transmittingDuring = rig.flags.Transmitting;
    });
    rig.pacer.Delay(11);
    EXPECT_EQ(rig.flags.TimerTicks, 511);
    EXPECT_EQ(tagDuring, QStringLiteral("Busy"));
    EXPECT_FALSE(transmittingDuring);
    EXPECT_EQ(rig.pacer.Tag(), QString());
}

// A pause that starts at 30000 must not see the counter jump back to 0 under it; the first
// tick after the pause wraps it.
TEST(Pacer, NoWrapDuringAPause) {
    Rig rig;
    rig.flags.TimerTicks = 30000;
    rig.pacer.Delay(3);
    EXPECT_EQ(rig.flags.TimerTicks, 30003);
    rig.pacer.Timer1_Timer();
    EXPECT_EQ(rig.flags.TimerTicks, 1);
}

TEST(Pacer, WriteReturnsOnceEveryByteHasLeft) {
    Rig rig;
    const QByteArray command(50, 'x');
    bool transmittingDuring = false;
    QTimer::singleShot(5, [&] { transmittingDuring = rig.flags.Transmitting; });
    EXPECT_EQ(rig.pacer.WriteComPort(command), WriteResult::Sent);
    EXPECT_TRUE(transmittingDuring);
    EXPECT_FALSE(rig.flags.Transmitting);
    EXPECT_EQ(rig.line.pendingBytes(), 0);
    EXPECT_EQ(rig.line.sentBytes(), command);
}

TEST(Pacer, WriteWaitsWhileCtsIsOff) {
    Rig rig(100000);
    rig.line.setCts(false);
    QByteArray sentWhenCtsReturned = "not yet";
    QTimer::singleShot(60, [&] {
        sentWhenCtsReturned = rig.line.sentBytes();
        rig.line.setCts(true);
    });
    EXPECT_EQ(rig.pacer.WriteComPort("G 0 0 0\r"), WriteResult::Sent);
    EXPECT_EQ(sentWhenCtsReturned, QByteArray());
    EXPECT_EQ(rig.line.sentBytes(), QByteArray("G 0 0 0\r"));
}

// A failed hand-over must not leave Transmitting set, or the close guard would refuse forever.
TEST(Pacer, FailedWriteClearsTransmitting) {
    Rig rig(9600, false);
    EXPECT_EQ(rig.pacer.WriteComPort("D 30 128\r"), WriteResult::Failed);
    EXPECT_FALSE(rig.flags.Transmitting);
}

// The controller holds CTS off for good: once the line has stood still for the stall time, a
// stop request ends the wait, dropping what is queued, and the stall has been reported.
TEST(Pacer, StopRequestEndsAStalledWrite) {
    Rig rig;
    std::vector<bool> stallReports;
    QObject::connect(&rig.pacer, &Pacer::stallChanged, [&](bool s) { stallReports.push_back(s); });
    rig.line.setCts(false);
    QTimer::singleShot(30, [&] { rig.flags.StopDownload = true; });
    EXPECT_EQ(rig.pacer.WriteComPort("G 0 0 0\r"), WriteResult::Abandoned);
    EXPECT_FALSE(rig.flags.Transmitting);
    EXPECT_EQ(rig.line.discardCount(), 1);
    EXPECT_EQ(rig.line.pendingBytes(), 0);
    EXPECT_EQ(stallReports, std::vector<bool>({true, false}));
}

struct HeldLineCase {
    const char* name;
    int baud;
    int ctsOffMs; // CTS is off from the start for this long; 0: never off
};

void PrintTo(const HeldLineCase& c, std::ostream* out) {
    *out << c.name;
}

class StopWhileLineMovesTest : public ::testing::TestWithParam<HeldLineCase> {};

// A stop request while the line moves, slowly or after a pause shorter than the stall time,
// never cuts the command: it leaves whole and nothing is discarded.
TEST_P(StopWhileLineMovesTest, CommandFinishes) {
    Rig rig(GetParam().baud);
    const QByteArray command = "G 6,00Ah,00Bh,00Ch,00Dh,00Eh,00Fh\r";
    if (GetParam().ctsOffMs > 0) {
        rig.line.setCts(false);
        QTimer::singleShot(GetParam().ctsOffMs, [&] { rig.line.setCts(true); });
    }
    QTimer::singleShot(20, [&] { rig.flags.StopDownload = true; });
    EXPECT_EQ(rig.pacer.WriteComPort(command), WriteResult::Sent);
    EXPECT_EQ(rig.line.sentBytes(), command);
    EXPECT_EQ(rig.line.discardCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Lines, StopWhileLineMovesTest,
                         ::testing::Values(HeldLineCase{"SlowLine", 1200, 0}, // a byte every 8 ms
                                           HeldLineCase{"HeldForAFifthOfASecond", 9600, 200},
                                           HeldLineCase{"HeldForOneAndAHalfSeconds", 9600, 1500}),
                         vornix::test::RowName);

TEST(DrainAlarm, RingsOnceUnlessDisarmed) {
    DrainAlarm alarm;
    int rings = 0;
    QObject::connect(&alarm, &DrainAlarm::rang, [&] { ++rings; });
    const auto waitMs = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    alarm.arm(std::chrono::microseconds(1500));
    waitMs(50);
    EXPECT_EQ(rings, 1);
    alarm.arm(std::chrono::milliseconds(20));
    alarm.disarm();
    waitMs(50);
    EXPECT_EQ(rings, 1);
}

} // namespace
} // namespace vornix::download
