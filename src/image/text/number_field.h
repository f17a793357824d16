#pragma once

#include <cstdint>
#include <string>

namespace vornix::image {

// A number as it appears in messages, captions, the information text and controller
// commands: one blank before a non-negative number, a minus sign before a negative one.
// NumberField(30) == " 30", NumberField(-64) == "-64".
std::string NumberField(std::int64_t value);

// A number as the PXL header writes it: plain digits, "-" when negative, no blank.
std::string PlainNumber(std::int64_t value);

} // namespace vornix::image
