// The main window's layout, menus, keys, mask and information box.
#include <cmath>

#include <QApplication>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "app/caption_label.h"
#include "app/lamp.h"
#include "app/picture_box.h"
#include "app/qt_prompts.h"
#include "app/separator_lines.h"
#include "lcd_form_fixture.h"
#include "support/row_name.h"

namespace vornix::test {
namespace {

using app::MessageIcon;

TEST_F(LCDFormTest, ControlsStandWhereTheLayoutPutsThem) {
    ASSERT_TRUE(start(QString()));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    struct Place {
        const char* name;
        QRect geometry;
    };
    const Place places[] = {
        {"FileEntry", {8, 9, 251, 21}},    {"Label2", {8, 40, 33, 17}},
        {"ComList", {40, 40, 33, 17}},     {"Shape1", {95, 39, 20, 20}},
        {"LoadLight", {96, 40, 17, 17}},   {"RowCounter", {128, 40, 57, 17}},
        {"Log", {264, 40, 201, 61}},       {"BMPImage", {8, 64, 244, 132}},
        {"BMPHolder", {8, 136, 240, 128}}, {"Mask", {2, 2, 240, 128}},
    };
    for (const auto& place : places) {
        EXPECT_EQ(control<QWidget>(*form, place.name).geometry(), place.geometry) << place.name;
    }
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").contentsRect().size(), QSize(240, 128));
    EXPECT_EQ(form->centralWidget()->size(), QSize(261, 207));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vornix"));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "Label2").caption(), QStringLiteral("COM"));
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").toolTip(),
              QStringLiteral("BMP - Bitmap Image"));
    EXPECT_EQ(control<app::Lamp>(*form, "LoadLight").fillColor(), QColor(255, 255, 255));
    EXPECT_FALSE(control<app::PictureBox>(*form, "BMPImage").mask()->isVisible());
    EXPECT_TRUE(control<app::CaptionLabel>(*form, "BMPHolder").isHidden());
    EXPECT_FALSE(form->windowIcon().isNull());
}

TEST_F(LCDFormTest, MenusCarryTheirCaptionsAndShortcuts) {
    ASSERT_TRUE(start(QString()));
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
    };
    const Item items[] = {
        {"MenuNew", "&New", "Ctrl+N"},
        {"MenuOpenBMP", "&Open BMP Image...", "Ctrl+O"},
        {"MenuOpenPxl", "Open &PXL Image...", "Ctrl+P"},
        {"MenuSaveBMP", "Save as &BMP...", "Ctrl+B"},
        {"MenuSavePXL", "&Save as PXL...", "Ctrl+S"},
        {"MenuFileLoad", "&Load LCD", "Ctrl+L"},
        {"MenuFileExit", "E&xit", "Ctrl+X"},
        {"MenuMaskOn", "Use &Mask", "Ctrl+M"},
        {"MenuMaskSize", "&Size...", ""},
        {"MenuImgInfo", "&Image Info", "Ctrl+I"},
        {"MenuImgMagnifier", "&Zoom", "Ctrl+Z"},
        {"MenuCanvasSize", "Canvas &Size...", ""},
        {"MenuEditUndo", "&Undo", "Alt+Backspace"},
        {"MenuEditRedo", "&Redo", "Ctrl+Y"},
        {"MenuEditCopy", "&Copy", "Ctrl+C"},
        {"MenuEditPaste", "&Paste", "Ctrl+V"},
        {"MenuEditPasteNew", "Paste as &New Picture", "Ctrl+Shift+V"},
        {"MenuHelpfile", "Help File", ""},
        {"MenuHelpPaint", "Run MSPaint", ""},
        {"MenuHelpAbout", "About", ""},
    };
    for (const auto& item : items) {
        const auto& action = control<QAction>(*form, item.name);
        EXPECT_EQ(action.text(), QString::fromLatin1(item.caption));
        EXPECT_EQ(action.shortcut().toString(), QString::fromLatin1(item.shortcut)) << item.caption;
    }
    EXPECT_EQ(control<QMenu>(*form, "Menufile").title(), QStringLiteral("&File"));
    EXPECT_EQ(control<QMenu>(*form, "MenuEdit").title(), QStringLiteral("&Edit"));
    EXPECT_EQ(control<QMenu>(*form, "MenuMask").title(), QStringLiteral("&Mask"));
    // Redo answers both of the keys editors use for it.
    EXPECT_EQ(control<QAction>(*form, "MenuEditRedo").shortcuts().value(1).toString(),
              QStringLiteral("Ctrl+Shift+Z"));
    EXPECT_EQ(control<QMenu>(*form, "MenuImage").title(), QStringLiteral("&Image"));
    EXPECT_EQ(control<QMenu>(*form, "MenuHelp").title(), QStringLiteral("&Help"));
    // "New" heads the File menu; "Import Picture..." joins the open commands, before the
    // first separator.
    const auto fileActions = control<QMenu>(*form, "Menufile").actions();
    auto& importPicture = control<QAction>(*form, "MenuImportPicture");
    ASSERT_EQ(fileActions.size(), 12);
    EXPECT_EQ(fileActions[0], &control<QAction>(*form, "MenuNew"));
    EXPECT_EQ(fileActions[3], &importPicture);
    EXPECT_EQ(importPicture.text(), QStringLiteral("Import Picture..."));
    EXPECT_EQ(importPicture.shortcut().toString(), QStringLiteral("Ctrl+G"));
    // "Open..." (any form of the table of formats) ends the open commands.
    EXPECT_EQ(fileActions[4], &control<QAction>(*form, "MenuOpen"));
    EXPECT_EQ(fileActions[4]->text(), QStringLiteral("Open..."));
    EXPECT_TRUE(fileActions[5]->isSeparator());
    // "Export..." joins the save commands.
    EXPECT_EQ(fileActions[8], &control<QAction>(*form, "MenuExport"));
    EXPECT_EQ(fileActions[8]->text(), QStringLiteral("Export..."));
    EXPECT_TRUE(fileActions[9]->isSeparator());
}

