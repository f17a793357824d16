// The one reader of named files: what is not a regular file is refused at once, whole-file
// reads stop at the largest size a picture can have, and PXL text is read block by block.
#include "image/files/bounded_read.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif

#include <gtest/gtest.h>

#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image_test_support.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;

// Ends the test program instead of letting a read that waits for a writer hang it.
#ifndef _WIN32
class HangGuard {
public:
    HangGuard() { ::alarm(20); }
    ~HangGuard() { ::alarm(0); }
};
#else
// Nothing in the Windows rows waits for a writer.
class HangGuard {};
#endif

class BoundedReadTest : public testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    // A file of `size` bytes that starts with `start` and holds zeros (a hole) after it.
    void sparse(const std::string& name, const std::string& start, std::uint64_t size) const {
        write(name, start);
        fs::resize_file(path(name), size);
    }

    fs::path m_dir = fs::temp_directory_path() / ("vornix-bounded-" + std::to_string(::getpid()));
};

enum class Kind { Fifo, DevZeroLink, Folder, Socket, Missing, BelowAFile, DanglingLink, Device };

struct NamedCase {
    const char* name; // the file name, with the ending a user would give it
    Kind kind;
    int error;
};

void PrintTo(const NamedCase& c, std::ostream* out) {
    *out << c.name;
}

class NamedInputTest : public BoundedReadTest, public testing::WithParamInterface<NamedCase> {
protected:
    void make(const NamedCase& c) {
        const std::string p = path(c.name);
        switch (c.kind) {
#ifndef _WIN32
        case Kind::Fifo:
            ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
            break;
        case Kind::DevZeroLink:
            fs::create_symlink("/dev/zero", p);
            break;
        case Kind::Socket: {
            m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(p.size(), sizeof address.sun_path);
            std::copy(p.begin(), p.end(), address.sun_path);
            ASSERT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            break;
        }
        case Kind::DanglingLink:
            fs::create_symlink(path("nothing-here.bmp"), p);
            break;
#else
        case Kind::Fifo:
        case Kind::DevZeroLink:
        case Kind::Socket:
        case Kind::DanglingLink:
            FAIL() << "no such row on Windows";
#endif
        case Kind::Folder:
            fs::create_directories(p);
            break;
        case Kind::Device: // a name the system keeps for a device, in every folder
        case Kind::Missing:
            break;
        case Kind::BelowAFile:
            write("plain.bmp", "BM");
            break;
        }
    }
    void TearDown() override {
#ifndef _WIN32
        if (m_socket >= 0) {
            ::close(m_socket);
        }
#endif
        BoundedReadTest::TearDown();
    }
    int m_socket = -1;
};

// Every way in refuses the same inputs with the same errno, and none of them waits: a FIFO
// without a writer would block an ordinary open() or read() for ever.
TEST_P(NamedInputTest, IsRefusedAtOnce) {
    const NamedCase& c = GetParam();
    make(c);
    [[maybe_unused]] const HangGuard guard;
    const std::string p = path(c.name);
    const FileBytes whole = ReadBoundedFile(p, kMaxBitmapFileBytes);
    EXPECT_EQ(whole.error, c.error) << DescribeReadError(whole.error);
    EXPECT_TRUE(whole.bytes.empty());
    EXPECT_EQ(ReadFilePrefix(p, kHeadersSize).error, c.error);
    PxlFile pxl(p);
    EXPECT_EQ(pxl.openError(), c.error);
    EXPECT_FALSE(pxl.hasMarker());
    StringSink sink;
    EXPECT_FALSE(ConvertPxlToBitmap(pxl, sink).converted());
    EXPECT_EQ(sink.text(), "");
}

#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Names, NamedInputTest,
                         testing::Values(NamedCase{"x.pxl", Kind::Fifo, kNotRegularFile},
                                         NamedCase{"x.bmp", Kind::Fifo, kNotRegularFile},
                                         NamedCase{"z.bmp", Kind::DevZeroLink, kNotRegularFile},
                                         NamedCase{"z.pxl", Kind::DevZeroLink, kNotRegularFile},
                                         NamedCase{"s.pxl", Kind::Socket, kNotRegularFile},
                                         NamedCase{"folder.bmp", Kind::Folder, kFolderNamed},
                                         NamedCase{"absent.bmp", Kind::Missing, ENOENT},
                                         NamedCase{"plain.bmp/x.bmp", Kind::BelowAFile, ENOTDIR},
                                         NamedCase{"dangling.pxl", Kind::DanglingLink, ENOENT}),
                         vornix::test::RowName);
