#include "image/files/output_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>

#include "image/picture/decode_bmp.h"
#include "image_test_support.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// How OUTPUT looks before the write: the path written is always `out.pxl` in the folder.
enum class Shape { Plain, HardLinked, Symlinked };

struct Case {
    const char* name;
    Shape shape;
    bool unnamed; // the temporary file has no name while it fills
};

void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

// A folder holding out.pxl ("old picture"), made fresh for each test.
class OutputFolder {
protected:
    void makeFolder(Shape shape) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        const fs::path file = shape == Shape::Symlinked ? m_dir / "target.pxl" : m_out;
        std::ofstream(file, std::ios::binary) << "old picture";
        if (shape == Shape::HardLinked) {
            fs::create_hard_link(m_out, m_dir / "other.pxl");
        } else if (shape == Shape::Symlinked) {
            fs::create_symlink("target.pxl", m_out);
        }
        m_before = entries();
    }
    ~OutputFolder() { fs::remove_all(m_dir); }

    std::string content() const {
        std::ifstream in(m_out, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    const fs::path m_dir =
        fs::temp_directory_path() / ("vornix-output-test-" + std::to_string(::getpid()));
    const fs::path m_out = m_dir / "out.pxl";
    std::vector<std::string> m_before;
};

class OutputFolderTest : public OutputFolder, public testing::Test {};

class OutputFileTest : public OutputFolder, public testing::TestWithParam<Case> {
protected:
    void SetUp() override { makeFolder(GetParam().shape); }
    OutputFile::Options options() const { return {.unnamedTemporary = GetParam().unnamed}; }
};

TEST_P(OutputFileTest, ContentChangesOnlyAtCommit) {
    {
        OutputFile abandoned(m_out.string(), options());
        ASSERT_TRUE(abandoned.write("half a pic"));
        abandoned.abandon();
        OutputFile forgotten(m_out.string(), options()); // its destructor abandons it
        ASSERT_TRUE(forgotten.write("half a pic"));
    }
    EXPECT_EQ(content(), "old picture");
    OutputFile output(m_out.string(), options());
    ASSERT_TRUE(output.write("new "));
    ASSERT_TRUE(output.write("picture"));
    EXPECT_EQ(content(), "old picture");
    // Windows replaces a hard-linked file as it replaces any other (ReplaceFileW): the other
    // name keeps the old picture. POSIX writes it where it is, for every name.
    EXPECT_EQ(output.way(), GetParam().shape == Shape::HardLinked && !kWindows
                                ? OutputWay::InPlace
                                : OutputWay::Replace);
    ASSERT_TRUE(output.commit());
    EXPECT_EQ(content(), "new picture");
    EXPECT_TRUE(output.commit()); // a second commit must not replace it with an empty file
    EXPECT_FALSE(output.write("more"));
    EXPECT_EQ(content(), "new picture");
    EXPECT_EQ(entries(), m_before);
}

// A write that fails half-way (here: the process's file size limit) while a converter streams
// into the output leaves the old content, whichever way it was to be delivered.
TEST_P(OutputFileTest, ConversionFailingHalfWayLeavesTheFileAsItWas) {
    if (!test::kHaveFileSizeLimit) {
        GTEST_SKIP() << "Windows has no per-process file size limit to cut the write short";
    }
    test::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.active());

    OutputFile output(m_out.string(), options());
    const auto result = ConvertBitmapToPxl(test::makeBitmap(256, 64, test::Bytes(32 * 64)), output);
    const bool committed = output.commit();
    limit.lift();

    EXPECT_EQ(result.outcome, DecodeOutcome::OutputFailed);
    EXPECT_FALSE(committed);
    EXPECT_EQ(output.error(), EFBIG);
    EXPECT_EQ(content(), "old picture");
    EXPECT_EQ(entries(), m_before);
}

#ifdef _WIN32
// Replacing a file keeps what Windows records about it: a hidden or system file stays so, as
// the system's own copy keeps it. A read-only one is refused and left as it was.
struct AttributeCase {
    const char* name;
    DWORD attributes;
    bool replaced;
};

void PrintTo(const AttributeCase& row, std::ostream* out) {
    *out << row.name;
}

