// Import Picture, Test Pattern and Preview LCD from the main window.
#include <QAction>
#include <QDir>
#include <QMenu>

#include "app/caption_label.h"
#include "app/picture_box.h"
#include "image/picture/picture_formats.h"
#include "dialogs/lcd_preview.h"
#include "image/picture/packed_picture.h"
#include "image/photo/prepare_image.h"
#include "image/picture/test_pattern.h"
#include "lcd_form_fixture.h"
#include "support/row_name.h"

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
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().pixelColor(0, 0),
              QColor(Qt::black));
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().pixelColor(1, 0),
              QColor(Qt::white));
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

enum class ImportBy { Menu, Drop };

struct FailedImportCase {
    const char* name;
    ImportBy by;
    bool readable; // the chosen file is a picture; otherwise the import ends with a box
};

class FailedImportTest : public LCDFormTest,
                         public ::testing::WithParamInterface<FailedImportCase> {};

// An import that is cancelled or fails leaves the window naming the picture it shows: the
// caption, FilePath and FileName, the name Save proposes and the working files are unchanged.
TEST_P(FailedImportTest, LeavesThePreviousPictureNamedEverywhere) {
    const FailedImportCase& row = GetParam();
    importDialog = [](const QImage&, QWidget*) { return std::nullopt; };
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(QDir(filesDir.path()).mkdir(QStringLiteral("photos")));
    const QString photos = file(QStringLiteral("photos"));
    const QString photo = photos + QStringLiteral("/photo.jpg");
    QImage colour(6, 4, QImage::Format_RGB32);
    for (int x = 0; x < 6; ++x) {
        for (int y = 0; y < 4; ++y) {
            colour.setPixel(x, y, qRgb(40 * x, 60 * y, 200));
        }
    }
    if (row.readable) {
        ASSERT_TRUE(colour.save(photo, "JPEG"));
    } else {
        writeAll(photo, "not a picture");
    }
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), QStringLiteral("shapes.bmp"));
    form->MenuOpenBMP_Click();
    const QString caption = control<app::CaptionLabel>(*form, "FileEntry").caption();
    const app::AppState shown = state;
    const QByteArray bitmap = readAll(workingBMP());
    const QByteArray pxl = readAll(workingPXL());
    ASSERT_EQ(caption, file(QStringLiteral("shapes.bmp")));

    if (row.by == ImportBy::Menu) {
        answerDialog(photos, QStringLiteral("photo.jpg"));
        form->MenuImportPicture_Click();
    } else {
        form->OpenDroppedFile(photo);
    }
    EXPECT_EQ(prompts.messages.size(), row.readable ? 0u : 1u);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), caption);
    EXPECT_EQ(state.FilePath, shown.FilePath);
    EXPECT_EQ(state.FileName, shown.FileName);
    EXPECT_EQ(state.LastFileName, shown.LastFileName);
    EXPECT_EQ(readAll(workingBMP()), bitmap);
    EXPECT_EQ(readAll(workingPXL()), pxl);
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(128, 64));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));

    form->MenuSaveBMP_Click(); // cancelled: the scripted dialog has no more answers
    EXPECT_EQ(proposedNames.back(), QStringLiteral("shapes.bmp"));
}

INSTANTIATE_TEST_SUITE_P(Imports, FailedImportTest,
                         ::testing::Values(FailedImportCase{"MenuCancelled", ImportBy::Menu, true},
                                           FailedImportCase{"MenuUnreadable", ImportBy::Menu,
                                                            false},
                                           FailedImportCase{"DropCancelled", ImportBy::Drop,
                                                            true}),
                         RowName);

TEST_F(LCDFormTest, TestPatternBecomesTheCurrentPicture) {
    ASSERT_TRUE(start(QString()));
    form->MenuTestPattern_Click(image::TestPattern::Checker);
    const QByteArray pxl = readAll(workingPXL());
    ASSERT_TRUE(pxl.startsWith("@,240,128,8\r\n0FFh,000h,0FFh,"));
    EXPECT_EQ(pxl.count("\r\n"), 129);
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_EQ(control<QMenu>(*form, "MenuTestPattern").actions().size(), 5);

    proposedNames.clear();
    form->MenuSavePXL_Click();
    ASSERT_EQ(proposedNames.size(), 1u);
    EXPECT_EQ(proposedNames[0], QStringLiteral("checker.PXL"));
}

