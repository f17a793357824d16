#include "image/files/atomic_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "image/files/bounded_read.h"
#include "image/files/temporary_names.h"
#include "image/picture/decode_bmp.h"
#include "image/platform/platform.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        std::ofstream(m_target, std::ios::binary) << "old picture";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string target() const {
        std::ifstream in(m_target, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The target and nothing else: no temporary file may be left behind.
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    const fs::path m_dir =
        fs::temp_directory_path() / ("vornix-image-test-" + std::to_string(::getpid()));
    const std::string m_target = (m_dir / "target.pxl").string();
};

TEST_F(AtomicFileTest, TargetChangesOnlyAtCommit) {
    {
        AtomicFileWriter abandoned(m_target);
        ASSERT_TRUE(abandoned.write("half a pic"));
        abandoned.abandon();
        AtomicFileWriter forgotten(m_target); // its destructor abandons it
        ASSERT_TRUE(forgotten.write("half a pic"));
    }
    EXPECT_EQ(target(), "old picture");
    AtomicFileWriter writer(m_target);
    ASSERT_TRUE(writer.write("new "));
    ASSERT_TRUE(writer.write("picture"));
    EXPECT_EQ(target(), "old picture");
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(target(), "new picture");
    EXPECT_TRUE(writer.commit()); // a second commit must not replace it with an empty file
    EXPECT_FALSE(writer.write("more"));
    EXPECT_EQ(target(), "new picture");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, FailuresGiveErrnoAndLeaveNothingBehind) {
    EXPECT_EQ(WriteFileAtomically((m_dir / "no/folder/x.pxl").string(), "x"), ENOENT);
    fs::create_directories(m_dir / "folder/inside");
    EXPECT_NE(WriteFileAtomically((m_dir / "folder").string(), "x"), 0);
    EXPECT_TRUE(fs::is_directory(m_dir / "folder/inside"));
    EXPECT_EQ(WriteFileAtomically(m_dir.string() + "/", "x"), EISDIR);
    EXPECT_EQ(entries(), 2u);
}

// A write that fails half-way (here: the process's file size limit) while a converter is
// streaming into the writer must leave the old target in place.
TEST_F(AtomicFileTest, ConversionFailingHalfWayLeavesTargetUntouched) {
    if (!test::kHaveFileSizeLimit) {
        GTEST_SKIP() << "Windows has no per-process file size limit to cut the write short";
    }
    test::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.active());

    AtomicFileWriter writer(m_target);
    const auto result = ConvertBitmapToPxl(test::makeBitmap(256, 64, test::Bytes(32 * 64)), writer);
    const bool committed = writer.commit();
    limit.lift();

    EXPECT_EQ(result.outcome, DecodeOutcome::OutputFailed);
    EXPECT_FALSE(committed);
    EXPECT_EQ(writer.error(), EFBIG);
    EXPECT_EQ(target(), "old picture");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, ReadBackThroughTheBoundedReader) {
    const auto read = ReadBoundedFile(m_target, kMaxBitmapFileBytes);
    EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), "old picture");
    EXPECT_EQ(ReadBoundedFile((m_dir / "missing.bmp").string(), 100).error, ENOENT);
    EXPECT_EQ(ReadBoundedFile(m_dir.string(), 100).error, EISDIR);
    const auto limited = ReadBoundedFile(m_target, 3);
    EXPECT_EQ(limited.error, EFBIG);
    EXPECT_TRUE(limited.bytes.empty());
}

// A path split into its folder (where a temporary file beside it goes) and its name (which the
// temporary file's name starts with). A backslash is a character of a name on POSIX; on Windows
// it separates folders, and a drive ends a folder.
TEST(TemporaryNames, FolderAndNameOfAPath) {
    struct Row {
        std::string path;
        std::string folder;
        std::string name;
    };
    const Row rows[] = {
        {"picture.pxl", "", "picture.pxl"},
        {"out/picture.pxl", "out/", "picture.pxl"},
        {"/tmp/a/b.bmp", "/tmp/a/", "b.bmp"},
        {"/picture.pxl", "/", "picture.pxl"},
        {"folder/", "folder/", ""},
#ifdef _WIN32
        {"a\\b.pxl", "a\\", "b.pxl"},
        {"C:\\out\\picture.pxl", "C:\\out\\", "picture.pxl"},
        {"C:picture.pxl", "C:", "picture.pxl"},
        {"\\\\server\\share\\b.bmp", "\\\\server\\share\\", "b.bmp"},
#else
        {"a\\b.pxl", "", "a\\b.pxl"},
        {"C:picture.pxl", "", "C:picture.pxl"},
#endif
        {"", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FolderOf(row.path), row.folder) << row.path;
        EXPECT_EQ(NameOf(row.path), row.name) << row.path;
        EXPECT_EQ(platform::FolderLength(row.path), row.folder.size()) << row.path;
    }
}

// What the command line asks of a path before it reads or writes it.
TEST_F(AtomicFileTest, PathsAreToldApart) {
    struct Row {
        std::string path;
        int error;
        platform::PathKind kind;
        std::uint64_t size;
    };
    const Row rows[] = {
        {m_target, 0, platform::PathKind::Regular, 11},
        {m_dir.string(), 0, platform::PathKind::Folder, 0},
        {test::kNullDevice, 0, platform::PathKind::Other, 0},
        {(m_dir / "missing").string(), ENOENT, platform::PathKind::Other, 0},
        {m_target + "/below", test::kBelowAFileError, platform::PathKind::Other, 0},
    };
    for (const Row& row : rows) {
        const platform::PathInfo info = platform::InfoOf(row.path);
        EXPECT_EQ(info.error, row.error) << row.path;
        if (row.error == 0) {
            EXPECT_EQ(info.kind, row.kind) << row.path;
        }
        if (row.kind == platform::PathKind::Regular) {
            EXPECT_EQ(info.size, row.size) << row.path;
        }
    }
    // One file under two names is one file; a folder and a device are none.
    const std::string link = (m_dir / "second-name.pxl").string();
    fs::create_hard_link(m_target, link);
    ASSERT_TRUE(platform::RegularFileOf(m_target).has_value());
    EXPECT_EQ(platform::RegularFileOf(m_target), platform::RegularFileOf(link));
    EXPECT_FALSE(platform::RegularFileOf(m_dir.string()).has_value());
    EXPECT_FALSE(platform::RegularFileOf(test::kNullDevice).has_value());
    EXPECT_EQ(platform::MakeFolder(m_dir.string()), EEXIST);
}

} // namespace
} // namespace vornix::image
