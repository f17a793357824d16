#pragma once

#include <string>

#include "convert_options.h"
#include "firmware_options.h"
#include "image/picture/packed_picture.h"
#include "image/picture/panel_picture.h"
#include "image/picture/picture_formats.h"

namespace vornix::cli {

// Reads the picture in `path` pixel for pixel: a one-bit BMP or PXL text as the panel shows
// it, a C array, an X11 bitmap, a PBM, raw bytes (their layout and size from `firmware`).
// The failure is the reason to print after the file's name.
image::PanelPictureRead ReadPanelPicture(const std::string& path, image::PictureFormat format,
                                         const FirmwareArgs& firmware);

// Writes the picture to `path` in `format`; "" or the reason ("PATH: No space left on
// device"), with `path` left as it was.
std::string WritePackedFile(const image::PackedPicture& picture, const std::string& path,
                            image::PictureFormat format, const FirmwareArgs& firmware);

// The format INPUT is read in: its ending's, or raw bytes when --in-size is given for a name
// of no known ending.
std::optional<image::PictureFormat> InputFormat(const PreparedArgs& request,
                                                const std::string& input);

// True when convert copies the picture pixel for pixel: no option reshapes pixels, INPUT is a
// named file of a format in the table, and INPUT or OUTPUT is a firmware format.
bool ReadsExactly(const PreparedArgs& request, const std::string& input,
                  const std::string& output);

// convert INPUT OUTPUT pixel for pixel; the exit code.
int RunExactConvert(const PreparedArgs& request, const std::string& input,
                    const std::string& output);

} // namespace vornix::cli
