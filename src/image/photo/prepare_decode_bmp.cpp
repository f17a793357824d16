#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kCoreHeaderBytes = 12;
constexpr std::size_t kInfoHeaderBytes = 40;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// Little-endian fields; bytes past the end of the file read as 0 (the callers check the
// lengths that matter).
std::uint32_t readU32(std::span<const std::uint8_t> f, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(at + i < f.size() ? f[at + i] : 0) << (8 * i);
    }
    return value;
}

std::uint16_t readU16(std::span<const std::uint8_t> f, std::size_t at) {
    return static_cast<std::uint16_t>(readU32(f, at) & 0xFFFF);
}

// One colour channel given by a bit mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            maximum = mask >> shift;
        }
    }
    int level(std::uint32_t pixel) const {
        if (maximum == 0) {
            return 0;
        }
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<int>((value * 255 + maximum / 2) / maximum);
    }
};

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, always positive
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::size_t headerSize = 0;
    std::size_t paletteAt = 0;
    std::size_t paletteEntryBytes = 4;
    std::size_t paletteCount = 0;
    std::array<Channel, 4> channels; // red, green, blue, alpha
};

PictureReadOutcome readLayout(std::span<const std::uint8_t> f, Layout& l) {
    if (f.size() < kFileHeaderBytes + 4) {
        return PictureReadOutcome::Truncated;
    }
    l.headerSize = readU32(f, kFileHeaderBytes);
    if (l.headerSize == kCoreHeaderBytes) {
        l.width = readU16(f, 18);
        l.height = readU16(f, 20);
        l.bits = readU16(f, 24);
        l.paletteEntryBytes = 3;
    } else if (l.headerSize >= kInfoHeaderBytes && l.headerSize <= 1024) {
        l.width = static_cast<std::int32_t>(readU32(f, 18));
        const auto height = static_cast<std::int32_t>(readU32(f, 22));
        l.topDown = height < 0;
        l.height = l.topDown ? -std::int64_t{height} : height;
        l.bits = readU16(f, 28);
        l.compression = readU32(f, 30);
    } else {
        return PictureReadOutcome::BadHeader;
    }
    if (f.size() < kFileHeaderBytes + l.headerSize) {
        return PictureReadOutcome::Truncated;
    }
    if (l.compression != kRgb && !(l.compression == kBitFields && (l.bits == 16 || l.bits == 32))) {
        return PictureReadOutcome::Unsupported;
    }
    l.paletteAt = kFileHeaderBytes + l.headerSize;
    return CheckPictureSize(l.width, l.height);
}

// The bit masks: given after a 40-byte header or inside a larger one for BI_BITFIELDS,
// otherwise 5-5-5 for 16 bits and 8-8-8 for 24 and 32 bits, no alpha.
PictureReadOutcome readMasks(std::span<const std::uint8_t> f, Layout& l) {
    std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    if (l.bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if (l.compression == kBitFields) {
        const std::size_t at = kFileHeaderBytes + kInfoHeaderBytes;
        if (l.headerSize == kInfoHeaderBytes) {
            l.paletteAt += 12; // the three masks follow the header
        }
        if (f.size() < at + 12) {
            return PictureReadOutcome::Truncated;
        }
        for (int i = 0; i < 3; ++i) {
            masks[i] = readU32(f, at + 4 * static_cast<std::size_t>(i));
        }
        masks[3] = l.headerSize >= 56 ? readU32(f, at + 12) : 0;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        l.channels[i] = Channel(masks[i]);
    }
    return PictureReadOutcome::Read;
}

PictureReadOutcome readPalette(std::span<const std::uint8_t> f, const Layout& l,
                               std::vector<std::uint8_t>& greys) {
    const std::size_t full = std::size_t{1} << l.bits;
    std::size_t count = full;
    if (l.headerSize >= kInfoHeaderBytes) {
        const std::uint32_t used = readU32(f, 46);
        count = used != 0 && used < full ? used : full;
    }
    if (f.size() < l.paletteAt + count * l.paletteEntryBytes) {
        return PictureReadOutcome::Truncated;
    }
    greys.assign(full, 0); // indices past the palette show black
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = f.data() + l.paletteAt + i * l.paletteEntryBytes;
        greys[i] = GreyLevel(entry[2], entry[1], entry[0]);
    }
    return PictureReadOutcome::Read;
}

