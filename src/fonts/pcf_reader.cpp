// PCF: a table of contents, then tables that each say their own byte order, bit order and row
// padding. Every offset and count is checked against the table that holds it before it is
// followed, so a damaged or hostile file ends in a refusal, never in a read outside its bytes.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fonts/bitmap_font_reader.h"
#include "fonts/gunzip.h"

namespace vornix::fonts {

namespace {

constexpr std::uint32_t kProperties = 1U << 0;
constexpr std::uint32_t kAccelerators = 1U << 1;
constexpr std::uint32_t kMetrics = 1U << 2;
constexpr std::uint32_t kBitmaps = 1U << 3;
constexpr std::uint32_t kEncodings = 1U << 5;
constexpr std::uint32_t kBdfAccelerators = 1U << 8;

constexpr std::uint32_t kFormatMask = 0xFFFFFF00U;
constexpr std::uint32_t kDefaultFormat = 0x000U;
constexpr std::uint32_t kCompressedMetrics = 0x100U;  // in the metrics table
constexpr std::uint32_t kAccelWithInkBounds = 0x100U; // in the accelerator tables

constexpr std::uint32_t kMaxTables = 64;
constexpr std::uint16_t kNoGlyph = 0xFFFF;

// A table: its bytes and the format word that starts it, which says how to read them.
class Table {
public:
    Table() = default;
    Table(std::span<const std::uint8_t> bytes, std::uint32_t format)
        : m_bytes(bytes), m_format(format) {}

