// The File menu's open and save commands: enabled states, proposed names, messages, files.
#include <algorithm>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QLineEdit>
#include <QTimer>

#include "app/caption_label.h"
#include "app/picture_box.h"
#include "dialogs/file_form.h"
#include "image/photo/prepare_image.h"
#include "lcd_form_fixture.h"
#include "support/row_name.h"

// Readable failure output for texts and paths.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vornix::test {
namespace {

using app::MessageIcon;

TEST_F(LCDFormTest, CancelledOpenBeforeAnyFileStillEnablesTheSaveCommands) {
    ASSERT_TRUE(start(QString()));
    form->MenuOpenBMP_Click(); // no scripted answer: the dialog is cancelled
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], QStringLiteral("BMPO"));
    EXPECT_EQ(proposedNames[0], QString());
    EXPECT_EQ(state.FileName, QString());
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
    EXPECT_EQ(fileItems(), QStringLiteral("-BP"));

    answerDialog(filesDir.path(), QStringLiteral("out.bmp"));
    form->MenuSaveBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("File Save Error. No image file to save"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("File Error"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("out.bmp"))));
}

TEST_F(LCDFormTest, OpenBitmapKeepsItOneBitAndConvertsIt) {
    QFile::copy(sample("clock.bmp"), file(QStringLiteral("clock.bmp")));
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), QStringLiteral("clock.bmp"));
    form->MenuOpenBMP_Click();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              file(QStringLiteral("clock.bmp")));
    EXPECT_EQ(state.LastFileName, QStringLiteral("clock.bmp"));
    EXPECT_EQ(readAll(workingBMP()), readAll(file(QStringLiteral("clock.bmp"))));
    EXPECT_TRUE(readAll(workingPXL()).startsWith("@,240,128,8\r\n"));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
}

TEST_F(LCDFormTest, OpenTextFileNamedBmpKeepsThePreviousItemStates) {
    writeAll(file(QStringLiteral("notes.BMP")), "not a picture");
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), QStringLiteral("notes.BMP"));
    form->MenuOpenBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type"));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("File Error"));
    EXPECT_EQ(fileItems(), QStringLiteral("---"));
}

TEST_F(LCDFormTest, OpenPatternReturnedAsNameIsABadFileName) {
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), QStringLiteral("*.BMP;*.JPG;*.GIF"));
    form->MenuOpenBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type"));
}

TEST_F(LCDFormTest, OpenPxlWithAndWithoutMarker) {
    writeAll(file(QStringLiteral("wide.pxl")), "@,8,1,8\r\n0A5h\r\n");
    writeAll(file(QStringLiteral("plain.pxl")), "0A5h\r\n");
    ASSERT_TRUE(start(QString()));

    answerDialog(filesDir.path(), QStringLiteral("plain.pxl"));
    form->MenuOpenPxl_Click();
    EXPECT_EQ(requests.back(), QStringLiteral("PXLO"));
    EXPECT_EQ(fileItems(), QStringLiteral("L-P"));
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").tag(), QString());

    answerDialog(filesDir.path(), QStringLiteral("wide.pxl"));
    form->MenuOpenPxl_Click();
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,8,1,8\r\n0A5h\r\n"));
    // 0A5h inverted is 5A, followed by three fill bytes: a 74-byte bitmap.
    const QByteArray bitmap = readAll(workingBMP());
    ASSERT_EQ(bitmap.size(), 74);
    EXPECT_EQ(bitmap.mid(70), QByteArray("\x5A\xFF\xFF\xFF", 4));
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(8, 1));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, OpenPxlWithBadValuesKeepsThePictureAndDisablesSaveAsBmp) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    writeAll(file(QStringLiteral("bad.pxl")), "@,8,1,8\r\n1FFh\r\n");
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    const QByteArray shapesBitmap = readAll(workingBMP());
    answerDialog(filesDir.path(), QStringLiteral("bad.pxl"));
    form->MenuOpenPxl_Click();
    EXPECT_EQ(fileItems(), QStringLiteral("L-P"));
    EXPECT_EQ(readAll(workingBMP()), shapesBitmap); // never a half-written bitmap
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(128, 64));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, CancelledOpenPxlChangesNothing) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    const QByteArray pxl = readAll(workingPXL());
    const QByteArray bitmap = readAll(workingBMP());
    form->MenuOpenPxl_Click();
    EXPECT_EQ(readAll(workingPXL()), pxl);
    EXPECT_EQ(readAll(workingBMP()), bitmap);
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_EQ(state.FilePath, QString()); // the cancel button empties it
}

struct Proposal {
    const char* name;
    const char* opened;
    const char* saveType;
    const char* proposed;
};

void PrintTo(const Proposal& row, std::ostream* out) {
    *out << row.name;
}

class SaveProposalTest : public LCDFormTest, public ::testing::WithParamInterface<Proposal> {};

