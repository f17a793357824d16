// The main window's layout, menus, keys, mask and information box.
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QTest>

#include "app/caption_label.h"
#include "app/lamp.h"
#include "app/picture_box.h"
#include "app/separator_lines.h"
#include "lcd_form_fixture.h"

namespace vornix::test {
namespace {

using app::MessageIcon;

TEST_F(LCDFormTest, ControlsStandWhereTheLayoutPutsThem) {
    ASSERT_TRUE(start(QString()));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    struct Place {
        QWidget* control;
        QRect geometry;
    };
    const Place places[] = {
        {form->FileEntry, {8, 9, 251, 21}},    {form->Label2, {8, 40, 33, 17}},
        {form->ComList, {40, 40, 33, 17}},     {form->Shape1, {95, 39, 20, 20}},
        {form->LoadLight, {96, 40, 17, 17}},   {form->RowCounter, {128, 40, 57, 17}},
        {form->Log, {264, 40, 201, 61}},       {form->BMPImage, {8, 64, 244, 132}},
        {form->BMPHolder, {8, 136, 240, 128}}, {form->BMPImage->mask(), {2, 2, 240, 128}},
    };
    for (const auto& place : places) {
        EXPECT_EQ(place.control->geometry(), place.geometry)
            << place.control->objectName().toStdString();
    }
    EXPECT_EQ(form->BMPImage->contentsRect().size(), QSize(240, 128));
    EXPECT_EQ(form->centralWidget()->size(), QSize(261, 207));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vornix"));
    EXPECT_EQ(form->Label2->caption(), QStringLiteral("COM"));
    EXPECT_EQ(form->BMPImage->toolTip(), QStringLiteral("BMP - Bitmap Image"));
    EXPECT_EQ(form->LoadLight->fillColor(), QColor(255, 255, 255));
    EXPECT_FALSE(form->BMPImage->mask()->isVisible());
    EXPECT_TRUE(form->BMPHolder->isHidden());
    EXPECT_FALSE(form->windowIcon().isNull());
}

TEST_F(LCDFormTest, MenusCarryTheirCaptionsAndShortcuts) {
    ASSERT_TRUE(start(QString()));
    struct Item {
        QAction* action;
        const char* caption;
        const char* shortcut;
    };
    const Item items[] = {
        {form->MenuOpenBMP, "&Open BMP Image...", "Ctrl+O"},
        {form->MenuOpenPxl, "Open &PXL Image...", "Ctrl+P"},
        {form->MenuSaveBMP, "Save as &BMP...", "Ctrl+B"},
        {form->MenuSavePXL, "&Save as PXL...", "Ctrl+S"},
        {form->MenuFileLoad, "&Load LCD", "Ctrl+L"},
        {form->MenuFileExit, "E&xit", "Ctrl+X"},
        {form->MenuMaskOn, "Use &Mask", "Ctrl+M"},
        {form->MenuMaskSize, "&Size...", ""},
        {form->MenuImgInfo, "&Image Info", "Ctrl+I"},
        {form->MenuImgMagnifier, "&Zoom", "Ctrl+Z"},
        {form->MenuHelpfile, "Help File", ""},
        {form->MenuHelpPaint, "Run MSPaint", ""},
        {form->MenuHelpAbout, "About", ""},
    };
    for (const auto& item : items) {
        EXPECT_EQ(item.action->text(), QString::fromLatin1(item.caption));
        EXPECT_EQ(item.action->shortcut().toString(), QString::fromLatin1(item.shortcut))
            << item.caption;
    }
    EXPECT_EQ(form->Menufile->title(), QStringLiteral("&File"));
    EXPECT_EQ(form->MenuMask->title(), QStringLiteral("&Mask"));
    EXPECT_EQ(form->MenuImage->title(), QStringLiteral("&Image"));
    EXPECT_EQ(form->MenuHelp->title(), QStringLiteral("&Help"));
    // "Import Picture..." joins the open commands, before the first separator.
    const auto fileActions = form->Menufile->actions();
    ASSERT_EQ(fileActions.size(), 9);
    EXPECT_EQ(fileActions[2], form->MenuImportPicture);
    EXPECT_EQ(form->MenuImportPicture->text(), QStringLiteral("Import Picture..."));
    EXPECT_EQ(form->MenuImportPicture->shortcut().toString(), QStringLiteral("Ctrl+G"));
    EXPECT_TRUE(fileActions[3]->isSeparator());
    EXPECT_TRUE(fileActions[6]->isSeparator());
}

TEST_F(LCDFormTest, SeparatorLinesFollowTheWindowWidth) {
    ASSERT_TRUE(start(QString()));
    form->show();
    for (const int width : {600, 200, 300}) {
        form->resize(width, form->height());
        QCoreApplication::processEvents();
        const int clientTwips = form->centralWidget()->width() * 15;
        EXPECT_EQ(form->Lines->line1X2(), clientTwips);
        EXPECT_EQ(form->Lines->line2X2(), clientTwips);
        EXPECT_EQ(form->BMPImage->geometry(), QRect(8, 64, 244, 132));
    }
}

TEST_F(LCDFormTest, EscapeRequestsAStopWhicheverControlHasTheFocus) {
    ASSERT_TRUE(start(QString()));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->ComList->setFocus();
    QTest::keyClick(form->ComList, Qt::Key_A);
    EXPECT_FALSE(state.flags.StopDownload);
    QTest::keyClick(form->ComList, Qt::Key_Escape);
    EXPECT_TRUE(state.flags.StopDownload);
}

TEST_F(LCDFormTest, UseMaskTogglesTheOutlineAndTheCheckMarkTogether) {
    ASSERT_TRUE(start(QString()));
    form->show();
    form->MenuMaskOn->trigger();
    EXPECT_TRUE(form->MenuMaskOn->isChecked());
    EXPECT_TRUE(form->BMPImage->mask()->isVisible());
    form->MenuMaskOn->trigger();
    EXPECT_FALSE(form->MenuMaskOn->isChecked());
    EXPECT_FALSE(form->BMPImage->mask()->isVisible());
}

struct MaskAnswers {
    std::optional<QString> width;
    std::optional<QString> height;
    QSize expected;
};

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
    EXPECT_EQ(form->BMPImage->mask()->size(), GetParam().expected);
    EXPECT_FALSE(form->BMPImage->mask()->isVisible());
    EXPECT_TRUE(prompts.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MaskSizeTest,
    ::testing::Values(MaskAnswers{QStringLiteral("160"), QStringLiteral("64"), {160, 64}},
                      MaskAnswers{QStringLiteral("240.4"), QStringLiteral("128"), {240, 128}},
                      MaskAnswers{QStringLiteral("300"), QStringLiteral("129"), {240, 128}},
                      MaskAnswers{QStringLiteral("-5"), QStringLiteral("0"), {240, 128}},
                      MaskAnswers{QStringLiteral("abc"), QStringLiteral("12"), {240, 12}},
                      MaskAnswers{QStringLiteral("120.5"), QStringLiteral("121.5"), {120, 122}},
                      MaskAnswers{QStringLiteral(" 100 pixels"), std::nullopt, {100, 128}},
                      MaskAnswers{std::nullopt, std::nullopt, {240, 128}},
                      MaskAnswers{QStringLiteral("0.4"), QStringLiteral("0.5"), {0, 0}}));

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
