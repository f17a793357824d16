#pragma once

#include <string>
#include <string_view>

namespace vornix::fonts {

// Why a font could not be opened or a text not drawn.
enum class FontError {
    None,
    NoSuchFont,     // no installed font has the family name asked for
    FileUnreadable, // the file could not be read (missing, denied, a folder, a device ...)
    FileTooLarge,   // the file, or a compressed font unpacked, is larger than any font here
    BadCompression, // a gzip-compressed font whose compressed data is damaged
    Truncated,      // the file ends inside the font
    BadFont,        // not a font this program reads, or its structure is broken
    AbsurdGlyph,    // a glyph of a negative or impossibly large size, or outside the file
    TooManyGlyphs,  // more glyphs than Unicode has code points
    OutlineRefused, // the outline font engine refused the file or one of its glyphs
    BadPixelSize,   // a size outside 1..kMaxPixelSize
    NotUtf8,        // the text is not valid UTF-8
    TextTooLarge,   // the text's picture would be larger than any picture here
};

// The failure in words for a message: "the file ends inside the font".
std::string_view describe(FontError error);

// A failure, what it is about (a path, a family name) and, for a file that could not be read,
// the system's words for why.
struct FontFailure {
    FontError error = FontError::None;
    std::string detail;
    std::string reason;

    bool ok() const { return error == FontError::None; }
    // "detail: description: reason", each part only when there is one.
    std::string message() const;
};

} // namespace vornix::fonts
