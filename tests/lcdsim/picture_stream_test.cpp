#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lcdsim/lcd_controller.h"
#include "lcdsim/render_stream.h"

namespace vornix::lcdsim {
namespace {

// The download of a 24 x 3 picture, written out command by command.
const std::string kSmallPicture = "\x03\r"
                                  "/I 6\r"
                                  "D 3 3\r"
                                  "G 0 0 0\rG 3,0FFh,0FFh,0FFh\r"
                                  "G 0 1 0\rG 3,0AAh,0CCh,080h\r"
                                  "G 0 2 0\rG 3,001h,0FFh,000h\r";

// The top left corner of the panel that the picture above must leave; the rest stays light.
const char* const kSmallPictureRows[] = {
    "########################....",
    "#.#.#.#.##..##..#...........",
    ".......#########............",
    "............................",
};

TEST(PictureStream, SmallPictureAppearsOnAClearedPanel) {
    LcdController controller;
    controller.feed("G 0 50 5\rG 1,0FFh\r"); // left over from an earlier picture
    controller.feed(kSmallPicture);

    const std::string text = controller.framebuffer().toText();
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(text.substr(row * 241, 28), kSmallPictureRows[row]) << "row " << row;
    }
    EXPECT_EQ(controller.framebuffer().darkPixels(), 24 + (4 + 4 + 1) + (1 + 8));
    EXPECT_EQ(controller.counters().errors, 0u);
    EXPECT_EQ(controller.counters().commands, 2u + 6u + 2u);
    EXPECT_EQ(controller.counters().dataBytes, 1u + 9u);
}

TEST(PictureStream, RowOf128PixelsInGroupsOfTenAndSix) {
    const Framebuffer fb = RenderStream("\x03\r/I 6\rD 16 1\r"
                                        "G 0 0 0\rG 10,001h,002h,003h,004h,005h,006h,007h,008h,"
                                        "009h,00Ah\r"
                                        "G 0 0 10\rG 6,00Bh,00Ch,00Dh,00Eh,00Fh,010h\r");
    for (int column = 0; column < 16; ++column) {
        EXPECT_EQ(fb.byteAt(0, column), column + 1) << "column " << column;
    }
    EXPECT_EQ(fb.byteAt(0, 16), 0);
    EXPECT_EQ(fb.byteAt(1, 0), 0);
}

// A stream with a bit of everything: resets inside commands, errors, clipping, CR LF.
std::string mixedStream() {
    std::string stream = kSmallPicture;
    stream += "G 0 3 0\r\nG 2,012h,0ZZh\r\n";
    stream += "D 2 5\rG 0 4 0\rG 4,0F0h,00Fh,0F0h,00Fh\r";
    stream += "G 0 7 \x03 junk\r/I 6\rG 0 6 6\rG 1,066h\r";
    stream += "Q\rG 1,0FFh,0FFh\r" + std::string(1500, 'x') + "\rG 0 1 1\r";
    return stream;
}

class ChunkedFeed : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkedFeed, GivesTheSameResultAsOneFeed) {
    const std::string stream = mixedStream();
    LcdController whole;
    whole.feed(stream);

    LcdController chunked;
    for (std::size_t pos = 0; pos < stream.size(); pos += GetParam()) {
        chunked.feed(std::string_view(stream).substr(pos, GetParam()));
    }

    EXPECT_EQ(chunked.framebuffer(), whole.framebuffer());
    EXPECT_EQ(chunked.area(), whole.area());
    EXPECT_EQ(chunked.position(), whole.position());
    const ControllerCounters& a = chunked.counters();
    const ControllerCounters& b = whole.counters();
    EXPECT_EQ(a.bytesReceived, stream.size());
    EXPECT_EQ(
        std::tie(a.bytesReceived, a.commands, a.dataBytes, a.clippedBytes, a.errors, a.resets),
        std::tie(b.bytesReceived, b.commands, b.dataBytes, b.clippedBytes, b.errors, b.resets));
    ASSERT_EQ(chunked.recentErrors().size(), whole.recentErrors().size());
    for (std::size_t i = 0; i < whole.recentErrors().size(); ++i) {
        EXPECT_EQ(chunked.recentErrors()[i].describe(), whole.recentErrors()[i].describe());
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ChunkedFeed, ::testing::Values(1, 2, 3, 7, 13, 64, 1024, 100000),
                         [](const auto& info) { return "ChunksOf" + std::to_string(info.param); });

TEST(PictureStream, MixedStreamOutcome) {
    LcdController controller;
    controller.feed(mixedStream());
    // After the second /I 6 only 066h at row 6, column 6 and the two surplus-count values
    // after it remain.
    EXPECT_EQ(controller.framebuffer().darkPixels(), 4 + 8 + 8);
    EXPECT_EQ(controller.framebuffer().byteAt(6, 6), 0x66);
    EXPECT_EQ(controller.framebuffer().byteAt(6, 8), 0xFF);
    EXPECT_EQ(controller.counters().resets, 2u);
    // 0ZZh, " junk", Q, the surplus value and the overlong line.
    EXPECT_EQ(controller.counters().errors, 5u);
    // Row 3 lies outside the 3-row area, and two of the four values outside the 2-byte one.
    EXPECT_EQ(controller.counters().clippedBytes, 1u + 2u);
    EXPECT_EQ(controller.position(), (Position{1, 1}));
}

TEST(Framebuffer, PbmIsHeaderAndDisplayMemory) {
    Framebuffer fb;
    fb.setPixel(0, 0, true);
    fb.setPixel(239, 127, true);
    fb.setPixel(9, 1, true);
    const std::string pbm = fb.toPbm();
    ASSERT_EQ(pbm.size(), 11u + 30u * 128u);
    EXPECT_EQ(pbm.substr(0, 11), "P4\n240 128\n");
    EXPECT_EQ(static_cast<unsigned char>(pbm[11]), 0x80);
    EXPECT_EQ(static_cast<unsigned char>(pbm[11 + 30 + 1]), 0x40);
    EXPECT_EQ(static_cast<unsigned char>(pbm.back()), 0x01);
    EXPECT_EQ(std::count(pbm.begin() + 11, pbm.end(), '\0'), 30 * 128 - 3);

    fb.setPixel(0, 0, false);
    EXPECT_FALSE(fb.pixel(0, 0));
    EXPECT_FALSE(fb.pixel(240, 0));
    EXPECT_FALSE(fb.pixel(-1, 5));
    EXPECT_FALSE(fb.setByte(128, 0, 0xFF));
    EXPECT_EQ(fb.darkPixels(), 2);
}

// Random bytes, weighted towards the command alphabet so that many near-commands are tried.
TEST(PictureStream, SurvivesRandomInput) {
    const std::string alphabet = "GDI/0123456789ABCFhH,, -\t\r\r\n\x03";
    std::mt19937 random(12345);
    std::string stream;
    for (int i = 0; i < 300000; ++i) {
        const unsigned r = random();
        stream.push_back(r % 4 == 0 ? static_cast<char>(r >> 8)
                                    : alphabet[(r >> 8) % alphabet.size()]);
    }
    LcdController controller;
    controller.feed(stream);
    const ControllerCounters& c = controller.counters();
    EXPECT_EQ(c.bytesReceived, stream.size());
    EXPECT_LE(c.errors, c.commands);
    EXPECT_LE(c.clippedBytes, c.dataBytes);
    EXPECT_LE(controller.recentErrors().size(), LcdController::kRecentErrorCount);
    EXPECT_GT(c.commands, 1000u);
}

} // namespace
} // namespace vornix::lcdsim
