// WebP still pictures through libwebp.
#include <cstddef>
#include <vector>

#include <webp/decode.h>

#include "image/photo/prepare_buffer.h"
#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

PictureReadResult ReadWebpPicture(std::span<const std::uint8_t> file) {
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK) {
        return {PictureReadOutcome::Damaged, {}};
    }
    if (const auto size = CheckPictureSize(features.width, features.height);
        size != PictureReadOutcome::Read) {
        return {size, {}};
    }
    if (features.has_animation != 0) {
        return {PictureReadOutcome::Unsupported, {}};
    }
    const std::size_t pixels =
        static_cast<std::size_t>(features.width) * static_cast<std::size_t>(features.height);
    std::vector<std::uint8_t> colours = LargeBuffer(pixels * 4);
    if (WebPDecodeRGBAInto(file.data(), file.size(), colours.data(), colours.size(),
                           features.width * 4) == nullptr) {
        return {PictureReadOutcome::Damaged, {}};
    }
    PictureReadResult result{PictureReadOutcome::Read,
                             AllocateGrey(features.width, features.height)};
    GreyFromRgbaOnWhite(colours.data(), result.image);
    return result;
}

} // namespace vornix::image::detail
