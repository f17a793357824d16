// Import Picture, Test Pattern, Preview LCD and the picture editor from the main window.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>

#include "app/caption_label.h"
#include "app/picture_box.h"
#include "dialogs/canvas_size_dialog.h"
#include "dialogs/edit_session.h"
#include "dialogs/lcd_preview.h"
#include "dialogs/text_panel.h"
#include "dialogs/text_placement.h"
#include "dialogs/viewer.h"
#include "dialogs/viewer_enlarger.h"
#include "dialogs/viewer_handle.h"
#include "fonts/font_finder.h"
#include "fonts/text_render.h"
#include "image/edit/drawing.h"
#include "image/photo/prepare_image.h"
#include "image/picture/packed_picture.h"
#include "image/picture/picture_formats.h"
#include "image/picture/prepare_bitmap.h"
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
                                           FailedImportCase{"DropCancelled", ImportBy::Drop, true}),
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
    form->setExportDialogRunner(
        [&](const image::PackedPicture& picture, const QString& name, QWidget*) {
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

// The picture shown in the main window, read pixel by pixel from the screen's image.
image::PackedPicture shownPicture(const QImage& shown) {
    image::PackedPicture picture(shown.width(), shown.height());
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            picture.setDark(x, y, shown.pixelColor(x, y) == QColor(Qt::black));
        }
    }
    return picture;
}

// What vornix-cli makes of a picture: the picture as a PBM file, converted by the real program
// to a BMP, and that BMP to PXL text. {bmp, pxl}; empty when the program failed.
std::pair<QByteArray, QByteArray> cliConversion(const image::PackedPicture& picture,
                                                const QString& folder) {
    QByteArray pbm =
        QStringLiteral("P4\n%1 %2\n").arg(picture.width()).arg(picture.height()).toLatin1();
    pbm.append(reinterpret_cast<const char*>(picture.bytes().data()),
               static_cast<qsizetype>(picture.bytes().size()));
    const QString base = folder + QStringLiteral("/shown");
    QFile file(base + QStringLiteral(".pbm"));
    if (!file.open(QIODevice::WriteOnly) || file.write(pbm) != pbm.size()) {
        return {};
    }
    file.close();
    const auto run = [](const QStringList& arguments) {
        QProcess cli;
        cli.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"), arguments);
        return cli.waitForFinished(60000) && cli.exitStatus() == QProcess::NormalExit &&
               cli.exitCode() == 0;
    };
    if (!run({QStringLiteral("convert"), base + QStringLiteral(".pbm"),
              base + QStringLiteral(".bmp")}) ||
        !run({QStringLiteral("convert"), base + QStringLiteral(".bmp"),
              base + QStringLiteral(".pxl")})) {
        return {};
    }
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    return {read(base + QStringLiteral(".bmp")), read(base + QStringLiteral(".pxl"))};
}

class EditorTest : public LCDFormTest {
protected:
    // File > New, then the zoom window with its picture at 2x (the design size).
    dialogs::Viewer* openEditor() {
        form->MenuNew_Click();
        form->MenuImgMagnifier_Click();
        dialogs::Viewer* viewer = form->viewer().viewer();
        if (viewer != nullptr) {
            viewer->setZoom(2);
            QCoreApplication::processEvents();
        }
        return viewer;
    }

    static void trigger(dialogs::Viewer* viewer, const char* name) {
        auto* action = viewer->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
    }

    // The working files equal what vornix-cli makes of the picture the main window shows,
    // and that picture is `expected`.
    void expectWorkingFilesShow(const image::PackedPicture& expected) {
        const QImage shown = control<app::PictureBox>(*form, "BMPImage").picture();
        EXPECT_EQ(shownPicture(shown), expected);
        const auto [bmp, pxl] = cliConversion(shownPicture(shown), filesDir.path());
        ASSERT_FALSE(bmp.isEmpty());
        EXPECT_EQ(readAll(workingBMP()), bmp);
        EXPECT_EQ(readAll(workingPXL()), pxl);
        EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    }
};

