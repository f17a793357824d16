// The working files' reading and writing: pictures loaded for showing, writes that never
// follow a link, and the private data folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

#include "app/working_files.h"
#include "drawn_bitmap.h"
#include "image/error_codes.h"
#include "support/error_code_print.h"
#include "support/row_name.h"

namespace vornix::test {
namespace {

using app::LoadPicture;
using image::ErrorCode;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A one-bit PBM (1 is black) of the size given, black in its bottom-right quarter only.
QByteArray quarterPbm(int width, int height) {
    QByteArray b = "P4\n" + QByteArray::number(width) + ' ' + QByteArray::number(height) + '\n';
    const int columns = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        for (int column = 0; column < columns; ++column) {
            b += column * 8 >= width / 2 && y >= height / 2 ? '\xFF' : '\x00';
        }
    }
    return b;
}

// The first 100 bytes of a one-bit bitmap that claims 100000 x 100000 pixels.
QByteArray boastingBitmap() {
    QByteArray b = DrawnBitmap(8, 2).left(62);
    const auto le32 = [&b](int at, qint32 v) {
        for (int i = 0; i < 4; ++i) {
            b[at + i] = char((v >> (8 * i)) & 0xFF);
        }
    };
    le32(18, 100000);
    le32(22, 100000);
    return b + QByteArray(38, '\x55');
}

struct PictureCase {
    std::string name;
    QByteArray content;
    ErrorCode code;
    QSize size;           // of the loaded picture
    bool drawing = false; // shows DrawnBitmap's drawing; otherwise quarterPbm's
};

void PrintTo(const PictureCase& row, std::ostream* out) {
    *out << row.name;
}

class LoadPictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(LoadPictureTest, LoadsOneBitPicturesOneBitWhateverTheirSize) {
    const PictureCase& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("picture"));
    if (!row.content.isNull()) {
        writeAll(path, row.content);
    }
    QImage picture;
    ASSERT_EQ(LoadPicture(path, picture), row.code);
    if (row.code != ErrorCode::None) {
        EXPECT_TRUE(picture.isNull());
        return;
    }
    ASSERT_EQ(picture.size(), row.size);
    EXPECT_EQ(picture.depth(), 1);
    const int w = row.size.width();
    const int h = row.size.height();
    EXPECT_EQ(picture.pixelColor(3 * w / 4, 3 * h / 4), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(w - 1, h - 1), QColor(Qt::black));
    if (row.drawing) {
        EXPECT_EQ(picture.pixelColor(w / 4, 3 * h / 8), QColor(Qt::white));
        EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));             // frame
        EXPECT_EQ(picture.pixelColor(3 * w / 4, h / 4), QColor(Qt::white)); // not upside down
    } else {
        EXPECT_EQ(picture.pixelColor(w / 4, h / 4), QColor(Qt::white));
        EXPECT_EQ(picture.pixelColor(w - 1, 0), QColor(Qt::white));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, LoadPictureTest,
    ::testing::Values(
        PictureCase{"BottomUpBitmap", DrawnBitmap(64, 32), ErrorCode::None, {64, 32}, true},
        PictureCase{"TopDownBitmap", DrawnBitmap(64, 32, true), ErrorCode::None, {64, 32}, true},
        PictureCase{"OddWidthBitmap", DrawnBitmap(61, 33), ErrorCode::None, {61, 33}, true},
        // More pixels than the toolkit's own bitmap reader takes (16384 x 16384).
        PictureCase{"BitmapBeyondTheToolkitsReader",
                    DrawnBitmap(17000, 16400),
                    ErrorCode::None,
                    {17000, 16400},
                    true},
        // Read by the toolkit, whose allocation limit counts 32 bits a pixel: 256 MB here.
        PictureCase{"LargeOneBitPbm", quarterPbm(8192, 8192), ErrorCode::None, {8192, 8192}},
        PictureCase{"TextFile", "no picture here\r\n", ErrorCode::InvalidPicture, {}},
        PictureCase{
            "BitmapClaimingMoreThanItHolds", boastingBitmap(), ErrorCode::InvalidPicture, {}},
        PictureCase{"Missing", QByteArray(), ErrorCode::FileNotFound, {}}),
    RowName);

