// "&Load LCD" from the main window over a simulated line: the lamp, the row counter, the File
// menu, the port messages, Escape and the close guard.
#include <functional>
#include <random>

#include <QElapsedTimer>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "app/caption_label.h"
#include "app/download_controller.h"
#include "app/download_status.h"
#include "app/lamp.h"
#include "download/fake_uart.h"
#include "download/pty_support.h"
#include "download/pxl_samples.h"
#include "download/stream/command_stream.h"
#include "download/stream_end.h"
#include "lcd_form_fixture.h"

namespace vornix::test {
namespace {

using app::MessageAnswer;
using app::MessageIcon;

class LCDFormDownloadTest : public LCDFormTest {
protected:
    // Starts the window on a PXL text with a simulated line draining at `baud`.
    void startOn(const QByteArray& pxl, int baud) {
        writeAll(file(QStringLiteral("picture.pxl")), pxl);
        ASSERT_TRUE(start(file(QStringLiteral("picture.pxl"))));
        auto uart = std::make_unique<download::FakeUart>(baud);
        line = uart.get();
        form->downloadController().setLink(std::move(uart));
        lampColours.clear();
        const QMenu* fileMenu = &control<QMenu>(*form, "Menufile");
        QObject::connect(line, &download::FakeUart::bytesLeft, form.get(),
                         [this, fileMenu] { fileMenuDuringDownload = fileMenu->isEnabled(); });
    }

    static QByteArray picture(int width, int height) {
        QByteArray text =
            "@," + QByteArray::number(width) + "," + QByteArray::number(height) + ",8\r\n";
        for (int row = 0; row < height; ++row) {
            for (int k = 0; k < (width + 7) / 8; ++k) {
                text += (k == 0 ? "" : ",") + QByteArray("0A5h");
            }
            text += "\r\n";
        }
        return text;
    }

    // Runs `act` once the first group has left the line, however slowly the machine runs:
    // `watch` looks at the line every few milliseconds of the download's event loop.
    void onceAGroupIsSent(QTimer& watch, std::function<void()> act) {
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, form.get(), [this, &watch, act] {
            if (line->sentBytes().contains("0A5h")) {
                watch.stop();
                act();
            }
        });
        watch.start();
    }

    download::FakeUart* line = nullptr;
    std::vector<QColor> lampColours;
    bool fileMenuDuringDownload = true;
};

TEST_F(LCDFormDownloadTest, CompleteDownloadEndsGreenWithTheLastRowShown) {
    startOn(picture(16, 3), 1'000'000);
    form->MenuFileLoad_Click();
    const QByteArray sent = line->sentBytes();
    EXPECT_TRUE(sent.startsWith("\x03\r/I 6\rD 2 3\rG 0 0 0\rG 2,0A5h,0A5h\r"));
    EXPECT_TRUE(sent.endsWith("G 0 2 0\rG 2,0A5h,0A5h\r"));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "RowCounter").caption(), QStringLiteral("Row 2"));
    EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(0, 255, 0));
    EXPECT_FALSE(fileMenuDuringDownload);
    EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
    EXPECT_FALSE(line->isOpen());
    EXPECT_EQ(state.PortStatus, QStringLiteral("OPEN"));
    EXPECT_EQ(line->settings().baudRate, 9600);
    EXPECT_TRUE(prompts.messages.empty());
}

// The 10 ms tick wakes the process only while a download runs: not in the idle window, also
// not after a download has ended, whether it completed or could not open its port.
TEST_F(LCDFormDownloadTest, TickRunsOnlyDuringADownload) {
    startOn(picture(16, 3), 1'000'000);
    EXPECT_FALSE(form->downloadController().ticking());
    bool tickingWhileSending = false;
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(),
                     [&] { tickingWhileSending = form->downloadController().ticking(); });
    form->MenuFileLoad_Click();
    EXPECT_TRUE(tickingWhileSending);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "RowCounter").caption(), QStringLiteral("Row 2"));
    EXPECT_FALSE(form->downloadController().ticking());

    line->setOpenFails(true);
    form->MenuFileLoad_Click();
    EXPECT_FALSE(form->downloadController().ticking());
}

TEST_F(LCDFormDownloadTest, PortThatCannotBeOpenedIsReportedAndNothingIsSent) {
    startOn(picture(16, 1), 1'000'000);
    control<QListWidget>(*form, "ComList").setCurrentRow(2);
    EXPECT_EQ(state.PortNumber, QStringLiteral("3"));
    line->setOpenFails(true);
    form->MenuFileLoad_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Can Not Open COM 3"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Com Error"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(state.PortStatus, QStringLiteral("CLOSED"));
    EXPECT_TRUE(line->sentBytes().isEmpty());
    EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(255, 255, 255));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "RowCounter").caption(), QString());
}