#else
// Windows has no FIFOs, sockets in folders or links without a privilege; its devices are the
// names it keeps in every folder.
INSTANTIATE_TEST_SUITE_P(Names, NamedInputTest,
                         testing::Values(NamedCase{"NUL", Kind::Device, kNotRegularFile},
                                         NamedCase{"folder.bmp", Kind::Folder, kFolderNamed},
                                         NamedCase{"absent.bmp", Kind::Missing, ENOENT},
                                         NamedCase{"plain.bmp/x.bmp", Kind::BelowAFile,
                                                   test::kBelowAFileError}),
                         vornix::test::RowName);
#endif

// The largest one-bit bitmap with 16-bit sizes, at the largest offset, is still read whole and
// converts; one byte more is refused before anything is allocated.
TEST_F(BoundedReadTest, ReadsTheLargestBitmapAndRefusesOneByteMore) {
    EXPECT_EQ(kMaxBitmapFileBytes, 134'214'794u); // 1162 + 32767 * 4096
    std::string header(70, '\0');
    header[0] = 'B';
    header[1] = 'M';
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            header[at + i] = static_cast<char>(v >> (8 * i));
        }
    };
    put32(10, static_cast<std::uint32_t>(kLargestPixelOffset)); // bfOffBits
    put32(14, 40);
    put32(18, 32767); // width
    put32(22, 32767); // height
    header[26] = 1;   // planes
    header[28] = 1;   // bits per pixel
    sparse("largest.bmp", header, kMaxBitmapFileBytes);
    const FileBytes largest = ReadBoundedFile(path("largest.bmp"), kMaxBitmapFileBytes);
    ASSERT_EQ(largest.error, 0);
    EXPECT_EQ(largest.bytes.size(), kMaxBitmapFileBytes);
    test::CountingSink counted;
    EXPECT_TRUE(ConvertBitmapToPxl(largest.bytes, counted).converted());

    sparse("larger.bmp", header, kMaxBitmapFileBytes + 1);
    const FileBytes larger = ReadBoundedFile(path("larger.bmp"), kMaxBitmapFileBytes);
    EXPECT_EQ(larger.error, kFileTooLarge);
    EXPECT_TRUE(larger.bytes.empty());
}

// A PXL source that counts what the field reader took from the file.
class CountingPxl : public PxlTextSource {
public:
    explicit CountingPxl(const std::string& path) : m_file(path) {}
    std::size_t read(char* into, std::size_t room) override {
        const std::size_t got = m_file.read(into, room);
        taken += got;
        return got;
    }
    PxlFile m_file;
    std::size_t taken = 0;
};

// A 1 GB sparse PXL file: its zeros make one field far longer than any field may be, so the
// conversion fails after reading a few blocks instead of holding a gigabyte.
TEST_F(BoundedReadTest, SparseGigabytePxlStopsAtItsOverlongField) {
    const std::uint64_t gigabyte = std::uint64_t{1} << 30;
    for (const std::string start : {"", "@,", "@,8,1,8\r\n", "@,16,1,8\r\n0FFh,"}) {
        sparse("big.pxl", start, gigabyte);
        CountingPxl source(path("big.pxl"));
        ASSERT_EQ(source.m_file.openError(), 0);
        StringSink sink;
        const EncodeResult result = ConvertPxlToBitmap(source, sink);
        EXPECT_EQ(result.outcome, EncodeOutcome::FieldTooLong) << '"' << start << '"';
        EXPECT_LE(source.taken, std::size_t{1} << 18) << '"' << start << '"';
        EXPECT_EQ(sink.text(), "");
        EXPECT_EQ(ReadBoundedFile(path("big.pxl"), kMaxWrittenPxlBytes).error, kFileTooLarge);
    }
}

// The marker is looked at and the text then read from its start, from a file opened once.
TEST_F(BoundedReadTest, PxlFileReadsTheTextAfterLookingAtTheMarker) {
    std::string text = "@,16,2,8\r\n";
    for (int i = 0; i < 4; ++i) {
        text += "0A5h,";
    }
    write("a.pxl", text);
    PxlFile file(path("a.pxl"));
    EXPECT_TRUE(file.hasMarker());
    EXPECT_TRUE(file.hasMarker());
    StringSink sink;
    const EncodeResult result = ConvertPxlToBitmap(file, sink);
    ASSERT_TRUE(result.converted()) << describe(result.outcome);
    const EncodedBmp reference = ConvertPxlToBitmap(text);
    EXPECT_EQ(std::vector<std::uint8_t>(sink.text().begin(), sink.text().end()), reference.bytes);
    // A marker behind more blanks than are kept: the text is read again from the start.
    const std::string padded = std::string(300000, ' ') + text;
    write("b.pxl", padded);
    PxlFile far(path("b.pxl"));
    EXPECT_TRUE(far.hasMarker());
    StringSink farSink;
    EXPECT_TRUE(ConvertPxlToBitmap(far, farSink).converted());
    EXPECT_EQ(farSink.text(), sink.text());
}

} // namespace
} // namespace vornix::image
