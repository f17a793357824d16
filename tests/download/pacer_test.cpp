// The tick counter, the pause and the transmit wait, against the simulated line.
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include "download/fake_uart.h"
#include "download/pacer.h"

namespace vornix::download {
namespace {

struct TickCase {
    std::int32_t before;
    std::int32_t after;
};

void PrintTo(const TickCase& c, std::ostream* out) {
    *out << c.before << " -> " << c.after;
}

class TimerTickTest : public ::testing::TestWithParam<TickCase> {};

// Outside a pause the counter wraps to 0 once it is above 30000, then counts the tick.
TEST_P(TimerTickTest, CountsAndWraps) {
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer(flags, line);
    flags.TimerTicks = GetParam().before;
    pacer.Timer1_Timer();
    EXPECT_EQ(flags.TimerTicks, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Ticks, TimerTickTest,
                         ::testing::Values(TickCase{0, 1}, TickCase{29999, 30000},
                                           TickCase{30000, 30001}, TickCase{30001, 1},
                                           TickCase{45000, 1}));

TEST(Pacer, CounterNeverExceeds30001OutsideAPause) {
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer(flags, line);
    std::int32_t highest = 0;
    for (int tick = 0; tick < 70000; ++tick) {
        pacer.Timer1_Timer();
        highest = std::max(highest, flags.TimerTicks);
    }
    EXPECT_EQ(highest, 30001);
}

TEST(Pacer, Timer1TicksEveryTenMilliseconds) {
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer(flags, line);
    EXPECT_TRUE(pacer.Timer1().isActive());
    EXPECT_EQ(pacer.Timer1().interval(), 10);
    EXPECT_EQ(pacer.Timer1().timerType(), Qt::PreciseTimer);
    EXPECT_EQ(pacer.Tag(), QString());
}

TEST(Pacer, DelayOfNoTicksReturnsAtOnce) {
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer(flags, line);
    flags.TimerTicks = 500;
    pacer.Delay(0);
    EXPECT_EQ(flags.TimerTicks, 500);
    EXPECT_EQ(pacer.Tag(), QString());
}

TEST(Pacer, DelayWaitsForItsTicksMarkedBusy) {
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer(flags, line);
    flags.TimerTicks = 100;
    QString tagDuring;
    bool transmittingDuring = true;
    QTimer::singleShot(15, [&] {
        tagDuring = pacer.Tag();
        transmittingDuring = flags.Transmitting;
    });
    pacer.Delay(11);
    EXPECT_EQ(flags.TimerTicks, 111);
    EXPECT_EQ(tagDuring, QStringLiteral("Busy"));
    EXPECT_FALSE(transmittingDuring);
    EXPECT_EQ(pacer.Tag(), QString());
    EXPECT_FALSE(pacer.isPausing());
}

// A pause that starts at 30000 must not see the counter jump back to 0 under it; the first
// tick after the pause wraps it.
TEST(Pacer, NoWrapDuringAPause) {
    DownloadFlags flags;
    FakeUart line;
    Pacer pacer(flags, line);
    flags.TimerTicks = 30000;
    pacer.Delay(3);
    EXPECT_EQ(flags.TimerTicks, 30003);
    pacer.Timer1_Timer();
    EXPECT_EQ(flags.TimerTicks, 1);
}

TEST(Pacer, WriteReturnsOnceEveryByteHasLeft) {
    DownloadFlags flags;
    FakeUart line(9600);
    ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    Pacer pacer(flags, line);
    const QByteArray command(50, 'x');
    bool transmittingDuring = false;
    QTimer::singleShot(5, [&] { transmittingDuring = flags.Transmitting; });
    EXPECT_EQ(pacer.WriteComPort(command), WriteResult::Sent);
    EXPECT_TRUE(transmittingDuring);
    EXPECT_FALSE(flags.Transmitting);
    EXPECT_EQ(line.pendingBytes(), 0);
    EXPECT_EQ(line.sentBytes(), command);
}

TEST(Pacer, WriteWaitsWhileCtsIsOff) {
    DownloadFlags flags;
    FakeUart line(100000);
    ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    Pacer pacer(flags, line);
    line.setCts(false);
    QByteArray sentWhenCtsReturned = "not yet";
    QTimer::singleShot(60, [&] {
        sentWhenCtsReturned = line.sentBytes();
        line.setCts(true);
    });
    EXPECT_EQ(pacer.WriteComPort("G 0 0 0\r"), WriteResult::Sent);
    EXPECT_EQ(sentWhenCtsReturned, QByteArray());
    EXPECT_EQ(line.sentBytes(), QByteArray("G 0 0 0\r"));
}

struct FailureCase {
    const char* name;
    bool open;
    bool gone;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class WriteFailureTest : public ::testing::TestWithParam<FailureCase> {};

// A failed hand-over must not leave Transmitting set, or the close guard would refuse forever.
TEST_P(WriteFailureTest, ClearsTransmitting) {
    DownloadFlags flags;
    FakeUart line;
    if (GetParam().open) {
        ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    }
    if (GetParam().gone) {
        line.simulateDeviceGone();
    }
    Pacer pacer(flags, line);
    EXPECT_EQ(pacer.WriteComPort("D 30 128\r"), WriteResult::Failed);
    EXPECT_FALSE(flags.Transmitting);
    EXPECT_EQ(line.sentBytes(), QByteArray());
}

INSTANTIATE_TEST_SUITE_P(Links, WriteFailureTest,
                         ::testing::Values(FailureCase{"PortClosed", false, false},
                                           FailureCase{"DeviceGone", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The controller holds CTS off for good: a stop request ends the wait, dropping what is queued.
TEST(Pacer, StopRequestEndsAStalledWrite) {
    DownloadFlags flags;
    FakeUart line;
    ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    Pacer pacer(flags, line);
    line.setCts(false);
    QTimer::singleShot(30, [&] { flags.StopDownload = true; });
    EXPECT_EQ(pacer.WriteComPort("G 0 0 0\r"), WriteResult::Abandoned);
    EXPECT_FALSE(flags.Transmitting);
    EXPECT_EQ(line.discardCount(), 1);
    EXPECT_EQ(line.pendingBytes(), 0);
    EXPECT_EQ(line.sentBytes(), QByteArray());
}

// A stop request while bytes are still moving out lets the command finish: on this slow line a
// byte leaves every 8 ms, so the line never stands still for 100 ms.
TEST(Pacer, StopRequestWhileBytesLeaveLetsTheCommandFinish) {
    DownloadFlags flags;
    FakeUart line(1200);
    ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    Pacer pacer(flags, line);
    const QByteArray command = "G 6,00Ah,00Bh,00Ch,00Dh,00Eh,00Fh\r";
    QTimer::singleShot(20, [&] { flags.StopDownload = true; });
    EXPECT_EQ(pacer.WriteComPort(command), WriteResult::Sent);
    EXPECT_EQ(line.sentBytes(), command);
    EXPECT_EQ(line.discardCount(), 0);
}

// QSerialPort reports a vanished device over and over until the port is closed: the first
// report closes it, once, and the wait ends as a failure.
TEST(Pacer, VanishedDeviceClosesThePortOnce) {
    DownloadFlags flags;
    FakeUart line(9600);
    ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    Pacer pacer(flags, line);
    QTimer::singleShot(10, [&] { line.simulateDeviceGone(); });
    EXPECT_EQ(pacer.WriteComPort(QByteArray(200, 'x')), WriteResult::Failed);
    EXPECT_FALSE(flags.Transmitting);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.closeCount(), 1);
    EXPECT_GE(line.resourceErrorCount(), 1);
    EXPECT_TRUE(pacer.linkLost());
}

TEST(Pacer, OtherPortReportsAreIgnored) {
    DownloadFlags flags;
    FakeUart line;
    ASSERT_TRUE(line.open(QStringLiteral("fake"), LineSettings{}));
    Pacer pacer(flags, line);
    emit line.errorOccurred(LinkError::Other);
    EXPECT_TRUE(line.isOpen());
    EXPECT_FALSE(pacer.linkLost());
}

} // namespace
} // namespace vornix::download