// A line drawn with the mouse reaches the working files when the button is let go; Undo and
// Redo take them back and forth.
TEST_F(EditorTest, LineDrawnWithTheMouseIsUndoneAndRedone) {
    ASSERT_TRUE(start(QString()));
    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    const image::PackedPicture blank(240, 128);
    expectWorkingFilesShow(blank);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              QStringLiteral("New picture"));

    trigger(viewer, "ToolLine");
    dialogs::ViewerEnlarger* canvas = viewer->BMPEnlarger();
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(21, 21));
    QTest::mouseMove(canvas, QPoint(120, 60));
    const QByteArray whileDrawing = readAll(workingBMP());
    QTest::mouseMove(canvas, QPoint(201, 101));
    EXPECT_EQ(readAll(workingBMP()), whileDrawing) << "no file is written while drawing";
    // The main window's picture box shows the line being drawn.
    QTest::qWait(150);
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().pixelColor(100, 50),
              QColor(Qt::black));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(201, 101));
    image::PackedPicture line = blank;
    image::edit::DrawLine(line, {10, 10}, {100, 50}, true);
    expectWorkingFilesShow(line);
    EXPECT_TRUE(
        viewer->statusText().contains(QStringLiteral("x 100, y 50 | row 50, byte 12, bit 3")))
        << viewer->statusText().toStdString();

    trigger(viewer, "ViewerUndo");
    expectWorkingFilesShow(blank);
    trigger(viewer, "ViewerRedo");
    expectWorkingFilesShow(line);

    // The right button draws light; the main window's Undo takes that back.
    trigger(viewer, "ToolPencil");
    QTest::mousePress(canvas, Qt::RightButton, {}, QPoint(21, 21));
    QTest::mouseRelease(canvas, Qt::RightButton, {}, QPoint(21, 21));
    image::PackedPicture touched = line;
    touched.setDark(10, 10, false);
    expectWorkingFilesShow(touched);
    control<QAction>(*form, "MenuEditUndo").trigger();
    expectWorkingFilesShow(line);
}

TEST_F(EditorTest, CanvasSizeIsOneStepOfTheHistory) {
    ASSERT_TRUE(start(QString()));
    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    trigger(viewer, "ViewerInvert");
    QSize asked;
    form->setCanvasSizeRunner([&](int width, int height, QWidget*) {
        asked = QSize(width, height);
        return std::optional<dialogs::CanvasSize>({250, 130, image::edit::Anchor::BottomRight});
    });
    form->MenuCanvasSize_Click();
    EXPECT_EQ(asked, QSize(240, 128));
    image::PackedPicture dark(240, 128);
    image::edit::InvertArea(dark, image::edit::WholeArea(dark));
    expectWorkingFilesShow(
        image::edit::ResizedCanvas(dark, 250, 130, image::edit::Anchor::BottomRight));
    control<QAction>(*form, "MenuEditUndo").trigger();
    expectWorkingFilesShow(dark);

    // A size the picture cannot take is refused with a message; the picture stays.
    form->setCanvasSizeRunner([](int, int, QWidget*) {
        return std::optional<dialogs::CanvasSize>({30000, 30000, image::edit::Anchor::Centre});
    });
    form->MenuCanvasSize_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("A picture of 30000 x 30000 pixels is too large."));
    expectWorkingFilesShow(dark);
}