TEST_P(SaveProposalTest, ProposesTheOpenedNameWithItsExtensionAdjusted) {
    ASSERT_TRUE(start(QString()));
    state.LastFileName = QString::fromLatin1(GetParam().opened);
    if (QByteArray(GetParam().saveType) == "BMP") {
        form->MenuSaveBMP_Click();
    } else {
        form->MenuSavePXL_Click();
    }
    ASSERT_EQ(proposedNames.size(), 1u);
    EXPECT_EQ(requests[0], QString::fromLatin1(GetParam().saveType) + QStringLiteral("S"));
    EXPECT_EQ(proposedNames[0], QString::fromLatin1(GetParam().proposed));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveProposalTest,
    ::testing::Values(Proposal{"PxlSavedAsBmp", "clock.pxl", "BMP", "clock.BMP"},
                      Proposal{"GifSavedAsPxl", "photo.GIF", "PXL", "photo.PXL"},
                      Proposal{"JpgSavedAsPxl", "photo.jpg", "PXL", "photo.PXL"},
                      Proposal{"BmpSavedAsPxl", "logo.bmp", "PXL", "logo.PXL"},
                      Proposal{"JpgSavedAsBmpGetsTheBmpEnding", "photo.jpg", "BMP", "photo.BMP"},
                      Proposal{"JpegSavedAsBmp", "photo.jpeg", "BMP", "photo.BMP"},
                      Proposal{"PngSavedAsPxl", "photo.png", "PXL", "photo.PXL"},
                      Proposal{"PngSavedAsBmp", "scan.PNG", "BMP", "scan.BMP"},
                      Proposal{"BmpSavedAsBmp", "border.bmp", "BMP", "border.bmp"},
                      Proposal{"OtherEndingKept", "notes.v2", "BMP", "notes.v2"},
                      Proposal{"PxlSavedAsPxl", "clock.PXL", "PXL", "clock.PXL"},
                      Proposal{"OnlyTheLastExtensionChanges", "a.b.pxl", "BMP", "a.b.BMP"},
                      Proposal{"NameWithoutExtensionKept", "pxl", "BMP", "pxl"},
                      Proposal{"NothingOpened", "", "PXL", ""}),
    RowName);

TEST_F(LCDFormTest, SaveReplacesWithoutAskingAndKeepsANameWithoutExtension) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    writeAll(file(QStringLiteral("existing.pxl")), "old content");
    answerDialog(filesDir.path(), QStringLiteral("existing.pxl"));
    form->MenuSavePXL_Click();
    EXPECT_EQ(readAll(file(QStringLiteral("existing.pxl"))), readAll(workingPXL()));

    answerDialog(filesDir.path(), QStringLiteral("noextension"));
    form->MenuSavePXL_Click();
    EXPECT_EQ(readAll(file(QStringLiteral("noextension"))), readAll(workingPXL()));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("noextension.PXL"))));

    answerDialog(filesDir.path(), QStringLiteral("copy.bmp"));
    form->MenuSaveBMP_Click();
    EXPECT_EQ(readAll(file(QStringLiteral("copy.bmp"))), readAll(sample("shapes.bmp")));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              file(QStringLiteral("copy.bmp")));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
}

