#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/prepare_geometry.h"
#include "image/prepare_image.h"

namespace vornix::cli {

// True when the arguments of convert hold one of the picture options (--fit, --size, --rotate,
// --flip, --threshold, --dither, --invert) before a "--". Convert then reads any picture
// (RunPreparedConvert); without them it keeps to 1-bit bitmaps and PXL files.
bool HasPrepareOptions(const std::vector<std::string>& args);

// vornix-cli convert [options] INPUT OUTPUT: INPUT is a bitmap of any depth, a PBM, PGM or PPM
// picture, or a PXL file; it is turned, scaled, thresholded or dithered as the options say and
// written as OUTPUT.pxl or OUTPUT.bmp (a 1-bit bitmap). Exit 2 for a usage error (nothing is
// read), 1 when INPUT cannot be read or OUTPUT cannot be written (OUTPUT is then untouched).
int RunPreparedConvert(const std::vector<std::string>& args);

// "WxH" with both sides 1..kMaxPreparedSide and at most kMaxPicturePixels pixels ("240x128");
// nullopt otherwise.
std::optional<image::PictureSize> ParsePictureSize(std::string_view text);

// Writes the picture to `path` as PXL text or as a 1-bit bitmap, by the path's ending (which
// the caller has checked), as an image::OutputFile delivers it. Returns the exit code; on
// failure the message is printed and a file at `path` is left as it was.
int WriteMonoPicture(const image::MonoImage& picture, const std::string& path);

// A usage error of `command`: the reason and the usage text on stderr. Returns kExitUsage.
int UsageError(std::string_view command, std::string_view reason);

} // namespace vornix::cli
