#include "terminal_text.h"

#include <cstdint>
#include <vector>

namespace vornix::cli {

namespace {

// One character of a name: its bytes, and whether it is shown as escapes.
struct Piece {
    std::string_view bytes;
    bool escaped = false;
};

// The length of a well-formed UTF-8 sequence at the start of `text` (1 to 4), and its code
// point; 0 when the bytes there are not one.
std::size_t utf8Length(std::string_view text, char32_t& code) {
    const auto byte = [&text](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    }
    if (length == 0 || text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF ? 0 : length;
}

std::vector<Piece> piecesOf(std::string_view name) {
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<std::uint8_t>(name[i]);
        if (byte < 0x80) {
            pieces.push_back({name.substr(i, 1), byte < 0x20 || byte == 0x7F});
            ++i;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = utf8Length(name.substr(i), code);
        if (length == 0) {
            pieces.push_back({name.substr(i, 1), true});
            ++i;
            continue;
        }
        pieces.push_back({name.substr(i, length), code >= 0x80 && code <= 0x9F});
        i += length;
    }
    return pieces;
}

// A byte inside $'...': a letter for the usual control characters, else three octal digits.
void appendEscape(std::string& out, std::uint8_t byte) {
    constexpr std::string_view kLetters = "abtnvfr"; // 7 to 13
    out += '\\';
    if (byte >= 7 && byte <= 13) {
        out += kLetters[byte - 7];
        return;
    }
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

} // namespace

std::string TerminalName(std::string_view name) {
    const std::vector<Piece> pieces = piecesOf(name);
    bool anyEscaped = false;
    for (const Piece& piece : pieces) {
        anyEscaped = anyEscaped || piece.escaped;
    }
    if (!anyEscaped) {
        return std::string(name);
    }
    // The name is one single-quoted word; escaped characters stand in $'...' pieces joined to
    // it, and a single quote is written '\''. Where the name holds a single quote and ends in
    // an escaped character, ls opens with an empty '' as well; the same is done here, so that
    // the form is exactly the one users see from ls.
    const bool openEmpty = name.find('\'') != std::string_view::npos && pieces.back().escaped &&
                           !pieces.front().escaped && pieces.front().bytes != "'";
    std::string out = openEmpty ? "'''" : "'";
    bool inEscapes = false;
    for (const Piece& piece : pieces) {
        if (piece.bytes == "'") {
            out += "'\\''";
            inEscapes = false;
        } else if (piece.escaped) {
            if (!inEscapes) {
                out += "'$'";
                inEscapes = true;
            }
            for (const char c : piece.bytes) {
                appendEscape(out, static_cast<std::uint8_t>(c));
            }
        } else {
            if (inEscapes) {
                out += "''";
                inEscapes = false;
            }
            out += piece.bytes;
        }
    }
    return out + "'";
}

} // namespace vornix::cli