QByteArray pictureBytes(const char* format, int depth = 32) {
    QImage image(6, 3, depth == 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (depth == 8) {
        image.setColorTable({qRgb(0, 0, 0), qRgb(90, 90, 90), qRgb(255, 255, 255)});
        image.fill(1);
    } else {
        image.fill(qRgb(200, 30, 10));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray sampleBytes(const char* name) {
    QFile f(QStringLiteral(VORNIX_SAMPLES "/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ReplaceCase {
    const char* name;
    const char* target;
    std::function<QByteArray()> content;
    const char* saveType;
    const char* foundWords; // "" when the save replaces the file without a question
};

class ReplaceOtherKindTest : public LCDFormTest,
                             public ::testing::WithParamInterface<ReplaceCase> {};

// A save onto a file of another kind of picture asks first, naming the file and its kind;
// Cancel leaves the file and the caption as they were, OK replaces it. A file of the kind being
// saved, or no picture at all, is replaced without a question.
TEST_P(ReplaceOtherKindTest, AsksBeforeReplacingAnotherKindOfPicture) {
    const ReplaceCase& row = GetParam();
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    const QString target = file(QString::fromLatin1(row.target));
    const QByteArray before = row.content();
    writeAll(target, before);
    const bool bmp = QByteArray(row.saveType) == "BMP";
    const QByteArray written = readAll(bmp ? workingBMP() : workingPXL());
    const QString caption = control<app::CaptionLabel>(*form, "FileEntry").caption();
    const bool asks = *row.foundWords != '\0';

    prompts.messageAnswers = {app::MessageAnswer::Cancel};
    answerDialog(filesDir.path(), QString::fromLatin1(row.target));
    bmp ? form->MenuSaveBMP_Click() : form->MenuSavePXL_Click();
    if (asks) {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(
            prompts.messages[0].text,
            target + QStringLiteral("\r\nis ") + QString::fromLatin1(row.foundWords) +
                QStringLiteral(", not ") +
                (bmp ? QStringLiteral("a one-bit BMP picture") : QStringLiteral("a PXL file")) +
                QStringLiteral(".\r\nReplace it?"))
            << prompts.messages[0].text.toStdString();
        EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
        EXPECT_EQ(prompts.messages[0].icon, app::MessageIcon::Question);
        EXPECT_EQ(prompts.messages[0].buttons, app::MessageButtons::OkCancelSafe);
        EXPECT_EQ(readAll(target), before);
        EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), caption);

        prompts.messageAnswers = {app::MessageAnswer::Ok};
        answerDialog(filesDir.path(), QString::fromLatin1(row.target));
        bmp ? form->MenuSaveBMP_Click() : form->MenuSavePXL_Click();
        EXPECT_EQ(prompts.messages.size(), 2u);
    } else {
        EXPECT_TRUE(prompts.messages.empty());
    }
    EXPECT_EQ(readAll(target), written);
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), target);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Targets, ReplaceOtherKindTest, ::testing::Values(
    ReplaceCase{"JpegAsBmp", "photo.jpg", [] { return pictureBytes("JPEG"); }, "BMP", "a JPEG picture"},
    ReplaceCase{"PngAsBmp", "photo.png", [] { return pictureBytes("PNG"); }, "BMP", "a PNG picture"},
    ReplaceCase{"GifAsBmp", "anim.gif", [] { return QByteArray("GIF89a\x06\x00\x03\x00"); }, "BMP",
                "a GIF picture"},
    ReplaceCase{"ColourBmpAsBmp", "photo.bmp", [] { return pictureBytes("BMP"); }, "BMP",
                "a BMP picture of 24 bits a pixel"},
    ReplaceCase{"FewColoursBmpAsBmp", "grey.bmp", [] { return pictureBytes("BMP", 8); }, "BMP",
                "a BMP picture of 4 bits a pixel"},
    ReplaceCase{"PxlAsBmp", "clock.pxl", [] { return QByteArray("@,8,1,8\r\n0FFh\r\n"); }, "BMP",
                "a PXL file"},
    ReplaceCase{"IconByItsEndingAsBmp", "logo.xpm", [] { return QByteArray("/* XPM */"); }, "BMP",
                "a picture"},
    ReplaceCase{"JpegNamedPxlAsPxl", "photo.pxl", [] { return pictureBytes("JPEG"); }, "PXL",
                "a JPEG picture"},
    ReplaceCase{"OneBitBmpAsPxl", "logo.bmp", [] { return sampleBytes("shapes.bmp"); }, "PXL",
                "a one-bit BMP picture"},
    ReplaceCase{"OneBitBmpAsBmp", "logo.bmp", [] { return sampleBytes("shapes.bmp"); }, "BMP", ""},
    ReplaceCase{"PxlAsPxl", "clock.PXL", [] { return QByteArray("old"); }, "PXL", ""},
    ReplaceCase{"TextAsPxl", "notes.txt", [] { return QByteArray("old"); }, "PXL", ""},
    ReplaceCase{"TextNamedBmpAsBmp", "notes.bmp", [] { return QByteArray("old"); }, "BMP", ""}),
    RowName);
// clang-format on

// Import Picture on a photo, OK, then Save as BMP with Return: the one-bit picture goes to a
// BMP file of the photo's name and the photo stays, whether it was opened or dropped.
TEST_F(LCDFormTest, ImportedPhotoIsNeverReplacedByItsOneBitCopy) {
    importDialog = [](const QImage&, QWidget*) {
        image::MonoImage picture(8, 2);
        picture.setDark(0, 0);
        return std::optional<image::MonoImage>(picture);
    };
    ASSERT_TRUE(start(QString()));
    const QByteArray photo = pictureBytes("JPEG");
    for (const bool dropped : {false, true}) {
        writeAll(file(QStringLiteral("photo.jpg")), photo);
        QFile::remove(file(QStringLiteral("photo.BMP")));
        if (dropped) {
            form->OpenDroppedFile(file(QStringLiteral("photo.jpg")));
        } else {
            answerDialog(filesDir.path(), QStringLiteral("photo.jpg"));
            form->MenuImportPicture_Click();
        }
        acceptProposal(filesDir.path());
        form->MenuSaveBMP_Click();
        EXPECT_EQ(proposedNames.back(), QStringLiteral("photo.BMP")) << dropped;
        EXPECT_EQ(readAll(file(QStringLiteral("photo.jpg"))), photo) << dropped;
        EXPECT_EQ(readAll(file(QStringLiteral("photo.BMP"))), readAll(workingBMP())) << dropped;
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, SavingUnderAPatternOrIntoAMissingFolderFails) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    answerDialog(filesDir.path(), QStringLiteral("*.PXL"));
    form->MenuSavePXL_Click();
    answerDialog(filesDir.filePath(QStringLiteral("nowhere")), QStringLiteral("x.pxl"));
    form->MenuSavePXL_Click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    for (const auto& message : prompts.messages) {
        EXPECT_EQ(message.text, QStringLiteral("File Save Error. No image file to save"));
    }
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              filesDir.filePath(QStringLiteral("nowhere")) + QStringLiteral("/x.pxl"));
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

// A 1-bit bitmap stored top-down (negative height): shown by the picture reader, but its
// rows cannot be converted.
QByteArray topDownBitmap() {
    QByteArray b("BM");
    auto le32 = [&b](qint32 v) {
        for (int i = 0; i < 4; ++i) {
            b += char((v >> (8 * i)) & 0xFF);
        }
    };
    auto le16 = [&b](qint16 v) {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    };
    le32(70);
    le16(0);
    le16(0);
    le32(62);
    le32(40);
    le32(8);
    le32(-2);
    le16(1);
    le16(1);
    le32(0);
    le32(8);
    le32(0);
    le32(0);
    le32(2);
    le32(2);
    b += QByteArray("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
    b += QByteArray("\x0F\x00\x00\x00\xF0\x00\x00\x00", 8);
    return b;
}

TEST_F(LCDFormTest, BitmapThatCannotBeConvertedDisarmsLoadLcd) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    writeAll(file(QStringLiteral("topdown.bmp")), topDownBitmap());
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    ASSERT_EQ(fileItems(), QStringLiteral("LBP"));
    const QByteArray previousPxl = readAll(workingPXL());
    answerDialog(filesDir.path(), QStringLiteral("topdown.bmp"));
    form->MenuOpenBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith(
        QStringLiteral("The picture could not be converted to LCD format.\r\n")));
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
    EXPECT_EQ(fileItems(), QStringLiteral("-BP"));
    EXPECT_EQ(readAll(workingPXL()), previousPxl);
    EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage")
                    .tag()
                    .contains(QStringLiteral("Image Height:  -2 Pixels\r\n")));
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

