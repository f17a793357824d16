#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "image/picture/byte_layout.h"
#include "image/picture/byte_sink.h"
#include "image/picture/packed_picture.h"
#include "image/picture/source_writer.h"

namespace vornix::image {

// A picture as the panel shows it, or why there is none.
struct PanelPictureRead {
    std::optional<PackedPicture> picture;
    std::string failure; // the reason, in the words the conversions use
};

// What a reader needs besides the bytes: the size and the layout of C arrays and raw bytes.
// A side of 0 is taken from the file where the format can say it.
struct ReadOptions {
    int width = 0;
    int height = 0;
    LayoutChoice layout;
};

// The two functions each format gives the table of formats: read a whole file, and write a
// picture with the shape options (the C name, the layout ...) the format takes.
using FormatReader = PanelPictureRead (*)(std::span<const std::uint8_t> bytes,
                                          const ReadOptions& options);
using FormatWriter = bool (*)(const PackedPicture& picture, const SourceOptions& options,
                              ByteSink& sink);

} // namespace vornix::image