// A picture on the clipboard is pasted as a floating selection that is put down where it was
// dragged; into a window without a picture it comes as a new picture.
TEST_F(EditorTest, ClipboardPicturesArePastedAndCopied) {
    QImage stamp(3, 2, QImage::Format_RGB32);
    stamp.fill(Qt::white);
    stamp.setPixelColor(0, 0, Qt::black);
    stamp.setPixelColor(2, 1, Qt::black);
    QApplication::clipboard()->setImage(stamp);
    ASSERT_TRUE(start(QString()));

    form->MenuEditPaste_Click();
    image::PackedPicture pasted(3, 2);
    pasted.setDark(0, 0, true);
    pasted.setDark(2, 1, true);
    expectWorkingFilesShow(pasted);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              QStringLiteral("Pasted picture"));

    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    form->MenuEditPaste_Click();
    // Dragged from (0, 0) to (10, 20), then put down.
    dialogs::ViewerEnlarger* canvas = viewer->BMPEnlarger();
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseMove(canvas, QPoint(21, 41));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(21, 41));
    trigger(viewer, "ViewerDeselect");
    image::PackedPicture expected(240, 128);
    image::edit::PasteOver(expected, pasted, {10, 20});
    expectWorkingFilesShow(expected);
    // One undo takes the whole paste back.
    trigger(viewer, "ViewerUndo");
    expectWorkingFilesShow(image::PackedPicture(240, 128));

    // A colour picture goes through Import Picture first.
    QImage photo(5, 5, QImage::Format_RGB32);
    photo.fill(QColor(200, 30, 30));
    photo.setPixelColor(1, 1, QColor(30, 200, 30));
    photo.setPixelColor(2, 2, QColor(30, 30, 200));
    QApplication::clipboard()->setImage(photo);
    QSize imported;
    form->setImportDialogRunner([&](const QImage& source, QWidget*) {
        imported = source.size();
        return std::optional<image::MonoImage>();
    });
    form->MenuEditPaste_Click();
    EXPECT_EQ(imported, QSize(5, 5));
    expectWorkingFilesShow(image::PackedPicture(240, 128));

    // Copy puts the selection on the clipboard.
    trigger(viewer, "ViewerSelectAll");
    trigger(viewer, "ViewerCopy");
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(240, 128));
}

// Closing with edits that are not saved asks Save / Discard / Cancel.
TEST_F(EditorTest, ClosingWithUnsavedEditsAsks) {
    struct Row {
        app::MessageAnswer answer;
        bool saveDialogAnswers; // the save dialog names a file
        bool closes;
    };
    const Row rows[] = {
        {app::MessageAnswer::Cancel, false, false},
        {app::MessageAnswer::Save, false, false},
        {app::MessageAnswer::Save, true, true},
        {app::MessageAnswer::Discard, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.answer));
        prompts.messages.clear();
        ASSERT_TRUE(start(QString()));
        dialogs::Viewer* viewer = openEditor();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(form->close()) << "an unedited picture closes without a question";
        EXPECT_TRUE(prompts.messages.empty());
        form.reset();

        ASSERT_TRUE(start(QString()));
        viewer = openEditor();
        ASSERT_NE(viewer, nullptr);
        trigger(viewer, "ViewerInvert");
        prompts.messageAnswers.push_back(row.answer);
        if (row.saveDialogAnswers) {
            answerDialog(filesDir.path(), QStringLiteral("kept.bmp"));
        }
        EXPECT_EQ(form->close(), row.closes);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].buttons, app::MessageButtons::SaveDiscardCancel);
        EXPECT_EQ(QFile::exists(file(QStringLiteral("kept.bmp"))), row.saveDialogAnswers);
        QFile::remove(file(QStringLiteral("kept.bmp")));
        dialogAnswers.clear();
        prompts.messageAnswers.clear();
        form.reset();
    }
}