TEST_F(LCDFormDownloadTest, WorkingFileWithoutMarkerIsRefusedWithAStopBox) {
    startOn("0FFh\r\n", 1'000'000);
    form->MenuFileLoad_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("Loading stopped. File does not have LCD Header information."));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(line->sentBytes().isEmpty());
    EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
    EXPECT_TRUE(line->isOpen()); // the port stays open, as the next download finds it
}

TEST_F(LCDFormDownloadTest, EscapeMidPictureEndsAfterACompleteGroup) {
    startOn(picture(240, 20), 9600);
    QTimer watch;
    onceAGroupIsSent(watch, [this] { state.flags.StopDownload = true; });
    form->MenuFileLoad_Click();
    const QByteArray sent = line->sentBytes();
    EXPECT_TRUE(sent.endsWith("0A5h\r")) << sent.right(40).toStdString();
    EXPECT_LT(sent.size(), picture(240, 20).size());
    EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(0, 255, 0));
    EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
    EXPECT_FALSE(state.flags.StopDownload);
    EXPECT_FALSE(line->isOpen());
}

// A signal to end the program during a download stops the download at a group boundary and
// then removes the working files, without the close guard's question.
TEST_F(LCDFormDownloadTest, TerminationStopsTheDownloadFirst) {
    startOn(picture(240, 20), 9600);
    bool terminated = false;
    QObject::connect(form.get(), &app::LCDForm::terminated, [&] { terminated = true; });
    bool workingFileDuringStop = false;
    QTimer watch;
    onceAGroupIsSent(watch, [&] {
        form->requestTermination();
        workingFileDuringStop = QFile::exists(workingPXL());
    });
    form->MenuFileLoad_Click();
    const QByteArray sent = line->sentBytes();
    EXPECT_TRUE(sent.endsWith("0A5h\r")) << sent.right(40).toStdString();
    EXPECT_LT(sent.size(), picture(240, 20).size());
    EXPECT_TRUE(workingFileDuringStop);
    EXPECT_TRUE(terminated);
    EXPECT_FALSE(line->isOpen());
    EXPECT_FALSE(QFile::exists(workingPXL()));
    EXPECT_FALSE(QFile::exists(workingBMP()));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormDownloadTest, CloseGuardAnsweredCancelLetsTheDownloadFinish) {
    startOn(picture(16, 8), 9600);
    prompts.messageAnswers = {MessageAnswer::Cancel};
    bool closed = true;
    QTimer::singleShot(40, form.get(), [&] { closed = form->close(); });
    form->MenuFileLoad_Click();
    EXPECT_FALSE(closed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("Can Not close Application while \r\nLCD Download is in progress."
                             "\r\nStop LCD Download now?"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Close Error"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(prompts.messages[0].buttons, app::MessageButtons::OkCancel);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "RowCounter").caption(), QStringLiteral("Row 7"));
    EXPECT_TRUE(QFile::exists(workingPXL()));
    // After the download, closing goes through without a question and removes the files.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_FALSE(QFile::exists(workingPXL()));
    EXPECT_FALSE(QFile::exists(workingBMP()));
}

TEST_F(LCDFormDownloadTest, CloseGuardAnsweredOkStopsTheDownload) {
    startOn(picture(16, 40), 9600);
    prompts.messageAnswers = {MessageAnswer::Ok};
    QTimer::singleShot(40, form.get(), [this] { form->close(); });
    form->MenuFileLoad_Click();
    EXPECT_NE(control<app::CaptionLabel>(*form, "RowCounter").caption(), QStringLiteral("Row 39"));
    EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(0, 255, 0));
    EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
    EXPECT_FALSE(line->sentBytes().endsWith("G 0 39 0\rG 2,0A5h,0A5h\r"));
    EXPECT_TRUE(QFile::exists(workingPXL())); // the window stayed: nothing was cleaned up
}

TEST_F(LCDFormDownloadTest, CloseDuringThePauseIsRefusedToo) {
    startOn(picture(16, 2), 1'000'000);
    prompts.messageAnswers = {MessageAnswer::Cancel};
    bool closed = true;
    // The 0x03 and I commands leave at once at this speed; 30 ms later the pause is running.
    QTimer::singleShot(30, form.get(), [&] { closed = form->close(); });
    form->MenuFileLoad_Click();
    EXPECT_FALSE(closed);
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "RowCounter").caption(), QStringLiteral("Row 1"));
}

