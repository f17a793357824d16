// The whole download against the simulated line: what reaches the controller and what the
// window shows, for complete downloads, stops, stalls and failures.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "download/fake_uart.h"
#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/pacer.h"
#include "download/pxl_text_file.h"
#include "download/stream/command_stream.h"
#include "pxl_samples.h"
#include "recording_view.h"
#include "support/described_enum.h"
#include "support/row_name.h"

namespace vornix::download {
namespace {

using testing::PatternPxl;
using testing::RecordingView;

// Fast enough that a 240 x 64 picture takes a fraction of a second.
constexpr int kFastBaud = 1'000'000;

QByteArray streamOf(const std::string& pxl) {
    return QByteArray::fromStdString(StreamBytes(pxl).bytes);
}

// The stream up to and including the data command that follows `position` (a position
// command with its CR).
QByteArray streamThroughGroup(const std::string& pxl, const QByteArray& position) {
    const QByteArray full = streamOf(pxl);
    const qsizetype at = full.indexOf(position);
    EXPECT_GE(at, 0) << position.constData();
    const qsizetype dataEnd = full.indexOf('\r', at + position.size());
    return full.left(dataEnd + 1);
}

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() : line(kFastBaud), pacer(flags, line), download(flags, line, pacer, view) {}

    DownloadOutcome run(const std::string& pxl) {
        EXPECT_NE(OpenControllerPort(line, QStringLiteral("1"), QStringLiteral("9600")),
                  OpenComResult::Failed);
        return download.LoadLCDText(QStringLiteral("OPEN"), pxl);
    }

    // Calls `action` once, as soon as `bytes` have all left the line.
    void whenSent(const QByteArray& bytes, std::function<void()> action) {
        QObject::connect(&line, &FakeUart::bytesLeft, &line,
                         [this, bytes, action, done = false](const QByteArray&) mutable {
                             if (!done && line.sentBytes().contains(bytes)) {
                                 done = true;
                                 action();
                             }
                         });
    }

    // What every finished or stopped download leaves: port closed, lamp green, File menu back,
    // no stop request pending, nothing transmitting.
    void expectFinished(const QString& caption) {
        EXPECT_FALSE(line.isOpen());
        EXPECT_EQ(view.lamp, LampColor::Green);
        EXPECT_TRUE(view.fileMenuEnabled);
        EXPECT_EQ(view.rowCounter, caption);
        EXPECT_FALSE(flags.StopDownload);
        EXPECT_FALSE(flags.Transmitting);
    }

