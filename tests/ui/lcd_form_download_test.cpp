// "&Load LCD" from the main window over a simulated line: the lamp, the row counter, the File
// menu, the port messages, Escape and the close guard.
#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include "app/caption_label.h"
#include "app/download_controller.h"
#include "app/download_status.h"
#include "app/lamp.h"
#include "download/fake_uart.h"
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
        QObject::connect(line, &download::FakeUart::bytesLeft, form.get(),
                         [this] { fileMenuDuringDownload = form->Menufile->isEnabled(); });
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
    EXPECT_EQ(form->RowCounter->caption(), QStringLiteral("Row 2"));
    EXPECT_EQ(form->LoadLight->fillColor(), QColor(0, 255, 0));
    EXPECT_FALSE(fileMenuDuringDownload);
    EXPECT_TRUE(form->Menufile->isEnabled());
    EXPECT_FALSE(line->isOpen());
    EXPECT_EQ(state.PortStatus, QStringLiteral("OPEN"));
    EXPECT_EQ(line->settings().baudRate, 9600);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormDownloadTest, PortThatCannotBeOpenedIsReportedAndNothingIsSent) {
    startOn(picture(16, 1), 1'000'000);
    form->ComList->setCurrentRow(2);
    EXPECT_EQ(state.PortNumber, QStringLiteral("3"));
    line->setOpenFails(true);
    form->MenuFileLoad_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Can Not Open COM 3"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Com Error"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(state.PortStatus, QStringLiteral("CLOSED"));
    EXPECT_TRUE(line->sentBytes().isEmpty());
    EXPECT_EQ(form->LoadLight->fillColor(), QColor(255, 255, 255));
    EXPECT_EQ(form->RowCounter->caption(), QString());
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
    EXPECT_TRUE(form->Menufile->isEnabled());
    EXPECT_TRUE(line->isOpen()); // the port stays open, as the next download finds it
}

TEST_F(LCDFormDownloadTest, EscapeMidPictureEndsAfterACompleteGroup) {
    startOn(picture(240, 20), 9600);
    QTimer::singleShot(300, form.get(), [this] { state.flags.StopDownload = true; });
    form->MenuFileLoad_Click();
    const QByteArray sent = line->sentBytes();
    EXPECT_TRUE(sent.endsWith("0A5h\r")) << sent.right(40).toStdString();
    EXPECT_LT(sent.size(), picture(240, 20).size());
    EXPECT_EQ(form->LoadLight->fillColor(), QColor(0, 255, 0));
    EXPECT_TRUE(form->Menufile->isEnabled());
    EXPECT_FALSE(state.flags.StopDownload);
    EXPECT_FALSE(line->isOpen());
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
    EXPECT_EQ(form->RowCounter->caption(), QStringLiteral("Row 7"));
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
    EXPECT_NE(form->RowCounter->caption(), QStringLiteral("Row 39"));
    EXPECT_EQ(form->LoadLight->fillColor(), QColor(0, 255, 0));
    EXPECT_TRUE(form->Menufile->isEnabled());
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
    EXPECT_EQ(form->RowCounter->caption(), QStringLiteral("Row 1"));
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
    EXPECT_EQ(form->LoadLight->fillColor(), QColor(0, 255, 0));
    EXPECT_TRUE(form->Menufile->isEnabled());
    EXPECT_FALSE(line->isOpen());
    EXPECT_FALSE(state.flags.Transmitting);
}

TEST_F(LCDFormDownloadTest, ProgressReachesTheEndAndANeverReadyControllerIsShown) {
    startOn(picture(240, 2), 1'000'000);
    EXPECT_FALSE(form->Progress->barShown()); // no empty frame while idle
    EXPECT_EQ(form->Progress->text(), QString());
    bool barShownDuring = false;
    QString textDuring;
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(), [&] {
        barShownDuring = form->Progress->barShown();
        textDuring = form->Progress->text();
    });
    form->MenuFileLoad_Click();
    EXPECT_TRUE(barShownDuring);
    EXPECT_TRUE(textDuring.endsWith(QStringLiteral(" left"))) << textDuring.toStdString();
    EXPECT_EQ(form->Progress->percent(), 100);
    EXPECT_EQ(form->Progress->text(), QStringLiteral("Download complete"));
    EXPECT_FALSE(form->Progress->barShown());

    QString noteWhileStalled;
    QObject::connect(line, &download::FakeUart::bytesLeft, form.get(), [this](const QByteArray& b) {
        if (b.contains('D')) {
            line->setCts(false);
        }
    });
    QTimer::singleShot(2600, form.get(), [&] {
        noteWhileStalled = form->Progress->noteText();
        state.flags.StopDownload = true;
    });
    form->MenuFileLoad_Click();
    EXPECT_EQ(noteWhileStalled, QStringLiteral("Controller not ready \u2014 waiting"));
    EXPECT_EQ(form->Progress->noteText(), QString());
    EXPECT_EQ(form->Progress->text(), QStringLiteral("Stopped"));
    EXPECT_FALSE(form->Progress->barShown());
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
    EXPECT_EQ(form->Progress->text(), QStringLiteral("Download failed"));
    EXPECT_FALSE(form->Progress->barShown());
    EXPECT_EQ(form->Progress->noteText(), QString());
    EXPECT_TRUE(form->Menufile->isEnabled());
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