    std::uint32_t format() const { return m_format; }
    bool bigEndian() const { return (m_format & 4U) != 0; }
    bool msbFirst() const { return (m_format & 8U) != 0; }
    int padBytes() const { return 1 << (m_format & 3U); }
    int scanUnit() const { return 1 << ((m_format >> 4) & 3U); }
    std::size_t size() const { return m_bytes.size(); }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    bool has(std::size_t at, std::size_t count) const {
        return at <= m_bytes.size() && count <= m_bytes.size() - at;
    }
    std::uint8_t u8(std::size_t at) const { return m_bytes[at]; }
    std::uint32_t u16(std::size_t at) const {
        return bigEndian() ? (std::uint32_t{m_bytes[at]} << 8) | m_bytes[at + 1]
                           : (std::uint32_t{m_bytes[at + 1]} << 8) | m_bytes[at];
    }
    std::int32_t s16(std::size_t at) const {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(u16(at)));
    }
    std::uint32_t u32(std::size_t at) const {
        return bigEndian() ? (u16(at) << 16) | u16(at + 2) : (u16(at + 2) << 16) | u16(at);
    }
    std::int32_t s32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::uint32_t m_format = 0;
};

std::uint32_t littleU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
           (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}

struct Metric {
    int left = 0;
    int right = 0;
    int advance = 0;
    int ascent = 0;
    int descent = 0;
};

class PcfParser {
public:
    explicit PcfParser(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    BitmapFontResult parse() {
        m_font = std::make_unique<BitmapFont>();
        FontError error = tableOfContents();
        if (error == FontError::None) {
            error = properties();
        }
        if (error == FontError::None) {
            error = metrics();
        }
        if (error == FontError::None) {
            error = accelerators();
        }
        if (error == FontError::None) {
            error = bitmapsAndEncodings();
        }
        if (error != FontError::None) {
            return {nullptr, error};
        }
        return {std::move(m_font), FontError::None};
    }

private:
    FontError tableOfContents() {
        if (m_bytes.size() < 8 || std::memcmp(m_bytes.data(), "\1fcp", 4) != 0) {
            return m_bytes.size() < 8 ? FontError::Truncated : FontError::BadFont;
        }
        const std::uint32_t count = littleU32(m_bytes, 4);
        if (count == 0 || count > kMaxTables) {
            return FontError::BadFont;
        }
        if (m_bytes.size() < 8 + std::size_t{count} * 16) {
            return FontError::Truncated;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t entry = 8 + std::size_t{i} * 16;
            const std::uint32_t type = littleU32(m_bytes, entry);
            const std::uint32_t offset = littleU32(m_bytes, entry + 12);
            if (offset > m_bytes.size()) {
                return FontError::Truncated;
            }
            // Font compilers round the last table's size up past the end of the file: a table
            // ends at the end of the file at the latest, and each of its fields is checked
            // against that end before it is read.
            const std::size_t size =
                std::min<std::size_t>(littleU32(m_bytes, entry + 8), m_bytes.size() - offset);
            if (size < 4) {
                return FontError::Truncated;
            }
            const auto bytes = m_bytes.subspan(offset, size);
            // Every table starts with its format word, always least significant byte first; the
            // word says how the rest of the table is written.
            const std::uint32_t format = littleU32(bytes, 0);
            if (find(type) == nullptr) {
                m_tables.push_back({type, Table(bytes, format)});
            }
        }
        return FontError::None;
    }

    const Table* find(std::uint32_t type) const {
        for (const auto& [kind, table] : m_tables) {
            if (kind == type) {
                return &table;
            }
        }
        return nullptr;
    }

    // The family name and pixel size; a font without the table is still drawn.
    FontError properties() {
        const Table* table = find(kProperties);
        if (table == nullptr) {
            return FontError::None;
        }
        if (!table->has(4, 4)) {
            return FontError::Truncated;
        }
        const std::uint32_t count = table->u32(4);
        if (count > table->size() / 9) {
            return FontError::BadFont;
        }
        const std::size_t pad = (count & 3U) == 0 ? 0 : 4 - (count & 3U);
        const std::size_t stringsAt = 8 + std::size_t{count} * 9 + pad + 4;
        if (!table->has(stringsAt - 4, 4)) {
            return FontError::Truncated;
        }
        const std::uint32_t stringsSize = table->u32(stringsAt - 4);
        if (!table->has(stringsAt, stringsSize)) {
            return FontError::Truncated;
        }
        const auto strings = table->bytes().subspan(stringsAt, stringsSize);
        const auto text = [&strings](std::uint32_t at) -> std::optional<std::string> {
            if (at >= strings.size()) {
                return std::nullopt;
            }
            const auto* start = reinterpret_cast<const char*>(strings.data()) + at;
            const auto* end = static_cast<const char*>(std::memchr(start, 0, strings.size() - at));
            return end == nullptr ? std::nullopt
                                  : std::optional<std::string>(std::string(start, end));
        };
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = 8 + std::size_t{i} * 9;
            const auto name = text(table->u32(at));
            const bool isString = table->u8(at + 4) != 0;
            const std::uint32_t value = table->u32(at + 5);
            if (!name) {
                return FontError::BadFont;
            }
            if (*name == "FAMILY_NAME" && isString) {
                m_font->setName(text(value).value_or(""));
            } else if (*name == "PIXEL_SIZE" && !isString) {
                const auto size = static_cast<std::int32_t>(value);
                if (size < 0 || size > kMaxGlyphSide) {
                    return FontError::AbsurdGlyph;
                }
                m_font->setPixelSize(size);
            }
        }
        return FontError::None;
    }

    // Every glyph's box and advance, each side bounded.
    FontError metrics() {
        const Table* table = find(kMetrics);
        if (table == nullptr) {
            return FontError::BadFont;
        }
        const bool compressed = (table->format() & kFormatMask) == kCompressedMetrics;
        if (!compressed && (table->format() & kFormatMask) != kDefaultFormat) {
            return FontError::BadFont;
        }
        const std::size_t headerSize = compressed ? 6 : 8;
        if (!table->has(4, headerSize - 4)) {
            return FontError::Truncated;
        }
        const std::uint32_t count = compressed ? table->u16(4) : table->u32(4);
        const std::size_t each = compressed ? 5 : 12;
        if (count > (table->size() - headerSize) / each) {
            return FontError::Truncated;
        }
        m_metrics.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = headerSize + std::size_t{i} * each;
            Metric m;
            if (compressed) {
                const auto value = [&](int k) { return int{table->u8(at + k)} - 0x80; };
                m = {value(0), value(1), value(2), value(3), value(4)};
            } else {
                const auto value = [&](int k) { return int{table->s16(at + 2 * k)}; };
                m = {value(0), value(1), value(2), value(3), value(4)};
            }
            const int width = m.right - m.left;
            const int height = m.ascent + m.descent;
            if (width < 0 || height < 0 || width > kMaxGlyphSide || height > kMaxGlyphSide) {
                return FontError::AbsurdGlyph;
            }
            m_metrics.push_back(m);
        }
        return FontError::None;
    }

