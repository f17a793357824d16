#pragma once

#include <optional>
#include <string_view>

namespace vornix::image {

// The number at the start of an answer typed into the mask size box: leading blanks (space,
// tab) ignored, an optional sign, digits, an optional fraction; whatever follows is ignored.
// " 100 pixels" -> 100, "240.4" -> 240.4, ".5" -> 0.5, "-5" -> -5; "abc" and "" -> 0.
// The decimal point is always ".", whatever the locale.
double LeadingNumber(std::string_view text);

// A new mask width or height: accepted when 0 < value <= max (tested before rounding), then
// rounded to the nearest whole number, halves to the even neighbour (120.5 -> 120,
// 121.5 -> 122, 0.4 -> 0). nullopt when refused.
std::optional<int> AcceptMaskSize(double value, int max);

} // namespace vornix::image