TEST_F(LCDFormTest, DroppedFilesOpenByTheirExtension) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.BMP")));
    writeAll(file(QStringLiteral("dot.pxl")), "@,8,1,8\r\n080h\r\n");
    ASSERT_TRUE(start(QString()));
    form->OpenDroppedFile(file(QStringLiteral("dot.pxl")));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,8,1,8\r\n080h\r\n"));
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(8, 1));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));

    form->OpenDroppedFile(file(QStringLiteral("shapes.BMP")));
    EXPECT_EQ(readAll(workingBMP()), readAll(sample("shapes.bmp")));
    EXPECT_TRUE(readAll(workingPXL()).startsWith("@,128,64,8\r\n"));
    EXPECT_EQ(state.LastFileName, QStringLiteral("shapes.BMP"));
    EXPECT_EQ(state.FilePath, filesDir.path());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(requests.empty()); // no file dialog
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

// The dark pixels of every two-colour test picture: 16 x 2, the top-left one among them.
const std::vector<QPoint> kDarkPixels{{0, 0}, {15, 0}, {3, 1}, {8, 1}};

bool isDarkPixel(int x, int y) {
    return std::find(kDarkPixels.begin(), kDarkPixels.end(), QPoint(x, y)) != kDarkPixels.end();
}

QByteArray pbmPicture() {
    return QByteArray("P4\n16 2\n") + QByteArray("\x80\x01\x10\x80", 4);
}

QByteArray xbmPicture() {
    return "#define t_width 16\n#define t_height 2\n"
           "static char t_bits[] = {0x01, 0x80, 0x08, 0x01};\n";
}

// A 1-bit PNG whose palette holds the dark colour at darkIndex.
QByteArray pngPicture(int darkIndex) {
    QImage picture(16, 2, QImage::Format_Mono);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    picture.setColorTable(darkIndex == 0 ? QList<QRgb>{black, white} : QList<QRgb>{white, black});
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 16; ++x) {
            picture.setPixel(x, y, isDarkPixel(x, y) ? darkIndex : 1 - darkIndex);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// A GIF with the two-entry palette white, black. Its LZW codes stay 3 bits wide: every two
// pixels are followed by a clear code, so the code table never grows past code 6.
QByteArray gifPicture() {
    QByteArray gif("GIF89a\x10\x00\x02\x00\x80\x00\x00", 13);
    gif += QByteArray("\xFF\xFF\xFF\x00\x00\x00", 6);
    gif += QByteArray("\x2C\x00\x00\x00\x00\x10\x00\x02\x00\x00\x02", 11);
    std::vector<int> codes;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 16; x += 2) {
            codes.insert(codes.end(),
                         {4, isDarkPixel(x, y) ? 1 : 0, isDarkPixel(x + 1, y) ? 1 : 0});
        }
    }
    codes.push_back(5);
    QByteArray data;
    int bits = 0;
    int filled = 0;
    for (const int code : codes) {
        bits |= code << filled;
        filled += 3;
        while (filled >= 8) {
            data += char(bits & 0xFF);
            bits >>= 8;
            filled -= 8;
        }
    }
    if (filled > 0) {
        data += char(bits & 0xFF);
    }
    gif += char(data.size());
    gif += data;
    gif += QByteArray("\x00\x3B", 2);
    return gif;
}

// The PXL rows' bits: one string per row, "1" for a set bit.
QStringList pxlBits(const QByteArray& pxl) {
    QStringList rows = QString::fromLatin1(pxl).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (!rows.isEmpty()) {
        rows.removeFirst(); // the header
    }
    QStringList bits;
    for (const QString& row : rows) {
        QString line;
        for (QString value : row.split(QLatin1Char(','))) {
            value.chop(1); // the "h"
            line += QStringLiteral("%1").arg(value.toInt(nullptr, 16), 8, 2, QLatin1Char('0'));
        }
        bits.append(line);
    }
    return bits;
}

struct TwoColourCase {
    const char* name;
    std::function<QByteArray()> content;
};

void PrintTo(const TwoColourCase& row, std::ostream* out) {
    *out << row.name;
}

class TwoColourOpenTest : public LCDFormTest,
                          public ::testing::WithParamInterface<TwoColourCase> {};

TEST_P(TwoColourOpenTest, EveryPixelShownDarkIsASetBit) {
    const QString name = QString::fromLatin1(GetParam().name);
    writeAll(file(name), GetParam().content());
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), name);
    form->MenuOpenBMP_Click();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));

    const QImage shown = control<app::PictureBox>(*form, "BMPImage").picture();
    ASSERT_EQ(shown.size(), QSize(16, 2));
    const QStringList bits = pxlBits(readAll(workingPXL()));
    ASSERT_EQ(bits.size(), 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool darkShown = qGray(shown.pixel(x, y)) < 128;
            ASSERT_EQ(darkShown, isDarkPixel(x, y)) << "the picture file itself, at " << x;
            EXPECT_EQ(bits[y][x] == QLatin1Char('1'), darkShown) << x << "," << y;
        }
    }
    // The row padding comes from the writer, not from memory: a second opening writes the
    // same bytes.
    const QByteArray bitmap = readAll(workingBMP());
    answerDialog(filesDir.path(), name);
    form->MenuOpenBMP_Click();
    EXPECT_EQ(readAll(workingBMP()), bitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TwoColourOpenTest,
    ::testing::Values(TwoColourCase{"mono.pbm", pbmPicture},
                      TwoColourCase{"black_first.png", [] { return pngPicture(0); }},
                      TwoColourCase{"white_first.png", [] { return pngPicture(1); }},
                      TwoColourCase{"mono.xbm", xbmPicture},
                      TwoColourCase{"two_colours.gif", gifPicture},
                      TwoColourCase{"png_inside.bmp", [] { return pngPicture(1); }},
                      TwoColourCase{"pbm_inside.BMP", pbmPicture}),
    RowName);

