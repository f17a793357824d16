#include "fonts/font_error.h"

namespace vornix::fonts {

std::string_view describe(FontError error) {
    switch (error) {
    case FontError::None:
        return "no error";
    case FontError::NoSuchFont:
        return "no installed font has this name";
    case FontError::FileUnreadable:
        return "the font file cannot be read";
    case FontError::FileTooLarge:
        return "the font file is too large";
    case FontError::BadCompression:
        return "the compressed font file is damaged";
    case FontError::Truncated:
        return "the font file ends too early";
    case FontError::BadFont:
        return "not a font file this program reads (BDF, PCF, TrueType, OpenType)";
    case FontError::AbsurdGlyph:
        return "the font has a glyph of impossible size or position";
    case FontError::TooManyGlyphs:
        return "the font has more glyphs than Unicode has characters";
    case FontError::OutlineRefused:
        return "the outline font cannot be drawn";
    case FontError::BadPixelSize:
        return "the size is not a number of pixels from 1 to 1000";
    case FontError::NotUtf8:
        return "the text is not valid UTF-8";
    case FontError::TextTooLarge:
        return "the text makes a picture larger than 32760 pixels a side or 64 Mi pixels";
    }
    return "unknown error";
}

std::string FontFailure::message() const {
    std::string text(describe(error));
    if (!detail.empty()) {
        text = detail + ": " + text;
    }
    if (!reason.empty()) {
        text += ": " + reason;
    }
    return text;
}

} // namespace vornix::fonts
