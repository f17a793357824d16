// Start-up: the command line's outcomes in the log, the state, the menus and the messages.
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QListWidget>

#include <sys/stat.h>
#include <unistd.h>

#include "app/caption_label.h"
#include "app/picture_box.h"
#include "image/photo/prepare_image.h"
#include "lcd_form_fixture.h"
#include "support/row_name.h"

namespace vornix::test {
namespace {

using app::MessageIcon;

QByteArray eightBitBitmap() {
    QImage image(16, 4, QImage::Format_Indexed8);
    image.setColorCount(256);
    for (int i = 0; i < 256; ++i) {
        image.setColor(i, qRgb(i, i, i));
    }
    image.fill(7);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

TEST_F(LCDFormTest, NoCommandLineDisablesOnlyThePictureCommands) {
    ASSERT_TRUE(start(QString()));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "Log").caption(), QString());
    EXPECT_EQ(state.FilePath, QCoreApplication::applicationDirPath());
    EXPECT_EQ(state.FileName, QString());
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
    for (const char* name :
         {"MenuOpenBMP", "MenuOpenPxl", "MenuFileExit", "MenuMaskOn", "MenuMaskSize", "MenuImgInfo",
          "MenuImgMagnifier", "MenuHelpfile", "MenuHelpPaint", "MenuHelpAbout"}) {
        EXPECT_TRUE(control<QAction>(*form, name).isEnabled()) << name;
    }
    EXPECT_FALSE(control<QAction>(*form, "MenuMaskOn").isChecked());
    EXPECT_EQ(state.CrLf, QStringLiteral("\r\n"));
    EXPECT_EQ(state.TempBMPFile, workingBMP());
    EXPECT_EQ(state.TempPXLFile, workingPXL());
    EXPECT_EQ(state.UntitledFile, programDir.filePath(QStringLiteral("untitled.")));
    EXPECT_EQ(state.PortNumber, QStringLiteral("1"));
    EXPECT_EQ(state.PortStatus, QStringLiteral("CLOSED"));
    EXPECT_EQ(state.BaudRate, QStringLiteral("9600"));
    const auto& ports = control<QListWidget>(*form, "ComList");
    ASSERT_EQ(ports.count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ports.item(i)->text(), QString::number(i + 1));
    }
    EXPECT_EQ(ports.currentRow(), 0);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, QuotedBitmapIsOpenedAndConverted) {
    QFile::copy(sample("clock.bmp"), file(QStringLiteral("clock.bmp")));
    const QString path = file(QStringLiteral("clock.bmp"));
    ASSERT_TRUE(start(QLatin1Char('"') + path + QLatin1Char('"')));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "Log").caption(),
              QStringLiteral("Filename:\"") + path + QStringLiteral("\"\r\n") +
                  QStringLiteral("Path:") + filesDir.path() + QStringLiteral("\r\n(BMP)\r\n"));
    EXPECT_EQ(state.FilePath, filesDir.path());
    EXPECT_EQ(state.FileName, path);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), path);
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(readAll(workingBMP()), readAll(path)); // a byte-for-byte copy
    const QByteArray pxl = readAll(workingPXL());
    EXPECT_TRUE(pxl.startsWith("@,240,128,8\r\n"));
    EXPECT_EQ(pxl.count("\r\n"), 129);
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(240, 128));
}

TEST_F(LCDFormTest, BitmapWithoutDirectoryIsLookedUpInTheCurrentDirectory) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(filesDir.path());
    const bool loaded = start(QStringLiteral("shapes.bmp"));
    QDir::setCurrent(cwd);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "Log").caption(),
              QStringLiteral("Filename:shapes.bmp\r\n(BMP)\r\n"));
    EXPECT_EQ(state.FilePath, QCoreApplication::applicationDirPath());
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
}

struct IgnoredCommandLine {
    const char* name;
    const char* commandLine;
    const char* log;
};

void PrintTo(const IgnoredCommandLine& row, std::ostream* out) {
    *out << row.name;
}

class IgnoredCommandLineTest : public LCDFormTest,
                               public ::testing::WithParamInterface<IgnoredCommandLine> {};