// Each Test Pattern command, found by its name and chosen from its menu, makes its pattern the
// current picture; while the File menu is off, as during a download, the commands do nothing.
TEST_F(LCDFormTest, TestPatternCommandsFromTheMenuShowTheirPattern) {
    struct Row {
        const char* command;
        image::TestPattern pattern;
        const char* caption;
        const char* lastFileName;
    };
    const Row rows[] = {
        {"MenuTestPatternBorder", image::TestPattern::Border, "Test pattern: Border", "border.bmp"},
        {"MenuTestPatternChecker", image::TestPattern::Checker, "Test pattern: Checker",
         "checker.bmp"},
        {"MenuTestPatternGrid", image::TestPattern::Grid, "Test pattern: Grid", "grid.bmp"},
        {"MenuTestPatternRuler", image::TestPattern::Ruler, "Test pattern: Ruler", "ruler.bmp"},
        {"MenuTestPatternBits", image::TestPattern::Bits, "Test pattern: Bits", "bits.bmp"},
    };
    ASSERT_TRUE(start(QString()));
    const auto& fileEntry = control<app::CaptionLabel>(*form, "FileEntry");
    const auto& box = control<app::PictureBox>(*form, "BMPImage");
    for (const auto& row : rows) {
        control<QAction>(*form, row.command).trigger();
        EXPECT_EQ(fileEntry.caption(), QString::fromLatin1(row.caption));
        EXPECT_EQ(state.LastFileName, QString::fromLatin1(row.lastFileName));
        const image::MonoImage expected = image::MakeTestPattern(row.pattern);
        const QImage& shown = box.picture();
        ASSERT_EQ(shown.size(), QSize(expected.width, expected.height)) << row.command;
        int wrong = 0;
        for (int y = 0; y < expected.height; ++y) {
            for (int x = 0; x < expected.width; ++x) {
                const bool dark = shown.pixelColor(x, y) == QColor(Qt::black);
                wrong += dark != expected.isDark(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0) << row.command;
    }

    control<QMenu>(*form, "Menufile").setEnabled(false);
    const QByteArray pxl = readAll(workingPXL());
    control<QAction>(*form, "MenuTestPatternChecker").trigger();
    EXPECT_EQ(fileEntry.caption(), QStringLiteral("Test pattern: Bits"));
    EXPECT_EQ(readAll(workingPXL()), pxl);
}

// File > Export... follows Save as PXL..., is there whenever a picture is, and shows the
// picture the LCD receives (the working PXL file), named after the file it came from.
TEST_F(LCDFormTest, ExportShowsThePictureTheLcdReceives) {
    ASSERT_TRUE(start(QString()));
    auto& exportCommand = control<QAction>(*form, "MenuExport");
    const QList<QAction*> file = control<QMenu>(*form, "Menufile").actions();
    ASSERT_GT(file.indexOf(&exportCommand), 0);
    EXPECT_EQ(file[file.indexOf(&exportCommand) - 1], &control<QAction>(*form, "MenuSavePXL"));
    EXPECT_EQ(exportCommand.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_FALSE(exportCommand.isEnabled());

    std::optional<image::PackedPicture> shown;
    QString shownName;
    form->setExportDialogRunner([&](const image::PackedPicture& picture, const QString& name,
                                    QWidget*) {
        shown = picture;
        shownName = name;
    });
    control<QAction>(*form, "MenuTestPatternChecker").trigger();
    ASSERT_TRUE(exportCommand.isEnabled());
    exportCommand.trigger();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(*shown, image::PackedFromMono(image::MakeTestPattern(image::TestPattern::Checker)));
    EXPECT_EQ(shownName, QStringLiteral("checker.bmp"));

    // A working file that holds no picture is said so, and no dialog opens.
    shown.reset();
    writeAll(workingPXL(), "no picture");
    form->MenuExport_Click();
    EXPECT_FALSE(shown.has_value());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
    EXPECT_TRUE(prompts.messages[0].text.startsWith("There is no picture to export: "));
}

// File > Open...: an X11 bitmap is read pixel for pixel; a C array goes through the Read
// Picture dialog; a cancelled dialog or a bad file leaves the window's picture and names.
TEST_F(LCDFormTest, OpenReadsTheFirmwareFormsPixelForPixel) {
    writeAll(file(QStringLiteral("dot.xbm")),
             "#define dot_width 10\n#define dot_height 2\n"
             "static unsigned char dot_bits[] = {0x01, 0x00, 0x00, 0x02};\n");
    writeAll(file(QStringLiteral("logo.c")), "const unsigned char logo[] = {0x80, 0x01};\n");
    writeAll(file(QStringLiteral("bad.pbm")), "P4 8 8\n\x01");
    ASSERT_TRUE(start(QString()));

    answerDialog(filesDir.path(), QStringLiteral("dot.xbm"));
    form->MenuOpen_Click();
    EXPECT_EQ(requests.back(), QStringLiteral("ANYO"));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,10,2,8\r\n080h,03Fh\r\n000h,07Fh\r\n"));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), file("dot.xbm"));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));

    std::vector<std::uint8_t> handed;
    form->setReadPictureDialogRunner(
        [&](std::vector<std::uint8_t> bytes, image::PictureFormat format, QWidget*) {
            handed = bytes;
            EXPECT_EQ(format, image::PictureFormat::CSource);
            return std::optional<image::PackedPicture>();
        });
    answerDialog(filesDir.path(), QStringLiteral("logo.c"));
    form->MenuOpen_Click();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(handed.data()), qsizetype(handed.size())),
              readAll(file(QStringLiteral("logo.c"))));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), file("dot.xbm"));
    EXPECT_EQ(state.LastFileName, QStringLiteral("dot.xbm"));

    form->setReadPictureDialogRunner([](std::vector<std::uint8_t>, image::PictureFormat, QWidget*) {
        image::PackedPicture picture(16, 1);
        picture.setDark(0, 0, true);
        return std::optional<image::PackedPicture>(picture);
    });
    answerDialog(filesDir.path(), QStringLiteral("logo.c"));
    form->MenuOpen_Click();
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,16,1,8\r\n080h,000h\r\n"));
    EXPECT_EQ(state.LastFileName, QStringLiteral("logo.c"));

    answerDialog(filesDir.path(), QStringLiteral("bad.pbm"));
    form->MenuOpen_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
    EXPECT_EQ(prompts.messages[0].text,
              file("bad.pbm") + "\nthe bitmap holds fewer pixels than its header promises");
    EXPECT_EQ(state.LastFileName, QStringLiteral("logo.c"));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,16,1,8\r\n080h,000h\r\n"));
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
