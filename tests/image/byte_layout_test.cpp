#include "image/picture/byte_layout.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/layout_reference.h"
#include "support/row_name.h"

namespace vornix::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Pixel {
    int x;
    int y;
};

PackedPicture PictureWith(int width, int height, const std::vector<Pixel>& dark) {
    PackedPicture picture(width, height);
    for (const Pixel& p : dark) {
        picture.setDark(p.x, p.y, true);
    }
    return picture;
}

// Worked examples, bytes counted by hand from the layouts' definitions.
struct WorkedCase {
    std::string name;
    int width;
    int height;
    std::vector<Pixel> dark;
    LayoutChoice choice;
    Bytes bytes;
};

void PrintTo(const WorkedCase& row, std::ostream* out) { *out << row.name; }

const std::vector<Pixel> kWide = {{0, 0}, {9, 0}, {1, 1}, {8, 2}, {2, 2}}; // 10 x 3
const std::vector<Pixel> kTall = {{0, 0}, {1, 9}, {0, 8}};                 // 2 x 10

const WorkedCase kWorked[] = {
    {"WideRowsMsb", 10, 3, kWide, {ByteLayout::RowsHighBitFirst, InkBit::Dark},
     {0x80, 0x40, 0x40, 0x00, 0x20, 0x80}},
    {"WideRowsLsb", 10, 3, kWide, {ByteLayout::RowsLowBitFirst, InkBit::Dark},
     {0x01, 0x02, 0x02, 0x00, 0x04, 0x01}},
    {"WidePagesLsb", 10, 3, kWide, {ByteLayout::PagesLowBitTop, InkBit::Dark},
     {0x01, 0x02, 0x04, 0, 0, 0, 0, 0, 0x04, 0x01}},
    {"WidePagesMsb", 10, 3, kWide, {ByteLayout::PagesHighBitTop, InkBit::Dark},
     {0x80, 0x40, 0x20, 0, 0, 0, 0, 0, 0x20, 0x80}},
    {"WideColumns", 10, 3, kWide, {ByteLayout::Columns, InkBit::Dark},
     {0x80, 0x40, 0x20, 0, 0, 0, 0, 0, 0x20, 0x80}},
    {"WideRowsMsbLight", 10, 3, kWide, {ByteLayout::RowsHighBitFirst, InkBit::Light},
     {0x7F, 0x80, 0xBF, 0xC0, 0xDF, 0x40}},
    {"TallPagesMsb", 2, 10, kTall, {ByteLayout::PagesHighBitTop, InkBit::Dark},
     {0x80, 0x00, 0x80, 0x40}},
    {"TallPagesLsb", 2, 10, kTall, {ByteLayout::PagesLowBitTop, InkBit::Dark},
     {0x01, 0x00, 0x01, 0x02}},
    {"TallColumns", 2, 10, kTall, {ByteLayout::Columns, InkBit::Dark}, {0x80, 0x80, 0x00, 0x40}},
    {"TallPagesLsbLight", 2, 10, kTall, {ByteLayout::PagesLowBitTop, InkBit::Light},
     {0xFE, 0xFF, 0x02, 0x01}},
    {"TallRowsLsbLight", 2, 10, kTall, {ByteLayout::RowsLowBitFirst, InkBit::Light},
     {0x02, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x02, 0x01}},
};

class WorkedLayoutTest : public ::testing::TestWithParam<WorkedCase> {};

TEST_P(WorkedLayoutTest, PacksToTheCountedBytesAndBack) {
    const WorkedCase& row = GetParam();
    const PackedPicture picture = PictureWith(row.width, row.height, row.dark);
    EXPECT_EQ(PackLayout(picture, row.choice), row.bytes);
    EXPECT_EQ(UnpackLayout(row.bytes, row.width, row.height, row.choice), picture);
}

INSTANTIATE_TEST_SUITE_P(Examples, WorkedLayoutTest, ::testing::ValuesIn(kWorked),
                         vornix::test::RowName);

constexpr ByteLayout kLayouts[] = {ByteLayout::RowsHighBitFirst, ByteLayout::RowsLowBitFirst,
                                   ByteLayout::PagesLowBitTop, ByteLayout::PagesHighBitTop,
                                   ByteLayout::Columns};

