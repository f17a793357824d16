#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/picture/byte_layout.h"
#include "image/picture/format_io.h"
#include "image/picture/packed_picture.h"

namespace vornix::image {

enum class SourceReadError {
    None,
    NoArray,        // no array initializer ("= { ... }") in the text
    Unterminated,   // the initializer, a comment or a string never ends
    BadValue,       // a value that is not a number literal
    NotAByte,       // a value above 255 or below 0
    NoSize,         // the width or height is neither given nor found in the text
    CountMismatch,  // the values do not fill the given size in the layout
    TooLarge,       // the size is beyond kMaxPicturePixels
};
std::string_view describe(SourceReadError error);

// The first array initializer of a C or C++ source file.
struct SourceArray {
    std::string name;                 // the array's name, when the declaration gives one
    std::vector<std::uint8_t> values; // in the order written
    std::size_t line = 0;             // where a bad value stands (1 = the first line)
    std::optional<int> width;         // found in the text: NAME_WIDTH, name_width, a
    std::optional<int> height;        //   "W x H" comment, WIDTH/HEIGHT constants
    SourceReadError error = SourceReadError::None;
};

// Finds the first "= {" initializer and reads its values: hexadecimal (0x3F), binary
// (0b00111111), octal (077) and decimal literals with u/l suffixes, casts such as
// "(uint8_t)" in front, nested braces flattened, comments and line breaks anywhere. Text
// before the initializer is searched for the size. The cost is linear in the text.
SourceArray ReadSourceArray(std::string_view text);

struct SourcePicture {
    std::optional<PackedPicture> picture;
    SourceReadError error = SourceReadError::None;
    std::size_t line = 0;
};

// The picture in a C array, in the given layout. A side that is not given (0) is taken from
// the text; a missing height may also follow from the value count.
SourcePicture ReadSourcePicture(std::string_view text, int width, int height,
                                LayoutChoice layout);

// The table of formats' readers: the first C array in the options' layout and size (a side of
// 0 from the text), and an X11 bitmap. A failure names its line where it has one.
PanelPictureRead ReadCSourcePicture(std::span<const std::uint8_t> bytes,
                                    const ReadOptions& options);
PanelPictureRead ReadXbmPicture(std::span<const std::uint8_t> bytes, const ReadOptions& options);

// An X11 bitmap: its NAME_width and NAME_height, then the bytes, rows with the leftmost pixel in
// the low bit, a set bit dark.
SourcePicture ReadXbm(std::string_view text);

} // namespace vornix::image
