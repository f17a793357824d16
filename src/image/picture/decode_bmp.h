#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/picture/bitmap_header.h"
#include "image/picture/byte_sink.h"

namespace vornix::image {

// What became of a bitmap handed to ConvertBitmapToPxl. The first two are refusals the user is told
// about; the others are failures that end the conversion without a message.
enum class DecodeOutcome {
    Converted,
    NotBitmap,          // the first two bytes are not exactly "BM"
    NotMonochrome,      // biBitCount is not 1
    RowLengthOverflow,  // the padded row length exceeds 32767 bytes
    NegativeRowLength,  // a negative width that gives a negative padded row length
    NegativeHeight,     // biHeight < 0 (a top-down bitmap)
    TooManyRows,        // rows of no bytes but more than 32767 of them (see ConvertBitmapToPxl)
    BadPixelOffset,     // bfOffBits < 0 while there are pixel bytes to read
    PixelDataTruncated, // the file ends before the last byte of the last pixel row
    OutputFailed,       // the sink refused a write; its content is then incomplete
};

struct DecodeResult {
    DecodeOutcome outcome = DecodeOutcome::NotBitmap;
    // The headers and the sixteen bytes after them as read: always filled, also after a
    // refusal or a failure, so that the information text can describe the file.
    BitmapHeader header;
    ColorTableBytes colorTable{};
    // The padded length of one stored pixel row in bytes, (((W + 7) / 8) + 3) / 4 * 4, once
    // it has been computed and fits 16 bits (from NegativeRowLength on; never for refusals).
    std::optional<std::int16_t> bytesPerRow;

    bool converted() const { return outcome == DecodeOutcome::Converted; }
    bool refused() const {
        return outcome == DecodeOutcome::NotBitmap || outcome == DecodeOutcome::NotMonochrome;
    }
};

// Converts the bytes of a 1-bit bitmap file into PXL text, written to `pxlOut` in chunks of
// about 1 MiB: the header line "@,W,H,8", then one line per picture row from the top, each
// byte of the row inverted (a colour index 0 becomes a dark pixel) and written as "0XXh",
// ceil(W / 8) values per line, CR LF after every line. Padding bits of the last byte are
// inverted with it, unmasked. The colour table is never consulted.
//
// A file shorter than 70 bytes reads as if padded with zeros. The pixel rows start at
// bfOffBits, bottom row first, each (((W + 7) / 8) + 3) / 4 * 4 bytes long; all of them must
// lie inside the file, which is checked before any output. Nothing is allocated in
// proportion to the width or height the header claims. A picture with rows of no bytes
// (W in -62..0) writes an empty line per row; more than 32767 such rows are refused as
// TooManyRows, since gigabytes of empty lines would come from a few bytes of file.
//
// On OutputFailed the sink holds an incomplete text; on every other outcome but Converted
// nothing has been written to it.
DecodeResult ConvertBitmapToPxl(std::span<const std::uint8_t> file, ByteSink& pxlOut);

// The same conversion with the whole text returned: for small pictures, tests and tools.
struct DecodedPxl {
    DecodeResult result;
    std::string text; // empty unless converted
};
DecodedPxl ConvertBitmapToPxl(std::span<const std::uint8_t> file);

// The message shown for a refusal, lines joined by `lineEnd`; "" for every other outcome.
std::string DecodeRefusalMessage(const DecodeResult& result, std::string_view lineEnd = "\r\n");

// A short description of an outcome in the product's terms, for logs and the command line.
std::string_view describe(DecodeOutcome outcome);

} // namespace vornix::image
