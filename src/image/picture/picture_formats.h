#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "image/picture/byte_layout.h"
#include "image/picture/format_io.h"
#include "image/picture/source_writer.h"

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

// One row of the table: a format's names, what it takes, and its reader and writer. Adding a
// format is one file with its reader and writer, one row here, and its tests.
struct FormatEntry {
    PictureFormat format;
    std::string_view name;                   // as --to takes it: "pxl", "bmp", "c", ...
    std::string_view title;                  // as a dialog lists it
    std::array<std::string_view, 2> endings; // lower case, the first one proposed
    std::string_view firstBytes;             // what a file of this kind starts with, if fixed
    bool takesLayout;   // the byte layout and set = dark / light apply
    bool takesName;     // the picture has a C name
    bool isText;        // shown as it is; the others as a hex dump
    std::size_t maxBytes; // the largest file read
    FormatReader read;  // nullptr when the format is not read
    FormatWriter write; // nullptr when it is not written
    // The layout its values follow: the chosen one, or the format's own.
    LayoutChoice (*layoutOf)(const SourceOptions& options);

    bool canRead() const { return read != nullptr; }
    bool canWrite() const { return write != nullptr; }
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