TEST(TwoColourFixtureTest, PngFilesAreOneBitWithThePaletteInTheOrderAsked) {
    for (const int darkIndex : {0, 1}) {
        const QByteArray png = pngPicture(darkIndex);
        ASSERT_GT(png.size(), 40);
        EXPECT_EQ(png[24], 1) << "bit depth";
        EXPECT_EQ(png[25], 3) << "palette colour type";
        const qsizetype palette = png.indexOf("PLTE");
        ASSERT_GT(palette, 0);
        EXPECT_EQ(png.mid(palette + 4, 3), QByteArray(3, darkIndex == 0 ? '\x00' : '\xFF'));
    }
}

TEST_F(LCDFormTest, PictureOfThreeColoursKeepsTheColourDepthRefusal) {
    QImage picture(4, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0, 0, 0));
    picture.setPixel(1, 0, qRgb(255, 255, 255));
    picture.setPixel(2, 0, qRgb(255, 0, 0));
    picture.setPixel(3, 0, qRgb(255, 255, 255));
    ASSERT_TRUE(picture.save(file(QStringLiteral("three.png"))));
    ASSERT_TRUE(start(QString()));
    answerDialog(filesDir.path(), QStringLiteral("three.png"));
    form->MenuOpenBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith(QStringLiteral("Image is not compatible")));
    EXPECT_EQ(fileItems(), QStringLiteral("-BP"));
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

TEST_F(LCDFormTest, FileDialogStartsInTheExecutablesFolderAtStartAndAfterACancel) {
    QTemporaryDir executable;
    executableDir = executable.path();
    ASSERT_TRUE(start(QString()));
    EXPECT_EQ(state.FilePath, executable.path());
    EXPECT_NE(state.FilePath, programDir.path()); // not where the working files are kept

    answerDialog(filesDir.path(), QStringLiteral("none.bmp"));
    form->MenuOpenBMP_Click();
    form->MenuOpenPxl_Click(); // cancelled: the dialog empties FilePath
    form->MenuSavePXL_Click();
    ASSERT_EQ(proposedPaths.size(), 3u);
    EXPECT_EQ(proposedPaths[0], executable.path());
    EXPECT_EQ(proposedPaths[1], filesDir.path());
    EXPECT_EQ(proposedPaths[2], executable.path());
}

TEST_F(LCDFormTest, WithoutAnExecutableFolderGivenTheRunningProgramsFolderIsUsed) {
    ASSERT_TRUE(start(QString()));
    EXPECT_EQ(state.FilePath, QCoreApplication::applicationDirPath());
}

struct JoinCase {
    const char* name;
    const char* folder;
    const char* typed;
    const char* path;
};

void PrintTo(const JoinCase& row, std::ostream* out) {
    *out << row.name;
}

class JoinFilePathTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinFilePathTest, TypedNamesStartingWithASlashAreWholePaths) {
    EXPECT_EQ(app::JoinFilePath(QString::fromLatin1(GetParam().folder),
                                QString::fromLatin1(GetParam().typed)),
              QString::fromLatin1(GetParam().path));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JoinFilePathTest,
    ::testing::Values(JoinCase{"NameJoinsTheFolder", "/home/u/pics", "x.pxl", "/home/u/pics/x.pxl"},
                      JoinCase{"WholePathStandsAlone", "/home/u/pics", "/data/x.pxl",
                               "/data/x.pxl"},
                      JoinCase{"NameInASubfolderJoinsTheFolder", "/home/u/pics", "sub/x.pxl",
                               "/home/u/pics/sub/x.pxl"},
                      JoinCase{"RootFolderGivesOneSlash", "/", "x.pxl", "/x.pxl"},
                      JoinCase{"WholePathInTheRootFolder", "/", "/x.pxl", "/x.pxl"},
                      JoinCase{"NoFolder", "", "x.pxl", "x.pxl"}),
    RowName);

TEST_F(LCDFormTest, TypedAbsolutePathIsSavedThereAndOpenedFromThere) {
    QTemporaryDir elsewhere;
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    const QString target = elsewhere.filePath(QStringLiteral("typed.pxl"));
    answerDialog(filesDir.path(), target);
    form->MenuSavePXL_Click();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(readAll(target), readAll(workingPXL()));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), target);
    EXPECT_EQ(state.FilePath, elsewhere.path()); // the next dialog starts there
    EXPECT_EQ(state.FileName, QStringLiteral("typed.pxl"));

    answerDialog(filesDir.path(), target);
    form->MenuOpenPxl_Click();
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), target);
    EXPECT_EQ(state.LastFileName, QStringLiteral("typed.pxl"));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LCDFormTest, OkInTheRootFolderNamesTheFileWithOneSlash) {
    ASSERT_TRUE(start(QString()));
    answerDialog(QStringLiteral("/"), QStringLiteral("no-such-picture.bmp"));
    form->MenuOpenBMP_Click();
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              QStringLiteral("/no-such-picture.bmp"));
}