std::uint8_t maskedGrey(const Layout& l, std::uint32_t pixel) {
    const int grey = GreyLevel(l.channels[0].level(pixel), l.channels[1].level(pixel),
                               l.channels[2].level(pixel));
    if (l.channels[3].maximum == 0) {
        return static_cast<std::uint8_t>(grey);
    }
    const int alpha = l.channels[3].level(pixel);
    return static_cast<std::uint8_t>((grey * alpha + 255 * (255 - alpha) + 127) / 255);
}

// One stored row into `width` grey levels; the depth is looked at once per row, not per pixel.
void decodeRow(const Layout& l, const std::uint8_t* row, std::uint8_t* out,
               const std::vector<std::uint8_t>& palette) {
    const std::int64_t width = l.width;
    switch (l.bits) {
    case 1:
        for (std::int64_t x = 0; x < width; ++x) {
            out[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1];
        }
        return;
    case 4:
        for (std::int64_t x = 0; x < width; ++x) {
            out[x] = palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
        }
        return;
    case 8:
        for (std::int64_t x = 0; x < width; ++x) {
            out[x] = palette[row[x]];
        }
        return;
    case 16:
        for (std::int64_t x = 0; x < width; ++x) {
            out[x] =
                maskedGrey(l, std::uint32_t{row[2 * x]} | (std::uint32_t{row[2 * x + 1]} << 8));
        }
        return;
    case 24:
        for (std::int64_t x = 0; x < width; ++x, row += 3) {
            out[x] = GreyLevel(row[2], row[1], row[0]);
        }
        return;
    default:
        for (std::int64_t x = 0; x < width; ++x, row += 4) {
            out[x] =
                maskedGrey(l, std::uint32_t{row[0]} | (std::uint32_t{row[1]} << 8) |
                                  (std::uint32_t{row[2]} << 16) | (std::uint32_t{row[3]} << 24));
        }
        return;
    }
}

} // namespace

PictureReadResult ReadBitmapPicture(std::span<const std::uint8_t> file) {
    Layout l;
    PictureReadOutcome outcome = readLayout(file, l);
    if (outcome != PictureReadOutcome::Read) {
        return {outcome, {}};
    }
    std::vector<std::uint8_t> palette;
    if (l.bits == 1 || l.bits == 4 || l.bits == 8) {
        outcome = readPalette(file, l, palette);
    } else if (l.bits == 16 || l.bits == 24 || l.bits == 32) {
        outcome = readMasks(file, l);
    } else {
        outcome = PictureReadOutcome::Unsupported;
    }
    if (outcome != PictureReadOutcome::Read) {
        return {outcome, {}};
    }
    const std::uint64_t offset = readU32(file, 10);
    const auto stride = static_cast<std::uint64_t>((l.width * l.bits + 31) / 32 * 4);
    if (offset > file.size() ||
        (file.size() - offset) / stride < static_cast<std::uint64_t>(l.height)) {
        return {PictureReadOutcome::Truncated, {}};
    }
    PictureReadResult result{PictureReadOutcome::Read,
                             AllocateGrey(static_cast<int>(l.width), static_cast<int>(l.height))};
    std::uint8_t* target = result.image.pixels.data();
    for (std::int64_t y = 0; y < l.height; ++y) {
        const std::int64_t stored = l.topDown ? y : l.height - 1 - y;
        const std::uint8_t* row =
            file.data() + offset + static_cast<std::uint64_t>(stored) * stride;
        decodeRow(l, row, target, palette);
        target += l.width;
    }
    return result;
}

} // namespace vornix::image::detail