TEST_F(LCDFormTest, SeparatorLinesFollowTheWindowWidth) {
    ASSERT_TRUE(start(QString()));
    form->show();
    for (const int width : {600, 200, 300}) {
        form->resize(width, form->height());
        QCoreApplication::processEvents();
        const int clientTwips = form->centralWidget()->width() * 15;
        const auto& lines = control<app::SeparatorLines>(*form, "Lines");
        EXPECT_EQ(lines.line1X2(), clientTwips);
        EXPECT_EQ(lines.line2X2(), clientTwips);
        EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").geometry(), QRect(8, 64, 244, 132));
    }
}

TEST_F(LCDFormTest, EscapeRequestsAStopWhicheverControlHasTheFocus) {
    ASSERT_TRUE(start(QString()));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto& ports = control<QListWidget>(*form, "ComList");
    ports.setFocus();
    QTest::keyClick(&ports, Qt::Key_A);
    EXPECT_FALSE(state.flags.StopDownload);
    QTest::keyClick(&ports, Qt::Key_Escape);
    EXPECT_TRUE(state.flags.StopDownload);
}

TEST_F(LCDFormTest, UseMaskTogglesTheOutlineAndTheCheckMarkTogether) {
    ASSERT_TRUE(start(QString()));
    form->show();
    auto& useMask = control<QAction>(*form, "MenuMaskOn");
    const QWidget* mask = control<app::PictureBox>(*form, "BMPImage").mask();
    useMask.trigger();
    EXPECT_TRUE(useMask.isChecked());
    EXPECT_TRUE(mask->isVisible());
    useMask.trigger();
    EXPECT_FALSE(useMask.isChecked());
    EXPECT_FALSE(mask->isVisible());
}

struct MaskAnswers {
    const char* name;
    std::optional<QString> width;
    std::optional<QString> height;
    QSize expected;
};

void PrintTo(const MaskAnswers& row, std::ostream* out) {
    *out << row.name;
}