TEST_P(IgnoredCommandLineTest, OnlyTheLogShowsWhatWasSeen) {
    ASSERT_TRUE(start(QString::fromLatin1(GetParam().commandLine)));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "Log").caption(),
              QString::fromLatin1(GetParam().log));
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(QFile::exists(workingPXL()));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, IgnoredCommandLineTest,
    ::testing::Values(IgnoredCommandLine{"PictureOfAnotherFormat", "/data/photo.jpg",
                                         "Filename:/data/photo.jpg\r\nPath:/data\r\n"},
                      IgnoredCommandLine{"LoneQuote", "\"", "Filename:\"\r\n"},
                      IgnoredCommandLine{"TextFile", "notes.txt", "Filename:notes.txt\r\n"},
                      IgnoredCommandLine{"QuotedNameOfNoKnownType", "\"a.bm\"",
                                         "Filename:\"a.bm\"\r\n"}),
    RowName);

TEST_F(LCDFormTest, MissingBitmapShowsTheFileErrorWithItsCode) {
    const QString path = file(QStringLiteral("missing.bmp"));
    ASSERT_TRUE(start(path));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type  53"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("File Error"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
    EXPECT_FALSE(
        control<app::CaptionLabel>(*form, "Log").caption().contains(QStringLiteral("(BMP)")));
}

TEST_F(LCDFormTest, TextFileNamedBmpIsRefusedAsAnInvalidPicture) {
    writeAll(file(QStringLiteral("notes.BMP")), "just some text\r\n");
    ASSERT_TRUE(start(file(QStringLiteral("notes.BMP"))));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type  481"));
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
}

// A bitmap of more colours than two, named on the command line as a file manager does, opens
// in Import Picture: OK shows the imported picture under the file's name, Cancel leaves the
// window empty. Opened from the File menu it keeps the colour-depth refusal.
TEST_F(LCDFormTest, EightBitBitmapOpensInImportPictureFromTheCommandLine) {
    writeAll(file(QStringLiteral("grey.bmp")), eightBitBitmap());
    for (const bool accepted : {true, false}) {
        std::vector<QSize> offered;
        importDialog = [&offered, accepted](const QImage& source, QWidget*) {
            offered.push_back(source.size());
            image::MonoImage picture(8, 2);
            picture.setDark(0, 0);
            return accepted ? std::optional<image::MonoImage>(picture) : std::nullopt;
        };
        ASSERT_TRUE(start(file(QStringLiteral("grey.bmp"))));
        EXPECT_EQ(offered, std::vector<QSize>{QSize(16, 4)});
        EXPECT_TRUE(prompts.messages.empty());
        const QString log = control<app::CaptionLabel>(*form, "Log").caption();
        if (accepted) {
            EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
            EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
                      file(QStringLiteral("grey.bmp")));
            EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(8, 2));
            EXPECT_TRUE(log.endsWith(QStringLiteral("(BMP)\r\n")));
            EXPECT_TRUE(readAll(workingPXL()).startsWith("@,8,2,8\r\n"));
        } else {
            EXPECT_EQ(fileItems(), QStringLiteral("---"));
            EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), QString());
            EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
            EXPECT_FALSE(log.contains(QStringLiteral("(BMP)")));
            EXPECT_FALSE(QFile::exists(workingBMP()));
        }
        form.reset();
        QFile::remove(workingBMP());
        QFile::remove(workingPXL());
    }

    importDialog = nullptr;
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), QStringLiteral("grey.bmp"));
    form->MenuOpenBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("Image is not compatible with LCD.\r\nImage is 8-bit color.\r\n"
                             "Image must be B/W only."));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(fileItems(), QStringLiteral("-BP"));
    EXPECT_TRUE(QFile::exists(workingBMP()));
    EXPECT_FALSE(QFile::exists(workingPXL()));
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage")
                    .tag()
                    .contains(QStringLiteral("Bits/Pixel:     8\r\n")));
}

