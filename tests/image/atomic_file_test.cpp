#include "image/atomic_file.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "image/decode_bmp.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("vornix-image-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    static std::string content(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Only the target itself may be left: never a temporary file.
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    void makeTarget(const std::string& text) {
        std::ofstream(path("target.pxl"), std::ios::binary) << text;
    }

    fs::path m_dir;
};

TEST_F(AtomicFileTest, CreatesAndReplaces) {
    EXPECT_EQ(WriteFileAtomically(path("target.pxl"), "first"), 0);
    EXPECT_EQ(content(path("target.pxl")), "first");
    EXPECT_EQ(WriteFileAtomically(path("target.pxl"), "2nd"), 0);
    EXPECT_EQ(content(path("target.pxl")), "2nd");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, TargetUnchangedUntilCommit) {
    makeTarget("old picture");
    AtomicFileWriter writer(path("target.pxl"));
    ASSERT_TRUE(writer.write("new "));
    ASSERT_TRUE(writer.write("picture"));
    EXPECT_EQ(content(path("target.pxl")), "old picture");
    EXPECT_EQ(entries(), 2u);
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(content(path("target.pxl")), "new picture");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, AbandonAndDestructorLeaveTargetAlone) {
    makeTarget("old picture");
    {
        AtomicFileWriter writer(path("target.pxl"));
        ASSERT_TRUE(writer.write("half a pic"));
        writer.abandon();
        writer.abandon();
    }
    {
        AtomicFileWriter writer(path("target.pxl"));
        ASSERT_TRUE(writer.write("half a pic"));
    }
    EXPECT_EQ(content(path("target.pxl")), "old picture");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, CommitWithoutWritesGivesEmptyFile) {
    makeTarget("old picture");
    AtomicFileWriter writer(path("target.pxl"));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(content(path("target.pxl")), "");
}

TEST_F(AtomicFileTest, MissingFolderFailsWithErrno) {
    EXPECT_EQ(WriteFileAtomically(path("no/such/folder/target.pxl"), "x"), ENOENT);
    EXPECT_EQ(entries(), 0u);
}

TEST_F(AtomicFileTest, TargetThatIsAFolderStaysAndNoTemporaryRemains) {
    fs::create_directories(path("target.pxl/inside"));
    EXPECT_NE(WriteFileAtomically(path("target.pxl"), "x"), 0);
    EXPECT_TRUE(fs::is_directory(path("target.pxl/inside")));
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(WriteFileAtomically(path("") + "/", "x"), EISDIR);
}

// A write that fails half-way (here: the file size limit of the process) must leave the old
// target in place, also when the writer is a converter's sink.
TEST_F(AtomicFileTest, FailedWriteHalfWayLeavesTargetUntouched) {
    makeTarget("old picture");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    test::BitmapSpec spec;
    spec.width = 256;
    spec.height = 64;
    spec.pixels = test::Bytes(32 * 64, 0);
    AtomicFileWriter writer(path("target.pxl"));
    const auto result = DecodeBMP(test::makeBitmap(spec), writer);
    const bool committed = writer.commit();

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.outcome, DecodeOutcome::OutputFailed);
    EXPECT_FALSE(committed);
    EXPECT_EQ(writer.error(), EFBIG);
    EXPECT_EQ(content(path("target.pxl")), "old picture");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, ReadWholeFile) {
    makeTarget(std::string("BM\0\xFF", 4));
    const auto read = ReadWholeFile(path("target.pxl"));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, (test::Bytes{'B', 'M', 0, 0xFF}));

    EXPECT_EQ(ReadWholeFile(path("missing.bmp")).error, ENOENT);
    EXPECT_EQ(ReadWholeFile(m_dir.string()).error, EISDIR);
    const auto limited = ReadWholeFile(path("target.pxl"), 3);
    EXPECT_EQ(limited.error, EFBIG);
    EXPECT_TRUE(limited.bytes.empty());
}

} // namespace
} // namespace vornix::image
