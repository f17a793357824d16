// Turning, mirroring, fitting and area averaging, against hand-worked pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

#include "image/photo/prepare_geometry.h"

namespace vornix::image {
namespace {

struct FitRow {
    int width, height;
    Fit fit;
    int targetWidth, targetHeight;
    PictureSize expected;
};

TEST(FittedSizeTest, SizesAndProportions) {
    const FitRow rows[] = {
        // 4000 * 128 / 3000 = 170.7, cut to whole bytes: 168, and 3000 * 168 / 4000 = 126.
        {4000, 3000, Fit::Fit, 240, 128, {168, 126}},
        {1600, 1000, Fit::Fit, 240, 128, {200, 125}}, // 204.8 -> 200; 1000 * 200 / 1600
        {70, 1000, Fit::Fit, 240, 128, {8, 114}},     // 8.96 -> 8; 1000 * 8 / 70 = 114.3
        {60, 1000, Fit::Fit, 240, 128, {8, 128}},     // 7.68 rounds to a whole byte
        {300, 300, Fit::Fit, 100, 100, {96, 96}},     // a target that is not whole bytes
        {300, 200, Fit::Fit, 240, 128, {192, 128}},
        {480, 128, Fit::Fit, 240, 128, {240, 64}},
        {100, 50, Fit::Fit, 240, 128, {240, 120}}, // small pictures grow
        {240, 128, Fit::Fit, 240, 128, {240, 128}},
        {1, 1000, Fit::Fit, 240, 128, {1, 128}}, // never below one pixel
        {1000, 1, Fit::Fit, 240, 128, {240, 1}},
        {200, 400, Fit::Fit, 128, 64, {32, 64}},
        {4000, 3000, Fit::Stretch, 240, 128, {240, 128}},
        {10, 10, Fit::Center, 64, 32, {64, 32}},
        {4000, 3000, Fit::Keep, 240, 128, {4000, 3000}},
    };
    for (const FitRow& r : rows) {
        PrepareOptions o;
        o.fit = r.fit;
        o.targetWidth = r.targetWidth;
        o.targetHeight = r.targetHeight;
        EXPECT_EQ(FittedSize({r.width, r.height}, o), r.expected)
            << r.width << "x" << r.height << " fit " << int(r.fit);
    }
    EXPECT_EQ(RotatedSize({4, 3}, Rotation::Clockwise270), (PictureSize{3, 4}));
    EXPECT_EQ(RotatedSize({4, 3}, Rotation::Half), (PictureSize{4, 3}));
}

struct OrientRow {
    Rotation rotation;
    Flip flip;
    PictureSize size;
    int ax, ay; // where the old top-left pixel A lands
    int bx, by; // where its right neighbour B lands
};

// A 4 x 3 picture, white but for A (0) at the top-left corner and B (100) right of it.
TEST(OrientImageTest, MarkedCornerMovesWhereExpected) {
    GreyImage picture{4, 3, std::vector<std::uint8_t>(12, 255)};
    picture.pixels[0] = 0;
    picture.pixels[1] = 100;
    const OrientRow rows[] = {
        {Rotation::None, Flip::None, {4, 3}, 0, 0, 1, 0},
        {Rotation::Clockwise90, Flip::None, {3, 4}, 2, 0, 2, 1},
        {Rotation::Half, Flip::None, {4, 3}, 3, 2, 2, 2},
        {Rotation::Clockwise270, Flip::None, {3, 4}, 0, 3, 0, 2},
        {Rotation::None, Flip::Horizontal, {4, 3}, 3, 0, 2, 0},
        {Rotation::None, Flip::Vertical, {4, 3}, 0, 2, 1, 2},
        {Rotation::Clockwise90, Flip::Horizontal, {3, 4}, 0, 0, 0, 1}, // turn, then mirror
        {Rotation::Clockwise90, Flip::Vertical, {3, 4}, 2, 3, 2, 2},
    };
    for (const OrientRow& r : rows) {
        const GreyImage out = OrientImage(picture, r.rotation, r.flip);
        ASSERT_EQ((PictureSize{out.width, out.height}), r.size);
        EXPECT_EQ(out.at(r.ax, r.ay), 0) << int(r.rotation) << "/" << int(r.flip);
        EXPECT_EQ(out.at(r.bx, r.by), 100) << int(r.rotation) << "/" << int(r.flip);
        EXPECT_EQ(std::accumulate(out.pixels.begin(), out.pixels.end(), 0), 10 * 255 + 100);
    }
}

TEST(ResampleAreaTest, HandWorkedAverages) {
    // The picture's size and pixels as plain fields: GCC 12 at -O2 wrongly reports a local array
    // of rows that each hold a GreyImage as possibly uninitialised (-Wmaybe-uninitialized).
    struct Row {
        int inWidth, inHeight;
        std::vector<std::uint8_t> in;
        int width, height;
        std::vector<std::uint8_t> expected;
    };
    const Row rows[] = {
        {4, 2, {0, 0, 255, 255, 0, 0, 255, 255}, 2, 1, {0, 255}},
        {3, 1, {0, 90, 255}, 2, 1, {30, 200}},    // (0 + 45) / 1.5, (45 + 255) / 1.5
        {2, 1, {0, 255}, 4, 1, {0, 0, 255, 255}}, // enlarging repeats pixels
        {2, 1, {0, 255}, 3, 1, {0, 128, 255}},    // the middle half and half, rounded
        {2, 2, {0, 100, 200, 40}, 1, 1, {85}},    // 340 / 4
        {1, 3, {30, 60, 90}, 1, 2, {40, 80}},     // (30 + 60 / 2) / 1.5
    };
    for (const Row& r : rows) {
        const GreyImage in{r.inWidth, r.inHeight, r.in};
        const GreyImage out = ResampleArea(in, r.width, r.height);
        EXPECT_EQ(out.width, r.width);
        EXPECT_EQ(out.height, r.height);
        EXPECT_EQ(out.pixels, r.expected);
    }
}

// Reduction by an uneven factor keeps the mean brightness and leaves a flat picture flat.
TEST(ResampleAreaTest, KeepsMeanBrightness) {
    GreyImage noisy{997, 601, {}};
    std::uint32_t seed = 12345;
    for (int i = 0; i < 997 * 601; ++i) {
        seed = seed * 1664525 + 1013904223;
        noisy.pixels.push_back(std::uint8_t(seed >> 24));
    }
    const auto mean = [](const GreyImage& g) {
        return std::accumulate(g.pixels.begin(), g.pixels.end(), 0.0) / double(g.pixels.size());
    };
    EXPECT_NEAR(mean(ResampleArea(noisy, 240, 128)), mean(noisy), 0.5);
    EXPECT_NEAR(mean(ResampleArea(noisy, 1500, 700)), mean(noisy), 0.5);
    const GreyImage grey{333, 77, std::vector<std::uint8_t>(333 * 77, 123)};
    const GreyImage small = ResampleArea(grey, 240, 128);
    EXPECT_EQ(small.pixels, std::vector<std::uint8_t>(240 * 128, 123));
}

TEST(PlaceCentredTest, PadsWithWhiteAndCutsEvenly) {
    const GreyImage black{2, 2, {0, 0, 0, 0}};
    const GreyImage padded = PlaceCentred(black, 5, 3);
    EXPECT_EQ(padded.pixels, (std::vector<std::uint8_t>{255, 0, 0, 255, 255, //
                                                        255, 0, 0, 255, 255, //
                                                        255, 255, 255, 255, 255}));
    const GreyImage row{5, 1, {10, 20, 30, 40, 50}};
    EXPECT_EQ(PlaceCentred(row, 2, 1).pixels, (std::vector<std::uint8_t>{20, 30}));
    EXPECT_EQ(PlaceCentred(row, 3, 1).pixels, (std::vector<std::uint8_t>{20, 30, 40}));
}

} // namespace
} // namespace vornix::image