TEST_F(LCDFormDownloadTest, ControllerHoldingCtsOffIsEndedByEscape) {
    startOn(picture(240, 4), 9600);
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(), [this](const QByteArray& b) {
        if (b.contains('D')) {
            line->setCts(false); // the controller never becomes ready again
        }
    });
    QTimer::singleShot(500, form.get(), [this] { state.flags.StopDownload = true; });
    form->MenuFileLoad_Click();
    EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(0, 255, 0));
    EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
    EXPECT_FALSE(line->isOpen());
    EXPECT_FALSE(state.flags.Transmitting);
}

TEST_F(LCDFormDownloadTest, ProgressReachesTheEndAndANeverReadyControllerIsShown) {
    startOn(picture(240, 2), 1'000'000);
    const auto& status = control<app::DownloadStatus>(*form, "Progress");
    EXPECT_FALSE(status.barShown()); // no empty frame while idle
    EXPECT_EQ(status.text(), QString());
    bool barShownDuring = false;
    QString textDuring;
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(), [&] {
        barShownDuring = status.barShown();
        textDuring = status.text();
    });
    form->MenuFileLoad_Click();
    EXPECT_TRUE(barShownDuring);
    EXPECT_TRUE(textDuring.endsWith(QStringLiteral(" left"))) << textDuring.toStdString();
    EXPECT_EQ(status.percent(), 100);
    EXPECT_EQ(status.text(), QStringLiteral("Download complete"));
    EXPECT_FALSE(status.barShown());

    QString noteWhileStalled;
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(), [this](const QByteArray& b) {
        if (b.contains('D')) {
            line->setCts(false);
        }
    });
    QTimer::singleShot(2600, form.get(), [&] {
        noteWhileStalled = status.noteText();
        state.flags.StopDownload = true;
    });
    form->MenuFileLoad_Click();
    EXPECT_EQ(noteWhileStalled, QStringLiteral("Controller not ready \u2014 waiting"));
    EXPECT_EQ(status.noteText(), QString());
    EXPECT_EQ(status.text(), QStringLiteral("Stopped"));
    EXPECT_FALSE(status.barShown());
}

// A port that goes away mid-picture: the status bar says the download failed, with no bar,
// no time left and no stall note beside the lamp.
TEST_F(LCDFormDownloadTest, StatusBarSaysWhenTheDownloadFailed) {
    startOn(picture(240, 8), 9600);
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(), [this](const QByteArray& b) {
        if (b.contains("G 0 2 0")) {
            line->simulateDeviceGone();
        }
    });
    form->MenuFileLoad_Click();
    EXPECT_FALSE(line->isOpen());
    EXPECT_EQ(control<app::DownloadStatus>(*form, "Progress").text(),
              QStringLiteral("Download failed"));
    EXPECT_FALSE(control<app::DownloadStatus>(*form, "Progress").barShown());
    EXPECT_EQ(control<app::DownloadStatus>(*form, "Progress").noteText(), QString());
    EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
}

// The window on a pseudo-terminal with the real serial port: the working file is `pxl`, and
// port 1 is the pseudo-terminal while the download runs.
class LCDFormPtyTest : public LCDFormTest {
protected:
    void startOn(const std::string& pxl) {
        writeAll(file(QStringLiteral("picture.pxl")), QByteArray::fromStdString(pxl));
        ASSERT_TRUE(start(file(QStringLiteral("picture.pxl"))));
        ASSERT_TRUE(pty.ok());
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    void load() {
        qputenv("VORNIX_COM1", pty.slavePath().toLocal8Bit());
        form->MenuFileLoad_Click();
        qunsetenv("VORNIX_COM1");
    }

    void pressEscape() { QTest::keyClick(&control<QListWidget>(*form, "ComList"), Qt::Key_Escape); }

    // What every stopped or finished download leaves in the window.
    void expectEnded() {
        EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(0, 255, 0));
        EXPECT_TRUE(control<QMenu>(*form, "Menufile").isEnabled());
        EXPECT_FALSE(form->downloadController().link().isOpen());
        EXPECT_FALSE(state.flags.Transmitting);
        EXPECT_FALSE(state.flags.StopDownload);
        EXPECT_FALSE(control<app::DownloadStatus>(*form, "Progress").barShown());
        EXPECT_EQ(control<app::DownloadStatus>(*form, "Progress").noteText(), QString());
    }

    download::testing::Pty pty;
};

struct PacedStopCase {
    int bytesPerSecond;
    unsigned seed;
};