    DownloadFlags flags;
    FakeUart line;
    Pacer pacer;
    RecordingView view;
    LcdDownload download;
};

TEST_F(DownloadTest, CompleteDownloadSendsTheStream) {
    qputenv("VORNIX_COM1", "/dev/fake-lcd");
    const std::string pxl = PatternPxl(240, 64);
    EXPECT_EQ(run(pxl), DownloadOutcome::Completed);
    qunsetenv("VORNIX_COM1");

    EXPECT_EQ(line.sentBytes(), streamOf(pxl));
    EXPECT_EQ(line.device(), QStringLiteral("/dev/fake-lcd"));
    EXPECT_EQ(line.settings(), LineSettings{});
    EXPECT_EQ(line.closeCount(), 1);
    EXPECT_EQ(view.withoutRows(), QStringList({"menu off", "row ", "lamp red", "lamp yellow",
                                               "lamp green", "menu on"}));
    EXPECT_EQ(view.events.count(QStringLiteral("row Row 0")), 1);
    EXPECT_EQ(view.bytesSent, streamOf(pxl).size());
    EXPECT_EQ(view.bytesTotal, view.bytesSent);
    EXPECT_EQ(download.lastHeader(), (image::PxlHeader{240, 64, 8}));
    EXPECT_EQ(view.end, DownloadEnd::Done);
    EXPECT_FALSE(download.discardedOnStop());
    expectFinished(QStringLiteral("Row 63"));
}

// The port is opened again, and an Escape pressed between downloads does not stop the next.
TEST_F(DownloadTest, SecondDownloadStartsAfresh) {
    EXPECT_EQ(run(PatternPxl(16, 2)), DownloadOutcome::Completed);
    view.events.clear();
    flags.StopDownload = true;
    EXPECT_EQ(run(PatternPxl(8, 1)), DownloadOutcome::Completed);
    EXPECT_EQ(line.openCount(), 2);
    EXPECT_EQ(view.events, QStringList({"menu off", "row ", "lamp red", "lamp yellow", "row Row 0",
                                        "lamp green", "menu on"}));
    expectFinished(QStringLiteral("Row 0"));
}

TEST_F(DownloadTest, ClosedPortStatusDoesNothing) {
    flags.StopDownload = true;
    EXPECT_EQ(download.LoadLCDText(QStringLiteral("CLOSED"), PatternPxl(16, 2)),
              DownloadOutcome::PortClosed);
    EXPECT_TRUE(view.events.isEmpty());
    EXPECT_TRUE(flags.StopDownload);
    EXPECT_EQ(line.openCount(), 0);
}

TEST_F(DownloadTest, MissingHeaderShowsTheMessageAndLeavesThePortOpen) {
    EXPECT_EQ(run("240,128,8\r\n0FFh\r\n"), DownloadOutcome::HeaderMissing);
    EXPECT_EQ(view.events, QStringList({"header missing"}));
    EXPECT_TRUE(line.isOpen());
    EXPECT_EQ(line.sentBytes(), QByteArray());
    EXPECT_STREQ(kHeaderMissingMessage,
                 "Loading stopped. File does not have LCD Header information.");
}

// A header that ends early or holds a number out of range, and a missing working file: no
// message, nothing sent, the port left open, only the File menu enabled.
TEST_F(DownloadTest, UnusableFileEndsSilently) {
    for (const std::string pxl : {"@,240\r\n", "@,240,99999,8\r\n"}) {
        view.events.clear();
        EXPECT_EQ(run(pxl), DownloadOutcome::Failed) << pxl;
        EXPECT_EQ(view.events, QStringList({"menu on"})) << pxl;
    }
    EXPECT_EQ(view.end, std::nullopt); // nothing was under way
    QTemporaryDir dir;
    view.events.clear();
    EXPECT_EQ(download.LoadLCD(QStringLiteral("OPEN"), dir.filePath(QStringLiteral("none.pxl"))),
              DownloadOutcome::Failed);
    EXPECT_EQ(view.events, QStringList({"menu on"}));
    EXPECT_TRUE(line.isOpen());
    EXPECT_EQ(line.sentBytes(), QByteArray());
}

TEST_F(DownloadTest, ReadsTheWorkingFile) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("~LCDpxl.tmp")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n");
    file.close();
    OpenControllerPort(line, QStringLiteral("1"), QStringLiteral("9600"));
    EXPECT_EQ(download.LoadLCD(QStringLiteral("OPEN"), file.fileName()),
              DownloadOutcome::Completed);
    EXPECT_EQ(line.sentBytes(), QByteArray("\x03\r/I 6\rD 1 2\r"
                                           "G 0 0 0\rG 2,0FFh,0FFh\r"
                                           "G 0 1 0\rG 2,080h,03Fh\r"));
}

struct EndCase {
    const char* name;
    std::string pxl;
    QByteArray sent;
    QString caption;
};

void PrintTo(const EndCase& c, std::ostream* out) {
    *out << c.name;
}

class EndOfPictureTest : public DownloadTest, public ::testing::WithParamInterface<EndCase> {};

