#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vornix::image {

// The most frames of an animated GIF that "--frames all" writes.
inline constexpr int kMaxGifFrames = 1000;

enum class GifWalk {
    Counted,       // the blocks lead to the trailer
    NotGif,        // the file does not start "GIF87a" or "GIF89a"
    TooManyFrames, // more than kMaxGifFrames image blocks; the walk stops at the first too many
    Damaged,       // the file ends before the trailer, or a block is of no known kind
};

struct GifFrameCount {
    GifWalk outcome = GifWalk::NotGif;
    int frames = 0; // whole image blocks before the trailer or the damage
};

// Counts the frames of a GIF file from its block structure alone, without decoding a pixel:
// header, logical screen and its colour table, then extension blocks and image blocks (with
// their own colour tables and the sub-blocks of their pixel codes) up to the trailer. The
// bytes after the trailer are not looked at. Reads each byte at most once and allocates
// nothing, so any file is walked in time proportional to its size.
GifFrameCount CountGifFrames(std::span<const std::uint8_t> file);

// A short description of an outcome, for the command line ("the GIF has more than 1000
// frames").
std::string_view describe(GifWalk outcome);

} // namespace vornix::image