// The program's own files replace a link at their name; a file the user names is written
// through a link to its target, as the user meant.
TEST(WriteFileTest, OwnFilesReplaceLinksChosenFilesFollowThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("target"));
    for (const bool own : {true, false}) {
        SCOPED_TRACE(own ? "own file" : "chosen file");
        const QString link = dir.filePath(own ? QStringLiteral("own") : QStringLiteral("chosen"));
        writeAll(target, "old");
        ASSERT_TRUE(QFile::link(target, link));
        const ErrorCode code =
            own ? app::WriteFileAtomically(link, "new") : app::WriteChosenFile(link, "new");
        ASSERT_EQ(code, ErrorCode::None);
        EXPECT_EQ(readAll(link), QByteArray("new"));
        EXPECT_EQ(readAll(target), own ? QByteArray("old") : QByteArray("new"));
        EXPECT_EQ(QFileInfo(link).isSymLink(), !own);
    }
    EXPECT_EQ(app::WriteFileAtomically(dir.filePath(QStringLiteral("none/x")), "x"),
              ErrorCode::FileNotFound);
}

struct CopyCase {
    std::string name;
    QByteArray content;   // null: no file at the path
    bool inMissingFolder; // the path runs through a folder that does not exist
    ErrorCode code;
    bool hasMarker;
    QByteArray copy; // the target afterwards; "old" when it is untouched
};

void PrintTo(const CopyCase& row, std::ostream* out) {
    *out << row.name;
}

class CopyPxlFileTest : public ::testing::TestWithParam<CopyCase> {};

// The working PXL file is the opened file with CR LF line ends, or stays as it was.
TEST_P(CopyPxlFileTest, CopiesWithCrLfOrLeavesTheTargetAlone) {
    const CopyCase& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(row.inMissingFolder ? QStringLiteral("none/in.pxl")
                                                            : QStringLiteral("in.pxl"));
    const QString target = dir.filePath(QStringLiteral("~LCDpxl.tmp"));
    if (!row.content.isNull()) {
        writeAll(source, row.content);
    }
    writeAll(target, "old");
    const app::PxlCopy copy = app::CopyPxlFile(source, target);
    EXPECT_EQ(copy.code, row.code);
    if (row.code == ErrorCode::None) {
        EXPECT_EQ(copy.hasMarker, row.hasMarker);
    }
    EXPECT_EQ(readAll(target), row.copy);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CopyPxlFileTest,
    ::testing::Values(
        CopyCase{"Marked", "@,8,1,8\n0FFh\r\n", false, ErrorCode::None, true,
                 "@,8,1,8\r\n0FFh\r\n"},
        CopyCase{"Unmarked", "8,1,8\n0FFh", false, ErrorCode::None, false, "8,1,8\r\n0FFh\r\n"},
        CopyCase{"FieldTooLong", "@,8,1,8\r\n" + QByteArray(5000, '0') + "h\r\n", false,
                 ErrorCode::FileAccessError, false, "old"},
        CopyCase{"Missing", QByteArray(), false, ErrorCode::FileNotFound, false, "old"},
        CopyCase{"FolderMissing", QByteArray(), true, ErrorCode::PathNotFound, false, "old"}),
    RowName);

TEST(PrivateFolderTest, IsCreatedForItsUserOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("share/vornix"));
    ASSERT_TRUE(app::MakePrivateFolder(folder));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_TRUE(app::MakePrivateFolder(folder)) << "an existing folder is accepted";
    writeAll(dir.filePath(QStringLiteral("file")), "x");
    EXPECT_FALSE(app::MakePrivateFolder(dir.filePath(QStringLiteral("file"))));
}

} // namespace
} // namespace vornix::test