class AttributeTest : public OutputFolder, public testing::TestWithParam<AttributeCase> {
protected:
    void SetUp() override { makeFolder(Shape::Plain); }
};

TEST_P(AttributeTest, ReplacedFileKeepsThem) {
    const AttributeCase& c = GetParam();
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    ASSERT_TRUE(::SetFileAttributesW(m_out.c_str(), c.attributes));
    {
        OutputFile output(m_out.string(), {});
        const bool written = output.write("new picture") && output.commit();
        EXPECT_EQ(written, c.replaced) << output.reason();
    }
    EXPECT_EQ(::GetFileAttributesW(m_out.c_str()) & kKept, c.attributes & kKept);
    ::SetFileAttributesW(m_out.c_str(), FILE_ATTRIBUTE_NORMAL); // so that the folder can go
    EXPECT_EQ(content(), c.replaced ? "new picture" : "old picture");
    EXPECT_EQ(entries(), m_before);
}

INSTANTIATE_TEST_SUITE_P(Attributes, AttributeTest,
                         testing::Values(AttributeCase{"Hidden", FILE_ATTRIBUTE_HIDDEN, true},
                                         AttributeCase{
                                             "HiddenSystem",
                                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
                                         AttributeCase{"ReadOnly", FILE_ATTRIBUTE_READONLY, false}),
                         vornix::test::RowName);
#endif

// The rest of this file is about POSIX alone: writing a hard-linked file where it is, a file
// size limit, mounting a small file system, /dev/fd paths and signals. Windows replaces every
// file (see above) and has none of these.
#ifndef _WIN32

// A file size limit reached while an output is written over a hard-linked file where it is
// (the limit comes after the bytes were gathered): the old content is put back, whether it was
// kept in memory (small) or in a scratch file (large). A file system that counts the limit
// against the reservation already refuses it there; the file is as it was either way.
struct LimitCase {
    const char* name;
    std::size_t oldSize;
    std::size_t newSize;
    rlim_t limit; // between the two sizes
};

class InPlaceLimitTest : public OutputFolder, public testing::TestWithParam<LimitCase> {
protected:
    void SetUp() override { makeFolder(Shape::HardLinked); }
};

TEST_P(InPlaceLimitTest, PutsTheOldContentBack) {
    const LimitCase& c = GetParam();
    std::string old(c.oldSize, 'o');
    for (std::size_t i = 0; i < old.size(); i += 4099) {
        old[i] = static_cast<char>('a' + i % 26); // a copy from the wrong offset would show
    }
    std::ofstream(m_out, std::ios::binary | std::ios::trunc) << old;
    OutputFile output(m_out.string(), {});
    ASSERT_TRUE(output.write(std::string(c.newSize, 'n')));
    ASSERT_EQ(output.way(), OutputWay::InPlace);
    test::FileSizeLimit limit(c.limit);
    ASSERT_TRUE(limit.active());
    const bool committed = output.commit();
    limit.lift();

    EXPECT_FALSE(committed);
    EXPECT_EQ(output.error(), EFBIG);
    EXPECT_TRUE(content() == old) << "the file holds " << content().size() << " bytes";
    EXPECT_EQ(fs::hard_link_count(m_out), 2u);
    EXPECT_EQ(entries(), m_before);
}

INSTANTIATE_TEST_SUITE_P(Sizes, InPlaceLimitTest,
                         testing::Values(LimitCase{"KeptInMemory", 1000, 10000, 4096},
                                         LimitCase{"KeptInAScratchFile",
                                                   (std::size_t{17} << 20) + 5,
                                                   std::size_t{18} << 20, (rlim_t{35} << 19)}),
                         vornix::test::RowName);

// A hard-linked output on a nearly full file system: the gathered bytes fit, but writing them
// over the file where it is needs room the disk does not have. The output is refused before a
// byte changes, and the room it asked for is given back.
struct FullDiskCase {
    const char* name;
    bool unnamed;
    std::size_t newPages; // the tmpfs holds 16 pages; the old file takes one
    bool fits;
};

class FullDiskTest : public OutputFolder, public testing::TestWithParam<FullDiskCase> {
protected:
    void SetUp() override {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        if (::mount("tmpfs", m_dir.c_str(), "tmpfs", 0, "size=64k") != 0) {
            const int error = errno;
            GTEST_SKIP() << "mounting a 64 KiB tmpfs is not permitted here ("
                         << std::strerror(error) << "); the full-disk cases need it";
        }
        m_mounted = true;
        std::ofstream(m_out, std::ios::binary) << "old picture";
        fs::create_hard_link(m_out, m_dir / "other.pxl");
        m_before = entries();
    }
    void TearDown() override {
        if (m_mounted && ::umount(m_dir.c_str()) != 0) {
            ::umount2(m_dir.c_str(), MNT_DETACH);
        }
    }
    unsigned long freeBlocks() const {
        struct statvfs info {};
        return ::statvfs(m_dir.c_str(), &info) == 0 ? info.f_bfree : 0;
    }
    bool m_mounted = false;
};

TEST_P(FullDiskTest, InPlaceWriteNeedsItsRoomFirst) {
    const FullDiskCase& c = GetParam();
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::string fresh(c.newPages * page, 'n');
    const unsigned long freeBefore = freeBlocks();
    {
        OutputFile output(m_out.string(), {.unnamedTemporary = c.unnamed});
        ASSERT_TRUE(output.write(fresh)) << "the gathered bytes must fit: " << output.reason();
        ASSERT_EQ(output.way(), OutputWay::InPlace);
        EXPECT_EQ(output.commit(), c.fits);
        EXPECT_EQ(output.error(), c.fits ? 0 : ENOSPC);
    }
    EXPECT_TRUE(content() == (c.fits ? fresh : "old picture"))
        << "the file holds " << content().size() << " bytes";
    EXPECT_EQ(fs::hard_link_count(m_out), 2u);
    EXPECT_EQ(entries(), m_before);
    if (!c.fits) {
        EXPECT_EQ(freeBlocks(), freeBefore) << "the refused reservation was kept";
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, FullDiskTest,
                         testing::Values(FullDiskCase{"Fits", true, 6, true},
                                         FullDiskCase{"DoesNotFit", true, 9, false},
                                         FullDiskCase{"DoesNotFitNamedTemporary", false, 9, false}),
                         vornix::test::RowName);

// A path that leads to one of the process's own descriptors is written through it at its
// offset, as standard output is for "-": after what was written there before, at the end of a
// file opened for appending, and never cut. Nothing is created beside it.
struct DescriptorCase {
    const char* name;
    const char* path; // %d is the descriptor; a relative path is made in the folder
    bool append;
};

class OwnDescriptorTest : public OutputFolder, public testing::TestWithParam<DescriptorCase> {
protected:
    void SetUp() override { makeFolder(Shape::Plain); }
    std::string pathFor(int descriptor) const {
        char text[64];
        std::snprintf(text, sizeof text, GetParam().path, descriptor);
        return text;
    }
};

TEST_P(OwnDescriptorTest, WritesAtTheDescriptorsOffset) {
    const DescriptorCase& c = GetParam();
    const int flags = O_WRONLY | O_CLOEXEC | (c.append ? O_APPEND : O_TRUNC);
    const int fd = ::open(m_out.c_str(), flags);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "HEADER\n", 7), 7); // appending: after "old picture"
    std::string path = pathFor(fd);
    if (path.front() != '/') {
        fs::create_symlink("/dev/fd/" + std::to_string(fd), m_dir / path);
        path = (m_dir / path).string();
        m_before = entries();
    }
    {
        OutputFile output(path, {});
        ASSERT_TRUE(output.write("new picture")) << output.reason();
        EXPECT_EQ(output.way(), OutputWay::Descriptor);
        ASSERT_TRUE(output.commit());
    }
    ASSERT_EQ(::write(fd, "TRAILER", 7), 7); // the descriptor is still open where it was
    ::close(fd);
    EXPECT_EQ(content(),
              c.append ? "old pictureHEADER\nnew pictureTRAILER" : "HEADER\nnew pictureTRAILER");
    EXPECT_EQ(entries(), m_before);
}

