#include "lcdsim/lcd_controller.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/row_name.h"

namespace vornix::lcdsim {
namespace {

struct ByteAt {
    int row;
    int column;
    std::uint8_t value;
};

struct StreamCase {
    const char* name;
    std::string stream;
    std::vector<ByteAt> expected; // every other byte of the panel must be 0
    std::uint64_t errors;
    std::uint64_t clipped;
};

void PrintTo(const StreamCase& c, std::ostream* os) {
    *os << c.name;
}

class StreamEffect : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamEffect, WritesExactlyTheExpectedBytes) {
    const StreamCase& c = GetParam();
    LcdController controller;
    controller.feed(c.stream);

    Framebuffer expected;
    for (const ByteAt& b : c.expected) {
        ASSERT_TRUE(expected.setByte(b.row, b.column, b.value));
    }
    for (int row = 0; row < Framebuffer::kHeight; ++row) {
        for (int column = 0; column < Framebuffer::kBytesPerRow; ++column) {
            ASSERT_EQ(controller.framebuffer().byteAt(row, column), expected.byteAt(row, column))
                << "row " << row << " column " << column;
        }
    }
    EXPECT_EQ(controller.counters().errors, c.errors);
    EXPECT_EQ(controller.counters().clippedBytes, c.clipped);
}

const std::string kFill = "G 0 0 0\rG 2,0FFh,0FFh\r"; // darkens row 0, columns 0 and 1

INSTANTIATE_TEST_SUITE_P(
    Commands, StreamEffect,
    ::testing::Values(
        StreamCase{"one_byte_at_home", "G 1,080h\r", {{0, 0, 0x80}}, 0, 0},
        StreamCase{"position_then_data",
                   "G 0 5 10\rG 2,0FFh,001h\r",
                   {{5, 10, 0xFF}, {5, 11, 0x01}},
                   0,
                   0},
        StreamCase{"column_carries_on_between_data_commands",
                   "G 0 2 28\rG 1,0AAh\rG 1,055h\r",
                   {{2, 28, 0xAA}, {2, 29, 0x55}},
                   0,
                   0},
        StreamCase{"slash_init_clears", kFill + "/I 6\r", {}, 0, 0},
        StreamCase{"init_keeps_display_and_homes_position",
                   kFill + "G 0 3 3\rI 6\rG 1,011h\r",
                   {{0, 0, 0x11}, {0, 1, 0xFF}},
                   0,
                   0},
        StreamCase{"reset_keeps_display_and_homes_position",
                   kFill + "G 0 3 3\r\x03\rG 1,011h\r",
                   {{0, 0, 0x11}, {0, 1, 0xFF}},
                   0,
                   0},
        StreamCase{"reset_byte_aborts_the_command_being_received",
                   "G 0 3 \x03"
                   "5\rG 1,011h\r",
                   {{0, 0, 0x11}},
                   1,
                   0},
        StreamCase{"area_clips_columns_and_rows",
                   "D 2 1\rG 0 0 0\rG 3,0FFh,0FEh,0FDh\rG 0 1 0\rG 1,0FFh\r",
                   {{0, 0, 0xFF}, {0, 1, 0xFE}},
                   0,
                   2},
        StreamCase{"area_larger_than_panel_is_the_panel",
                   "D 40 200\rG 0 127 29\rG 2,0C3h,0FFh\r",
                   {{127, 29, 0xC3}},
                   0,
                   1},
        StreamCase{"negative_area_shows_nothing", "D-2 5\rG 1,0FFh\r", {}, 0, 1},
        StreamCase{"init_restores_the_whole_panel_as_area",
                   "D 1 1\rI 6\rG 0 127 29\rG 1,0FFh\r",
                   {{127, 29, 0xFF}},
                   0,
                   0},
        StreamCase{
            "position_outside_panel_clips", "G 0 128 0\rG 1,0FFh\rG 0-1 0\rG 1,0FFh\r", {}, 0, 2},
        StreamCase{"extra_blanks_and_tabs",
                   "  G  0 \t2  4 \rG 2, 0FFh , 0ffH\r",
                   {{2, 4, 0xFF}, {2, 5, 0xFF}},
                   0,
                   0},
        StreamCase{"cr_lf_line_ends", "G 0 1 1\r\nG 1,042h\r\n", {{1, 1, 0x42}}, 0, 0},
        StreamCase{"short_and_long_value_forms",
                   "G 3,5h,000FFh,9h\r",
                   {{0, 0, 0x05}, {0, 1, 0xFF}, {0, 2, 0x09}},
                   0,
                   0},
        StreamCase{"bad_value_keeps_its_column",
                   "G 3,0FFh,XYZ,081h\r",
                   {{0, 0, 0xFF}, {0, 2, 0x81}},
                   1,
                   0},
        StreamCase{"values_beyond_count_still_written",
                   "G 1,001h,002h\r",
                   {{0, 0, 0x01}, {0, 1, 0x02}},
                   1,
                   0},
        StreamCase{"rejected_position_keeps_the_old_one",
                   "G 0 4 4\rG 0 9\rG 1,077h\r",
                   {{4, 4, 0x77}},
                   1,
                   0},
        StreamCase{"rejected_area_keeps_the_old_one", "D 1 1\rD 30\rG 0 0 1\rG 1,0FFh\r", {}, 1, 1},
        StreamCase{"command_without_line_end_waits", "G 1,0FFh", {}, 0, 0}),
    vornix::test::RowName);

TEST(LcdController, OneDataByteDarkensExactlyItsPixels) {
    LcdController controller;
    controller.feed("G 1,080h\r");
    const Framebuffer& fb = controller.framebuffer();
    EXPECT_TRUE(fb.pixel(0, 0));
    EXPECT_EQ(fb.darkPixels(), 1);

    controller.feed("G 0 127 29\rG 1,001h\r"); // the bottom right pixel
    EXPECT_TRUE(fb.pixel(239, 127));
    EXPECT_FALSE(fb.pixel(238, 127));
    EXPECT_EQ(fb.darkPixels(), 2);
}

TEST(LcdController, TracksAreaAndPosition) {
    LcdController controller;
    EXPECT_EQ(controller.area(), (Area{30, 128}));
    controller.feed("D 16 64\rG 0 5 10\rG 3,001h,002h,003h\r");
    EXPECT_EQ(controller.area(), (Area{16, 64}));
    EXPECT_EQ(controller.position(), (Position{5, 13}));
    controller.feed("\x03");
    EXPECT_EQ(controller.area(), (Area{30, 128}));
    EXPECT_EQ(controller.position(), (Position{0, 0}));
    EXPECT_EQ(controller.counters().resets, 1u);
}

struct MalformedCase {
    const char* name;
    std::string command; // sent followed by CR
    std::string reason;
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << c.name;
}

class Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, IsCountedAndReportedAndTheNextCommandStillWorks) {
    const MalformedCase& c = GetParam();
    LcdController controller;
    controller.feed(c.command + "\r");
    controller.feed("G 0 9 9\rG 1,0AAh\r");

