// Reading pictures of every supported kind into grey levels, from files laid out by hand, and
// the exact outcome for each kind of damage.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/photo/prepare_decode.h"
#include "support/row_name.h"

#ifndef _WIN32
#include <jpeglib.h>
#endif

namespace vornix::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void put(Bytes& out, std::int64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(std::uint8_t(std::uint64_t(value) >> (8 * i)));
    }
}

void putBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(std::uint8_t(value >> shift));
    }
}

// The CRC of PNG chunks (and of zip files): reflected, polynomial 0xEDB88320.
std::uint32_t crc32Of(const Bytes& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A zlib stream that stores `data` in one uncompressed block (at most 65535 bytes), with its
// Adler-32 check: every PNG reader must inflate it, whichever library it uses.
Bytes zlibStored(const Bytes& data) {
    Bytes out = {0x78, 0x01, 0x01}; // header; one final, stored block
    put(out, std::int64_t(data.size()), 2);
    put(out, std::int64_t(~data.size() & 0xFFFF), 2);
    out = out + data;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, b << 16 | a);
    return out;
}

// One PNG chunk: length, kind, data, CRC.
Bytes pngChunk(const std::string& kind, const Bytes& data) {
    Bytes body = text(kind) + data;
    Bytes chunk;
    putBigEndian(chunk, std::uint32_t(data.size()));
    chunk = chunk + body;
    putBigEndian(chunk, crc32Of(body));
    return chunk;
}

// A PNG file of an 8-bit grey picture of width x height whose data chunk holds `rows` (each
// row a filter byte, then its levels). The header alone tells the size.
Bytes pngGrey(std::uint32_t width, std::uint32_t height, const Bytes& rows = {0}) {
    Bytes header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header = header + Bytes{8, 0, 0, 0, 0}; // 8-bit grey, no interlace
    const Bytes packed = zlibStored(rows);
    return Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'} + pngChunk("IHDR", header) +
           pngChunk("IDAT", packed) + pngChunk("IEND", {});
}

// The headers of a grey baseline JPEG of width x height, up to its first scan, and no data:
// a quantisation table of ones, the frame, the scan of its one component.
Bytes jpegHeaders(int width, int height) {
    Bytes out = {0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0};
    out.insert(out.end(), 64, 1);
    out = out + Bytes{0xFF, 0xC0, 0, 11, 8};
    putBigEndian(out, std::uint32_t(height) << 16 | std::uint32_t(width));
    out = out + Bytes{1, 1, 0x11, 0};
    return out + Bytes{0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0};
}

struct BitmapSpec {
    std::int32_t width = 2;
    std::int32_t height = 2; // negative: rows top-down
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0; // 0: a full palette for the depth
    Bytes extra{};                // masks or palette after the 40-byte header
    Bytes pixels{};               // the stored rows, padded by the caller
    std::int64_t offset = -1;     // bfOffBits; -1: right after `extra`
};

Bytes bitmap(const BitmapSpec& s) {
    Bytes out = text("BM");
    const std::int64_t offset = s.offset >= 0 ? s.offset : 54 + std::int64_t(s.extra.size());
    put(out, offset + std::int64_t(s.pixels.size()), 4);
    put(out, 0, 4);
    put(out, offset, 4);
    put(out, 40, 4);
    put(out, s.width, 4);
    put(out, s.height, 4);
    put(out, 1, 2);
    put(out, s.bits, 2);
    put(out, s.compression, 4);
    for (const std::int64_t field : {0, 0, 0}) { // image size, resolution
        put(out, field, 4);
    }
    put(out, s.colorsUsed, 4);
    put(out, 0, 4);
    return out + s.extra + s.pixels;
}

struct GoodRow {
    const char* name;
    Bytes file;
    int width, height;
    Bytes levels;
};

void PrintTo(const GoodRow& row, std::ostream* os) {
    *os << row.name;
}

class ReadGoodTest : public ::testing::TestWithParam<GoodRow> {};