TEST_F(LCDFormTest, PxlWithMarkerBecomesTheCurrentPicture) {
    // LF line ends and no line end after the last line: the working copy has CR LF throughout.
    writeAll(file(QStringLiteral("dots.PXL")), "@,16,2,8\n0FFh,000h\n080h,001h");
    ASSERT_TRUE(start(file(QStringLiteral("dots.PXL"))));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,16,2,8\r\n0FFh,000h\r\n080h,001h\r\n"));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_TRUE(
        control<app::CaptionLabel>(*form, "Log").caption().endsWith(QStringLiteral("(PXL)\r\n")));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              file(QStringLiteral("dots.PXL")));
    const QImage& picture = control<app::PictureBox>(*form, "BMPImage").picture();
    ASSERT_EQ(picture.size(), QSize(16, 2));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(8, 0), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(0, 1), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(15, 1), QColor(Qt::black));
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage")
                    .tag()
                    .contains(QStringLiteral("ImageOffset:    70 Bytes\r\n")));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, PxlWithoutMarkerIsCopiedButNotShown) {
    writeAll(file(QStringLiteral("raw.pxl")), "0FFh,000h\r\n");
    ASSERT_TRUE(start(file(QStringLiteral("raw.pxl"))));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("0FFh,000h\r\n"));
    EXPECT_EQ(fileItems(), QStringLiteral("L-P"));
    EXPECT_FALSE(
        control<app::CaptionLabel>(*form, "Log").caption().contains(QStringLiteral("(PXL)")));
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
    EXPECT_FALSE(QFile::exists(workingBMP()));
}

TEST_F(LCDFormTest, MissingPxlIsReportedAndLeavesTheWorkingFileAlone) {
    writeAll(workingPXL(), "previous\r\n");
    ASSERT_TRUE(start(file(QStringLiteral("gone.pxl"))));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type  53"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("File Error"));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("previous\r\n"));
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
}

// Hostile files named on the command line. Start-up must come back (a FIFO without a writer
// would block an ordinary read for ever: the alarm ends the test program instead of hanging
// it), hold nothing of the file in memory, and leave the working files as they were unless the
// file is a PXL text that is copied whole.
enum class Hostile { Fifo, DevZero, SparseGigabyte, File };

struct HostileCase {
    const char* name;
    Hostile kind;
    QByteArray bytes;    // File: the content; SparseGigabyte: the start before the hole
    const char* message; // the one message shown, "" for none
    const char* items;   // fileItems() afterwards
    bool pxlCopied;      // the working PXL file became the file's copy
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class HostileCommandLineTest : public LCDFormTest,
                               public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileCommandLineTest, StartsAndLeavesTheWorkingFilesAlone) {
    const HostileCase& c = GetParam();
    const QString path = file(QString::fromLatin1(c.name));
    switch (c.kind) {
    case Hostile::Fifo:
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Hostile::DevZero:
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    case Hostile::SparseGigabyte: {
        QFile sparse(path);
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        sparse.write(c.bytes);
        ASSERT_TRUE(sparse.resize(qint64{1} << 30));
        break;
    }
    case Hostile::File:
        writeAll(path, c.bytes);
        break;
    }
    writeAll(workingPXL(), "previous\r\n");
    writeAll(workingBMP(), "previous");
    ::alarm(60);
    ASSERT_TRUE(start(path));
    ::alarm(0);
    if (*c.message == '\0') {
        EXPECT_TRUE(prompts.messages.empty());
    } else {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(prompts.messages[0].title, QStringLiteral("File Error"));
    }
    EXPECT_EQ(fileItems(), QString::fromLatin1(c.items));
    EXPECT_EQ(readAll(workingPXL()), c.pxlCopied ? c.bytes : QByteArray("previous\r\n"));
    EXPECT_EQ(readAll(workingBMP()), QByteArray("previous"));
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileCommandLineTest,
    ::testing::Values(
        HostileCase{"x.pxl", Hostile::Fifo, "", "Bad file name or file type  75", "---", false},
        HostileCase{"x.bmp", Hostile::Fifo, "", "Bad file name or file type  75", "---", false},
        HostileCase{"z.bmp", Hostile::DevZero, "", "Bad file name or file type  75", "---", false},
        HostileCase{"z.pxl", Hostile::DevZero, "", "Bad file name or file type  75", "---", false},
        HostileCase{"big.pxl", Hostile::SparseGigabyte, "@,16,1,8\r\n",
                    "Bad file name or file type  75", "---", false},
        HostileCase{"big.bmp", Hostile::SparseGigabyte, "BM", "Bad file name or file type  75",
                    "---", false},
        HostileCase{"long.pxl", Hostile::File, "@,8,1,8\r\n0" + QByteArray(5000, '0') + "h\r\n",
                    "Bad file name or file type  75", "---", false},
        // Copied as every PXL file is, but never turned into a bitmap of 134 MB.
        HostileCase{"t.pxl", Hostile::File, "@,32760,32767,-1\r\n", "", "L-P", true},
        HostileCase{"nine.pxl", Hostile::File, "@,8,1,9\r\n0FFh\r\n", "", "L-P", true}),
    RowName);

