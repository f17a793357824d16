// Thresholds and dithers judged by what the eye sees: how dark an area comes out, whether flat
// areas stay even, whether ordered patterns repeat.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "image/photo/prepare_tone.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

GreyImage flat(int width, int height, std::uint8_t level) {
    return GreyImage{width, height, std::vector<std::uint8_t>(std::size_t(width) * height, level)};
}

// Black at the left edge to white at the right, the LCD's size.
GreyImage horizontalRamp() {
    GreyImage ramp = flat(240, 128, 0);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 240; ++x) {
            ramp.pixels[std::size_t(y) * 240 + x] = std::uint8_t(std::lround(x * 255.0 / 239));
        }
    }
    return ramp;
}

// Share of dark pixels in columns [x0, x1) or rows [y0, y1).
double darkShare(const MonoImage& p, int x0, int x1, int y0, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            dark += p.isDark(x, y);
        }
    }
    return double(dark) / ((x1 - x0) * (y1 - y0));
}

double expectedDarkness(const GreyImage& g, int x0, int x1) {
    double sum = 0;
    for (int x = x0; x < x1; ++x) {
        sum += (255 - g.at(x, 0)) / 255.0;
    }
    return sum / (x1 - x0);
}

struct Method {
    const char* name;
    Dither dither;
    // How far the darkness of an area may stray from its grey level. Atkinson's method passes
    // on only three quarters of the error, which deepens shadows and brightens highlights.
    double toneTolerance;
};

void PrintTo(const Method& m, std::ostream* os) {
    *os << "dither " << int(m.dither);
}

class DitherTest : public ::testing::TestWithParam<Method> {};

// Every band of a ramp keeps its darkness: a plain threshold would pass on the whole picture
// (half dark) but not band by band.
TEST_P(DitherTest, RampBandsKeepTheirDarkness) {
    const GreyImage ramp = horizontalRamp();
    const MonoImage p = ToMono(ramp, 128, GetParam().dither);
    EXPECT_NEAR(darkShare(p, 0, 240, 0, 128), expectedDarkness(ramp, 0, 240), 0.02);
    for (int band = 0; band < 8; ++band) {
        const int x0 = band * 30;
        EXPECT_NEAR(darkShare(p, x0, x0 + 30, 0, 128), expectedDarkness(ramp, x0, x0 + 30),
                    GetParam().toneTolerance)
            << "band " << band;
    }
}

// Flat greys give an even pattern: every band of 8 rows or 8 columns is as dark as the whole,
// so no stripes or slants appear. (Single rows may alternate, as in the regular lattices that
// quarter tones form.) At mid-grey even single rows and columns are balanced.
TEST_P(DitherTest, FlatGreysHaveEvenRowsAndColumns) {
    for (const std::uint8_t level : {64, 128, 191}) {
        const MonoImage p = ToMono(flat(240, 128, level), 128, GetParam().dither);
        const double whole = darkShare(p, 0, 240, 0, 128);
        EXPECT_NEAR(whole, (255 - level) / 255.0, GetParam().toneTolerance) << int(level);
        const int side = level == 128 ? 1 : 8;
        const double tolerance = level == 128 ? 0.1 : 0.04;
        for (int y = 0; y < 128; y += side) {
            ASSERT_NEAR(darkShare(p, 0, 240, y, y + side), whole, tolerance)
                << int(level) << " row " << y;
        }
        for (int x = 0; x < 240; x += side) {
            ASSERT_NEAR(darkShare(p, x, x + side, 0, 128), whole, tolerance)
                << int(level) << " col " << x;
        }
    }
}

// A threshold above mid-grey makes every method darker, one below it lighter.
TEST_P(DitherTest, ThresholdShiftsTheTone) {
    const GreyImage grey = flat(64, 64, 128);
    const Dither d = GetParam().dither;
    const double normal = darkShare(ToMono(grey, 128, d), 0, 64, 0, 64);
    EXPECT_GT(darkShare(ToMono(grey, 192, d), 0, 64, 0, 64), normal + 0.1);
    EXPECT_LT(darkShare(ToMono(grey, 64, d), 0, 64, 0, 64), normal - 0.1);
}

