// The real serial port code on a pseudo-terminal: line settings, bytes, a vanishing device;
// and the mapping from port numbers to devices.
#include <termios.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/port_mapping.h"
#include "download/serial_port_link.h"
#include "download/stream/command_stream.h"
#include "pty_support.h"
#include "pxl_samples.h"
#include "recording_view.h"
#include "support/row_name.h"

namespace vornix::download {
namespace {

using testing::PatternPxl;
using testing::Pty;
using testing::RecordingView;

TEST(SerialPortLink, LineSettingsAreVisibleFromOutside) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortLink link;
    ASSERT_EQ(OpenComDevice(link, pty.slavePath(), QStringLiteral("9600")), OpenComResult::Opened);
    termios settings = {};
    ASSERT_EQ(::tcgetattr(pty.slave(), &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetispeed(&settings), static_cast<speed_t>(B9600));
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & PARENB, 0u);
    EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
    EXPECT_NE(settings.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(OpenComDevice(link, QStringLiteral("/dev/other"), QStringLiteral("9600")),
              OpenComResult::AlreadyOpen);
    link.close();
    EXPECT_FALSE(link.isOpen());
}

TEST(SerialPortLink, MissingDeviceCannotBeOpened) {
    SerialPortLink link;
    EXPECT_EQ(
        OpenComDevice(link, QStringLiteral("/dev/vornix-no-such-port"), QStringLiteral("9600")),
        OpenComResult::Failed);
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.write("x"));
    EXPECT_EQ(link.pendingBytes(), 0);
}

// Nobody reads the other end, so the line stands still with bytes queued: dropping them and
// closing returns at once instead of waiting in the driver for a line that never drains, and
// the device can be opened again straight away.
TEST(SerialPortLink, CloseAfterAStallReturnsAtOnce) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    pty.pauseReading();
    SerialPortLink link;
    ASSERT_TRUE(link.open(pty.slavePath(), LineSettings{}));
    for (int i = 0; i < 16; ++i) {
        ASSERT_TRUE(link.write(QByteArray(4096, 'x')));
    }
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    ASSERT_GT(link.pendingBytes(), 0); // the pseudo-terminal is full

    QElapsedTimer closing;
    closing.start();
    link.discardPending();
    link.close();
    EXPECT_LT(closing.elapsed(), 1000); // hang guard
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.pendingBytes(), 0);
    EXPECT_TRUE(link.open(pty.slavePath(), LineSettings{}));
    link.close();
}

class PtyDownloadTest : public ::testing::Test {
protected:
    PtyDownloadTest() : pacer(flags, link), download(flags, link, pacer, view) {}

    DownloadFlags flags;
    SerialPortLink link;
    Pacer pacer;
    RecordingView view;
    LcdDownload download;
};

TEST_F(PtyDownloadTest, ControllerReceivesExactlyTheStream) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    qputenv("VORNIX_COM1", pty.slavePath().toLocal8Bit());
    ASSERT_EQ(OpenControllerPort(link, QStringLiteral("1"), QStringLiteral("9600")),
              OpenComResult::Opened);
    qunsetenv("VORNIX_COM1");
    const std::string pxl = PatternPxl(240, 64);
    EXPECT_EQ(download.LoadLCDText(QStringLiteral("OPEN"), pxl), DownloadOutcome::Completed);
    EXPECT_EQ(pty.received(), QByteArray::fromStdString(StreamBytes(pxl).bytes));
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(view.lamp, LampColor::Green);
}

// When the other end disappears the port reports ResourceError until it is closed: the
// download closes it and ends without a message.
TEST_F(PtyDownloadTest, VanishingDeviceEndsTheDownload) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(OpenComDevice(link, pty.slavePath(), QStringLiteral("9600")), OpenComResult::Opened);
    // Nothing is read, so the pseudo-terminal fills up and the download waits; then the
    // master side goes away under it.
    pty.pauseReading();
    QTimer::singleShot(300, [&] { pty.closeMaster(); });
    EXPECT_EQ(download.LoadLCDText(QStringLiteral("OPEN"), PatternPxl(240, 512)),
              DownloadOutcome::Failed);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(view.lamp, LampColor::Yellow);
    EXPECT_TRUE(view.fileMenuEnabled);
    EXPECT_FALSE(flags.Transmitting);
}

TEST(PortMapping, EnvironmentNamesTheDevice) {
    qputenv("VORNIX_COM2", "/dev/pts/77");
    EXPECT_EQ(DeviceForPort(2), QStringLiteral("/dev/pts/77"));
    EXPECT_EQ(DeviceForPort(QStringLiteral("2")), QStringLiteral("/dev/pts/77"));
    qputenv("VORNIX_COM2", "");
    EXPECT_NE(DeviceForPort(2), QStringLiteral(""));
    qunsetenv("VORNIX_COM2");
    EXPECT_EQ(DeviceForPort(0), QString());
    EXPECT_EQ(DeviceForPort(QStringLiteral("two")), QString());
}

struct NthPortCase {
    const char* name;
    int number;
    const char* expected;
};

void PrintTo(const NthPortCase& c, std::ostream* out) {
    *out << "port " << c.number;
}

class NthPortTest : public ::testing::TestWithParam<NthPortCase> {};

TEST_P(NthPortTest, OrdersByNameWithNumbersAsNumbers) {
    const QStringList ports = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyS1",
                               "/dev/ttyACM0"};
    EXPECT_EQ(NthPortByName(ports, GetParam().number), QLatin1String(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Ports, NthPortTest,
                         ::testing::Values(NthPortCase{"FirstIsAcm0", 1, "/dev/ttyACM0"},
                                           NthPortCase{"SecondIsS1", 2, "/dev/ttyS1"},
                                           NthPortCase{"ThirdIsS2", 3, "/dev/ttyS2"},
                                           NthPortCase{"FourthIsS10AfterS2", 4, "/dev/ttyS10"},
                                           NthPortCase{"FifthIsUsb0", 5, "/dev/ttyUSB0"},
                                           NthPortCase{"PastTheLastIsNone", 6, ""},
                                           NthPortCase{"ZeroIsNone", 0, ""}),
                         vornix::test::RowName);

struct SettingsCase {
    const char* text;
    bool valid;
};

void PrintTo(const SettingsCase& c, std::ostream* out) {
    *out << "\"" << c.text << "\"";
}

class LineSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(LineSettingsTest, ParsesTheSettingsText) {
    LineSettings settings;
    settings.baudRate = 1;
    EXPECT_EQ(ParseLineSettings(QLatin1String(GetParam().text), settings), GetParam().valid);
    if (GetParam().valid) {
        EXPECT_EQ(settings, LineSettings{});
    } else {
        EXPECT_EQ(settings.baudRate, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineSettingsTest,
    ::testing::Values(SettingsCase{"9600,N,8,1", true}, SettingsCase{"9600,n,8,1", true},
                      SettingsCase{"9600,X,8,1", false}, SettingsCase{",N,8,1", false},
                      SettingsCase{"9600,N,8", false}, SettingsCase{"9600,N,9,1", false},
                      SettingsCase{"9600,N,8,3", false}),
    vornix::test::RowNameFrom<&SettingsCase::text>);

} // namespace
} // namespace vornix::download
