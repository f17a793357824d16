#include "image/output_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "image/decode_bmp.h"
#include "image_test_support.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;

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
        return std::string(std::istreambuf_iterator<char>(in), {});
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

class OutputFileTest : public OutputFolder, public testing::TestWithParam<Case> {
protected:
    void SetUp() override { makeFolder(GetParam().shape); }
    OutputFile::Options options() const { return {.unnamedTemporary = GetParam().unnamed}; }
};

TEST_P(OutputFileTest, ContentChangesOnlyAtCommit) {
    {
        OutputFile abandoned(m_out, options());
        ASSERT_TRUE(abandoned.write("half a pic"));
        abandoned.abandon();
        OutputFile forgotten(m_out, options()); // its destructor abandons it
        ASSERT_TRUE(forgotten.write("half a pic"));
    }
    EXPECT_EQ(content(), "old picture");
    OutputFile output(m_out, options());
    ASSERT_TRUE(output.write("new "));
    ASSERT_TRUE(output.write("picture"));
    EXPECT_EQ(content(), "old picture");
    EXPECT_EQ(output.way(),
              GetParam().shape == Shape::HardLinked ? OutputWay::InPlace : OutputWay::Replace);
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
    test::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.active());

    OutputFile output(m_out, options());
    const auto result = ConvertBitmapToPxl(test::makeBitmap(256, 64, test::Bytes(32 * 64)), output);
    const bool committed = output.commit();
    limit.lift();

    EXPECT_EQ(result.outcome, DecodeOutcome::OutputFailed);
    EXPECT_FALSE(committed);
    EXPECT_EQ(output.error(), EFBIG);
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
        OutputFile output(m_out, {.unnamedTemporary = c.unnamed});
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

INSTANTIATE_TEST_SUITE_P(Shapes, OutputFileTest,
                         testing::Values(Case{"Plain", Shape::Plain, true},
                                         Case{"PlainNamedTemporary", Shape::Plain, false},
                                         Case{"HardLinked", Shape::HardLinked, true},
                                         Case{"HardLinkedNamedTemporary", Shape::HardLinked, false},
                                         Case{"Symlinked", Shape::Symlinked, true},
                                         Case{"SymlinkedNamedTemporary", Shape::Symlinked, false}),
                         vornix::test::RowName);

} // namespace
} // namespace vornix::image