    // The lines' extent, from the accelerator table (the BDF one when there are both).
    FontError accelerators() {
        const Table* table = find(kBdfAccelerators);
        if (table == nullptr) {
            table = find(kAccelerators);
        }
        if (table == nullptr) {
            return FontError::BadFont;
        }
        const std::uint32_t kind = table->format() & kFormatMask;
        if (kind != kDefaultFormat && kind != kAccelWithInkBounds) {
            return FontError::BadFont;
        }
        if (!table->has(12, 8)) {
            return FontError::Truncated;
        }
        const std::int32_t ascent = table->s32(12);
        const std::int32_t descent = table->s32(16);
        if (ascent < -kMaxGlyphSide || descent < -kMaxGlyphSide || ascent > kMaxGlyphSide ||
            descent > kMaxGlyphSide || ascent + descent < 1 || ascent + descent > kMaxGlyphSide) {
            return FontError::AbsurdGlyph;
        }
        m_font->setMetrics({ascent, descent});
        return FontError::None;
    }

    FontError bitmapsAndEncodings() {
        const Table* bitmaps = find(kBitmaps);
        const Table* encodings = find(kEncodings);
        if (bitmaps == nullptr || encodings == nullptr ||
            (bitmaps->format() & kFormatMask) != kDefaultFormat ||
            (encodings->format() & kFormatMask) != kDefaultFormat) {
            return FontError::BadFont;
        }
        if (!bitmaps->has(4, 4)) {
            return FontError::Truncated;
        }
        const std::uint32_t count = bitmaps->u32(4);
        if (count != m_metrics.size()) {
            return FontError::BadFont;
        }
        const std::size_t sizesAt = 8 + std::size_t{count} * 4;
        if (!bitmaps->has(sizesAt, 16)) {
            return FontError::Truncated;
        }
        const std::uint32_t dataSize = bitmaps->u32(sizesAt + 4 * (bitmaps->format() & 3U));
        const std::size_t dataAt = sizesAt + 16;
        if (!bitmaps->has(dataAt, dataSize)) {
            return FontError::Truncated;
        }
        m_data = bitmaps->bytes().subspan(dataAt, dataSize);
        m_bitmaps = *bitmaps;
        return encode(*encodings);
    }

