#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "image/byte_layout.h"
#include "image/source_writer.h"

namespace vornix::image {

// Every form a picture can be kept in. The table below is the one list of them: the window,
// the command line and the batch find a format, its endings and what it can do there.
enum class PictureFormat {
    Pxl,     // the panel's PXL text
    Bitmap,  // a one-bit BMP
    CSource, // a C array for firmware to compile in
    Xbm,     // an X11 bitmap
    Pbm,     // a portable bitmap
    Raw,     // the bytes alone, in a byte layout
};

struct FormatEntry {
    PictureFormat format;
    std::string_view name;                  // as --to takes it: "pxl", "bmp", "c", ...
    std::string_view title;                 // as a dialog lists it
    std::array<std::string_view, 2> endings; // lower case, the first one proposed
    std::string_view firstBytes;            // what a file of this kind starts with, if fixed
    bool canRead;
    bool canWrite;
    bool takesLayout; // the byte layout and set = dark / light apply
    bool takesName;   // the picture has a C name
};

std::span<const FormatEntry> PictureFormats();
const FormatEntry& FormatEntryOf(PictureFormat format);
// The format with this --to name; nullptr for any other.
const FormatEntry* FormatNamed(std::string_view name);
// The format a file name's ending says (".BMP", ".h", ".Pxl": any case); nullptr when the
// ending belongs to none.
const FormatEntry* FormatOfFileName(std::string_view path);

// A layout and literal form in one word, for a family of controllers.
struct FirmwarePreset {
    std::string_view name;
    LayoutChoice layout;
    Literal literal;
    std::string_view placement; // written after the array's declarator
    std::string_view fits;      // the controllers it fits, by how they address memory
};

std::span<const FirmwarePreset> FirmwarePresets();
const FirmwarePreset* FirmwarePresetNamed(std::string_view name);

} // namespace vornix::image
