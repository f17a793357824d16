#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "image/picture/byte_sink.h"
#include "image/picture/format_io.h"
#include "image/picture/packed_picture.h"

namespace vornix::image {

// The picture as a binary portable bitmap (P4): "P4\nW H\n", then the rows, each ceil(W/8)
// bytes with the leftmost pixel in the high bit and a set bit dark, which is the panel's own
// order. False when the sink refuses a write or the picture is empty.
bool WritePbm(const PackedPicture& picture, ByteSink& sink);

enum class PbmReadError {
    None,
    NotPbm,     // no "P1" or "P4" at the start
    BadHeader,  // a side missing, not a number, below 1, or the picture too large
    ShortData,  // fewer pixels than the header promises
    BadPixel,   // a plain (P1) pixel other than 0 or 1
};
std::string_view describe(PbmReadError error);

struct PbmRead {
    std::optional<PackedPicture> picture;
    PbmReadError error = PbmReadError::None;
};

// The table of formats' reader and writer (the options are not used).
PanelPictureRead ReadPbmPicture(std::span<const std::uint8_t> bytes, const ReadOptions& options);
bool WritePbmPicture(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink);

// Reads a portable bitmap, binary (P4) or plain (P1), with comments in its header. Bytes after
// the first picture are ignored. The sides are bounded by kMaxPicturePixels before any memory
// is taken.
PbmRead ReadPbm(std::span<const std::uint8_t> bytes);

} // namespace vornix::image
