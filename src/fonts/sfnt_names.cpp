#include "fonts/sfnt_names.h"

namespace vornix::fonts {

namespace {

constexpr std::uint16_t kFamilyName = 1;
constexpr std::uint16_t kStyleName = 2;
constexpr std::uint16_t kWindows = 3;
constexpr std::uint16_t kUnicode = 0;
constexpr std::uint16_t kMacintosh = 1;
constexpr std::uint16_t kEnglishUs = 0x0409;

// Big-endian fields that say whether they lie inside the bytes.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool has(std::size_t at, std::size_t length) const {
        return at <= m_bytes.size() && length <= m_bytes.size() - at;
    }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>((m_bytes[at] << 8) | m_bytes[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const { return (std::uint32_t{u16(at)} << 16) | u16(at + 2); }
    std::span<const std::uint8_t> bytes(std::size_t at, std::size_t length) const {
        return m_bytes.subspan(at, length);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

void appendUtf8(char32_t c, std::string& text) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16BE, as the Windows and Unicode names are stored; nullopt for a broken surrogate pair
// or an odd length.
std::optional<std::string> fromUtf16(std::span<const std::uint8_t> units) {
    if (units.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < units.size(); i += 2) {
        char32_t c = static_cast<char32_t>((units[i] << 8) | units[i + 1]);
        if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= units.size()) {
                return std::nullopt;
            }
            const char32_t low = static_cast<char32_t>((units[i + 2] << 8) | units[i + 3]);
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (c == 0) {
            return std::nullopt;
        }
        appendUtf8(c, text);
    }
    return text;
}

// The Macintosh names: ASCII kept, any other byte (Mac Roman) unknown.
std::string fromMacRoman(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t b : bytes) {
        appendUtf8(b >= 0x20 && b < 0x80 ? char32_t{b} : char32_t{0xFFFD}, text);
    }
    return text;
}

// How much a name record is preferred: higher is better, 0 not usable.
int rank(std::uint16_t platform, std::uint16_t encoding, std::uint16_t language) {
    if (platform == kWindows && (encoding == 1 || encoding == 10)) {
        return language == kEnglishUs ? 4 : 3;
    }
    if (platform == kUnicode) {
        return 2;
    }
    if (platform == kMacintosh && encoding == 0) {
        return language == 0 ? 1 : 0; // English only: other languages use other encodings
    }
    return 0;
}

// The offset of the naming table of the font at `font`, or nullopt.
std::optional<std::size_t> nameTable(const Reader& in, std::size_t font, std::size_t& length) {
    if (!in.has(font, 12)) {
        return std::nullopt;
    }
    const std::uint32_t version = in.u32(font);
    if (version != 0x00010000 && version != 0x4F54544F /* OTTO */ &&
        version != 0x74727565 /* true */) {
        return std::nullopt;
    }
    const std::size_t tables = in.u16(font + 4);
    if (!in.has(font + 12, tables * 16)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = font + 12 + i * 16;
        if (in.u32(record) == 0x6E616D65 /* name */) {
            const std::size_t offset = in.u32(record + 8);
            length = in.u32(record + 12);
            if (!in.has(offset, length)) {
                return std::nullopt;
            }
            return offset;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<SfntNames> ReadSfntNames(std::span<const std::uint8_t> bytes) {
    const Reader in(bytes);
    std::size_t font = 0;
    // A collection: the first font's offset table.
    if (in.has(0, 16) && in.u32(0) == 0x74746366 /* ttcf */) {
        if (in.u32(8) == 0) {
            return std::nullopt;
        }
        font = in.u32(12);
    }
    std::size_t length = 0;
    const std::optional<std::size_t> table = nameTable(in, font, length);
    if (!table || length < 6) {
        return std::nullopt;
    }
    const Reader names(in.bytes(*table, length));
    const std::size_t count = names.u16(2);
    const std::size_t strings = names.u16(4);
    if (!names.has(6, count * 12)) {
        return std::nullopt;
    }
    SfntNames found;
    int familyRank = 0;
    int styleRank = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = 6 + i * 12;
        const std::uint16_t platform = names.u16(record);
        const std::uint16_t id = names.u16(record + 6);
        const int score = rank(platform, names.u16(record + 2), names.u16(record + 4));
        int& best = id == kFamilyName ? familyRank : styleRank;
        if ((id != kFamilyName && id != kStyleName) || score <= best) {
            continue;
        }
        const std::size_t size = names.u16(record + 8);
        const std::size_t at = strings + names.u16(record + 10);
        if (!names.has(at, size) || size == 0) {
            continue;
        }
        const std::span<const std::uint8_t> text = names.bytes(at, size);
        const std::optional<std::string> decoded =
            platform == kMacintosh ? std::optional(fromMacRoman(text)) : fromUtf16(text);
        if (!decoded) {
            continue;
        }
        (id == kFamilyName ? found.family : found.style) = *decoded;
        best = score;
    }
    if (found.family.empty()) {
        return std::nullopt;
    }
    return found;
}

} // namespace vornix::fonts
