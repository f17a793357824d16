#pragma once

#include "image/picture/format_io.h"

namespace vornix::image {

// Raw bytes: the picture's bytes alone, in the chosen byte layout, nothing before or after.
// Reading needs the size and the layout; the byte count must be the layout's size exactly.
PanelPictureRead ReadRawPicture(std::span<const std::uint8_t> bytes, const ReadOptions& options);
bool WriteRawPicture(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink);

} // namespace vornix::image