TEST_P(ReadGoodTest, GivesTheGreyLevels) {
    const GoodRow& row = GetParam();
    const PictureReadResult result = ReadGreyPicture(row.file);
    ASSERT_EQ(result.outcome, PictureReadOutcome::Read);
    EXPECT_EQ(result.image.width, row.width);
    EXPECT_EQ(result.image.height, row.height);
    EXPECT_EQ(result.image.pixels, row.levels);
}

// Red, green and blue weigh 76, 150 and 29 of 255.
INSTANTIATE_TEST_SUITE_P(
    Formats, ReadGoodTest,
    ::testing::Values(
        GoodRow{"pgm", text("P5\n2 1\n255\n") + Bytes{0, 200}, 2, 1, {0, 200}},
        GoodRow{"pgm text",
                text("P2\n# made by hand\n2 2\n15\n0 15\n5\t10\n"),
                2,
                2,
                {0, 255, 85, 170}},
        GoodRow{
            "pgm 16 bits", text("P5 2 1 65535 ") + Bytes{0xFF, 0xFF, 0x80, 0x00}, 2, 1, {255, 128}},
        GoodRow{"ppm",
                text("P6 3 1 255\n") + Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255},
                3,
                1,
                {76, 150, 29}},
        GoodRow{"ppm text", text("P3 1 1 7 7 7 7"), 1, 1, {255}},
        GoodRow{"pbm",
                text("P4\n10 1\n") + Bytes{0x80, 0x40},
                10,
                1,
                {0, 255, 255, 255, 255, 255, 255, 255, 255, 0}},
        GoodRow{"pbm text", text("P1 3 2 101\n0 1 0"), 3, 2, {0, 255, 0, 255, 0, 255}},
        // Bottom row first: blue, white / red, black, each row padded to 8 bytes.
        GoodRow{"bmp 24",
                bitmap({.pixels = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0}}),
                2,
                2,
                {76, 0, 29, 255}},
        GoodRow{"bmp 8 top-down",
                bitmap({.width = 3,
                        .height = -1,
                        .bits = 8,
                        .colorsUsed = 3,
                        .extra = Bytes{0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0},
                        .pixels = {2, 1, 0, 0}}),
                3,
                1,
                {76, 255, 0}},
        GoodRow{"bmp 4",
                bitmap({.width = 3,
                        .height = 1,
                        .bits = 4,
                        .colorsUsed = 2,
                        .extra = Bytes{0, 0, 0, 0, 255, 255, 255, 0},
                        .pixels = {0x10, 0x10, 0, 0}}),
                3,
                1,
                {255, 0, 255}},
        // The palette's colours count, not the indices: index 0 is white here.
        GoodRow{"bmp 1 reversed palette",
                bitmap({.width = 9,
                        .height = 1,
                        .bits = 1,
                        .extra = Bytes{255, 255, 255, 0, 0, 0, 0, 0},
                        .pixels = {0x0F, 0x80, 0, 0}}),
                9,
                1,
                {255, 255, 255, 255, 0, 0, 0, 0, 0}},
        GoodRow{"bmp 16 5-6-5",
                bitmap({.width = 2,
                        .height = 1,
                        .bits = 16,
                        .compression = 3,
                        .extra = Bytes{0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
                        .pixels = {0xFF, 0xFF, 0x00, 0xF8}}),
                2,
                1,
                {255, 76}},
        GoodRow{"bmp 32",
                bitmap({.width = 1, .height = 1, .bits = 32, .pixels = {0, 255, 0, 0}}),
                1,
                1,
                {150}},
        GoodRow{"pxl", text("@,8,1,8\r\n0F0h\r\n"), 8, 1, {0, 0, 0, 0, 255, 255, 255, 255}},
        GoodRow{
            "png grey", pngGrey(3, 2, {0, 0, 128, 255, 0, 7, 8, 9}), 3, 2, {0, 128, 255, 7, 8, 9}}),
    vornix::test::RowName);

