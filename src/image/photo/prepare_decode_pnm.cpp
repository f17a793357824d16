#include <algorithm>
#include <cstdint>
#include <optional>

#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

constexpr std::uint32_t kMaxSampleValue = 65535;

bool isSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

// Walks the text parts of a PBM, PGM or PPM file: numbers separated by blanks and comments
// that run from "#" to the end of the line.
class NetpbmScanner {
public:
    explicit NetpbmScanner(std::span<const std::uint8_t> file) : m_file(file), m_pos(2) {}

    // The next number, or nullopt when there is none or it exceeds `limit`.
    std::optional<std::uint32_t> number(std::uint32_t limit) {
        skipBlanks();
        if (m_pos >= m_file.size() || !isDigit(m_file[m_pos])) {
            return std::nullopt;
        }
        const std::size_t start = m_pos;
        std::uint64_t value = 0;
        while (m_pos < m_file.size() && isDigit(m_file[m_pos])) {
            value = value * 10 + (m_file[m_pos++] - '0');
            if (value > limit) {
                m_pos = start; // left unread: the caller sees a bad sample, not the end
                return std::nullopt;
            }
        }
        return static_cast<std::uint32_t>(value);
    }

    // One digit 0 or 1 of a text PBM, which needs no blank between pixels.
    std::optional<std::uint32_t> bit() {
        skipBlanks();
        if (m_pos >= m_file.size() || (m_file[m_pos] != '0' && m_file[m_pos] != '1')) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(m_file[m_pos++] - '0');
    }

    // The binary pixels start after the single blank that ends the header.
    std::optional<std::size_t> binaryStart() const {
        if (m_pos >= m_file.size() || !isSpace(m_file[m_pos])) {
            return std::nullopt;
        }
        return m_pos + 1;
    }

    std::size_t remaining() const { return m_file.size() - std::min(m_pos, m_file.size()); }

private:
    void skipBlanks() {
        while (m_pos < m_file.size()) {
            if (m_file[m_pos] == '#') {
                while (m_pos < m_file.size() && m_file[m_pos] != '\n' && m_file[m_pos] != '\r') {
                    ++m_pos;
                }
            } else if (isSpace(m_file[m_pos])) {
                ++m_pos;
            } else {
                return;
            }
        }
    }

    std::span<const std::uint8_t> m_file;
    std::size_t m_pos;
};

struct NetpbmHeader {
    char kind = '1';     // the digit after "P"
    int channels = 1;    // 3 for PPM
    bool binary = false; // P4, P5, P6
    bool bitmap = false; // PBM: 1 is black
    std::uint32_t maximum = 1;
    std::int64_t width = 0;
    std::int64_t height = 0;

    std::int64_t samples() const { return width * height * channels; }
};

PictureReadOutcome readHeader(NetpbmScanner& scanner, NetpbmHeader& h) {
    h.channels = h.kind == '3' || h.kind == '6' ? 3 : 1;
    h.binary = h.kind >= '4';
    h.bitmap = h.kind == '1' || h.kind == '4';
    const auto width = scanner.number(UINT32_MAX);
    const auto height = scanner.number(UINT32_MAX);
    if (!width || !height) {
        return PictureReadOutcome::BadHeader;
    }
    h.width = *width;
    h.height = *height;
    if (!h.bitmap) {
        const auto maximum = scanner.number(kMaxSampleValue);
        if (!maximum || *maximum == 0) {
            return PictureReadOutcome::BadHeader;
        }
        h.maximum = *maximum;
    }
    return CheckPictureSize(h.width, h.height);
}

// A sample scaled to a grey level; PBM samples are 1 for black.
std::uint8_t level(const NetpbmHeader& h, std::uint32_t sample) {
    if (h.bitmap) {
        return sample != 0 ? 0 : 255;
    }
    return static_cast<std::uint8_t>((sample * 255 + h.maximum / 2) / h.maximum);
}

