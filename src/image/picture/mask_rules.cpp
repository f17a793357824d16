#include "image/picture/mask_rules.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vornix::image {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t countDigits(std::string_view s, std::size_t from) {
    std::size_t n = 0;
    while (from + n < s.size() && isDigit(s[from + n])) {
        ++n;
    }
    return n;
}

} // namespace

double LeadingNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t start = pos;
    const std::size_t whole = countDigits(text, pos);
    pos += whole;
    std::size_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        fraction = countDigits(text, pos + 1);
        pos += 1 + fraction;
    }
    if (whole == 0 && fraction == 0) {
        return 0.0;
    }
    double value = 0.0;
    const auto parsed =
        std::from_chars(text.data() + start, text.data() + pos, value, std::chars_format::fixed);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Too large when the whole part is not all zeros, else too small to tell from 0.
        const auto wholePart = text.substr(start, whole);
        const bool large = wholePart.find_first_not_of('0') != std::string_view::npos;
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<int> AcceptMaskSize(double value, int max) {
    if (!(value > 0.0 && value <= static_cast<double>(max))) {
        return std::nullopt; // also refuses NaN
    }
    // In the default rounding mode nearbyint rounds halves to the even neighbour.
    return static_cast<int>(std::nearbyint(value));
}

} // namespace vornix::image
