#pragma once

#include <string>
#include <string_view>

#include "image/picture/bitmap_header.h"

namespace vornix::image {

// The information text of a bitmap header: sixteen lines, each ended by `lineEnd` (the last
// one too). Each line is a label, the field's value as a number field (" 64", "-64") and a unit
// text; line 1 carries the two bfType bytes exactly as they are, and lines 5 and 12 are 35 "-".
// No value is checked: a refused or implausible header is described all the same.
std::string ImageInfoText(const BitmapHeader& header, std::string_view lineEnd = "\r\n");

} // namespace vornix::image
