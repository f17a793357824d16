#include "image/picture/picture_formats.h"

#include <algorithm>
#include <cctype>

#include "image/files/bounded_read.h"
#include "image/picture/panel_picture.h"
#include "image/picture/pbm_format.h"
#include "image/picture/raw_format.h"
#include "image/picture/source_reader.h"

namespace vornix::image {
namespace {

LayoutChoice ChosenLayout(const SourceOptions& options) { return options.layout; }
LayoutChoice PanelRows(const SourceOptions& /*options*/) {
    return {ByteLayout::RowsHighBitFirst, InkBit::Dark};
}
LayoutChoice X11Rows(const SourceOptions& /*options*/) {
    return {ByteLayout::RowsLowBitFirst, InkBit::Dark};
}

// Files of firmware source: far above any picture's text (an 8192 x 8192 picture is 52 MB of
// hex literals), and a bound on what one file can cost.
constexpr std::size_t kMaxSourceBytes = std::size_t{256} << 20;

constexpr std::array<FormatEntry, 6> kFormats{{
    {PictureFormat::Pxl, "pxl", "PXL text", {".pxl", ""}, "@,", false, false, true,
     kMaxDownloadTextBytes, ReadPxlPicture, WritePxlPicture, PanelRows},
    {PictureFormat::Bitmap, "bmp", "One-bit BMP", {".bmp", ""}, "BM", false, false, false,
     kMaxBitmapFileBytes, ReadBitmapPicture, WriteBitmapPicture, PanelRows},
    {PictureFormat::CSource, "c", "C source", {".c", ".h"}, "", true, true, true,
     kMaxSourceBytes, ReadCSourcePicture, WriteCSourcePicture, ChosenLayout},
    {PictureFormat::Xbm, "xbm", "X11 bitmap", {".xbm", ""}, "#define", false, true, true,
     kMaxSourceBytes, ReadXbmPicture, WriteXbmPicture, X11Rows},
    {PictureFormat::Pbm, "pbm", "Portable bitmap", {".pbm", ""}, "P", false, false, false,
     kMaxPreparedFileBytes, ReadPbmPicture, WritePbmPicture, PanelRows},
    {PictureFormat::Raw, "bin", "Raw bytes", {".bin", ""}, "", true, false, false,
     kMaxSourceBytes, ReadRawPicture, WriteRawPicture, ChosenLayout},
}};

constexpr std::array<FirmwarePreset, 5> kPresets{{
    {"panel",
     {ByteLayout::RowsHighBitFirst, InkBit::Dark},
     Literal::Hex,
     "",
     "row-addressed controllers that take 8 pixels a byte, leftmost in the high bit, row after "
     "row from the top left: this LCD's own controller"},
    {"pages",
     {ByteLayout::PagesLowBitTop, InkBit::Dark},
     Literal::Hex,
     "",
     "page-addressed controllers: memory in pages of 8 rows, each byte a column of 8 pixels "
     "with the top one in the low bit, as most small OLED and LCD modules of 128 x 64 and "
     "similar keep it"},
    {"x11",
     {ByteLayout::RowsLowBitFirst, InkBit::Dark},
     Literal::Hex,
     "",
     "X11 bitmaps and the tools that take them: rows with the leftmost pixel in the low bit"},
    {"mcu",
     {ByteLayout::RowsHighBitFirst, InkBit::Dark},
     Literal::Hex,
     "PROGMEM",
     "the bitmap call of common microcontroller graphics libraries: rows from the top, the "
     "leftmost pixel in the high bit, the array kept in program memory"},
    {"columns",
     {ByteLayout::Columns, InkBit::Dark},
     Literal::Hex,
     "",
     "column-addressed memory and vertical font tables: each column from the top, 8 rows a "
     "byte, the top pixel in the high bit"},
}};

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    if (end.empty() || text.size() < end.size()) {
        return false;
    }
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

} // namespace

std::span<const FormatEntry> PictureFormats() { return kFormats; }

const FormatEntry& FormatEntryOf(PictureFormat format) {
    for (const FormatEntry& entry : kFormats) {
        if (entry.format == format) {
            return entry;
        }
    }
    return kFormats.front();
}

const FormatEntry* FormatNamed(std::string_view name) {
    for (const FormatEntry& entry : kFormats) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

const FormatEntry* FormatOfFileName(std::string_view path) {
    for (const FormatEntry& entry : kFormats) {
        for (const std::string_view ending : entry.endings) {
            if (EndsWithNoCase(path, ending)) {
                return &entry;
            }
        }
    }
    return nullptr;
}

std::span<const FirmwarePreset> FirmwarePresets() { return kPresets; }

const FirmwarePreset* FirmwarePresetNamed(std::string_view name) {
    for (const FirmwarePreset& preset : kPresets) {
        if (preset.name == name) {
            return &preset;
        }
    }
    return nullptr;
}

} // namespace vornix::image
