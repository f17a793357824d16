// The working files' reading and writing: pictures loaded for showing, writes that never
// follow a link, and the private data folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/working_files.h"
#include "drawn_bitmap.h"
#include "image/text/error_codes.h"
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

// A file the user names in the window ("Save as BMP", "Save as PXL") is written as the command
// line writes its OUTPUT, whatever the path leads to.
struct Scene {
    QString dir;
    QString path;   // what the window writes to
    QString target; // where the bytes should land
    int descriptor = -1;
    bool readsFifo = false; // `descriptor` is the FIFO's reader: the bytes are read from it
    QString Path(const QString& name) const { return dir + QLatin1Char('/') + name; }
};

struct ChosenCase {
    std::string name;
    bool needsRoot; // to give a file to another user
    void (*make)(Scene&);
    bool written;             // the bytes land at `target`; otherwise the write is refused
    QByteArray expected;      // what `target` holds afterwards
    void (*check)(const Scene&);
};

void PrintTo(const ChosenCase& row, std::ostream* os) {
    *os << row.name;
}

constexpr uid_t kNobody = 65534;

struct stat statOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        info.st_mode = 0;
    }
    return info;
}

void makeOld(const QString& path, mode_t mode) {
    writeAll(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

class ChosenFileTest : public ::testing::TestWithParam<ChosenCase> {};

TEST_P(ChosenFileTest, LandsWhereThePathLeads) {
    const ChosenCase& row = GetParam();
    if (row.needsRoot && ::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Scene scene{dir.path(), {}, {}};
    row.make(scene);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System |
                                                          QDir::Hidden | QDir::NoDotAndDotDot);
    const ErrorCode code = app::WriteChosenFile(scene.path, "new picture");
    QByteArray landed;
    if (scene.readsFifo) {
        char block[256];
        for (ssize_t got; (got = ::read(scene.descriptor, block, sizeof block)) > 0;) {
            landed.append(block, got);
        }
    }
    if (scene.descriptor >= 0) {
        ::close(scene.descriptor);
    }
    EXPECT_EQ(code, row.written ? ErrorCode::None : ErrorCode::FileAccessError);
    EXPECT_EQ(scene.readsFifo ? landed : readAll(scene.target), row.expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                         QDir::NoDotAndDotDot),
              before)
        << "a file was left behind, or one was put in the place of a link or a FIFO";
    row.check(scene);
}

void noCheck(const Scene&) {}

INSTANTIATE_TEST_SUITE_P(
    Paths, ChosenFileTest,
    ::testing::Values(
        ChosenCase{"HardLinkedFileKeepsItsLinks", false,
                   [](Scene& s) {
                       s.path = s.target = s.Path(QStringLiteral("picture.bmp"));
                       makeOld(s.path, 0640);
                       ASSERT_EQ(::link(QFile::encodeName(s.path).constData(),
                                        QFile::encodeName(s.Path(QStringLiteral("other.bmp")))
                                            .constData()),
                                 0);
                   },
                   true, "new picture",
                   [](const Scene& s) {
                       EXPECT_EQ(readAll(s.Path(QStringLiteral("other.bmp"))), "new picture");
                       EXPECT_EQ(statOf(s.path).st_nlink, 2u);
                       EXPECT_EQ(statOf(s.path).st_mode & 07777, 0640u);
                   }},
        ChosenCase{"OtherUsersFileKeepsItsOwner", true,
                   [](Scene& s) {
                       s.path = s.target = s.Path(QStringLiteral("theirs.pxl"));
                       makeOld(s.path, 0604);
                       ASSERT_EQ(::chown(QFile::encodeName(s.path).constData(), kNobody, kNobody),
                                 0);
                   },
                   true, "new picture",
                   [](const Scene& s) {
                       EXPECT_EQ(statOf(s.path).st_uid, kNobody);
                       EXPECT_EQ(statOf(s.path).st_gid, kNobody);
                       EXPECT_EQ(statOf(s.path).st_mode & 07777, 0604u);
                   }},
        ChosenCase{"SymlinkStaysALink", false,
                   [](Scene& s) {
                       s.target = s.Path(QStringLiteral("target.bmp"));
                       s.path = s.Path(QStringLiteral("link.bmp"));
                       makeOld(s.target, 0600);
                       ASSERT_TRUE(QFile::link(s.target, s.path));
                   },
                   true, "new picture",
                   [](const Scene& s) {
                       EXPECT_TRUE(S_ISLNK(statOf(s.path).st_mode));
                       EXPECT_EQ(statOf(s.target).st_mode & 07777, 0600u);
                   }},
        ChosenCase{"DanglingLinkIsRefused", false,
                   [](Scene& s) {
                       s.target = s.Path(QStringLiteral("missing.bmp"));
                       s.path = s.Path(QStringLiteral("link.bmp"));
                       ASSERT_TRUE(QFile::link(s.target, s.path));
                   },
                   false, "", [](const Scene& s) { EXPECT_EQ(statOf(s.target).st_mode, 0u); }},
        // The reader is this test, holding the FIFO open without blocking; the pipe takes the
        // few bytes at once.
        ChosenCase{"FifoWithAReaderGetsTheBytes", false,
                   [](Scene& s) {
                       s.path = s.target = s.Path(QStringLiteral("fifo.bmp"));
                       ASSERT_EQ(::mkfifo(QFile::encodeName(s.path).constData(), 0644), 0);
                       s.descriptor = ::open(QFile::encodeName(s.path).constData(),
                                             O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                       ASSERT_GE(s.descriptor, 0);
                       s.readsFifo = true;
                   },
                   true, "new picture",
                   [](const Scene& s) { EXPECT_TRUE(S_ISFIFO(statOf(s.path).st_mode)); }},
        // The program's own descriptor, named through /proc: written at its offset, after what
        // is there, as the command line writes /dev/stdout.
        ChosenCase{"OwnDescriptorIsWrittenAtItsOffset", false,
                   [](Scene& s) {
                       s.target = s.Path(QStringLiteral("log.pxl"));
                       s.descriptor = ::open(QFile::encodeName(s.target).constData(),
                                             O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
                       ASSERT_GE(s.descriptor, 0);
                       ASSERT_EQ(::write(s.descriptor, "HEADER ", 7), 7);
                       s.path = QStringLiteral("/proc/self/fd/%1").arg(s.descriptor);
                   },
                   true, "HEADER new picture", noCheck}),
    RowName);

// "Save as" over a hard-linked file on a nearly full disk: the new content gathers beside it,
// but writing it over the file where it is would need room the disk lacks. The save fails and
// the file keeps its old content under both names.
TEST(WriteFileTest, ChosenFileOnAFullDiskIsLeftAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray disk = QFile::encodeName(dir.path());
    const long page = ::sysconf(_SC_PAGESIZE);
    const QByteArray options = "size=" + QByteArray::number(6 * page / 1024) + "k";
    if (::mount("tmpfs", disk.constData(), "tmpfs", 0, options.constData()) != 0) {
        const int error = errno;
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here (" << std::strerror(error)
                     << "); the full-disk case needs it";
    }
    const QString file = dir.filePath(QStringLiteral("picture.pxl"));
    const QString other = dir.filePath(QStringLiteral("other.pxl"));
    writeAll(file, "old");
    const bool linked =
        ::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()) == 0;
    const ErrorCode code = app::WriteChosenFile(file, QByteArray(5 * page, 'n'));
    const QByteArray kept = readAll(file);
    const QByteArray keptOther = readAll(other);
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System |
                                                           QDir::Hidden | QDir::NoDotAndDotDot);
    if (::umount(disk.constData()) != 0) {
        ::umount2(disk.constData(), MNT_DETACH);
    }
    ASSERT_TRUE(linked);
    EXPECT_EQ(code, ErrorCode::FileAccessError);
    EXPECT_EQ(kept, "old");
    EXPECT_EQ(keptOther, "old");
    EXPECT_EQ(entries, QStringList({"other.pxl", "picture.pxl"}));
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