std::vector<int> Sides(std::initializer_list<int> more) {
    std::vector<int> sides;
    for (int side = 1; side <= 17; ++side) {
        sides.push_back(side);
    }
    sides.insert(sides.end(), more);
    return sides;
}

class EveryLayoutTest : public ::testing::TestWithParam<ByteLayout> {};

TEST_P(EveryLayoutTest, PlacesEveryPixelWhereTheLayoutSaysAndReadsItBack) {
    const ByteLayout layout = GetParam();
    std::mt19937 random(1234);
    for (const int width : Sides({240, 8192})) {
        for (const int height : Sides({128})) {
            if (width == 8192 && height > 17) {
                continue; // enough of the wide picture to cover every byte position
            }
            const PackedPicture picture = test::RandomPicture(width, height, random);
            for (const InkBit ink : {InkBit::Dark, InkBit::Light}) {
                const Bytes bytes = PackLayout(picture, {layout, ink});
                const Bytes expected = test::ReferenceBytes(picture, {layout, ink});
                ASSERT_EQ(bytes, expected) << width << " x " << height;
                ASSERT_EQ(UnpackLayout(bytes, width, height, {layout, ink}), picture)
                    << width << " x " << height;
            }
        }
    }
}

// A picture with one dark pixel packs to one set bit: the one the inspector names for that
// pixel, and the byte it names holds that pixel among its own.
TEST_P(EveryLayoutTest, NamesTheByteAndBitOfEveryPixel) {
    const ByteLayout layout = GetParam();
    for (const auto& [width, height] : {std::pair{11, 10}, std::pair{8, 8}, std::pair{3, 17}}) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                PackedPicture picture(width, height);
                picture.setDark(x, y, true);
                const Bytes bytes = PackLayout(picture, {layout, InkBit::Dark});
                const image::BitPlace place = PlaceOfPixel(layout, width, height, x, y);
                Bytes expected(bytes.size(), 0);
                expected[place.byte] = static_cast<std::uint8_t>(1U << place.bit);
                ASSERT_EQ(bytes, expected) << x << "," << y;
                const auto pixels = PixelsOfByte(layout, width, height, place.byte);
                const auto found = std::find_if(pixels.begin(), pixels.end(), [&](const auto& p) {
                    return p.x == x && p.y == y && p.bit == place.bit;
                });
                EXPECT_NE(found, pixels.end()) << x << "," << y;
                EXPECT_LE(pixels.size(), 8U);
            }
        }
    }
    EXPECT_TRUE(PixelsOfByte(layout, 4, 4, LayoutSize(layout, 4, 4)).empty());
}

TEST_P(EveryLayoutTest, RefusesBytesOfAnotherCount) {
    const ByteLayout layout = GetParam();
    const std::size_t size = LayoutSize(layout, 12, 9);
    EXPECT_FALSE(UnpackLayout(Bytes(size - 1), 12, 9, {layout}).has_value());
    EXPECT_FALSE(UnpackLayout(Bytes(size + 1), 12, 9, {layout}).has_value());
    EXPECT_FALSE(UnpackLayout(Bytes(), 0, 9, {layout}).has_value());
    EXPECT_TRUE(UnpackLayout(Bytes(size), 12, 9, {layout}).has_value());
}

TEST_P(EveryLayoutTest, HasANameThatLeadsBack) {
    EXPECT_EQ(ByteLayoutFromName(ByteLayoutName(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Layouts, EveryLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) {
                             return vornix::test::TestNameOf(ByteLayoutName(info.param));
                         });

TEST(ByteLayoutTest, SaysWhenAPageLayoutPadsRows) {
    EXPECT_TRUE(PadsRows(ByteLayout::PagesLowBitTop, 10));
    EXPECT_TRUE(PadsRows(ByteLayout::Columns, 1));
    EXPECT_FALSE(PadsRows(ByteLayout::PagesHighBitTop, 128));
    EXPECT_FALSE(PadsRows(ByteLayout::RowsHighBitFirst, 10));
    EXPECT_FALSE(ByteLayoutFromName("rows").has_value());
}

} // namespace
} // namespace vornix::image