// Pictures that end early or have nothing to send still finish as a complete download.
TEST_P(EndOfPictureTest, FinishesNormally) {
    EXPECT_EQ(run(GetParam().pxl), DownloadOutcome::Completed);
    EXPECT_EQ(line.sentBytes(), GetParam().sent);
    expectFinished(GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, EndOfPictureTest,
    ::testing::Values(
        EndCase{"NoRows", "@,240,0,8\r\n", "\x03\r/I 6\rD 30 0\r", ""},
        EndCase{"NoPixelsPerValue", "@,16,3,0\r\n0FFh,0FFh\r\n", "\x03\rI 6\rD 2 3\r", "Row 2"},
        EndCase{"ShortFile", "@,16,3,8\r\n001h,002h\r\n003h,004h\r\n005h\r\n",
                "\x03\r/I 6\rD 2 3\rG 0 0 0\rG 2,001h,002h\rG 0 1 0\rG 2,003h,004h\r", "Row 1"}),
    vornix::test::RowName);

TEST_F(DownloadTest, StopDuringThePauseSkipsTheDCommand) {
    bool waitingInPause = false;
    QObject::connect(&pacer.Timer1(), &QTimer::timeout, &line, [&] {
        if (pacer.isPausing() && !flags.StopDownload) {
            waitingInPause = download.isWaiting();
            flags.StopDownload = true;
        }
    });
    EXPECT_EQ(run(PatternPxl(240, 64)), DownloadOutcome::Stopped);
    EXPECT_TRUE(waitingInPause);
    EXPECT_EQ(line.sentBytes(), QByteArray("\x03\r/I 6\r"));
    EXPECT_EQ(view.events, QStringList({"menu off", "row ", "lamp red", "lamp green", "menu on"}));
    expectFinished(QString());
}

struct MidPictureCase {
    const char* name;
    QByteArray stopWhenSent; // the position command during whose group Escape is pressed
    QString caption;         // the last row all of whose groups went out
};

void PrintTo(const MidPictureCase& c, std::ostream* out) {
    *out << c.name;
}

class StopMidPictureTest : public DownloadTest,
                           public ::testing::WithParamInterface<MidPictureCase> {};

// The group in progress is sent whole, both commands; no further group follows.
TEST_P(StopMidPictureTest, EndsAfterTheGroupInProgress) {
    const std::string pxl = PatternPxl(240, 64);
    whenSent(GetParam().stopWhenSent, [this] { flags.StopDownload = true; });
    EXPECT_EQ(run(pxl), DownloadOutcome::Stopped);
    EXPECT_EQ(line.sentBytes(), streamThroughGroup(pxl, GetParam().stopWhenSent));
    EXPECT_EQ(view.end, DownloadEnd::Stopped);
    EXPECT_EQ(line.discardCount(), 0);
    expectFinished(GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Groups, StopMidPictureTest,
                         ::testing::Values(MidPictureCase{"MiddleOfRow5", "G 0 5 10\r", "Row 4"},
                                           MidPictureCase{"LastOfRow5", "G 0 5 20\r", "Row 5"},
                                           MidPictureCase{"FirstGroup", "G 0 0 0\r", ""}),
                         vornix::test::RowName);

// The controller drops CTS for good in the middle of a data command: a stop request ends the
// download as a stop does, instead of holding it (and the window) forever.
TEST_F(DownloadTest, StopEndsADownloadStalledByCts) {
    const std::string pxl = PatternPxl(240, 64);
    bool waitingWhenStopped = false;
    whenSent("G 0 2 0\rG 10,00E", [&] {
        line.setCts(false);
        QTimer::singleShot(50, &line, [&] {
            waitingWhenStopped = download.isWaiting();
            flags.StopDownload = true;
        });
    });
    EXPECT_EQ(run(pxl), DownloadOutcome::Stopped);
    EXPECT_TRUE(waitingWhenStopped);
    // The line stopped inside the data command of row 2, column 0.
    const QByteArray sent = line.sentBytes();
    EXPECT_TRUE(streamOf(pxl).startsWith(sent));
    EXPECT_TRUE(sent.contains("G 0 2 0\rG 10,00E"));
    EXPECT_FALSE(sent.contains("G 0 2 10\r"));
    EXPECT_EQ(line.discardCount(), 1);
    EXPECT_EQ(line.closeCount(), 1);
    EXPECT_TRUE(download.discardedOnStop());
    EXPECT_EQ(view.end, DownloadEnd::Stopped);
    expectFinished(QStringLiteral("Row 1"));
}

// CTS held off for a while and then given back is ordinary pacing: nothing is lost, and a
// stop pressed meanwhile waits for the group in flight, however long the hold.
TEST_F(DownloadTest, CtsHeldOffForAWhileLosesNothing) {
    const std::string pxl = PatternPxl(128, 8);
    whenSent("G 0 3 0\r", [&] {
        line.setCts(false);
        QTimer::singleShot(150, &line, [&] { line.setCts(true); });
    });
    EXPECT_EQ(run(pxl), DownloadOutcome::Completed);
    EXPECT_EQ(line.sentBytes(), streamOf(pxl));

    line.clearSent();
    whenSent("G 0 3 0\r", [&] {
        line.setCts(false);
        QTimer::singleShot(50, &line, [&] { flags.StopDownload = true; });
        QTimer::singleShot(1200, &line, [&] { line.setCts(true); });
    });
    EXPECT_EQ(run(pxl), DownloadOutcome::Stopped);
    EXPECT_EQ(line.sentBytes(), streamThroughGroup(pxl, "G 0 3 0\r"));
    EXPECT_EQ(line.discardCount(), 0);
    EXPECT_FALSE(download.discardedOnStop());
    expectFinished(QStringLiteral("Row 2"));
}

// The pacer's word that the line is held up reaches the view while the download lives, and
// no longer once it is gone (the pacer may outlive it).
TEST_F(DownloadTest, ViewHearsOfAHeldLineWhileTheDownloadLives) {
    emit pacer.stallChanged(true);
    emit pacer.stallChanged(false);
    EXPECT_EQ(view.stallNotes, (std::vector<bool>{true, false}));

    Pacer longerLived(flags, line);
    RecordingView earlierView;
    { const LcdDownload ended(flags, line, longerLived, earlierView); }
    emit longerLived.stallChanged(true);
    EXPECT_TRUE(earlierView.stallNotes.empty());
}

// A failure, not a stop: the lamp keeps its colour, but the vanished port is closed, once.
TEST_F(DownloadTest, VanishedDeviceEndsTheDownloadAndClosesThePortOnce) {
    whenSent("G 0 2 0\r", [&] { line.simulateDeviceGone(); });
    EXPECT_EQ(run(PatternPxl(240, 64)), DownloadOutcome::Failed);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.closeCount(), 1);
    EXPECT_GE(line.resourceErrorCount(), 1);
    EXPECT_EQ(view.lamp, LampColor::Yellow);
    EXPECT_EQ(view.events.last(), QStringLiteral("menu on"));
    EXPECT_EQ(view.end, DownloadEnd::Failed);
    EXPECT_FALSE(flags.Transmitting);
}

TEST(OpenCom, KeepsAnOpenPortAndReportsFailures) {
    FakeUart line;
    const QString baud = QStringLiteral("9600");
    EXPECT_EQ(OpenComDevice(line, QStringLiteral("/dev/a"), baud), OpenComResult::Opened);
    EXPECT_EQ(OpenComDevice(line, QStringLiteral("/dev/b"), baud), OpenComResult::AlreadyOpen);
    EXPECT_EQ(line.device(), QStringLiteral("/dev/a"));
    line.close();
    line.setOpenFails(true);
    EXPECT_EQ(OpenComDevice(line, QStringLiteral("/dev/b"), baud), OpenComResult::Failed);
    EXPECT_EQ(CanNotOpenComText(QStringLiteral("3")), QStringLiteral("Can Not Open COM 3"));
    EXPECT_EQ(SettingsText(baud), QStringLiteral("9600,N,8,1"));
}

class DownloadDescribeTest : public ::testing::TestWithParam<test::DescribedEnum> {};

TEST_P(DownloadDescribeTest, EveryValueHasWordsOfItsOwn) {
    test::ExpectOwnWords(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DownloadDescribeTest,
    ::testing::Values(
        test::Described("WriteResult",
                        {WriteResult::Sent, WriteResult::Failed, WriteResult::Abandoned}),
        test::Described("LinkError", {LinkError::Resource, LinkError::Other}),
        test::Described("OpenComResult",
                        {OpenComResult::Opened, OpenComResult::AlreadyOpen, OpenComResult::Failed}),
        test::Described("PxlFileError",
                        {PxlFileError::None, PxlFileError::CannotOpen, PxlFileError::TooLarge}),
        test::Described("DownloadOutcome",
                        {DownloadOutcome::PortClosed, DownloadOutcome::AlreadyRunning,
                         DownloadOutcome::HeaderMissing, DownloadOutcome::Failed,
                         DownloadOutcome::Completed, DownloadOutcome::Stopped}),
        test::Described("DownloadEnd",
                        {DownloadEnd::Done, DownloadEnd::Stopped, DownloadEnd::Failed})),
    test::RowName);

} // namespace
} // namespace vornix::download
