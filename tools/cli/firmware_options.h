#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "image/picture/byte_layout.h"
#include "image/picture/picture_formats.h"
#include "image/photo/prepare_geometry.h"
#include "image/picture/source_writer.h"

namespace vornix::cli {

// convert's options for the firmware formats: the shape of C source and raw bytes written, and
// what a C array or raw bytes read hold.
struct FirmwareArgs {
    image::SourceOptions source; // its name is set per output unless --name was given
    bool nameGiven = false;
    // Reading C source and raw bytes: the layout (else the written one) and the size (else, for
    // C source, what the file says).
    std::optional<image::LayoutChoice> inLayout;
    std::optional<image::PictureSize> inSize;
};

// True for the options below that take a value: --layout, --set, --preset, --name,
// --values-per-line, --literal, --placement, --in-layout, --in-set, --in-size.
bool IsFirmwareOption(std::string_view name);
// Applies one of them; false when the value is not one it takes.
bool ApplyFirmwareOption(std::string_view name, std::string_view value, FirmwareArgs& args);
// --draw-pixels, --no-static, --no-const: true when `arg` is one of them (and applies it).
bool ApplyFirmwareFlag(std::string_view arg, FirmwareArgs& args);

// The C form for one output: --name, or an identifier made from the output's file name.
image::SourceOptions SourceOptionsFor(const FirmwareArgs& args, const std::string& output);
// The layout a C array or raw bytes are read in.
image::LayoutChoice InputLayout(const FirmwareArgs& args);

// The formats that only the table brings: C source, X11 bitmaps, PBM, raw bytes.
bool IsFirmwareFormat(image::PictureFormat format);

} // namespace vornix::cli
