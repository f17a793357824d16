#pragma once

#include <string>
#include <string_view>

namespace vornix::fonts {

// A font asked for by name, as a user writes it: a family and, after colons, its style
// ("DejaVu Sans:bold", "Courier New:style=Bold Italic", "monospace:italic"). The style words
// are those of fontconfig's names, so that one name means the same font on every system.
struct FontRequest {
    std::string family;   // "" when the name has none
    int weight = 400;     // 100 (thin) .. 900 (black); 400 is regular, 700 bold
    bool italic = false;  // italic or oblique
    bool generic = false; // a kind of font (sans-serif, serif, monospace ...), not a family
    // For a generic name: which kind.
    enum class Kind { Any, Sans, Serif, Mono } kind = Kind::Any;
};

// The family and style of a font name. A backslash takes the next character as it is
// ("Font\:Name"); of a list of families ("A,B") the first counts; a point size after the
// family ("DejaVu Sans-12") and style words no font system here knows are left out.
FontRequest ParseFontName(std::string_view name);

// The weight and slant that style words name ("Bold Italic", "SemiBold", "Oblique") applied to
// `request`; words that name neither are left out.
void ApplyStyleWords(std::string_view words, FontRequest& request);

} // namespace vornix::fonts