struct SaveNameCase {
    const char* name;
    bool saved;
};

void PrintTo(const SaveNameCase& row, std::ostream* out) {
    *out << row.name;
}

class SaveNameTest : public LCDFormTest, public ::testing::WithParamInterface<SaveNameCase> {};

TEST_P(SaveNameTest, OnlyWildcardsAreRefused) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    const QString name = QString::fromUtf8(GetParam().name);
    answerDialog(filesDir.path(), name);
    form->MenuSavePXL_Click();
    EXPECT_EQ(QFile::exists(file(name)), GetParam().saved);
    EXPECT_EQ(prompts.messages.empty(), GetParam().saved);
    if (GetParam().saved) {
        EXPECT_EQ(readAll(file(name)), readAll(workingPXL()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveNameTest,
    ::testing::Values(SaveNameCase{"a;b.pxl", true}, SaveNameCase{"clock;v2;final.PXL", true},
                      SaveNameCase{"caf\xC3\xA9 [1] & co.pxl", true}, SaveNameCase{"*.PXL", false},
                      SaveNameCase{"x?.pxl", false}, SaveNameCase{"*.BMP;*.JPG;*.GIF", false}),
    RowName);

// Drops a file and records what Import Picture was given.
class DropTest : public LCDFormTest {
protected:
    void SetUp() override {
        LCDFormTest::SetUp();
        ASSERT_TRUE(start(QString()));
        form->setImportDialogRunner([this](const QImage& source, QWidget*) {
            imported.push_back(source);
            image::MonoImage picture(3, 2);
            picture.setDark(0, 0);
            return std::optional<image::MonoImage>(picture);
        });
    }
    std::vector<QImage> imported;
};

TEST_F(DropTest, PictureThatIsNotOneBitOpensInImportPictureWithTheDroppedFile) {
    QImage colour(5, 4, QImage::Format_RGB32);
    colour.fill(qRgb(200, 40, 10));
    colour.setPixel(1, 1, qRgb(0, 0, 0));
    colour.setPixel(2, 2, qRgb(255, 255, 255));
    ASSERT_TRUE(colour.save(file(QStringLiteral("photo.png"))));
    ASSERT_TRUE(colour.save(file(QStringLiteral("photo.jpg")), "JPEG"));
    QImage grey(5, 4, QImage::Format_Indexed8);
    grey.setColorTable({qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)});
    grey.fill(1);
    grey.setPixel(0, 0, 0);
    grey.setPixel(4, 3, 2);
    ASSERT_TRUE(grey.save(file(QStringLiteral("grey.bmp")), "BMP"));

    for (const char* name : {"photo.png", "photo.jpg", "grey.bmp"}) {
        imported.clear();
        form->OpenDroppedFile(file(QString::fromLatin1(name)));
        ASSERT_EQ(imported.size(), 1u) << name;
        EXPECT_EQ(imported[0].size(), QSize(5, 4)) << name;
        EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
                  file(QString::fromLatin1(name)));
        EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(3, 2))
            << name; // the imported one
    }
    EXPECT_EQ(imported.size(), 1u);
    EXPECT_TRUE(requests.empty()); // no file dialog
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
}

TEST_F(DropTest, OneBitBitmapsAndTwoColourPicturesOpenDirectly) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    writeAll(file(QStringLiteral("mono.png")), pngPicture(1));
    for (const char* name : {"shapes.bmp", "mono.png"}) {
        form->OpenDroppedFile(file(QString::fromLatin1(name)));
        EXPECT_TRUE(imported.empty()) << name;
    }
    EXPECT_EQ(pxlBits(readAll(workingPXL()))[0], QStringLiteral("1000000000000001"));
    EXPECT_TRUE(prompts.messages.empty());
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

// The real file window, closed through its close box after the user typed a name.
void typeThenCloseTheFileWindow(const QString& typed) {
    QTimer::singleShot(0, [typed] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<dialogs::FileForm*>(window);
            if (dialog != nullptr && dialog->isVisible()) {
                dialog->findChild<QLineEdit*>(QStringLiteral("FileText"))->setText(typed);
                dialog->close();
            }
        }
    });
}

TEST_F(LCDFormTest, CloseBoxOfTheFileWindowCancelsSaveAndOpen) {
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
    form->setFileDialogRunner(&dialogs::FileForm::Show);
    writeAll(file(QStringLiteral("shapes.PXL")), "keep me");
    state.FilePath = filesDir.path();

    typeThenCloseTheFileWindow(QStringLiteral("typed.pxl"));
    form->MenuSavePXL_Click();
    EXPECT_EQ(readAll(file(QStringLiteral("shapes.PXL"))), QByteArray("keep me"));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("typed.pxl"))));
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              file(QStringLiteral("shapes.bmp")));
    EXPECT_EQ(state.FilePath, filesDir.path());

    const QByteArray pxl = readAll(workingPXL());
    typeThenCloseTheFileWindow(QStringLiteral("shapes.PXL"));
    form->MenuOpenPxl_Click();
    EXPECT_EQ(readAll(workingPXL()), pxl);
    EXPECT_TRUE(prompts.messages.empty());
}

} // namespace
} // namespace vornix::test

