// Import Picture, Test Pattern and Preview LCD from the main window.
#include <QMenu>

#include "app/caption_label.h"
#include "app/picture_box.h"
#include "dialogs/lcd_preview.h"
#include "image/prepare_image.h"
#include "image/test_pattern.h"
#include "lcd_form_fixture.h"

namespace vornix::test {
namespace {

TEST_F(LCDFormTest, ImportedPictureBecomesCurrentLikeAOneBitBitmap) {
    QImage photo(40, 20, QImage::Format_RGB32);
    photo.fill(Qt::white);
    ASSERT_TRUE(photo.save(file(QStringLiteral("photo.png"))));
    ASSERT_TRUE(start(QString()));
    QSize sourceSize;
    form->setImportDialogRunner([&](const QImage& source, QWidget*) {
        sourceSize = source.size();
        image::MonoImage picture(16, 2);
        picture.setDark(0, 0);
        picture.setDark(15, 1);
        return std::optional<image::MonoImage>(picture);
    });
    answerDialog(filesDir.path(), QStringLiteral("photo.png"));
    form->MenuImportPicture_Click();
    EXPECT_EQ(requests.back(), QStringLiteral("IMGO"));
    EXPECT_EQ(sourceSize, QSize(40, 20));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,16,2,8\r\n080h,000h\r\n000h,001h\r\n"));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_EQ(form->BMPImage->picture().pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(form->BMPImage->picture().pixelColor(1, 0), QColor(Qt::white));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, CancelledImportChangesNothing) {
    writeAll(file(QStringLiteral("notes.txt")), "text");
    QImage photo(4, 4, QImage::Format_RGB32);
    photo.fill(Qt::black);
    ASSERT_TRUE(photo.save(file(QStringLiteral("dark.png"))));
    ASSERT_TRUE(start(QString()));
    form->setImportDialogRunner([](const QImage&, QWidget*) { return std::nullopt; });
    answerDialog(filesDir.path(), QStringLiteral("dark.png"));
    form->MenuImportPicture_Click();
    EXPECT_FALSE(QFile::exists(workingPXL()));
    EXPECT_EQ(fileItems(), QStringLiteral("---"));

    answerDialog(filesDir.path(), QStringLiteral("notes.txt"));
    form->MenuImportPicture_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type"));
}

TEST_F(LCDFormTest, TestPatternBecomesTheCurrentPicture) {
    ASSERT_TRUE(start(QString()));
    form->MenuTestPattern_Click(image::TestPattern::Checker);
    const QByteArray pxl = readAll(workingPXL());
    ASSERT_TRUE(pxl.startsWith("@,240,128,8\r\n0FFh,000h,0FFh,"));
    EXPECT_EQ(pxl.count("\r\n"), 129);
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_EQ(form->MenuTestPattern->actions().size(), 5);

    proposedNames.clear();
    form->MenuSavePXL_Click();
    ASSERT_EQ(proposedNames.size(), 1u);
    EXPECT_EQ(proposedNames[0], QStringLiteral("checker.PXL"));
}

TEST_F(LCDFormTest, PreviewComparesThePanelWithThePicture) {
    writeAll(file(QStringLiteral("ten.pxl")), "@,10,1,8\r\n0FFh,0C0h\r\n");
    ASSERT_TRUE(start(file(QStringLiteral("ten.pxl"))));
    form->MenuPreviewLCD_Click();
    ASSERT_NE(form->preview(), nullptr);
    ASSERT_TRUE(form->preview()->differingPixels().has_value());
    // D carries 10 / 8 = 1 byte per row, so the panel clips the second value's two pixels.
    EXPECT_EQ(*form->preview()->differingPixels(), 2);

    form->MenuTestPattern_Click(image::TestPattern::Border);
    form->MenuPreviewLCD_Click();
    EXPECT_EQ(*form->preview()->differingPixels(), 0);
}

} // namespace
} // namespace vornix::test