class MaskSizeTest : public LCDFormTest, public ::testing::WithParamInterface<MaskAnswers> {};

TEST_P(MaskSizeTest, AcceptsOnlyAnswersWithinTheLcd) {
    ASSERT_TRUE(start(QString()));
    prompts.inputAnswers = {GetParam().width, GetParam().height};
    form->MenuMaskSize_Click();
    ASSERT_EQ(prompts.inputs.size(), 2u); // the height is asked whatever the width answer was
    EXPECT_EQ(prompts.inputs[0].prompt,
              QStringLiteral("Current Width is 240.\r\nEnter new Width.\r\n(240 pixels Max)"));
    EXPECT_EQ(prompts.inputs[0].title, QStringLiteral("LCD Mask"));
    EXPECT_EQ(prompts.inputs[1].title, QStringLiteral("LCD Mask"));
    const QWidget* mask = control<app::PictureBox>(*form, "BMPImage").mask();
    EXPECT_EQ(mask->size(), GetParam().expected);
    EXPECT_FALSE(mask->isVisible());
    EXPECT_TRUE(prompts.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MaskSizeTest,
    ::testing::Values(
        MaskAnswers{"WithinTheLcd", QStringLiteral("160"), QStringLiteral("64"), {160, 64}},
        MaskAnswers{"FractionRounded", QStringLiteral("240.4"), QStringLiteral("128"), {240, 128}},
        MaskAnswers{
            "LargerThanTheLcdRefused", QStringLiteral("300"), QStringLiteral("129"), {240, 128}},
        MaskAnswers{
            "NegativeAndZeroRefused", QStringLiteral("-5"), QStringLiteral("0"), {240, 128}},
        MaskAnswers{"TextRefused", QStringLiteral("abc"), QStringLiteral("12"), {240, 12}},
        MaskAnswers{
            "HalvesRoundToEven", QStringLiteral("120.5"), QStringLiteral("121.5"), {120, 122}},
        MaskAnswers{"LeadingNumberReadThenCancelled",
                    QStringLiteral(" 100 pixels"),
                    std::nullopt,
                    {100, 128}},
        MaskAnswers{"BothCancelled", std::nullopt, std::nullopt, {240, 128}},
        MaskAnswers{
            "FractionsBelowOneRoundToZero", QStringLiteral("0.4"), QStringLiteral("0.5"), {0, 0}}),
    RowName);

TEST_F(LCDFormTest, MaskSizePromptsShowTheCurrentSize) {
    ASSERT_TRUE(start(QString()));
    prompts.inputAnswers = {QStringLiteral("160"), QStringLiteral("64"), std::nullopt,
                            std::nullopt};
    form->MenuMaskSize_Click();
    form->MenuMaskSize_Click();
    ASSERT_EQ(prompts.inputs.size(), 4u);
    EXPECT_EQ(prompts.inputs[1].prompt,
              QStringLiteral("Current Height is 128.\r\nEnter new Height.\r\n(128 Pixels Max)"));
    EXPECT_EQ(prompts.inputs[2].prompt,
              QStringLiteral("Current Width is 160.\r\nEnter new Width.\r\n(240 pixels Max)"));
    EXPECT_EQ(prompts.inputs[3].prompt,
              QStringLiteral("Current Height is 64.\r\nEnter new Height.\r\n(128 Pixels Max)"));
}

TEST_F(LCDFormTest, ImageInfoShowsTheStoredHeaderText) {
    ASSERT_TRUE(start(QString()));
    form->MenuImgInfo_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QString());
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("BMP Info"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(prompts.messages[0].buttons, app::MessageButtons::Ok);
    EXPECT_EQ(prompts.messages[0].font, app::MessageFont::FixedPitch); // its columns line up

    writeAll(file(QStringLiteral("p.pxl")), "@,128,64,8\r\n");
    writeAll(file(QStringLiteral("p.pxl")),
             "@,128,64,8\r\n" + QByteArray("000h,").repeated(128 * 64 / 8));
    answerDialog(filesDir.path(), QStringLiteral("p.pxl"));
    form->MenuOpenPxl_Click();
    form->MenuImgInfo_Click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text, QStringLiteral("Image Type:    BM\r\n"
                                                       "FileSize:       1094 Bytes\r\n"
                                                       "ImageOffset:    70 Bytes\r\n"
                                                       "Info Hdr Size:  40 Bytes\r\n"
                                                       "-----------------------------------\r\n"
                                                       "Image Width:    128 Pixels\r\n"
                                                       "Image Height:   64 Pixels\r\n"
                                                       "Planes:         1\r\n"
                                                       "Bits/Pixel:     1\r\n"
                                                       "Compression:    0\r\n"
                                                       "Image Size:     1024 Bytes\r\n"
                                                       "-----------------------------------\r\n"
                                                       "Pref X Res:     0 Pixels/M\r\n"
                                                       "Pref Y Res:     0 Pixels/M\r\n"
                                                       "Color Map Entries:  0 used\r\n"
                                                       "Signif Colors:  0\r\n"));
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

bool isOutlineColour(QRgb pixel) {
    return qRed(pixel) == 255 && qBlue(pixel) == 0 && (qGreen(pixel) == 0 || qGreen(pixel) == 255);
}

// How many device pixels of a row (or column) from `from` to `to` have the outline's colours.
int outlinePixels(const QImage& shot, bool row, int at, int from, int to) {
    int count = 0;
    for (int i = from; i <= to; ++i) {
        count += isOutlineColour(row ? shot.pixel(i, at) : shot.pixel(at, i)) ? 1 : 0;
    }
    return count;
}

// Runs in the scale the process was started with (QT_SCALE_FACTOR): a screenshot of the real
// main window with the mask on must show each of the four edges as a full line of outline
// pixels lying inside the mask's area, and nothing of the outline outside it.
TEST_F(LCDFormTest, MaskOutlineRenderingHasFourEdgesInsideTheArea) {
    const QByteArray expected = qgetenv("VORNIX_EXPECTED_SCALE");
    ASSERT_TRUE(start(QString()));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    control<QAction>(*form, "MenuMaskOn").trigger();
    const qreal scale = form->devicePixelRatioF();
    if (!expected.isEmpty()) {
        ASSERT_DOUBLE_EQ(scale, expected.toDouble());
    }
    const QImage shot = form->grab().toImage();
    const QWidget* mask = control<app::PictureBox>(*form, "BMPImage").mask();
    const QRectF area(QPointF(mask->mapTo(form.get(), QPoint(0, 0))) * scale,
                      QSizeF(mask->size()) * scale);
    // The device pixels wholly inside the area, and those wholly outside it.
    const int left = static_cast<int>(std::ceil(area.left()));
    const int top = static_cast<int>(std::ceil(area.top()));
    const int right = static_cast<int>(std::floor(area.right())) - 1;
    const int bottom = static_cast<int>(std::floor(area.bottom())) - 1;
    const int outsideLeft = static_cast<int>(std::floor(area.left())) - 1;
    const int outsideTop = static_cast<int>(std::floor(area.top())) - 1;
    const int outsideRight = static_cast<int>(std::ceil(area.right()));
    const int outsideBottom = static_cast<int>(std::ceil(area.bottom()));
    ASSERT_LT(outsideBottom, shot.height());

    const int width = right - left + 1;
    const int height = bottom - top + 1;
    EXPECT_EQ(outlinePixels(shot, true, top, left, right), width) << "top edge at " << scale;
    EXPECT_EQ(outlinePixels(shot, true, bottom, left, right), width) << "bottom edge";
    EXPECT_EQ(outlinePixels(shot, false, left, top, bottom), height) << "left edge";
    EXPECT_EQ(outlinePixels(shot, false, right, top, bottom), height) << "right edge";
    EXPECT_EQ(outlinePixels(shot, true, outsideTop, left, right), 0);
    EXPECT_EQ(outlinePixels(shot, true, outsideBottom, left, right), 0);
    EXPECT_EQ(outlinePixels(shot, false, outsideLeft, top, bottom), 0);
    EXPECT_EQ(outlinePixels(shot, false, outsideRight, top, bottom), 0);
}

// The outline at 100, 125, 150 and 200 %: each scale needs a process of its own, since the
// scale factor is read when the application starts.
TEST(MaskOutlineScaleTest, EdgesLieInsideTheAreaAtEveryScale) {
    for (const char* scale : {"1", "1.25", "1.5", "2"}) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
        environment.insert(QStringLiteral("VORNIX_EXPECTED_SCALE"), QString::fromLatin1(scale));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=LCDFormTest."
                                    "MaskOutlineRenderingHasFourEdgesInsideTheArea")});
        ASSERT_TRUE(child.waitForFinished(90000)) << scale;
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << scale << "\n" << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << scale;
    }
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

