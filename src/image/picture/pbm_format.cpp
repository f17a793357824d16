#include "image/picture/pbm_format.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "image/picture/chunked_writer.h"

namespace vornix::image {
namespace {

bool IsSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the header's fields one by one: blanks and "#" comments between them are skipped.
class HeaderReader {
public:
    explicit HeaderReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    void skipBlanksAndComments() {
        while (m_pos < m_bytes.size()) {
            if (m_bytes[m_pos] == '#') {
                while (m_pos < m_bytes.size() && m_bytes[m_pos] != '\n' && m_bytes[m_pos] != '\r') {
                    ++m_pos;
                }
            } else if (IsSpace(m_bytes[m_pos])) {
                ++m_pos;
            } else {
                return;
            }
        }
    }

    // A positive decimal number of at most 9 digits; -1 for anything else.
    int number() {
        skipBlanksAndComments();
        int value = 0;
        int digits = 0;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] >= '0' && m_bytes[m_pos] <= '9') {
            if (++digits > 9) {
                return -1;
            }
            value = value * 10 + (m_bytes[m_pos++] - '0');
        }
        return digits == 0 ? -1 : value;
    }

    std::size_t& position() { return m_pos; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace

bool WritePbm(const PackedPicture& picture, ByteSink& sink) {
    if (picture.empty()) {
        return false;
    }
    ChunkedWriter out(sink, picture.bytes().size() + 32);
    out.append("P4\n" + std::to_string(picture.width()) + " " +
               std::to_string(picture.height()) + "\n");
    const auto& bytes = picture.bytes();
    out.append({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    return out.flush();
}

std::string_view describe(PbmReadError error) {
    switch (error) {
    case PbmReadError::None:
        return "no error";
    case PbmReadError::NotPbm:
        return "not a portable bitmap (P1 or P4)";
    case PbmReadError::BadHeader:
        return "the bitmap's width or height is missing, not a positive number, or too large";
    case PbmReadError::ShortData:
        return "the bitmap holds fewer pixels than its header promises";
    case PbmReadError::BadPixel:
        return "a pixel of the plain bitmap is neither 0 nor 1";
    }
    return "unknown bitmap error";
}

PanelPictureRead ReadPbmPicture(std::span<const std::uint8_t> bytes,
                                const ReadOptions& /*options*/) {
    PbmRead read = ReadPbm(bytes);
    if (!read.picture) {
        return {std::nullopt, std::string(describe(read.error))};
    }
    return {std::move(read.picture), ""};
}

bool WritePbmPicture(const PackedPicture& picture, const SourceOptions& /*options*/,
                     ByteSink& sink) {
    return WritePbm(picture, sink);
}

PbmRead ReadPbm(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '1' && bytes[1] != '4')) {
        return {std::nullopt, PbmReadError::NotPbm};
    }
    const bool plain = bytes[1] == '1';
    HeaderReader header(bytes.subspan(2));
    const int width = header.number();
    const int height = header.number();
    if (width < 1 || height < 1 ||
        std::int64_t{width} * std::int64_t{height} > kMaxPicturePixels) {
        return {std::nullopt, PbmReadError::BadHeader};
    }
    std::size_t pos = header.position() + 2;
    if (plain) {
        if (static_cast<std::uint64_t>(bytes.size() - pos) <
            static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height)) {
            return {std::nullopt, PbmReadError::ShortData}; // each pixel takes a byte at least
        }
        PackedPicture picture(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                while (pos < bytes.size() && (IsSpace(bytes[pos]) || bytes[pos] == '#')) {
                    if (bytes[pos] == '#') {
                        while (pos < bytes.size() && bytes[pos] != '\n') {
                            ++pos;
                        }
                    } else {
                        ++pos;
                    }
                }
                if (pos >= bytes.size()) {
                    return {std::nullopt, PbmReadError::ShortData};
                }
                if (bytes[pos] != '0' && bytes[pos] != '1') {
                    return {std::nullopt, PbmReadError::BadPixel};
                }
                picture.setDark(x, y, bytes[pos++] == '1');
            }
        }
        return {std::move(picture), PbmReadError::None};
    }
    // One blank ends the binary header; the raster follows at once.
    if (pos >= bytes.size() || !IsSpace(bytes[pos])) {
        return {std::nullopt, PbmReadError::BadHeader};
    }
    ++pos;
    PackedPicture picture(width, height);
    if (bytes.size() - pos < picture.bytes().size()) {
        return {std::nullopt, PbmReadError::ShortData};
    }
    for (int y = 0; y < height; ++y) {
        auto row = picture.row(y);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(pos), row.size(), row.begin());
        pos += row.size();
    }
    picture.clearPadding();
    return {std::move(picture), PbmReadError::None};
}

} // namespace vornix::image