// Another picture replacing one with unsaved edits asks first; Cancel keeps the edits.
TEST_F(EditorTest, OpeningAnotherPictureAsksForUnsavedEdits) {
    ASSERT_TRUE(start(QString()));
    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    trigger(viewer, "ViewerInvert");
    image::PackedPicture dark(240, 128);
    image::edit::InvertArea(dark, image::edit::WholeArea(dark));

    prompts.messageAnswers.push_back(app::MessageAnswer::Cancel);
    form->MenuTestPattern_Click(image::TestPattern::Checker);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("The picture has changes that are not saved.\r\nSave them first?"));
    expectWorkingFilesShow(dark);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              QStringLiteral("New picture"));

    prompts.messageAnswers.push_back(app::MessageAnswer::Cancel);
    form->MenuOpenBMP_Click();
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(requests.empty()) << "no file dialog after Cancel";

    prompts.messageAnswers.push_back(app::MessageAnswer::Discard);
    form->MenuTestPattern_Click(image::TestPattern::Checker);
    EXPECT_EQ(prompts.messages.size(), 3u);
    expectWorkingFilesShow(
        image::PackedFromMono(image::MakeTestPattern(image::TestPattern::Checker)));
    // A new picture has a new history and nothing unsaved.
    EXPECT_FALSE(control<QAction>(*form, "MenuEditUndo").isEnabled());
    form->MenuTestPattern_Click(image::TestPattern::Grid);
    EXPECT_EQ(prompts.messages.size(), 3u);
}

// An edit that cannot be written leaves nothing that would save or send the picture before it.
TEST_F(EditorTest, AnEditThatCannotBeWrittenDisablesSaveAndLoad) {
    ASSERT_TRUE(start(QString()));
    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    state.TempBMPFile = programDir.filePath(QStringLiteral("gone/~LCDbmp.tmp"));
    trigger(viewer, "ViewerInvert");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type"));
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
    // Closing asks; Save cannot save the stale files, so the window stays.
    prompts.messageAnswers.push_back(app::MessageAnswer::Save);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(requests.empty()) << "no save dialog for files that are not the picture";
}

