// The photo formats in the Windows build: it has none of the readers' libraries yet, so a PNG,
// JPEG, GIF or WebP picture is refused with words that say so, before anything is written.
// Bitmaps, PBM, PGM and PPM pictures and PXL text are read as everywhere.
#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

PictureReadResult ReadPngPicture(std::span<const std::uint8_t> /*file*/) {
    return {PictureReadOutcome::NoPhotoReader, {}};
}

PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> /*file*/,
                                  const NeededSize& /*needed*/) {
    return {PictureReadOutcome::NoPhotoReader, {}};
}

PictureReadOutcome ReadGifFrames(std::span<const std::uint8_t> /*file*/,
                                 const FrameSink& /*take*/) {
    return PictureReadOutcome::NoPhotoReader;
}

PictureReadResult ReadWebpPicture(std::span<const std::uint8_t> /*file*/) {
    return {PictureReadOutcome::NoPhotoReader, {}};
}

} // namespace vornix::image::detail