    EXPECT_EQ(controller.counters().errors, 1u);
    EXPECT_EQ(controller.counters().commands, 3u);
    ASSERT_EQ(controller.recentErrors().size(), 1u);
    EXPECT_EQ(controller.recentErrors().front().reason, c.reason);
    EXPECT_EQ(controller.recentErrors().front().command, 1u);
    EXPECT_EQ(controller.framebuffer().byteAt(9, 9), 0xAA);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Malformed,
    ::testing::Values(
        MalformedCase{"unknown_letter", "Q 1", "unknown command"},
        MalformedCase{"lower_case_letter", "g 1,0FFh", "unknown command"},
        MalformedCase{"slash_without_i", "/D 30 64", "unknown command"},
        MalformedCase{"binary_garbage", "\x01\xFF\x7F", "unknown command"},
        MalformedCase{"fewer_values_than_announced", "G 2,0FFh", "announced 2 values, received 1"},
        MalformedCase{"more_values_than_announced", "G 1,0FFh,0FFh",
                      "announced 1 values, received 2"},
        MalformedCase{"count_without_values", "G 10", "announced 10 values, received 0"},
        MalformedCase{"non_hex_digit", "G 1,0GGh", "bad value \"0GGh\""},
        MalformedCase{"no_leading_digit", "G 1,FFh", "bad value \"FFh\""},
        MalformedCase{"more_than_a_byte", "G 1,100h", "bad value \"100h\""},
        MalformedCase{"no_suffix", "G 1,0FF", "bad value \"0FF\""},
        MalformedCase{"empty_value", "G 1,", "bad value \"\""},
        MalformedCase{"unknown_g_function", "G 3 1 1", "unknown G function 3"},
        MalformedCase{"position_without_column", "G 0 1", "missing number"},
        MalformedCase{"position_with_extra_number", "G 0 1 2 3",
                      "unexpected text after the command"},
        MalformedCase{"g_without_number", "G", "missing number"},
        MalformedCase{"area_without_rows", "D 30", "missing number"},
        MalformedCase{"area_with_text", "D 30 64 x", "unexpected text after the command"},
        MalformedCase{"huge_row", "G 0 99999999999999999999 0", "number out of range"},
        MalformedCase{"other_mode", "I 5", "unsupported mode 5, ignored"},
        MalformedCase{"init_without_mode", "/I", "missing mode number"},
        MalformedCase{"overlong_command", "G 1," + std::string(5000, '0') + "h",
                      "longer than 1024 bytes, ignored"}),
    vornix::test::RowName);

TEST(LcdController, ErrorReportShowsTheCommandPrintably) {
    LcdController controller;
    controller.feed("G 0 0 0\r\x01Z\"\r");
    ASSERT_EQ(controller.recentErrors().size(), 1u);
    EXPECT_EQ(controller.recentErrors().front().describe(),
              "command 2 \"\\x01Z\\x22\": unknown command");
}

TEST(LcdController, KeepsOnlyTheLastErrors) {
    LcdController controller;
    for (int i = 1; i <= 20; ++i) {
        controller.feed(std::string("X").append(std::to_string(i)).append("\r"));
    }
    EXPECT_EQ(controller.counters().errors, 20u);
    ASSERT_EQ(controller.recentErrors().size(), LcdController::kRecentErrorCount);
    EXPECT_EQ(controller.recentErrors().front().text, "X13");
    EXPECT_EQ(controller.recentErrors().back().command, 20u);
}

TEST(LcdController, BlankLinesAreNotCommands) {
    LcdController controller;
    controller.feed("\x03\r\r  \r\n");
    EXPECT_EQ(controller.counters().commands, 0u);
    EXPECT_EQ(controller.counters().errors, 0u);
    EXPECT_EQ(controller.counters().bytesReceived, 7u);
}

} // namespace
} // namespace vornix::lcdsim
