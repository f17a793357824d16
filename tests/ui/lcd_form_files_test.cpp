// The File menu's open and save commands: enabled states, proposed names, messages, files.
#include "app/caption_label.h"
#include "app/picture_box.h"
#include "lcd_form_fixture.h"

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
    EXPECT_TRUE(form->BMPImage->picture().isNull());
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
    EXPECT_EQ(form->FileEntry->caption(), file(QStringLiteral("clock.bmp")));
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
    EXPECT_TRUE(form->BMPImage->picture().isNull());
    EXPECT_EQ(form->BMPImage->tag(), QString());

    answerDialog(filesDir.path(), QStringLiteral("wide.pxl"));
    form->MenuOpenPxl_Click();
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
    EXPECT_EQ(readAll(workingPXL()), QByteArray("@,8,1,8\r\n0A5h\r\n"));
    // 0A5h inverted is 5A, followed by three fill bytes: a 74-byte bitmap.
    const QByteArray bitmap = readAll(workingBMP());
    ASSERT_EQ(bitmap.size(), 74);
    EXPECT_EQ(bitmap.mid(70), QByteArray("\x5A\xFF\xFF\xFF", 4));
    EXPECT_EQ(form->BMPImage->picture().size(), QSize(8, 1));
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
    EXPECT_EQ(form->BMPImage->picture().size(), QSize(128, 64));
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
    const char* opened;
    const char* saveType;
    const char* proposed;
};

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

INSTANTIATE_TEST_SUITE_P(Names, SaveProposalTest,
                         ::testing::Values(Proposal{"clock.pxl", "BMP", "clock.BMP"},
                                           Proposal{"photo.GIF", "PXL", "photo.PXL"},
                                           Proposal{"photo.jpg", "PXL", "photo.PXL"},
                                           Proposal{"logo.bmp", "PXL", "logo.PXL"},
                                           Proposal{"photo.jpg", "BMP", "photo.jpg"},
                                           Proposal{"clock.PXL", "PXL", "clock.PXL"},
                                           Proposal{"a.b.pxl", "BMP", "a.b.BMP"},
                                           Proposal{"pxl", "BMP", "pxl"}, Proposal{"", "PXL", ""}));

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
    EXPECT_EQ(form->FileEntry->caption(), file(QStringLiteral("copy.bmp")));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(fileItems(), QStringLiteral("LBP"));
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
    EXPECT_EQ(form->FileEntry->caption(),
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
    EXPECT_TRUE(form->BMPImage->tag().contains(QStringLiteral("Image Height:  -2 Pixels\r\n")));
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
    EXPECT_EQ(form->BMPImage->picture().size(), QSize(8, 1));
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