INSTANTIATE_TEST_SUITE_P(Paths, OwnDescriptorTest,
                         testing::Values(DescriptorCase{"ProcSelf", "/proc/self/fd/%d", false},
                                         DescriptorCase{"DevFd", "/dev/fd/%d", false},
                                         DescriptorCase{"DevFdAppending", "/dev/fd/%d", true},
                                         DescriptorCase{"LinkToDevFd", "fd-link", false},
                                         DescriptorCase{"ThreadSelf", "/proc/thread-self/fd/%d",
                                                        true}),
                         vornix::test::RowName);

// A descriptor open only for reading, or not open at all, is refused: no file is written in its
// place and nothing is created.
TEST_F(OutputFolderTest, OwnDescriptorThatCannotBeWrittenIsRefused) {
    makeFolder(Shape::Plain);
    const int reading = ::open(m_out.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reading, 0);
    const int closed = ::dup(reading);
    ASSERT_GE(closed, 0);
    ::close(closed);
    for (const int fd : {reading, closed}) {
        SCOPED_TRACE(fd == reading ? "read only" : "not open");
        OutputFile output("/dev/fd/" + std::to_string(fd), {});
        EXPECT_FALSE(output.write("new picture"));
        EXPECT_FALSE(output.commit());
        EXPECT_EQ(output.error(), EBADF);
    }
    ::close(reading);
    EXPECT_EQ(content(), "old picture");
    EXPECT_EQ(entries(), m_before);
}

