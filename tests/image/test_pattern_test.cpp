// Test patterns: what a person checking a module looks for, and the bytes that a download of
// each pattern carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "image/picture/prepare_bitmap.h"
#include "image/picture/test_pattern.h"

namespace vornix::image {
namespace {

// Data line `row` (0 = top) of the pattern's PXL text, without its line end.
std::string pxlLine(const MonoImage& p, int row) {
    const DecodedPxl pxl = MonoPxlText(p);
    std::size_t start = 0;
    for (int i = 0; i <= row; ++i) {
        start = pxl.text.find("\r\n", start) + 2;
    }
    return pxl.text.substr(start, pxl.text.find("\r\n", start) - start);
}

std::string repeat(const std::string& values, int times) {
    std::string line;
    for (int i = 0; i < times; ++i) {
        line += (i ? "," : "") + values;
    }
    return line;
}

TEST(TestPatternTest, DataLinesOfTheRegularPatterns) {
    struct Row {
        TestPattern pattern;
        int line;
        std::string expected;
    };
    const Row rows[] = {
        {TestPattern::Checker, 0, repeat("0FFh,000h", 15)},
        {TestPattern::Checker, 7, repeat("0FFh,000h", 15)},
        {TestPattern::Checker, 8, repeat("000h,0FFh", 15)},
        {TestPattern::Checker, 127, repeat("000h,0FFh", 15)},
        {TestPattern::Grid, 0, repeat("0FFh", 30)},
        {TestPattern::Grid, 1, repeat("080h", 30)},
        {TestPattern::Grid, 120, repeat("0FFh", 30)},
        {TestPattern::Grid, 127, repeat("080h", 30)},
        // Ticks every second pixel from the left edge, bit 7 first; the left edge's 9-pixel
        // tick at row 0 fills the first byte.
        {TestPattern::Ruler, 0, "0FFh," + repeat("0AAh", 29)},
        // Row 2: the left edge's tick (2 long), then the 10-pixel ticks at 10, 20, 30.
        {TestPattern::Ruler, 2, "0C0h,020h,008h,002h,000h,080h"},
        {TestPattern::Bits, 0, "000h,001h,002h,003h,004h,005h,006h,007h,008h,009h,00Ah"},
        {TestPattern::Bits, 127, "000h,001h,002h"},
    };
    for (const Row& r : rows) {
        const std::string line = pxlLine(MakeTestPattern(r.pattern), r.line);
        EXPECT_EQ(line.substr(0, r.expected.size()), r.expected)
            << TestPatternName(r.pattern) << " line " << r.line;
    }
    EXPECT_EQ(pxlLine(MakeTestPattern(TestPattern::Bits), 5).substr(29 * 5), "01Dh");
}

// The 7 x 7 mark in a corner, seen from that corner: mirrored so that the corner is at (0, 0).
std::array<bool, 49> cornerMark(const MonoImage& p, bool right, bool bottom) {
    std::array<bool, 49> mark{};
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 7; ++j) {
            const int x = right ? p.width - 4 - i : 3 + i;
            const int y = bottom ? p.height - 4 - j : 3 + j;
            mark[j * 7 + i] = p.isDark(x, y);
        }
    }
    return mark;
}

TEST(TestPatternTest, BorderShowsFrameCornersAndOrientation) {
    const MonoImage p = MakeTestPattern(TestPattern::Border);
    ASSERT_EQ(p.width, 240);
    ASSERT_EQ(p.height, 128);
    for (int x = 0; x < 240; ++x) {
        ASSERT_TRUE(p.isDark(x, 0) && p.isDark(x, 127)) << x;
    }
    for (int y = 0; y < 128; ++y) {
        ASSERT_TRUE(p.isDark(0, y) && p.isDark(239, y)) << y;
    }
    // Four corner marks, each different even when mirrored into the same corner.
    const std::array marks = {cornerMark(p, false, false), cornerMark(p, true, false),
                              cornerMark(p, false, true), cornerMark(p, true, true)};
    for (std::size_t a = 0; a < marks.size(); ++a) {
        EXPECT_GT(std::count(marks[a].begin(), marks[a].end(), true), 6) << a;
        for (std::size_t b = a + 1; b < marks.size(); ++b) {
            EXPECT_NE(marks[a], marks[b]) << a << " and " << b;
        }
    }
    // The arrow: its end nearest the top-left corner lies up and left of the centre, its other
    // end at the centre, and its head makes the top-left end the heavier one.
    int tipX = 0, tipY = 0, tailX = 0, tailY = 0, best = 1000, worst = -1;
    for (int y = 12; y < 116; ++y) {
        for (int x = 12; x < 228; ++x) {
            if (p.isDark(x, y) && x + y < best) {
                best = x + y, tipX = x, tipY = y;
            }
            if (p.isDark(x, y) && x + y > worst) {
                worst = x + y, tailX = x, tailY = y;
            }
        }
    }
    EXPECT_LT(tipX, 120 - 20);
    EXPECT_LT(tipY, 64 - 20);
    EXPECT_NEAR(tailX, 120, 2);
    EXPECT_NEAR(tailY, 64, 2);
    const auto darkNear = [&p](int cx, int cy) {
        int n = 0;
        for (int y = cy - 10; y <= cy + 10; ++y) {
            for (int x = cx - 10; x <= cx + 10; ++x) {
                n += p.isDark(x, y);
            }
        }
        return n;
    };
    EXPECT_GT(darkNear(tipX, tipY), darkNear(tailX, tailY) + 10);
}

TEST(TestPatternTest, AnySizeFromOnePixel) {
    for (const auto pattern : {TestPattern::Border, TestPattern::Checker, TestPattern::Grid,
                               TestPattern::Ruler, TestPattern::Bits}) {
        for (const auto& [w, h] :
             {std::pair{1, 1}, std::pair{3, 2}, std::pair{9, 17}, std::pair{128, 64}}) {
            const MonoImage p = MakeTestPattern(pattern, w, h);
            EXPECT_EQ(p.width, w);
            EXPECT_EQ(p.dark.size(), std::size_t(w) * h);
        }
        EXPECT_TRUE(MakeTestPattern(pattern, 0, 5).dark.empty());
        EXPECT_TRUE(MakeTestPattern(pattern, 5, -1).dark.empty());
    }
    EXPECT_TRUE(MakeTestPattern(TestPattern::Border, 1, 1).isDark(0, 0));
}

} // namespace
} // namespace vornix::image