INSTANTIATE_TEST_SUITE_P(Methods, DitherTest,
                         ::testing::Values(Method{"FloydSteinberg", Dither::FloydSteinberg, 0.02},
                                           Method{"Atkinson", Dither::Atkinson, 0.1},
                                           Method{"Bayer4", Dither::Bayer4, 0.02},
                                           Method{"Bayer8", Dither::Bayer8, 0.02}),
                         vornix::test::RowName);

TEST(OrderedDitherTest, PatternsRepeatWithTheirSide) {
    for (const auto& [dither, n] : {std::pair{Dither::Bayer4, 4}, std::pair{Dither::Bayer8, 8}}) {
        for (const std::uint8_t level : {1, 50, 128, 200, 254}) {
            const MonoImage p = ToMono(flat(32, 32, level), 128, dither);
            for (int y = 0; y + n < 32; ++y) {
                for (int x = 0; x + n < 32; ++x) {
                    ASSERT_EQ(p.isDark(x, y), p.isDark(x + n, y)) << n << " " << x << "," << y;
                    ASSERT_EQ(p.isDark(x, y), p.isDark(x, y + n)) << n << " " << x << "," << y;
                }
            }
        }
    }
    // Mid-grey darkens exactly half of each tile, and no 2 x 2 block is solid.
    const MonoImage half = ToMono(flat(4, 4, 128), 128, Dither::Bayer4);
    EXPECT_EQ(darkShare(half, 0, 4, 0, 4), 0.5);
    EXPECT_NE(darkShare(half, 0, 2, 0, 2), 1.0);
}

TEST(ThresholdTest, LevelsBelowTheThresholdAreDark) {
    const GreyImage levels{5, 1, {0, 127, 128, 254, 255}};
    struct Row {
        int threshold;
        std::vector<int> dark;
    };
    for (const Row& row : {Row{128, {1, 1, 0, 0, 0}}, Row{0, {0, 0, 0, 0, 0}},
                           Row{255, {1, 1, 1, 1, 0}}, Row{1, {1, 0, 0, 0, 0}}}) {
        const MonoImage p = ToMono(levels, row.threshold, Dither::None);
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(p.isDark(x, 0), row.dark[x] != 0) << row.threshold << " x " << x;
        }
    }
    // Black and white stay what they are under every method at the default threshold.
    for (const Dither d : {Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer8}) {
        EXPECT_EQ(darkShare(ToMono(flat(16, 16, 0), 128, d), 0, 16, 0, 16), 1.0);
        EXPECT_EQ(darkShare(ToMono(flat(16, 16, 255), 128, d), 0, 16, 0, 16), 0.0);
    }
}

// Two groups of levels, `count` pixels each, spread by +-spread around their centres.
GreyImage twoGroups(int dark, int light, int darkCount, int lightCount, int spread) {
    GreyImage g{darkCount + lightCount, 1, {}};
    for (int i = 0; i < darkCount; ++i) {
        g.pixels.push_back(std::uint8_t(dark + (i % (2 * spread + 1)) - spread));
    }
    for (int i = 0; i < lightCount; ++i) {
        g.pixels.push_back(std::uint8_t(light + (i % (2 * spread + 1)) - spread));
    }
    return g;
}

TEST(OtsuTest, ThresholdFallsBetweenTheGroups) {
    struct Row {
        int dark, light, darkCount, lightCount, spread;
    };
    for (const Row& r :
         {Row{50, 200, 100, 100, 0}, Row{30, 220, 500, 500, 10}, Row{100, 180, 900, 100, 5},
          Row{10, 40, 50, 300, 3}, Row{120, 135, 40, 40, 2}}) {
        const int t =
            OtsuThreshold(twoGroups(r.dark, r.light, r.darkCount, r.lightCount, r.spread));
        EXPECT_GT(t, r.dark + r.spread) << r.dark << "/" << r.light;
        EXPECT_LE(t, r.light - r.spread) << r.dark << "/" << r.light;
    }
    // Between two bare peaks every split is as good: the middle one is taken.
    EXPECT_EQ(OtsuThreshold(twoGroups(50, 200, 10, 10, 0)), 125);
    EXPECT_EQ(OtsuThreshold(flat(3, 3, 77)), 128);
}

} // namespace
} // namespace vornix::image