// A child process fills an output, then gets `signal`: it ends as the signal says and leaves
// no temporary file, or, with the signal ignored (nohup), goes on and delivers.
struct SignalCase {
    const char* name;
    int signal;
    bool ignored;
    bool unnamed;
};

void PrintTo(const SignalCase& row, std::ostream* out) {
    *out << row.name;
}

class OutputSignalTest : public OutputFolder, public testing::TestWithParam<SignalCase> {
protected:
    void SetUp() override { makeFolder(Shape::Plain); }
};

TEST_P(OutputSignalTest, LeavesNoTemporaryFile) {
    const SignalCase& c = GetParam();
    const std::regex temporaryName(R"(\.out\.pxl\.vornix-[a-z0-9]{8}\.tmp)");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (c.ignored) {
            std::signal(c.signal, SIG_IGN);
        }
        OutputFile output(m_out.string(), {.unnamedTemporary = c.unnamed});
        if (!output.write("new picture")) {
            ::_exit(3);
        }
        int named = 0; // the named file must be there, under its documented name
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            named += std::regex_match(entry.path().filename().string(), temporaryName);
        }
        if (named != (c.unnamed ? 0 : 1)) {
            ::_exit(4);
        }
        ::raise(c.signal);
        ::_exit(output.commit() ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (c.ignored) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(content(), "new picture");
    } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        EXPECT_EQ(content(), "old picture");
    }
    EXPECT_EQ(entries(), m_before);
}

// SIGKILL cannot be caught: only the unnamed file, which dies with the process, is safe from it.
INSTANTIATE_TEST_SUITE_P(Signals, OutputSignalTest,
                         testing::Values(SignalCase{"Interrupt", SIGINT, false, false},
                                         SignalCase{"Terminate", SIGTERM, false, false},
                                         SignalCase{"HangUp", SIGHUP, false, false},
                                         SignalCase{"HangUpIgnored", SIGHUP, true, false},
                                         SignalCase{"TerminateUnnamed", SIGTERM, false, true},
                                         SignalCase{"KillUnnamed", SIGKILL, false, true}),
                         vornix::test::RowName);

#endif // _WIN32

INSTANTIATE_TEST_SUITE_P(Shapes, OutputFileTest,
                         testing::Values(Case{"Plain", Shape::Plain, true},
                                         Case{"PlainNamedTemporary", Shape::Plain, false},
                                         Case{"HardLinked", Shape::HardLinked, true},
                                         Case{"HardLinkedNamedTemporary", Shape::HardLinked,
                                              false}),
                         vornix::test::RowName);
// Symbolic links need a privilege on Windows.
#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Links, OutputFileTest,
                         testing::Values(Case{"Symlinked", Shape::Symlinked, true},
                                         Case{"SymlinkedNamedTemporary", Shape::Symlinked, false}),
                         vornix::test::RowName);
#endif

} // namespace
} // namespace vornix::image
