#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vornix::fonts {

// The names an outline font file (TrueType, OpenType, or the first font of a collection) gives
// itself in its naming table, in UTF-8: what a font system knows it by.
struct SfntNames {
    std::string family; // "DejaVu Sans"
    std::string style;  // "Bold Oblique"; "" when the file names none
};

// The family and style names of the file's first font, preferring the Windows English names,
// then any Windows or Unicode ones, then the Macintosh ones. nullopt when the bytes are not an
// outline font, a table lies outside the file, or the font names no family. Every offset and
// length is checked against the bytes: a hostile file gives nullopt, never a read outside it.
std::optional<SfntNames> ReadSfntNames(std::span<const std::uint8_t> bytes);

} // namespace vornix::fonts
