#include "image/picture/bitmap_header_io.h"

#include <algorithm>

namespace vornix::image {

namespace {

// Reads little-endian fields in file order from a zero-padded copy of the first 70 bytes.
class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> file) {
        const auto count = std::min<std::size_t>(file.size(), m_bytes.size());
        std::copy_n(file.begin(), count, m_bytes.begin());
    }

    std::uint32_t unsignedField(int size) {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            value |= std::uint32_t{m_bytes[m_pos + i]} << (8 * i);
        }
        m_pos += size;
        return value;
    }
    std::int32_t int32() { return static_cast<std::int32_t>(unsignedField(4)); }
    std::int16_t int16() { return static_cast<std::int16_t>(unsignedField(2)); }
    char byte() { return static_cast<char>(unsignedField(1)); }
    std::uint8_t rawByte() { return static_cast<std::uint8_t>(unsignedField(1)); }

private:
    std::array<std::uint8_t, kHeadersSize> m_bytes{};
    int m_pos = 0;
};

class FieldWriter {
public:
    void unsignedField(std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            m_bytes[m_pos++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    void int32(std::int32_t value) { unsignedField(static_cast<std::uint32_t>(value), 4); }
    void int16(std::int16_t value) { unsignedField(static_cast<std::uint16_t>(value), 2); }
    void byte(std::uint8_t value) { unsignedField(value, 1); }
    const std::array<std::uint8_t, kHeadersSize>& bytes() const { return m_bytes; }

private:
    std::array<std::uint8_t, kHeadersSize> m_bytes{};
    int m_pos = 0;
};

} // namespace

BitmapHeaders ReadBitmapHeaders(std::span<const std::uint8_t> file) {
    FieldReader in(file);
    BitmapHeaders result;
    BitmapHeader& h = result.header;
    h.bfType = {in.byte(), in.byte()};
    h.bfSize = in.int32();
    h.bfReserved1 = in.int16();
    h.bfReserved2 = in.int16();
    h.bfOffBits = in.int32();
    h.biSize = in.int32();
    h.biWidth = in.int32();
    h.biHeight = in.int32();
    h.biPlanes = in.int16();
    h.biBitCount = in.int16();
    h.biCompression = in.int32();
    h.biSizeImage = in.int32();
    h.biXPelsPerMeter = in.int32();
    h.biYPelsPerMeter = in.int32();
    h.biClrUsed = in.int32();
    h.biClrImportant = in.int32();
    for (auto& b : result.colorTable) {
        b = in.rawByte();
    }
    return result;
}

std::array<std::uint8_t, kHeadersSize> WriteBitmapHeaders(const BitmapHeaders& headers) {
    const BitmapHeader& h = headers.header;
    FieldWriter out;
    out.byte(static_cast<std::uint8_t>(h.bfType[0]));
    out.byte(static_cast<std::uint8_t>(h.bfType[1]));
    out.int32(h.bfSize);
    out.int16(h.bfReserved1);
    out.int16(h.bfReserved2);
    out.int32(h.bfOffBits);
    out.int32(h.biSize);
    out.int32(h.biWidth);
    out.int32(h.biHeight);
    out.int16(h.biPlanes);
    out.int16(h.biBitCount);
    out.int32(h.biCompression);
    out.int32(h.biSizeImage);
    out.int32(h.biXPelsPerMeter);
    out.int32(h.biYPelsPerMeter);
    out.int32(h.biClrUsed);
    out.int32(h.biClrImportant);
    for (const auto b : headers.colorTable) {
        out.byte(b);
    }
    return out.bytes();
}

} // namespace vornix::image