TEST(ReadGreyPictureTest, DamagedFilesGiveTheirOutcome) {
    using O = PictureReadOutcome;
    const std::pair<Bytes, O> rows[] = {
        {text("GIF89a"), O::Damaged}, // a GIF signature with nothing after it
        // A GIF screen of 65535 x 65535 pixels, and one of 2 x 1 without a frame.
        {text("GIF89a") + Bytes{0xff, 0xff, 0xff, 0xff, 0, 0, 0} + text(";"), O::TooLarge},
        {text("GIF87a") + Bytes{2, 0, 1, 0, 0, 0, 0} + text(";"), O::Damaged},
        {pngGrey(30000, 30000), O::TooLarge},   // refused before any pixel data
        {pngGrey(0, 5), O::Damaged},            // libpng refuses a width of 0
        {pngGrey(2, 2, {0, 1, 2}), O::Damaged}, // the data ends before the last row
        {text("\x89PNG\r\n\x1a\n"), O::Damaged},
        {Bytes{0xff, 0xd8, 0xff, 0xe0} + Bytes(20, 0), O::Damaged},
        {jpegHeaders(60000, 60000), O::TooLarge},
        {text("RIFF") + Bytes{20, 0, 0, 0} + text("WEBPVP8 ") + Bytes(12, 0), O::Damaged},
        {{}, O::UnknownFormat},
        {text("P5 0 5 255\n"), O::BadHeader},
        {text("P5 2 1 0\n") + Bytes{0, 0}, O::BadHeader},
        {text("P5 2 1 70000\n") + Bytes{0, 0}, O::BadHeader},
        {text("P5 2 x 255\n"), O::BadHeader},
        {text("P5 3 3 255\n") + Bytes{1, 2}, O::Truncated},
        {text("P6 2 1 255"), O::Truncated},
        {text("P5 100000 100000 255\n"), O::TooLarge},
        {text("P2 2 1 255\n3 999"), O::BadSample},
        {text("P2 2 1 255\n3 x"), O::BadSample},
        {text("P1 2 1 12"), O::BadSample},
        {text("P2 2 2 255 1 2 3"), O::Truncated},
        {text("P5 2 1 100\n") + Bytes{50, 101}, O::BadSample},
        {bitmap({.pixels = {1, 2, 3}}), O::Truncated},
        {bitmap({.pixels = Bytes(16, 0), .offset = 1000}), O::Truncated},
        {bitmap({.width = 30000, .height = 30000, .pixels = Bytes(16, 0)}), O::TooLarge},
        {bitmap({.width = 0, .pixels = Bytes(16, 0)}), O::BadHeader},
        {bitmap({.bits = 8, .compression = 1, .pixels = Bytes(16, 0)}), O::Unsupported},
        {bitmap({.bits = 2, .pixels = Bytes(16, 0)}), O::Unsupported},
        {bitmap({.bits = 8, .extra = Bytes(8, 0), .pixels = {}}), O::Truncated}, // short palette
        {text("BM") + Bytes(12, 0) + Bytes{20, 0, 0, 0} + Bytes(40, 0), O::BadHeader},
        {text("BM") + Bytes(10, 0), O::Truncated},
        {text("@,8,1,8\r\n"), O::BadPxl},
        {text("@,8,1,8\r\n1FFh\r\n"), O::BadPxl},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const PictureReadResult result = ReadGreyPicture(rows[i].first);
#ifdef _WIN32
        // Windows reads WebP only where its codec is installed; without one the file is
        // refused as a format the build has no reader for.
        const bool webp = rows[i].first.size() > 12 && rows[i].first[8] == 'W';
        if (webp && result.outcome == O::NoPhotoReader) {
            continue;
        }
#endif
        EXPECT_EQ(result.outcome, rows[i].second) << "row " << i;
        EXPECT_TRUE(result.image.pixels.empty()) << "row " << i;
    }
}

