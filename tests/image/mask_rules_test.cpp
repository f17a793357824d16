#include "image/picture/mask_rules.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace vornix::image {
namespace {

// Typed answer, its number, and the width it gives with the limit 240 (nullopt: refused).
TEST(MaskRules, AnswersToTheWidthQuestion) {
    const std::vector<std::tuple<std::string, double, std::optional<int>>> cases = {
        {"160", 160, 160},     {"240", 240, 240},     {"240.4", 240.4, {}},
        {"300", 300, {}},      {"-5", -5, {}},        {"abc", 0, {}},
        {"", 0, {}},           {"0.4", 0.4, 0},       {"120.5", 120.5, 120},
        {"121.5", 121.5, 122}, {"239.5", 239.5, 240}, {" 100 pixels", 100, 100},
        {"\t+64", 64, 64},     {".5", 0.5, 0},        {"5.", 5, 5},
        {"1e2", 1, 1},         {"- 5", 0, {}},        {".", 0, {}},
        {"1,5", 1, 1}};
    for (const auto& [answer, number, width] : cases) {
        EXPECT_DOUBLE_EQ(LeadingNumber(answer), number) << '"' << answer << '"';
        EXPECT_EQ(AcceptMaskSize(LeadingNumber(answer), 240), width) << '"' << answer << '"';
    }
}

TEST(MaskRules, LimitsHugeTinyAndNotANumber) {
    EXPECT_EQ(AcceptMaskSize(128, 128), std::optional<int>(128));
    EXPECT_EQ(AcceptMaskSize(128.01, 128), std::nullopt);
    EXPECT_EQ(AcceptMaskSize(std::numeric_limits<double>::quiet_NaN(), 128), std::nullopt);
    EXPECT_TRUE(std::isinf(LeadingNumber(std::string(400, '9'))));
    EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

} // namespace
} // namespace vornix::image
