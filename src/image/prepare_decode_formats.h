#pragma once

// The readers behind ReadGreyPicture, one per family of formats.
#include <cstdint>
#include <span>

#include "image/prepare_decode.h"

namespace vornix::image::detail {

// A file that starts with "BM".
PictureReadResult ReadBitmapPicture(std::span<const std::uint8_t> file);

// A file that starts with "P1" to "P6".
PictureReadResult ReadNetpbmPicture(std::span<const std::uint8_t> file);

// A grey picture of the given size, all black, once the size is known to be allowed.
GreyImage AllocateGrey(int width, int height);

// The outcome for a picture size: BadHeader for a side below 1, TooLarge past the limits,
// Read when it may be allocated.
PictureReadOutcome CheckPictureSize(std::int64_t width, std::int64_t height);

} // namespace vornix::image::detail
