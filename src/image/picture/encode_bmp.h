#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "image/picture/bitmap_header.h"
#include "image/picture/byte_sink.h"
#include "image/picture/pxl_field_stream.h"
#include "image/picture/pxl_fields.h"

namespace vornix::image {

enum class EncodeOutcome {
    Converted,
    MissingHeaderField,  // the text ends before the marker, W, H or B
    BadHeaderNumber,     // W, H or B is not a whole number within -32768..32767
    ZeroPixelsPerValue,  // B is 0
    BadPixelsPerValue,   // B is negative or above 8: no byte holds that many pixels
    WidthTooLarge,       // W + 7 exceeds 32767
    RowLongerThanStride, // more values per row than a bitmap row holds (only when B < 8)
    NegativeRowStride,   // a width below -62, whose bitmap row length is negative
    NegativeHeight,      // H < 0
    MissingValue,        // the text ends before H rows of values have been read
    EmptyValue,          // a data field with no characters (no suffix to drop)
    ValueOutOfRange,     // a data value above 255 (1FFh, FFFFh)
    FieldTooLong,        // a field longer than kMaxPxlFieldLength: the text is malformed
    OutputFailed,        // the sink refused a write; its content is then incomplete
};

inline constexpr std::size_t kMaxBitmapPerTextFactor = 2;
inline constexpr std::size_t kMaxBitmapOverText = 58;

struct EncodeResult {
    EncodeOutcome outcome = EncodeOutcome::MissingHeaderField;
    // W, H and B, once all three have been read.
    std::optional<PxlHeader> pxlHeader;
    // Values read per row, ValuesPerRow(W, B), once B is known not to be 0.
    std::optional<std::int16_t> bytesPerRow;
    // True once W, H, B and the row length are known: `header` and `colorTable` then hold the
    // values of the bitmap (also when the conversion fails later, so they can be shown).
    bool headerComputed = false;
    BitmapHeader header;
    ColorTableBytes colorTable{};

    bool converted() const { return outcome == EncodeOutcome::Converted; }
};

// The bytes at offset 54 of every bitmap written here: colour 0 black, colour 1 white, then
// eight bytes of filler.
inline constexpr ColorTableBytes kEncodedColorTable = {
    0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};

// Turns PXL text back into a 1-bit bitmap file, written to `bmpOut`. Reads the first field
// (the marker, not checked here: callers test it with HasPxlMarker), then W, H, B, then
// ValuesPerRow(W, B) values for each of H rows, top row first; values after the last one
// needed are ignored. The file is a 70-byte header (pixel data at offset 70, the colour
// table kEncodedColorTable), then the rows bottom row first, each (((W + 7) / 8) + 3) / 4 * 4
// bytes: the row's values inverted (a dark pixel becomes colour 0, black), then bytes FF.
//
// Output is written only after every value has been read, so on every failure except
// OutputFailed the sink has received nothing. Memory stays within the size of the text plus
// one chunk of output.
//
// The bitmap never amplifies its text: a converted bitmap is at most
// kMaxBitmapPerTextFactor times as long as the PXL text plus kMaxBitmapOverText bytes (the
// arithmetic is beside the check on B in encode_bmp.cpp).
EncodeResult ConvertPxlToBitmap(std::string_view pxlText, ByteSink& bmpOut);

// The same conversion of text that arrives in pieces: the result and the bytes written are
// those of ConvertPxlToBitmap(text, bmpOut) for the whole text. Memory stays within one block of
// text, the values (one byte per value read) and one chunk of output.
EncodeResult ConvertPxlToBitmap(PxlTextSource& pxlText, ByteSink& bmpOut);

// The same conversion with the whole file returned.
struct EncodedBmp {
    EncodeResult result;
    std::vector<std::uint8_t> bytes; // empty unless converted
};
EncodedBmp ConvertPxlToBitmap(std::string_view pxlText);

// A short description of an outcome in the product's terms, for logs and the command line.
std::string_view describe(EncodeOutcome outcome);

} // namespace vornix::image
