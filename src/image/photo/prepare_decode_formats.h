#pragma once

// The readers behind ReadGreyPicture, one per family of formats.
#include <cstdint>
#include <span>

#include "image/photo/prepare_decode.h"

namespace vornix::image::detail {

// A file that starts with "BM".
PictureReadResult ReadBitmapPicture(std::span<const std::uint8_t> file);

// A file that starts with "P1" to "P6".
PictureReadResult ReadNetpbmPicture(std::span<const std::uint8_t> file);

// A PNG file (signature 89 "PNG" 0D 0A 1A 0A), through libpng.
PictureReadResult ReadPngPicture(std::span<const std::uint8_t> file);

// A JPEG file (FF D8 FF), through libjpeg-turbo; at a reduced size when `needed` allows it.
PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> file, const NeededSize& needed);

// A GIF file ("GIF87a" or "GIF89a"), through giflib: its frames in order, each composed on the
// picture's canvas as the animation shows it, handed to `take` until it returns false.
PictureReadOutcome ReadGifFrames(std::span<const std::uint8_t> file, const FrameSink& take);

// A WebP file ("RIFF", a size, "WEBP"), through libwebp; a still picture only.
PictureReadResult ReadWebpPicture(std::span<const std::uint8_t> file);

// A colour laid on white by its opacity, as a grey level (alpha 255: opaque).
inline std::uint8_t GreyOnWhite(int red, int green, int blue, int alpha) {
    const int grey = GreyLevel(red, green, blue);
    return static_cast<std::uint8_t>((grey * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Fills `grey`'s pixels from RGBA samples, four bytes a pixel in the same order, each laid on
// white by its opacity.
inline void GreyFromRgbaOnWhite(const std::uint8_t* rgba, GreyImage& grey) {
    for (std::uint8_t& level : grey.pixels) {
        level = GreyOnWhite(rgba[0], rgba[1], rgba[2], rgba[3]);
        rgba += 4;
    }
}

// A grey picture of the given size, all black, once the size is known to be allowed.
GreyImage AllocateGrey(int width, int height);

// The outcome for a picture size: BadHeader for a side below 1, TooLarge past the limits,
// Read when it may be allocated.
PictureReadOutcome CheckPictureSize(std::int64_t width, std::int64_t height);

} // namespace vornix::image::detail
