#include "image/photo/gif_frame_count.h"

#include <algorithm>
#include <cstddef>

namespace vornix::image {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kScreenSize = 7;
constexpr std::size_t kDescriptorSize = 9; // after the separator
constexpr std::uint8_t kTableFlag = 0x80;

// Walks the bytes of a file forward; every step fails once the file has ended.
class Walker {
public:
    explicit Walker(std::span<const std::uint8_t> file) : m_file(file) {}

    bool skip(std::size_t count) {
        if (m_file.size() - m_pos < count) {
            return false;
        }
        m_pos += count;
        return true;
    }
    bool byte(std::uint8_t& value) {
        if (m_pos >= m_file.size()) {
            return false;
        }
        value = m_file[m_pos++];
        return true;
    }
    // A colour table flagged in `packed`: 3 bytes for each of 2^(size + 1) colours.
    bool skipColourTable(std::uint8_t packed) {
        return (packed & kTableFlag) == 0 || skip(std::size_t{3} << ((packed & 0x07) + 1));
    }

    // Data sub-blocks: a length byte and so many bytes, up to a length of 0.
    bool skipSubBlocks() {
        for (;;) {
            std::uint8_t length = 0;
            if (!byte(length)) {
                return false;
            }
            if (length == 0) {
                return true;
            }
            if (!skip(length)) {
                return false;
            }
        }
    }

private:
    std::span<const std::uint8_t> m_file;
    std::size_t m_pos = 0;
};

bool isGifHeader(std::span<const std::uint8_t> file) {
    constexpr std::string_view kVersions[] = {"GIF87a", "GIF89a"};
    if (file.size() < kHeaderSize) {
        return false;
    }
    for (const std::string_view version : kVersions) {
        if (std::equal(version.begin(), version.end(), file.begin(),
                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; })) {
            return true;
        }
    }
    return false;
}

// One image block after its separator: descriptor, own colour table, code size, codes.
bool skipImage(Walker& walker) {
    std::uint8_t packed = 0;
    return walker.skip(kDescriptorSize - 1) && walker.byte(packed) &&
           walker.skipColourTable(packed) && walker.skip(1) && walker.skipSubBlocks();
}

} // namespace

GifFrameCount CountGifFrames(std::span<const std::uint8_t> file) {
    GifFrameCount count;
    if (!isGifHeader(file)) {
        return count;
    }
    count.outcome = GifWalk::Damaged;
    Walker walker(file);
    std::uint8_t screenPacked = 0;
    // The screen's width and height, then its flags, background colour and aspect ratio.
    if (!walker.skip(kHeaderSize + 4) || !walker.byte(screenPacked) ||
        !walker.skip(kScreenSize - 5) || !walker.skipColourTable(screenPacked)) {
        return count;
    }
    for (;;) {
        std::uint8_t introducer = 0;
        if (!walker.byte(introducer)) {
            return count;
        }
        if (introducer == kTrailer) {
            count.outcome = GifWalk::Counted;
            return count;
        }
        if (introducer == kExtensionIntroducer) {
            if (!walker.skip(1) || !walker.skipSubBlocks()) { // the label, then its data
                return count;
            }
            continue;
        }
        if (introducer != kImageSeparator || !skipImage(walker)) {
            return count;
        }
        if (++count.frames > kMaxGifFrames) {
            count.outcome = GifWalk::TooManyFrames;
            return count;
        }
    }
}

std::string_view describe(GifWalk outcome) {
    switch (outcome) {
    case GifWalk::Counted:
        return "the GIF's frames were counted";
    case GifWalk::NotGif:
        return "the file is not a GIF";
    case GifWalk::TooManyFrames:
        return "the GIF has more than 1000 frames";
    case GifWalk::Damaged:
        return "the picture's data is damaged";
    }
    return "the GIF could not be read";
}

} // namespace vornix::image