// Answers the next modal box with OK once it is up, noting where it stood and its text's font.
struct BoxWatch {
    QRect geometry;
    QFont font;
    bool seen = false;

    void arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            seen = true;
            geometry = box->frameGeometry();
            font = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->font();
            box->button(QMessageBox::Ok)->click();
        });
    }
};

TEST(QtPromptsTest, FixedPitchMessageShowsItsTextInTheSystemsFixedFont) {
    app::QtPrompts prompts;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const auto font : {app::MessageFont::FixedPitch, app::MessageFont::Proportional}) {
        BoxWatch watch;
        watch.arm();
        prompts.message(QStringLiteral("Width:     240\r\nHeight:    128"),
                        QStringLiteral("BMP Info"), app::MessageIcon::None, app::MessageButtons::Ok,
                        font);
        ASSERT_TRUE(watch.seen);
        EXPECT_EQ(watch.font.family() == fixed.family(), font == app::MessageFont::FixedPitch);
    }
}

TEST(QtPromptsTest, StartUpRefusalBoxStandsCentredOverTheMainWindow) {
    QTemporaryDir programDir;
    app::AppState state;
    app::QtPrompts prompts;
    app::LCDForm form(state, prompts, app::LCDFormOptions{programDir.path(), false});
    prompts.setParent(&form);
    BoxWatch watch;
    watch.arm();
    ASSERT_TRUE(form.Form_Load(QStringLiteral(VORNIX_TEST_DATA "/bad/eight_bit.bmp")));
    ASSERT_TRUE(watch.seen); // the colour-depth refusal
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // A few pixels of window frame aside, both stand at the screen's centre.
    constexpr int kFrameSlack = 8;
    const QPoint offset = watch.geometry.center() - form.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), kFrameSlack) << offset.x() << "," << offset.y();
    const QPoint fromScreenCentre =
        form.frameGeometry().center() - form.screen()->availableGeometry().center();
    EXPECT_LE(fromScreenCentre.manhattanLength(), kFrameSlack);
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

TEST_F(LCDFormTest, LongFilePathIsShortenedInTheMiddleWithTheWholePathAsTip) {
    ASSERT_TRUE(start(QString()));
    form->show();
    QString deep = QStringLiteral("/home/someone/drawings");
    for (int level = 1; level <= 12; ++level) {
        deep += QStringLiteral("/level%1").arg(level);
    }
    const QString path = deep + QStringLiteral("/clock face.bmp");
    auto& fileEntry = control<app::CaptionLabel>(*form, "FileEntry");
    fileEntry.setCaption(path);
    EXPECT_EQ(fileEntry.text(), path);
    EXPECT_EQ(fileEntry.toolTip(), path);
    const QString shown = fileEntry.shownText();
    EXPECT_TRUE(shown.contains(QStringLiteral("\u2026"))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("clock face.bmp"))) << shown.toStdString();
    EXPECT_LE(fileEntry.fontMetrics().horizontalAdvance(shown), fileEntry.contentsRect().width());

    fileEntry.setCaption(QStringLiteral("/tmp/a.bmp"));
    EXPECT_EQ(fileEntry.shownText(), QStringLiteral("/tmp/a.bmp"));
}

} // namespace
} // namespace vornix::test
