// The whole preparation: refusals, the order of the steps, and the result's size.
#include <gtest/gtest.h>

#include <cstdint>

#include "image/photo/prepare_picture.h"

namespace vornix::image {
namespace {

GreyImage flat(int width, int height, std::uint8_t level) {
    return GreyImage{width, height, std::vector<std::uint8_t>(std::size_t(width) * height, level)};
}

TEST(PreparePictureTest, RefusesBadRequests) {
    struct Row {
        const char* name;
        GreyImage picture;
        PrepareOptions options;
        PrepareOutcome expected;
    };
    PrepareOptions stretch;
    stretch.fit = Fit::Stretch;
    PrepareOptions zeroWide = stretch;
    zeroWide.targetWidth = 0;
    PrepareOptions tooWide = stretch;
    tooWide.targetWidth = kMaxPreparedSide + 1;
    PrepareOptions tooMany = stretch;
    tooMany.targetWidth = tooMany.targetHeight = 10000; // 100 M pixels
    PrepareOptions dark;
    dark.threshold = 256;
    PrepareOptions negative;
    negative.threshold = -1;
    const Row rows[] = {
        {"no pixels", GreyImage{0, 5, {}}, {}, PrepareOutcome::EmptyPicture},
        {"short", GreyImage{2, 2, {1, 2, 3}}, {}, PrepareOutcome::PixelCountMismatch},
        {"target 0 wide", flat(4, 4, 0), zeroWide, PrepareOutcome::BadTargetSize},
        {"target too wide", flat(4, 4, 0), tooWide, PrepareOutcome::BadTargetSize},
        {"target too many", flat(4, 4, 0), tooMany, PrepareOutcome::BadTargetSize},
        {"threshold 256", flat(4, 4, 0), dark, PrepareOutcome::BadThreshold},
        {"threshold -1", flat(4, 4, 0), negative, PrepareOutcome::BadThreshold},
        {"kept too wide", flat(kMaxPreparedSide + 1, 1, 0), {}, PrepareOutcome::TooLarge},
    };
    for (const Row& r : rows) {
        const PrepareResult result = PreparePicture(r.picture, r.options);
        EXPECT_EQ(result.outcome, r.expected) << r.name;
        EXPECT_TRUE(result.picture.dark.empty()) << r.name;
    }
    // Keep ignores the target size entirely.
    EXPECT_TRUE(PreparePicture(flat(4, 4, 0), PrepareOptions{.targetWidth = 0}).prepared());
}

// A 400 x 200 picture whose top-left quarter is black, turned a quarter clockwise and fitted:
// 200 x 400 fits 240 x 128 as 64 x 128, with the black quarter at the top right.
TEST(PreparePictureTest, TurnsBeforeFitting) {
    GreyImage picture = flat(400, 200, 255);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            picture.pixels[std::size_t(y) * 400 + x] = 0;
        }
    }
    PrepareOptions o;
    o.fit = Fit::Fit;
    o.rotation = Rotation::Clockwise90;
    const PrepareResult result = PreparePicture(picture, o);
    ASSERT_TRUE(result.prepared());
    const MonoImage& p = result.picture;
    ASSERT_EQ(p.width, 64);
    ASSERT_EQ(p.height, 128);
    EXPECT_TRUE(p.isDark(63, 0));
    EXPECT_TRUE(p.isDark(32, 63));
    EXPECT_FALSE(p.isDark(31, 0));
    EXPECT_FALSE(p.isDark(63, 64));
    EXPECT_FALSE(p.isDark(0, 127));
    // Mirrored as well: the black quarter goes back to the left.
    o.flip = Flip::Horizontal;
    const MonoImage mirrored = PreparePicture(picture, o).picture;
    EXPECT_TRUE(mirrored.isDark(0, 0));
    EXPECT_FALSE(mirrored.isDark(63, 0));
}

TEST(PreparePictureTest, AutomaticThresholdSplitsTwoLevels) {
    GreyImage picture = flat(10, 10, 180);
    for (int i = 0; i < 30; ++i) {
        picture.pixels[i] = 150;
    }
    PrepareOptions o;
    o.autoThreshold = true; // the fixed 128 would leave every pixel light
    const PrepareResult result = PreparePicture(picture, o);
    ASSERT_TRUE(result.prepared());
    EXPECT_GT(result.threshold, 150);
    EXPECT_LE(result.threshold, 180);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(result.picture.dark[i], i < 30 ? 1 : 0) << i;
    }
    o.invert = true; // the last step: exactly the other pixels dark
    const PrepareResult inverted = PreparePicture(picture, o);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(inverted.picture.dark[i], i < 30 ? 0 : 1) << i;
    }
}

} // namespace
} // namespace vornix::image