namespace vornix::test {
namespace {

// Files written by the bytes of their names, which need not be valid UTF-8, and removed so
// again: the toolkit's own removal does not see them.
struct FilesByBytes {
    QString directory;
    std::vector<QByteArray> paths;

    void write(const QByteArray& name, const QByteArray& content) {
        paths.push_back(QFile::encodeName(directory) + '/' + name);
        const int fd = ::open(paths.back().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        QFile out;
        ASSERT_TRUE(out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        out.write(content);
    }
    ~FilesByBytes() {
        for (const QByteArray& path : paths) {
            ::unlink(path.constData());
        }
    }
};

TEST_F(LCDFormTest, FilesWhoseNamesAreNotUtf8OpenByTheirBytes) {
    FilesByBytes files{filesDir.path(), {}};
    files.write("caf\xE9.bmp", readAll(sample("shapes.bmp")));
    files.write("d\xE9j\xE0.pxl", "@,8,1,8\r\n0A5h\r\n");
    ASSERT_TRUE(start(QString()));

    answerDialog(filesDir.path(), QStringLiteral("caf\uFFFD.bmp"));
    form->MenuOpenBMP_Click();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
              file(QStringLiteral("caf\uFFFD.bmp")));
    EXPECT_EQ(readAll(workingBMP()), readAll(sample("shapes.bmp")));
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));

    answerDialog(filesDir.path(), QStringLiteral("d\uFFFDj\uFFFD.pxl"));
    form->MenuOpenPxl_Click();
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,8,1,8\r\n0A5h\r\n"));
    EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(8, 1));

    // Two names that show alike cannot be told apart by the shown text.
    files.write("caf\xE8.bmp", readAll(sample("shapes.bmp")));
    answerDialog(filesDir.path(), QStringLiteral("caf\uFFFD.bmp"));
    form->MenuOpenBMP_Click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Bad file name or file type"));
}

} // namespace
} // namespace vornix::test

#include <span>

#include "app/working_files.h"
#include "dialogs/viewer.h"
#include "dialogs/viewer_enlarger.h"
#include "dialogs/viewer_handle.h"
#include "drawn_bitmap.h"
#include "image/picture/decode_bmp.h"
#include "image/text/error_codes.h"

namespace vornix::test {
namespace {

QByteArray pxlOf(const QByteArray& bitmap) {
    const image::DecodedPxl pxl = image::ConvertBitmapToPxl(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bitmap.constData()),
                                      static_cast<std::size_t>(bitmap.size())));
    EXPECT_TRUE(pxl.result.converted());
    return QByteArray::fromStdString(pxl.text);
}

// The drawing of DrawnBitmap, seen at a few places that stay telling at any scale.
void expectDrawing(const QImage& picture, QSize size) {
    ASSERT_EQ(picture.size(), size);
    const int w = size.width();
    const int h = size.height();
    EXPECT_EQ(picture.pixelColor(w / 4, 3 * h / 8), QColor(Qt::white));     // open area
    EXPECT_EQ(picture.pixelColor(3 * w / 4, 3 * h / 4), QColor(Qt::black)); // square
    EXPECT_EQ(picture.pixelColor(w - 1, h - 1), QColor(Qt::black));
}

// Large one-bit pictures open like small ones, and stay one bit in the window and the zoom
// window: 8192 x 8192 is twice as large as the toolkit's own reader admits at 32 bits a pixel.
TEST_F(LCDFormTest, LargeOneBitBitmapAndItsPxlAreShown) {
    const QSize size(8192, 8192);
    const QByteArray bitmap = DrawnBitmap(size.width(), size.height());
    writeAll(file(QStringLiteral("large.bmp")), bitmap);
    writeAll(file(QStringLiteral("large.pxl")), pxlOf(bitmap));
    ASSERT_TRUE(start(QString()));

    qint64 previousKey = 0;
    for (const char* name : {"large.bmp", "large.pxl"}) {
        SCOPED_TRACE(name);
        answerDialog(filesDir.path(), QString::fromLatin1(name));
        if (QByteArray(name).endsWith("bmp")) {
            form->MenuOpenBMP_Click();
        } else {
            form->MenuOpenPxl_Click();
        }
        EXPECT_TRUE(prompts.messages.empty());
        const QImage& picture = control<app::PictureBox>(*form, "BMPImage").picture();
        EXPECT_NE(picture.cacheKey(), previousKey) << "a new picture is shown";
        previousKey = picture.cacheKey();
        EXPECT_EQ(picture.format(), QImage::Format_Mono);
        expectDrawing(picture, size);
        EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black)); // the thin frame
        EXPECT_EQ(picture.pixelColor(20, 9), QColor(Qt::white));
        EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
        EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
                  file(QString::fromLatin1(name)));
        EXPECT_TRUE(readAll(workingPXL()).startsWith("@,8192,8192,8\r\n"));
    }

    // The box shows the top-left corner at one screen pixel per picture pixel.
    const QImage box = control<app::PictureBox>(*form, "BMPImage").grab().toImage();
    EXPECT_EQ(box.pixelColor(2 + 3, 2 + 3), QColor(Qt::black));
    EXPECT_EQ(box.pixelColor(2 + 100, 2 + 40), QColor(Qt::white));

    // The zoom window shows all of it, still one bit, at its own size.
    form->MenuImgMagnifier_Click();
    dialogs::Viewer* viewer = form->viewer().viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->picture().cacheKey(),
              control<app::PictureBox>(*form, "BMPImage").picture().cacheKey());
    EXPECT_EQ(viewer->picture().format(), QImage::Format_Mono);
    viewer->show();
    QCoreApplication::processEvents();
    const QImage zoomed = viewer->BMPEnlarger()->grab().toImage();
    expectDrawing(zoomed.convertToFormat(QImage::Format_RGB32), viewer->BMPEnlarger()->size());
}

