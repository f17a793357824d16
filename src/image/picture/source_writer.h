#pragma once

#include <span>
#include <string>
#include <string_view>

#include "image/picture/byte_layout.h"
#include "image/picture/byte_sink.h"
#include "image/picture/packed_picture.h"

namespace vornix::image {

// How the values of a C array are spelled.
enum class Literal {
    Hex,    // 0x3F
    Binary, // 0b00111111
};

// The shape of a picture written as C source for firmware to compile in.
struct SourceOptions {
    std::string name = "picture"; // a valid C identifier (see IdentifierFrom)
    LayoutChoice layout;
    bool isStatic = true;
    bool isConst = true;
    // Written after the array's declarator, before " = {": "PROGMEM",
    // "__attribute__((section(\".lcd\")))", or empty for nothing.
    std::string placement;
    Literal literal = Literal::Hex;
    int valuesPerLine = 16; // 1 to kMaxValuesPerLine
    // Draws the pixels in comments, '#' dark and '.' light: a comment above each row's values
    // in a row layout, one comment above the array in the others.
    bool drawPixels = false;
};

inline constexpr int kMaxValuesPerLine = 4096;

// A C identifier made from a file name: the folder and the last ending are dropped, every
// character other than a letter, digit or '_' becomes '_', a leading digit gets a '_' in front,
// and a C keyword gets a '_' after it. "icons/my clock-1.bmp" -> "my_clock_1"; an empty name
// gives "picture".
std::string IdentifierFrom(std::string_view fileName);
bool IsIdentifier(std::string_view name);

// The picture as C source: a comment saying its size and layout, NAME_WIDTH and NAME_HEIGHT
// as macros, and one array of unsigned char. False when the sink refuses a write, or when
// the options are out of range (nothing is written then).
bool WriteCSource(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink);

struct NamedPicture {
    std::string name; // a valid C identifier
    PackedPicture picture;
};

// Several pictures as one header: an include guard named after options.name, each picture's
// array as WriteCSource writes it (under its own name, with the options' layout and form),
// then a table options.name[] of {bits, width, height} and NAME_COUNT. False, with nothing
// written, when a picture is empty, a name is not an identifier, or two names (or their size
// macros) clash.
bool WriteCSourceSet(std::span<const NamedPicture> pictures, const SourceOptions& options,
                     ByteSink& sink);

// The table of formats' writers: C source with every option, and an X11 bitmap named
// options.name.
bool WriteCSourcePicture(const PackedPicture& picture, const SourceOptions& options,
                         ByteSink& sink);
bool WriteXbmPicture(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink);

// The picture as an X11 bitmap: NAME_width, NAME_height and NAME_bits, rows with the leftmost
// pixel in the low bit, a set bit dark.
bool WriteXbm(const PackedPicture& picture, std::string_view name, ByteSink& sink);

} // namespace vornix::image