// The JPEG tests make their samples with libjpeg, which the Windows build has no copy of; there
// the system's reader is compared with the Linux one through the command line instead
// (tests/windows), and it has no reduced sizes to decode at.
#ifndef _WIN32
// A 64 x 48 grey JPEG made by libjpeg, stored in the scans of `script` (none: one baseline scan).
// Diagonal bands of grey, so that every scan has data to carry.
Bytes jpegGrey(const std::vector<jpeg_scan_info>& script = {}) {
    constexpr int kWidth = 64;
    constexpr int kHeight = 48;
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&jpeg, &out, &size);
    jpeg.image_width = kWidth;
    jpeg.image_height = kHeight;
    jpeg.input_components = 1;
    jpeg.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, 90, TRUE);
    if (!script.empty()) {
        jpeg.scan_info = script.data();
        jpeg.num_scans = int(script.size());
    }
    jpeg_start_compress(&jpeg, TRUE);
    std::vector<JSAMPLE> row(kWidth);
    while (jpeg.next_scanline < jpeg.image_height) {
        for (int x = 0; x < kWidth; ++x) {
            row[std::size_t(x)] = JSAMPLE((x * 7 + int(jpeg.next_scanline) * 5) % 256);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&jpeg, rows, 1);
    }
    jpeg_finish_compress(&jpeg);
    Bytes file(out, out + size);
    jpeg_destroy_compress(&jpeg);
    std::free(out);
    return file;
}

// A progressive script of `scans` scans (64 to 127) for one component: the DC coefficients in
// one scan, then the 63 AC coefficients one at a time, the first scans - 64 of them in two
// scans (their lowest bit refined in the second).
std::vector<jpeg_scan_info> progressiveScript(int scans) {
    std::vector<jpeg_scan_info> script = {{1, {0}, 0, 0, 0, 0}};
    const int refined = scans - 64;
    for (int k = 1; k <= 63; ++k) {
        if (k <= refined) {
            script.push_back({1, {0}, k, k, 0, 1});
            script.push_back({1, {0}, k, k, 1, 0});
        } else {
            script.push_back({1, {0}, k, k, 0, 0});
        }
    }
    return script;
}

// The scans of a JPEG: its SOS markers.
int countScans(const Bytes& file) {
    int scans = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i) {
        scans += file[i] == 0xFF && file[i + 1] == 0xDA;
    }
    return scans;
}

// Where a JPEG's entropy-coded data starts: after its first SOS segment.
std::size_t firstScanData(const Bytes& file) {
    for (std::size_t i = 0; i + 3 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xDA) {
            return i + 2 + (std::size_t(file[i + 2]) << 8 | file[i + 3]);
        }
    }
    return file.size();
}

// A picture needs a few scans; each one costs a pass over the whole picture, so a file of
// many scans is refused however valid each one is. Damaged data, which libjpeg warns about and
// would otherwise fill in with grey, is refused too.
TEST(ReadGreyPictureTest, JpegScansAndDamageAreBounded) {
    const Bytes baseline = jpegGrey();
    const Bytes at = jpegGrey(progressiveScript(64));
    const Bytes beyond = jpegGrey(progressiveScript(65));
    ASSERT_EQ(countScans(baseline), 1);
    ASSERT_EQ(countScans(at), 64);
    ASSERT_EQ(countScans(beyond), 65);
    const std::size_t data = firstScanData(baseline);
    ASSERT_LT(data + 40, baseline.size());
    Bytes cutShort(baseline.begin(), baseline.begin() + std::ptrdiff_t(data + 40));
    Bytes endedEarly = cutShort + Bytes{0xFF, 0xD9}; // the data segment ends at EOI
    Bytes stray = baseline;
    stray[data + 20] = 0xFF; // a restart marker in the middle of the data
    stray[data + 21] = 0xD3;

    using O = PictureReadOutcome;
    const struct {
        const char* name;
        Bytes file;
        O outcome;
    } rows[] = {
        {"baseline", baseline, O::Read},
        {"progressive of 64 scans", at, O::Read},
        {"progressive of 65 scans", beyond, O::Damaged},
        {"cut short in its data", cutShort, O::Damaged},
        {"data ended by EOI", endedEarly, O::Damaged},
        {"stray marker in its data", stray, O::Damaged},
    };
    for (const auto& row : rows) {
        const PictureReadResult result = ReadGreyPicture(row.file);
        EXPECT_EQ(result.outcome, row.outcome) << row.name;
        if (row.outcome == O::Read) {
            EXPECT_EQ(result.image.width, 64) << row.name;
            EXPECT_EQ(result.image.height, 48) << row.name;
        } else {
            EXPECT_TRUE(result.image.pixels.empty()) << row.name;
        }
    }
}