    // The encoding table gives each code point (byte1 * 256 + byte2) its glyph's number.
    FontError encode(const Table& table) {
        if (!table.has(4, 10)) {
            return FontError::Truncated;
        }
        const std::int32_t firstCol = table.s16(4);
        const std::int32_t lastCol = table.s16(6);
        const std::int32_t firstRow = table.s16(8);
        const std::int32_t lastRow = table.s16(10);
        const std::int32_t defaultChar = table.s16(12);
        if (firstCol < 0 || lastCol > 255 || firstCol > lastCol || firstRow < 0 || lastRow > 255 ||
            firstRow > lastRow) {
            return FontError::BadFont;
        }
        const std::size_t columns = static_cast<std::size_t>(lastCol - firstCol + 1);
        const std::size_t rows = static_cast<std::size_t>(lastRow - firstRow + 1);
        if (!table.has(14, columns * rows * 2)) {
            return FontError::Truncated;
        }
        std::vector<std::optional<std::size_t>> stored(m_metrics.size());
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < columns; ++c) {
                const std::uint32_t index = table.u16(14 + 2 * (r * columns + c));
                if (index == kNoGlyph) {
                    continue;
                }
                if (index >= m_metrics.size()) {
                    return FontError::BadFont;
                }
                const auto code = static_cast<char32_t>(((firstRow + r) << 8) | (firstCol + c));
                // A glyph is made once, however many code points draw it: its bitmap then
                // costs no more than its bytes in the file.
                if (!stored[index]) {
                    Glyph glyph;
                    if (const FontError error = glyphAt(index, glyph); error != FontError::None) {
                        return error;
                    }
                    stored[index] = m_font->storeGlyph(std::move(glyph));
                }
                m_font->mapCodePoint(code, *stored[index]);
            }
        }
        m_font->setDefaultCodePoint(static_cast<char32_t>(static_cast<std::uint16_t>(defaultChar)));
        return FontError::None;
    }

    // Glyph `index`'s rows, made top-down, leftmost pixel in bit 7, unpadded.
    FontError glyphAt(std::uint32_t index, Glyph& glyph) const {
        const Metric& m = m_metrics[index];
        glyph.width = m.right - m.left;
        glyph.height = m.ascent + m.descent;
        glyph.left = m.left;
        glyph.top = m.ascent;
        glyph.advance = m.advance;
        const std::size_t stride = glyph.stride();
        const auto pad = static_cast<std::size_t>(m_bitmaps.padBytes());
        const std::size_t sourceStride = (stride + pad - 1) / pad * pad;
        const std::uint32_t offset = m_bitmaps.u32(8 + std::size_t{index} * 4);
        const std::size_t needed = sourceStride * static_cast<std::size_t>(glyph.height);
        if (offset > m_data.size() || needed > m_data.size() - offset) {
            return FontError::AbsurdGlyph;
        }
        glyph.bits.assign(stride * static_cast<std::size_t>(glyph.height), 0);
        const auto unit = static_cast<std::size_t>(m_bitmaps.scanUnit());
        // Bytes are swapped within a scan unit when the byte order differs from the bit order.
        const bool swap =
            m_bitmaps.bigEndian() != m_bitmaps.msbFirst() && unit > 1 && sourceStride % unit == 0;
        for (int y = 0; y < glyph.height; ++y) {
            const std::size_t row = offset + static_cast<std::size_t>(y) * sourceStride;
            for (std::size_t k = 0; k < stride; ++k) {
                const std::size_t from = swap ? (k / unit) * unit + (unit - 1 - k % unit) : k;
                std::uint8_t byte = m_data[row + from];
                if (!m_bitmaps.msbFirst()) {
                    byte = reverseBits(byte);
                }
                glyph.bits[static_cast<std::size_t>(y) * stride + k] = byte;
            }
            const int spare = static_cast<int>(stride * 8) - glyph.width;
            if (stride > 0) {
                glyph.bits[static_cast<std::size_t>(y) * stride + stride - 1] &=
                    static_cast<std::uint8_t>(0xFFU << spare);
            }
        }
        return FontError::None;
    }

    static std::uint8_t reverseBits(std::uint8_t b) {
        b = static_cast<std::uint8_t>((b & 0xF0U) >> 4 | (b & 0x0FU) << 4);
        b = static_cast<std::uint8_t>((b & 0xCCU) >> 2 | (b & 0x33U) << 2);
        return static_cast<std::uint8_t>((b & 0xAAU) >> 1 | (b & 0x55U) << 1);
    }

    std::span<const std::uint8_t> m_bytes;
    std::unique_ptr<BitmapFont> m_font;
    std::vector<std::pair<std::uint32_t, Table>> m_tables;
    std::vector<Metric> m_metrics;
    Table m_bitmaps;
    std::span<const std::uint8_t> m_data;
};

bool isPcf(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "\1fcp", 4) == 0;
}

bool isBdf(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 9 && std::memcmp(bytes.data(), "STARTFONT", 9) == 0;
}

} // namespace

BitmapFontResult ReadPcf(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxFontFileBytes) {
        return {nullptr, FontError::FileTooLarge};
    }
    if (IsGzip(bytes)) {
        const Unpacked unpacked = Gunzip(bytes, kMaxFontFileBytes);
        if (unpacked.error != FontError::None) {
            return {nullptr, unpacked.error};
        }
        return PcfParser(unpacked.bytes).parse();
    }
    return PcfParser(bytes).parse();
}

bool LooksLikeBitmapFont(std::span<const std::uint8_t> bytes) {
    return isPcf(bytes) || isBdf(bytes) || IsGzip(bytes);
}

BitmapFontResult ReadBitmapFont(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxFontFileBytes) {
        return {nullptr, FontError::FileTooLarge};
    }
    if (IsGzip(bytes)) {
        const Unpacked unpacked = Gunzip(bytes, kMaxFontFileBytes);
        if (unpacked.error != FontError::None) {
            return {nullptr, unpacked.error};
        }
        return isBdf(unpacked.bytes) ? ReadBdf(unpacked.bytes) : PcfParser(unpacked.bytes).parse();
    }
    return isBdf(bytes) ? ReadBdf(bytes) : PcfParser(bytes).parse();
}

} // namespace vornix::fonts
