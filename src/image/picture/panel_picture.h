#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/picture/format_io.h"
#include "image/picture/packed_picture.h"
#include "image/photo/prepare_image.h"

namespace vornix::image {

// The pixels a one-bit bitmap gives the panel: what its PXL text holds (a colour index 0 is a
// dark pixel; the colour table is not consulted), row for row. The bitmap is checked as
// ConvertBitmapToPxl checks it; a picture without pixels is refused.
PanelPictureRead PictureFromBitmap(std::span<const std::uint8_t> file);

// The pixels of PXL text, read as ConvertPxlToBitmap reads it.
PanelPictureRead PictureFromPxl(std::string_view text);

// The PXL text and the one-bit BMP as the table of formats reads and writes them: text
// without the "@" marker is refused; writing goes through MonoPxlText and MonoBitmapBytes, so
// that a picture gives the bytes the window's conversions give.
PanelPictureRead ReadPxlPicture(std::span<const std::uint8_t> bytes, const ReadOptions& options);
bool WritePxlPicture(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink);
PanelPictureRead ReadBitmapPicture(std::span<const std::uint8_t> bytes,
                                   const ReadOptions& options);
bool WriteBitmapPicture(const PackedPicture& picture, const SourceOptions& options,
                        ByteSink& sink);

// The picture as grey levels, dark 0 and light 255, for the photo preparation steps.
GreyImage GreyFromPacked(const PackedPicture& picture);

} // namespace vornix::image