TEST_F(LCDFormTest, SecondInstanceEndsWithoutTouchingTheWorkingFiles) {
    writeAll(workingPXL(), "first instance\r\n");
    writeAll(workingBMP(), "first instance\r\n");
    EXPECT_FALSE(start(sample("clock.bmp"), /*previousInstance=*/true));
    form.reset();
    EXPECT_EQ(readAll(workingPXL()), QByteArray("first instance\r\n"));
    EXPECT_EQ(readAll(workingBMP()), QByteArray("first instance\r\n"));
    EXPECT_TRUE(prompts.messages.empty());
}

} // namespace
} // namespace vornix::test

#include <sys/stat.h>

namespace vornix::test {
namespace {

// What someone else has put under a working file's name before the program starts.
enum class Planted { LinkToFile, LinkToNothing, Fifo };

struct PlantedCase {
    const char* name;
    const char* picture; // the file named on the command line
    Planted planted;
};

void PrintTo(const PlantedCase& row, std::ostream* out) {
    *out << row.name;
}

class PlantedWorkingFileTest : public LCDFormTest,
                               public ::testing::WithParamInterface<PlantedCase> {};

// Start-up on a picture writes both working files, and Run MSPaint writes the paint program's
// copy: each replaces what stands under its name and never writes through it.
TEST_P(PlantedWorkingFileTest, IsReplacedNeverFollowed) {
    const PlantedCase& row = GetParam();
    const QStringList names = {QStringLiteral("~LCDbmp.tmp"), QStringLiteral("~LCDpxl.tmp"),
                               QStringLiteral("untitled.")};
    QTemporaryDir victims;
    ASSERT_TRUE(victims.isValid());
    for (const QString& name : names) {
        const QString planted = programDir.filePath(name);
        const QString victim = victims.filePath(name + QStringLiteral(".victim"));
        switch (row.planted) {
        case Planted::LinkToFile:
            writeAll(victim, "victim's own content");
            ASSERT_TRUE(QFile::link(victim, planted));
            break;
        case Planted::LinkToNothing:
            ASSERT_TRUE(QFile::link(victim, planted));
            break;
        case Planted::Fifo:
            ASSERT_EQ(::mkfifo(QFile::encodeName(planted).constData(), 0600), 0);
            break;
        }
    }
    writeAll(file(QStringLiteral("dots.pxl")), "@,16,2,8\r\n0FFh,000h\r\n080h,001h\r\n");
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));

    ASSERT_TRUE(start(file(QString::fromLatin1(row.picture))));
    state.PaintProgram = QStringLiteral("/usr/bin/paint-stand-in");
    form->MenuHelpPaint_Click();

    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(programDir.filePath(name)).constData(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode)) << "a regular file replaces what was planted";
        const QString victim = victims.filePath(name + QStringLiteral(".victim"));
        if (row.planted == Planted::LinkToFile) {
            EXPECT_EQ(readAll(victim), QByteArray("victim's own content"));
        } else {
            EXPECT_FALSE(QFile::exists(victim));
        }
    }
    const QByteArray pxl = readAll(workingPXL());
    EXPECT_TRUE(pxl.startsWith(QByteArray(row.picture).endsWith("pxl") ? "@,16,2,8\r\n"
                                                                       : "@,128,64,8\r\n"));
    const QByteArray bitmap = readAll(workingBMP());
    EXPECT_TRUE(bitmap.startsWith("BM"));
    EXPECT_EQ(readAll(programDir.filePath(QStringLiteral("untitled."))), bitmap);
    ASSERT_EQ(prompts.starts.size(), 1u);
    EXPECT_EQ(prompts.starts[0].arguments, QStringList{state.UntitledFile});
}

INSTANTIATE_TEST_SUITE_P(
    Plants, PlantedWorkingFileTest,
    ::testing::Values(PlantedCase{"BitmapOverLinksToFiles", "shapes.bmp", Planted::LinkToFile},
                      PlantedCase{"BitmapOverLinksToNothing", "shapes.bmp", Planted::LinkToNothing},
                      PlantedCase{"BitmapOverFifos", "shapes.bmp", Planted::Fifo},
                      PlantedCase{"PxlOverLinksToFiles", "dots.pxl", Planted::LinkToFile}),
    RowName);

} // namespace
} // namespace vornix::test