// A JPEG is decoded at the smallest eighth of its size that still covers the size it is
// needed at, each pixel the mean of the block it stands for; other pictures whole.
TEST(ReadGreyFramesTest, JpegIsDecodedNoLargerThanNeeded) {
    const Bytes jpeg = jpegGrey(); // 64 x 48
    const PictureReadResult whole = ReadGreyPicture(jpeg);
    ASSERT_TRUE(whole.ok());
    const struct {
        PictureSize need;
        PictureSize decoded;
    } rows[] = {
        {{8, 6}, {8, 6}},     {{1, 1}, {8, 6}},    {{9, 6}, {16, 12}},   {{8, 7}, {16, 12}},
        {{40, 30}, {40, 30}}, {{41, 1}, {48, 36}}, {{64, 48}, {64, 48}}, {{65, 1}, {64, 48}},
    };
    for (const auto& row : rows) {
        GreyImage frame;
        PictureSize asked{};
        const PictureReadOutcome outcome = ReadGreyFrames(
            jpeg,
            [&frame](GreyImage&& f) {
                frame = std::move(f);
                return true;
            },
            [&asked, &row](PictureSize full) {
                asked = full;
                return row.need;
            });
        const std::string name =
            std::to_string(row.need.width) + " x " + std::to_string(row.need.height);
        ASSERT_EQ(outcome, PictureReadOutcome::Read) << name;
        EXPECT_EQ(asked, (PictureSize{64, 48})) << name;
        EXPECT_EQ((PictureSize{frame.width, frame.height}), row.decoded) << name;
        if (row.decoded.width == 64) {
            EXPECT_EQ(frame.pixels, whole.image.pixels) << name;
        }
        if (row.decoded.width == 8) { // the mean of each 8 x 8 block, within a level or two
            for (int by = 0; by < 6; ++by) {
                for (int bx = 0; bx < 8; ++bx) {
                    int sum = 0;
                    for (int y = 0; y < 8; ++y) {
                        for (int x = 0; x < 8; ++x) {
                            sum += whole.image.at(bx * 8 + x, by * 8 + y);
                        }
                    }
                    EXPECT_NEAR(frame.at(bx, by), sum / 64.0, 2.5) << bx << "," << by;
                }
            }
        }
    }
    // A picture of another kind is read whole.
    int width = 0;
    ReadGreyFrames(
        pngGrey(3, 2, {0, 0, 128, 255, 0, 7, 8, 9}),
        [&width](GreyImage&& f) {
            width = f.width;
            return true;
        },
        [](PictureSize) {
            return PictureSize{1, 1};
        });
    EXPECT_EQ(width, 3);
}

#endif // _WIN32

// A GIF whose screen is width x height (two colours, black and white) and whose frames are
// the given sizes, each at the top left. A frame of one pixel holds a black pixel; a larger one
// holds the same single code, so that the bounds on frames are met before its data is missed.
Bytes gifOf(int width, int height, const std::vector<std::pair<int, int>>& frames) {
    Bytes out = text("GIF89a");
    put(out, width, 2);
    put(out, height, 2);
    out = out + Bytes{0x80, 0, 0, 0, 0, 0, 255, 255, 255}; // a global table of 2 colours
    for (const auto& [w, h] : frames) {
        out = out + Bytes{0x2C, 0, 0, 0, 0};
        put(out, w, 2);
        put(out, h, 2);
        // LZW of 2-bit codes: clear (4), index 0, end (5), three bits each, lowest bits first.
        out = out + Bytes{0, 2, 2, 0x44, 0x01, 0};
    }
    return out + text(";");
}