// The zoom window's keys: Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo, Ctrl+plus and
// Ctrl+minus zoom.
TEST_F(EditorTest, ZoomWindowKeysUndoRedoAndZoom) {
    ASSERT_TRUE(start(QString()));
    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
    trigger(viewer, "ViewerInvert");
    image::PackedPicture dark(240, 128);
    image::edit::InvertArea(dark, image::edit::WholeArea(dark));
    expectWorkingFilesShow(dark);

    QTest::keyClick(viewer, Qt::Key_Z, Qt::ControlModifier);
    expectWorkingFilesShow(image::PackedPicture(240, 128));
    QTest::keyClick(viewer, Qt::Key_Y, Qt::ControlModifier);
    expectWorkingFilesShow(dark);
    QTest::keyClick(viewer, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(viewer, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    expectWorkingFilesShow(dark);

    EXPECT_EQ(viewer->zoom(), 2);
    QTest::keyClick(viewer, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(viewer->zoom(), 3);
    QTest::keyClick(viewer, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(viewer->zoom(), 2);
}

// The text tool: a click places a box, the typed text lies on the picture as it is typed and
// becomes pixels when put down, as one undo step; Escape takes a text off again.
TEST_F(EditorTest, TextIsTypedPutDownAndUndoneInOneStep) {
    ASSERT_TRUE(start(QString()));
    dialogs::Viewer* viewer = openEditor();
    ASSERT_NE(viewer, nullptr);
    viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
    trigger(viewer, "ToolText");
    dialogs::TextPanel* panel = viewer->textPanel();
    ASSERT_TRUE(panel->isVisible());
    for (const char* name : {"TextFont", "TextSize", "TextAlignLeft", "TextAlignCentre",
                             "TextAlignRight", "TextField"}) {
        auto* widget = panel->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
    }

    // Two lines, centred, in the default font, at picture pixel (10, 10).
    panel->findChild<QAbstractButton*>(QStringLiteral("TextAlignCentre"))->click();
    dialogs::ViewerEnlarger* canvas = viewer->BMPEnlarger();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(21, 21));
    ASSERT_TRUE(viewer->textPlacement()->active());
    QTest::keyClicks(panel->textField(), QStringLiteral("Hello"));
    QTest::keyClick(panel->textField(), Qt::Key_Return);
    QTest::keyClicks(panel->textField(), QStringLiteral("LCD"));
    EXPECT_EQ(panel->text(), QStringLiteral("Hello\nLCD"));

    fonts::OpenedFont font = fonts::OpenDefaultFont(0);
    ASSERT_NE(font.font, nullptr);
    const fonts::RenderedText rendered =
        fonts::RenderText(*font.font, "Hello\nLCD", fonts::TextAlign::Centre);
    ASSERT_FALSE(rendered.picture.empty());
    image::PackedPicture written(240, 128);
    fonts::StampText(rendered.picture, written, 10, 10);
    // Shown while it is typed, still floating.
    EXPECT_EQ(shownPicture(control<app::PictureBox>(*form, "BMPImage").picture()), written);

    // Ctrl+Enter puts it down: the working files show it, and one undo takes it away.
    QTest::keyClick(panel->textField(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(viewer->textPlacement()->active());
    EXPECT_EQ(panel->text(), QStringLiteral("Hello\nLCD")) << "Ctrl+Enter adds no line";
    expectWorkingFilesShow(written);
    // The keyboard is back on the picture: Ctrl+Z undoes the text, not the typing.
    EXPECT_FALSE(panel->isAncestorOf(QApplication::focusWidget()));
    trigger(viewer, "ViewerUndo");
    expectWorkingFilesShow(image::PackedPicture(240, 128));
    trigger(viewer, "ViewerRedo");
    expectWorkingFilesShow(written);

    // A click elsewhere puts a text down too; a glyph the font lacks is drawn as its default
    // glyph and named in the status line.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(201, 161));
    // (QTest types ASCII only; the field takes the text as a paste into it would.)
    panel->textField()->insertPlainText(QString::fromUtf8("A\u4e00"));
    EXPECT_TRUE(viewer->statusText().contains(QStringLiteral("U+4E00")))
        << viewer->statusText().toStdString();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(21, 201));
    const fonts::RenderedText second =
        fonts::RenderText(*font.font, "A\u4e00", fonts::TextAlign::Centre);
    ASSERT_EQ(second.missing, std::vector<char32_t>{U'\u4e00'});
    image::PackedPicture both = written;
    fonts::StampText(second.picture, both, 100, 80);
    expectWorkingFilesShow(both);

    // Escape takes the text being placed off; the picture and its history stay as they were.
    QTest::keyClicks(panel->textField(), QStringLiteral("gone"));
    QTest::keyClick(panel->textField(), Qt::Key_Escape);
    EXPECT_FALSE(viewer->textPlacement()->active());
    expectWorkingFilesShow(both);
    trigger(viewer, "ViewerUndo");
    expectWorkingFilesShow(written);

    // A font that cannot be opened is named; the text keeps its last look.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(21, 201));
    auto* fontField = panel->findChild<QLineEdit*>(QStringLiteral("TextFont"));
    fontField->setText(filesDir.path() + QStringLiteral("/no-such-font.bdf"));
    emit fontField->editingFinished();
    QTest::keyClicks(panel->textField(), QStringLiteral("x"));
    EXPECT_TRUE(viewer->statusText().contains(QStringLiteral("Font:")))
        << viewer->statusText().toStdString();
    // Select puts a text down too (it would otherwise stay floating).
    trigger(viewer, "ToolText");
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(21, 201));
    fontField->clear();
    emit fontField->editingFinished();
    QTest::keyClicks(panel->textField(), QStringLiteral("A"));
    trigger(viewer, "ToolSelect");
    EXPECT_FALSE(viewer->textPlacement()->active());
    const fonts::RenderedText third = fonts::RenderText(*font.font, "A", fonts::TextAlign::Centre);
    image::PackedPicture withA = written;
    fonts::StampText(third.picture, withA, 10, 100);
    expectWorkingFilesShow(withA);
    trigger(viewer, "ViewerUndo");
    expectWorkingFilesShow(written);

    // Another tool puts the (empty) text down: nothing changes.
    trigger(viewer, "ToolText");
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(21, 201));
    trigger(viewer, "ToolPencil");
    EXPECT_FALSE(panel->isVisible());
    expectWorkingFilesShow(written);
}

} // namespace
} // namespace vornix::test
