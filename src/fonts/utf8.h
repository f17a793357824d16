#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornix::fonts {

// The code points of UTF-8 text; nullopt for anything that is not valid UTF-8 (a stray or
// missing continuation byte, an overlong form, a surrogate, a value above U+10FFFF).
std::optional<std::u32string> DecodeUtf8(std::string_view text);

} // namespace vornix::fonts