#ifndef _WIN32
// A GIF hands over its screen for every frame, whatever the frame's size: the frames, and the
// pixels of their screens and their own, are bounded so that a small file cannot ask for hours
// of work. The first frame of any GIF is still read.
TEST(ReadGreyFramesTest, GifFramesAreBounded) {
    using O = PictureReadOutcome;
    const std::vector<std::pair<int, int>> dots1000(1000, {1, 1});
    std::vector<std::pair<int, int>> dots1001(1001, {1, 1});
    // One dot, then eight frames that say they are 8192 x 8192: 2^29 pixels and more.
    std::vector<std::pair<int, int>> huge(9, {8192, 8192});
    huge[0] = {1, 1};
    const struct {
        const char* name;
        Bytes file;
        O outcome;
        int frames; // handed over
    } rows[] = {
        {"1000 frames", gifOf(16, 16, dots1000), O::Read, 1000},
        {"1001 frames", gifOf(16, 16, dots1001), O::TooManyFrames, 1},
        {"frames of 2^29 pixels", gifOf(16, 16, huge), O::TooManyFrames, 1},
    };
    for (const auto& row : rows) {
        int frames = 0;
        const O outcome = ReadGreyFrames(row.file, [&frames](GreyImage&& frame) {
            ++frames;
            EXPECT_EQ(frame.width, 16);
            EXPECT_EQ(frame.at(0, 0), 0); // the dot
            EXPECT_EQ(frame.at(1, 0), 255);
            return true;
        });
        EXPECT_EQ(outcome, row.outcome) << row.name;
        EXPECT_EQ(frames, row.frames) << row.name;
        const PictureReadResult first = ReadGreyPicture(row.file);
        EXPECT_EQ(first.outcome, O::Read) << row.name;
        EXPECT_EQ(first.image.width, 16) << row.name;
    }
}
#else
// The Windows reader does not compose a GIF's frames on its screen: a first frame that covers
// the screen is read, and a smaller one, or the frames after the first, are refused with their
// reason, however many frames the file claims and however large they say they are.
TEST(ReadGreyFramesTest, GifFramesNeedingComposingAreRefused) {
    using O = PictureReadOutcome;
    std::vector<std::pair<int, int>> huge(9, {8192, 8192});
    huge[0] = {1, 1};
    const struct {
        const char* name;
        Bytes file;
        O outcome;  // of every frame
        int frames; // handed over
        O first;    // of the first frame alone
    } rows[] = {
        {"one frame, the screen", gifOf(1, 1, {{1, 1}}), O::Read, 1, O::Read},
        {"two frames", gifOf(1, 1, {{1, 1}, {1, 1}}), O::NoPhotoReader, 1, O::Read},
        {"1001 frames", gifOf(1, 1, std::vector<std::pair<int, int>>(1001, {1, 1})),
         O::NoPhotoReader, 1, O::Read},
        {"a frame smaller than the screen", gifOf(16, 16, {{1, 1}}), O::NoPhotoReader, 0,
         O::NoPhotoReader},
        // Refused one way or another, the screen left uncomposed or the frames found damaged.
        {"frames of 2^29 pixels", gifOf(16, 16, huge), O::Damaged, 0, O::Damaged},
    };
    for (const auto& row : rows) {
        int frames = 0;
        const O outcome = ReadGreyFrames(row.file, [&frames](GreyImage&& frame) {
            ++frames;
            EXPECT_EQ(frame.at(0, 0), 0); // the dot
            return true;
        });
        const O first = ReadGreyPicture(row.file).outcome;
        EXPECT_EQ(frames, row.frames) << row.name;
        if (row.outcome == O::Damaged) {
            EXPECT_TRUE(outcome == O::Damaged || outcome == O::NoPhotoReader) << row.name;
            EXPECT_TRUE(first == O::Damaged || first == O::NoPhotoReader) << row.name;
        } else {
            EXPECT_EQ(outcome, row.outcome) << row.name;
            EXPECT_EQ(first, row.first) << row.name;
        }
    }
}
#endif // _WIN32

} // namespace
} // namespace vornix::image
