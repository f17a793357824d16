#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/packed_picture.h"
#include "image/prepare_image.h"

namespace vornix::image {

// A picture as the panel shows it, or why there is none.
struct PanelPictureRead {
    std::optional<PackedPicture> picture;
    std::string failure; // the reason, in the words the conversions use
};

// The pixels a one-bit bitmap gives the panel: what its PXL text holds (a colour index 0 is a
// dark pixel; the colour table is not consulted), row for row. The bitmap is checked as
// ConvertBitmapToPxl checks it; a picture without pixels is refused.
PanelPictureRead PictureFromBitmap(std::span<const std::uint8_t> file);

// The pixels of PXL text, read as ConvertPxlToBitmap reads it.
PanelPictureRead PictureFromPxl(std::string_view text);

// The picture as grey levels, dark 0 and light 255, for the photo preparation steps.
GreyImage GreyFromPacked(const PackedPicture& picture);

} // namespace vornix::image