void PrintTo(const PacedStopCase& c, std::ostream* out) {
    *out << c.bytesPerSecond << " B/s, seed " << c.seed;
}

class PacedStopTest : public LCDFormPtyTest, public ::testing::WithParamInterface<PacedStopCase> {};

// 240 x 112 is about 21.8 KB of commands, a little more than a pseudo-terminal takes before it
// holds the writer back (16 to 21 KB), so the download ends at the reader's pace.
constexpr int kPacedHeight = 112;

// A controller that reads in bursts like a UART, and a stop (Escape, or OK in the close guard)
// at a random moment: what it received is whole commands up to a group boundary, nothing was
// lost on the way, and the caption names the last row whose groups all arrived.
TEST_P(PacedStopTest, StopEndsAtAGroupBoundaryAndTheCaptionSaysWhere) {
    const std::string pxl = download::testing::PatternPxl(240, kPacedHeight);
    startOn(pxl);
    std::mt19937 random(GetParam().seed);
    const int latestMs = GetParam().bytesPerSecond < 1000 ? 2500 : 1000;
    const int stopAfterMs = std::uniform_int_distribution<int>(0, latestMs)(random);
    const bool byCloseGuard = random() % 2 == 1;
    prompts.messageAnswers = {MessageAnswer::Ok};
    bool loading = true;
    QTimer::singleShot(stopAfterMs, form.get(), [&] {
        if (!loading) {
            return;
        }
        if (byCloseGuard && form->downloadController().running()) {
            form->close();
        } else {
            pressEscape();
        }
    });
    pty.startPacedReading(GetParam().bytesPerSecond, 16);
    load();
    loading = false;
    pty.stopPacedReading();

    const QByteArray full = QByteArray::fromStdString(download::StreamBytes(pxl).bytes);
    const QByteArray received = pty.received();
    const auto end = download::testing::ExamineStreamEnd(full, received);
    EXPECT_TRUE(end.prefix) << received.right(60).toStdString();
    EXPECT_TRUE(end.atStopPoint) << received.right(60).toStdString();
    EXPECT_EQ(control<app::CaptionLabel>(*form, "RowCounter").caption(),
              download::testing::RowCaptionFor(end.lastWholeRow));
    EXPECT_EQ(control<app::DownloadStatus>(*form, "Progress").text(),
              received == full ? QStringLiteral("Download complete") : QStringLiteral("Stopped"));
    expectEnded();
}

std::vector<PacedStopCase> pacedStopCases() {
    std::vector<PacedStopCase> cases;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        cases.push_back({960, seed});
    }
    for (unsigned seed = 1; seed <= 12; ++seed) {
        cases.push_back({3000, seed});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Moments, PacedStopTest, ::testing::ValuesIn(pacedStopCases()),
                         [](const auto& info) {
                             return "At" + std::to_string(info.param.bytesPerSecond) + "Seed" +
                                    std::to_string(info.param.seed);
                         });

// Nobody reads the other end: the pseudo-terminal fills up and the line stands still. Escape
// still ends the download within the stall time, and the port is closed.
TEST_F(LCDFormPtyTest, StopWithAControllerThatNeverReads) {
    startOn(download::testing::PatternPxl(240, 128));
    pty.pauseReading();
    QElapsedTimer sinceKey;
    QTimer::singleShot(400, form.get(), [&] {
        sinceKey.start();
        pressEscape();
    });
    load();
    ASSERT_TRUE(sinceKey.isValid());
    EXPECT_LT(sinceKey.elapsed(), 2500); // hang guard: the stall time is 2 s
    EXPECT_EQ(control<app::DownloadStatus>(*form, "Progress").text(), QStringLiteral("Stopped"));
    EXPECT_NE(control<app::CaptionLabel>(*form, "RowCounter").caption(), QStringLiteral("Row 127"));
    expectEnded();
}

TEST(DownloadStatusTest, TimeLeftIsTheLineTimeOfTheBytesStillToSend) {
    struct Row {
        qint64 bytes;
        int baud;
        const char* text;
    };
    const Row rows[] = {{24902, 9600, "0:26 left"}, {960, 9600, "0:01 left"},
                        {961, 9600, "0:02 left"},   {0, 9600, "0:00 left"},
                        {57600, 9600, "1:00 left"}, {100, 0, ""}};
    for (const auto& row : rows) {
        EXPECT_EQ(app::DownloadStatus::TimeLeft(row.bytes, row.baud), QString::fromUtf8(row.text))
            << row.bytes;
    }
}

} // namespace
} // namespace vornix::test
