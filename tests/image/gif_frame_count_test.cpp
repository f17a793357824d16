// Counting a GIF's frames from its block structure alone, on files laid out by hand: every
// kind of block, every place a file can break off, and the frame limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/photo/gif_frame_count.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const std::string& digits) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes repeat(const Bytes& block, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) {
        out = out + block;
    }
    return out;
}

// "GIF89a", a 1 x 1 screen with a table of two colours.
const Bytes kHead = hex("474946383961" "01000100" "800000" "000000ffffff");
// A graphics control block, then a 1 x 1 frame with its pixel codes in one sub-block.
const Bytes kFrame = hex("21f9040000000000" "2c0000000001000100" "00" "0202440100");
const Bytes kTrailer = hex("3b");

struct CountRow {
    std::string name;
    Bytes file;
    GifWalk outcome;
    int frames;
};

void PrintTo(const CountRow& row, std::ostream* os) {
    *os << row.name;
}

class GifFrameCountTest : public ::testing::TestWithParam<CountRow> {};

TEST_P(GifFrameCountTest, CountsTheImageBlocks) {
    const GifFrameCount count = CountGifFrames(GetParam().file);
    EXPECT_EQ(count.outcome, GetParam().outcome);
    EXPECT_EQ(count.frames, GetParam().frames);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GifFrameCountTest,
    ::testing::Values(
        CountRow{"NotAGif", hex("89504e470d0a1a0a0000"), GifWalk::NotGif, 0},
        CountRow{"OtherVersion", hex("474946383861") + kHead, GifWalk::NotGif, 0},
        CountRow{"Empty", {}, GifWalk::NotGif, 0},
        CountRow{"NoFrames", kHead + kTrailer, GifWalk::Counted, 0},
        CountRow{"OneFrame", kHead + kFrame + kTrailer, GifWalk::Counted, 1},
        CountRow{"Version87a",
                 hex("474946383761") + Bytes(kHead.begin() + 6, kHead.end()) + kFrame + kTrailer,
                 GifWalk::Counted, 1},
        // A looping application block and a comment between frames.
        CountRow{"ExtensionsBetweenFrames",
                 kHead + hex("21ff0b4e45545343415045322e300301000000") + kFrame +
                     hex("21fe0568656c6c6f00") + kFrame + kFrame + kTrailer,
                 GifWalk::Counted, 3},
        // 256 global colours, a frame with 4 colours of its own.
        CountRow{"ColourTables",
                 hex("474946383961" "01000100" "870000") + Bytes(768, 0x40) +
                     hex("2c0000000001000100" "81") + Bytes(12, 0x10) + hex("0202440100") + kTrailer,
                 GifWalk::Counted, 1},
        CountRow{"NoGlobalTable",
                 hex("474946383961" "01000100" "000000") + hex("2c0000000001000100" "80") +
                     hex("000000ffffff") + hex("0202440100") + kTrailer,
                 GifWalk::Counted, 1},
        CountRow{"SeveralSubBlocks",
                 kHead + hex("2c0000000001000100" "00" "02") + hex("ff") + Bytes(255, 0) +
                     hex("03000000") + hex("0100") + hex("00") + kTrailer,
                 GifWalk::Counted, 1},
        CountRow{"BytesAfterTheTrailer", kHead + kFrame + kTrailer + hex("00112233"),
                 GifWalk::Counted, 1},
        CountRow{"ScreenCutShort", hex("4749463839610100"), GifWalk::Damaged, 0},
        CountRow{"TableCutShort", hex("474946383961" "01000100" "800000" "0000"),
                 GifWalk::Damaged, 0},
        CountRow{"NoTrailer", kHead + kFrame + kFrame, GifWalk::Damaged, 2},
        CountRow{"CutInsideADescriptor", kHead + kFrame + hex("2c000000"), GifWalk::Damaged, 1},
        CountRow{"CutInsideTheCodes", kHead + kFrame + hex("2c0000000001000100" "00" "020244"),
                 GifWalk::Damaged, 1},
        CountRow{"CutInsideAnExtension", kHead + kFrame + hex("21fe056865"), GifWalk::Damaged,
                 1},
        CountRow{"UnknownBlock", kHead + kFrame + hex("00") + kFrame + kTrailer,
                 GifWalk::Damaged, 1},
        CountRow{"ThousandFrames", kHead + repeat(kFrame, 1000) + kTrailer, GifWalk::Counted,
                 1000},
        CountRow{"ThousandAndOneFrames", kHead + repeat(kFrame, 1001) + kTrailer,
                 GifWalk::TooManyFrames, 1001},
        // More frames than allowed is known before the file's end.
        CountRow{"ThousandAndOneFramesCutShort", kHead + repeat(kFrame, 1001),
                 GifWalk::TooManyFrames, 1001}),
    vornix::test::RowName);

TEST(GifFrameCountText, SaysWhyInWords) {
    EXPECT_EQ(describe(GifWalk::TooManyFrames), "the GIF has more than 1000 frames");
    EXPECT_EQ(kMaxGifFrames, 1000);
}

} // namespace
} // namespace vornix::image