std::uint8_t pixelLevel(const NetpbmHeader& h, const std::uint32_t* samples) {
    if (h.channels == 1) {
        return level(h, samples[0]);
    }
    return GreyLevel(level(h, samples[0]), level(h, samples[1]), level(h, samples[2]));
}

PictureReadResult readBinary(std::span<const std::uint8_t> file, NetpbmScanner& scanner,
                             const NetpbmHeader& h) {
    const auto start = scanner.binaryStart();
    const std::uint64_t sampleBytes = h.maximum > 255 ? 2 : 1;
    const std::uint64_t rowBytes =
        h.bitmap ? (static_cast<std::uint64_t>(h.width) + 7) / 8
                 : static_cast<std::uint64_t>(h.width) * h.channels * sampleBytes;
    if (!start || (file.size() - *start) / rowBytes < static_cast<std::uint64_t>(h.height)) {
        return {PictureReadOutcome::Truncated, {}};
    }
    PictureReadResult result{PictureReadOutcome::Read,
                             AllocateGrey(static_cast<int>(h.width), static_cast<int>(h.height))};
    std::uint8_t* target = result.image.pixels.data();
    if (!h.bitmap && h.channels == 1 && h.maximum == 255) { // already grey levels
        std::copy_n(file.data() + *start, result.image.pixels.size(), target);
        return result;
    }
    for (std::int64_t y = 0; y < h.height; ++y) {
        const std::uint8_t* row = file.data() + *start + static_cast<std::uint64_t>(y) * rowBytes;
        for (std::int64_t x = 0; x < h.width; ++x) {
            std::uint32_t samples[3] = {};
            if (h.bitmap) {
                samples[0] = (row[x / 8] >> (7 - x % 8)) & 1;
            }
            for (int c = 0; !h.bitmap && c < h.channels; ++c) {
                const std::uint8_t* s = row + (x * h.channels + c) * sampleBytes;
                samples[c] = sampleBytes == 2 ? (std::uint32_t{s[0]} << 8) | s[1] : s[0];
                if (samples[c] > h.maximum) {
                    return {PictureReadOutcome::BadSample, {}};
                }
            }
            *target++ = pixelLevel(h, samples);
        }
    }
    return result;
}

PictureReadResult readText(NetpbmScanner& scanner, const NetpbmHeader& h) {
    // Every sample takes at least one character (a digit), and all but PBM's a blank too: a
    // file too short for that is cut off, and nothing is allocated for it.
    const std::uint64_t minimumBytes =
        static_cast<std::uint64_t>(h.samples()) * (h.bitmap ? 1 : 2) - 1;
    if (scanner.remaining() < minimumBytes) {
        return {PictureReadOutcome::Truncated, {}};
    }
    PictureReadResult result{PictureReadOutcome::Read,
                             AllocateGrey(static_cast<int>(h.width), static_cast<int>(h.height))};
    for (std::uint8_t& target : result.image.pixels) {
        std::uint32_t samples[3] = {};
        for (int c = 0; c < h.channels; ++c) {
            const auto sample = h.bitmap ? scanner.bit() : scanner.number(h.maximum);
            if (!sample) {
                return {scanner.remaining() == 0 ? PictureReadOutcome::Truncated
                                                 : PictureReadOutcome::BadSample,
                        {}};
            }
            samples[c] = *sample;
        }
        target = pixelLevel(h, samples);
    }
    return result;
}

} // namespace

PictureReadResult ReadNetpbmPicture(std::span<const std::uint8_t> file) {
    NetpbmHeader h;
    h.kind = static_cast<char>(file[1]);
    NetpbmScanner scanner(file);
    const PictureReadOutcome outcome = readHeader(scanner, h);
    if (outcome != PictureReadOutcome::Read) {
        return {outcome, {}};
    }
    return h.binary ? readBinary(file, scanner, h) : readText(scanner, h);
}

} // namespace vornix::image::detail