// A picture converted from a PXL file that cannot be shown (it has no columns or no rows)
// takes the window to no picture at all, rather than leaving the previous picture on screen
// over working files and commands that belong to the new one.
TEST_F(LCDFormTest, EmptyPxlPictureClearsThePictureBox) {
    for (const char* text : {"@,0,2,8\r\n\r\n\r\n", "@,16,0,8\r\n"}) {
        SCOPED_TRACE(text);
        QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
        writeAll(file(QStringLiteral("empty.pxl")), text);
        ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
        ASSERT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(128, 64));
        answerDialog(filesDir.path(), QStringLiteral("empty.pxl"));
        form->MenuOpenPxl_Click();
        EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
        EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").tag(), QString());
        EXPECT_EQ(fileItems(), QStringLiteral("---"));
        EXPECT_FALSE(QFile::exists(workingBMP()));
        EXPECT_FALSE(QFile::exists(workingPXL()));
        EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
                  file(QStringLiteral("empty.pxl")));
        EXPECT_TRUE(prompts.messages.empty());
        form.reset();
    }
}

enum class Opened { BitmapMenu, BitmapDropped, PxlMenu, PxlCommandLine };

struct NotShownCase {
    const char* name;
    Opened opened;
    bool previousPictureStays; // otherwise the window is left without a picture
};

void PrintTo(const NotShownCase& row, std::ostream* out) {
    *out << row.name;
}

class PictureNotShownTest : public LCDFormTest,
                            public ::testing::WithParamInterface<NotShownCase> {};

// A picture too large for the memory there is (the loader is told to fail as it would) is
// reported, and the window, the working files and the commands keep describing one picture.
TEST_P(PictureNotShownTest, LeavesOnePictureDescribedEverywhere) {
    const NotShownCase& row = GetParam();
    const bool pxl = row.opened == Opened::PxlMenu || row.opened == Opened::PxlCommandLine;
    const QString name = pxl ? QStringLiteral("new.pxl") : QStringLiteral("new.bmp");
    const QString path = file(name);
    const QByteArray bitmap = DrawnBitmap(64, 32);
    writeAll(path, pxl ? pxlOf(bitmap) : bitmap);
    QFile::copy(sample("shapes.bmp"), file(QStringLiteral("shapes.bmp")));
    const QString failing = pxl ? workingBMP() : path;
    auto loadFailing = [failing](const QString& p, QImage& picture) {
        return p == failing ? image::ErrorCode::OutOfMemory : app::LoadPicture(p, picture);
    };

    const bool fromCommandLine = row.opened == Opened::PxlCommandLine;
    if (fromCommandLine) {
        form = std::make_unique<app::LCDForm>(state, prompts,
                                              app::LCDFormOptions{programDir.path(), false});
        form->setPictureLoader(loadFailing);
        ASSERT_TRUE(form->Form_Load(path));
    } else {
        ASSERT_TRUE(start(file(QStringLiteral("shapes.bmp"))));
        form->setPictureLoader(loadFailing);
        if (row.opened == Opened::BitmapDropped) {
            form->OpenDroppedFile(path);
        } else {
            answerDialog(filesDir.path(), name);
            if (pxl) {
                form->MenuOpenPxl_Click();
            } else {
                form->MenuOpenBMP_Click();
            }
        }
    }
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("Not enough memory to show the picture.\r\n") + path);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
    EXPECT_EQ(prompts.messages[0].icon, app::MessageIcon::Exclamation);

    if (row.previousPictureStays) {
        EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").picture().size(), QSize(128, 64));
        EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(),
                  file(QStringLiteral("shapes.bmp")));
        EXPECT_EQ(readAll(workingBMP()), readAll(sample("shapes.bmp")));
        EXPECT_TRUE(readAll(workingPXL()).startsWith("@,128,64,8\r\n"));
        EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    } else {
        EXPECT_TRUE(control<app::PictureBox>(*form, "BMPImage").picture().isNull());
        EXPECT_EQ(control<app::PictureBox>(*form, "BMPImage").tag(), QString());
        EXPECT_FALSE(QFile::exists(workingBMP()));
        EXPECT_FALSE(QFile::exists(workingPXL()));
        EXPECT_EQ(fileItems(), QStringLiteral("---"));
        EXPECT_EQ(control<app::CaptionLabel>(*form, "FileEntry").caption(), path);
    }
    const dialogs::Viewer* viewer = form->viewer().viewer();
    if (viewer != nullptr) {
        EXPECT_EQ(viewer->picture().cacheKey(),
                  control<app::PictureBox>(*form, "BMPImage").picture().cacheKey());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Opens, PictureNotShownTest,
    ::testing::Values(NotShownCase{"BitmapMenu", Opened::BitmapMenu, true},
                      NotShownCase{"BitmapDropped", Opened::BitmapDropped, true},
                      NotShownCase{"PxlMenu", Opened::PxlMenu, false},
                      NotShownCase{"PxlCommandLine", Opened::PxlCommandLine, false}),
    RowName);

} // namespace
} // namespace vornix::test
