#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "image/picture/packed_picture.h"
#include "image/picture/picture_formats.h"
#include "image/picture/source_writer.h"

namespace vornix::image {

// What the Export dialog writes: a format and, for C source and raw bytes, the shape options.
struct ExportChoice {
    PictureFormat format = PictureFormat::CSource;
    SourceOptions source; // the name and the C form; layout also for raw bytes
};

// Writes the picture in the chosen format to `sink`; false when the sink refuses a write or
// the picture cannot be written there (an empty picture, a bad name).
bool WritePicture(const PackedPicture& picture, const ExportChoice& choice, ByteSink& sink);

// The picture's whole output in the chosen format; empty when it cannot be written there (an
// empty picture, a bad name, a one-bit BMP, which has its own command).
std::string ExportOutput(const PackedPicture& picture, const ExportChoice& choice);

// The byte layout that the output's values follow: the chosen one for C source and raw bytes,
// rows with the low bit leftmost for X11 bitmaps, the panel's own rows for PXL and PBM.
LayoutChoice ExportLayout(const ExportChoice& choice);

// True when the output is text to show as it is; raw bytes and PBM are shown as a hex dump.
bool ExportIsText(PictureFormat format);

// The first lines of an output as the dialog shows them, and where each value begins in that
// text: valueStarts[i] is the offset of the i-th byte of the layout.
struct ExportPreview {
    std::string text;
    std::vector<std::size_t> valueStarts;
    bool truncated = false; // more lines follow
};
ExportPreview PreviewOf(const std::string& output, PictureFormat format, std::size_t maxLines);

} // namespace vornix::image
