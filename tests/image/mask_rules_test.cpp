#include "image/mask_rules.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace vornix::image {
namespace {

struct AnswerCase {
    const char* answer;
    double number;
    std::optional<int> width; // the new width for a limit of 240, nullopt when refused
};

class MaskAnswerTest : public testing::TestWithParam<AnswerCase> {};

TEST_P(MaskAnswerTest, NumberAndAcceptedWidth) {
    const auto& c = GetParam();
    const double number = LeadingNumber(c.answer);
    EXPECT_DOUBLE_EQ(number, c.number) << '"' << c.answer << '"';
    EXPECT_EQ(AcceptMaskSize(number, 240), c.width) << '"' << c.answer << '"';
}

INSTANTIATE_TEST_SUITE_P(Answers, MaskAnswerTest,
                         testing::Values(AnswerCase{"160", 160, 160}, AnswerCase{"240", 240, 240},
                                         AnswerCase{"240.4", 240.4, {}}, AnswerCase{"300", 300, {}},
                                         AnswerCase{"-5", -5, {}}, AnswerCase{"abc", 0, {}},
                                         AnswerCase{"", 0, {}}, AnswerCase{"0", 0, {}},
                                         AnswerCase{"0.4", 0.4, 0}, AnswerCase{"120.5", 120.5, 120},
                                         AnswerCase{"121.5", 121.5, 122}, AnswerCase{"0.5", 0.5, 0},
                                         AnswerCase{"1.5", 1.5, 2}, AnswerCase{"239.5", 239.5, 240},
                                         AnswerCase{" 100 pixels", 100, 100},
                                         AnswerCase{"\t+64", 64, 64}, AnswerCase{".5", 0.5, 0},
                                         AnswerCase{"5.", 5, 5}, AnswerCase{"12abc", 12, 12},
                                         AnswerCase{"1e2", 1, 1}, AnswerCase{"- 5", 0, {}},
                                         AnswerCase{".", 0, {}}, AnswerCase{"1,5", 1, 1}));

TEST(LeadingNumber, HugeAndTinyNumbers) {
    EXPECT_TRUE(std::isinf(LeadingNumber(std::string(400, '9'))));
    EXPECT_EQ(AcceptMaskSize(LeadingNumber(std::string(400, '9')), 240), std::nullopt);
    EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(AcceptMaskSize, HeightLimitAndNotANumber) {
    EXPECT_EQ(AcceptMaskSize(128, 128), std::optional<int>(128));
    EXPECT_EQ(AcceptMaskSize(128.01, 128), std::nullopt);
    EXPECT_EQ(AcceptMaskSize(64, 128), std::optional<int>(64));
    EXPECT_EQ(AcceptMaskSize(std::numeric_limits<double>::quiet_NaN(), 128), std::nullopt);
}

} // namespace
} // namespace vornix::image
