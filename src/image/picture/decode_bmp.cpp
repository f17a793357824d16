#include "image/picture/decode_bmp.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "image/picture/bitmap_header_io.h"
#include "image/picture/chunked_writer.h"
#include "image/text/messages.h"
#include "image/text/number_field.h"
#include "image/picture/pxl_format.h"

namespace vornix::image {

namespace {

constexpr std::int64_t kMaxRowLength = 32767;
constexpr std::int64_t kMaxEmptyRows = 32767;

// Where the rows of a checked bitmap lie and how much of each becomes PXL text.
struct PixelLayout {
    std::int64_t offset = 0;    // bfOffBits
    std::int64_t rows = 0;      // H
    std::int64_t rowLength = 0; // padded stored row length in bytes
    std::int64_t lineBytes = 0; // bytes written per PXL line, (W + 7) / 8; <= 0 means none
};

// The checks between a 1-bit header and the first byte of output, one early return per rule.
// Every product is formed in 64 bits, so no header value can overflow it.
DecodeOutcome checkLayout(const BitmapHeader& h, std::size_t fileSize, DecodeResult& result,
                          PixelLayout& layout) {
    const std::int64_t width = h.biWidth;
    if (width > std::numeric_limits<std::int32_t>::max() - 7) {
        return DecodeOutcome::RowLengthOverflow; // W + 7 overflows 32 bits
    }
    layout.rowLength = (((width + 7) / 8) + 3) / 4 * 4;
    layout.lineBytes = (width + 7) / 8;
    if (layout.rowLength > kMaxRowLength) {
        return DecodeOutcome::RowLengthOverflow;
    }
    if (layout.rowLength >= std::numeric_limits<std::int16_t>::min()) {
        result.bytesPerRow = static_cast<std::int16_t>(layout.rowLength);
    }
    if (layout.rowLength < 0) {
        return DecodeOutcome::NegativeRowLength;
    }
    layout.rows = h.biHeight;
    if (layout.rows < 0) {
        return DecodeOutcome::NegativeHeight;
    }
    const std::int64_t pixelBytes = layout.rows * layout.rowLength;
    if (pixelBytes == 0) {
        return layout.rows > kMaxEmptyRows ? DecodeOutcome::TooManyRows : DecodeOutcome::Converted;
    }
    layout.offset = h.bfOffBits;
    if (layout.offset < 0) {
        return DecodeOutcome::BadPixelOffset;
    }
    if (layout.offset + pixelBytes > static_cast<std::int64_t>(fileSize)) {
        return DecodeOutcome::PixelDataTruncated;
    }
    return DecodeOutcome::Converted;
}

// One PXL line (lineBytes > 0): the stored row's first lineBytes bytes, each inverted, "0XXh"
// joined by ",".
void writeLine(const std::uint8_t* row, std::int64_t lineBytes, ChunkedWriter& out) {
    char* p = out.extend(static_cast<std::size_t>(lineBytes) * 5 + 1);
    for (std::int64_t x = 0; x < lineBytes; ++x) {
        std::memcpy(p, FormatDataValueWithComma(static_cast<std::uint8_t>(row[x] ^ 0xFF)).data(),
                    5);
        p += 5;
    }
    // The last value takes CR LF in place of its comma.
    p[-1] = '\r';
    p[0] = '\n';
}

bool writePxl(std::span<const std::uint8_t> file, const BitmapHeader& h, const PixelLayout& layout,
              ByteSink& pxlOut) {
    const std::string header = PxlHeaderLine(h.biWidth, h.biHeight);
    const std::int64_t lineSize = std::max<std::int64_t>(layout.lineBytes, 0) * 5 + 2;
    ChunkedWriter out(pxlOut, header.size() + static_cast<std::size_t>(layout.rows * lineSize));
    out.append(header);
    // The bitmap stores its bottom row first; the PXL text starts with the top row.
    for (std::int64_t y = layout.rows - 1; y >= 0 && !out.failed(); --y) {
        if (layout.lineBytes <= 0) {
            out.append("\r\n");
            continue;
        }
        writeLine(file.data() + layout.offset + y * layout.rowLength, layout.lineBytes, out);
    }
    return out.flush();
}

} // namespace

DecodeResult ConvertBitmapToPxl(std::span<const std::uint8_t> file, ByteSink& pxlOut) {
    DecodeResult result;
    const BitmapHeaders headers = ReadBitmapHeaders(file);
    result.header = headers.header;
    result.colorTable = headers.colorTable;
    const BitmapHeader& h = result.header;
    if (h.bfType[0] != 'B' || h.bfType[1] != 'M') {
        result.outcome = DecodeOutcome::NotBitmap;
        return result;
    }
    if (h.biBitCount != 1) {
        result.outcome = DecodeOutcome::NotMonochrome;
        return result;
    }
    PixelLayout layout;
    result.outcome = checkLayout(h, file.size(), result, layout);
    if (result.outcome == DecodeOutcome::Converted && !writePxl(file, h, layout, pxlOut)) {
        result.outcome = DecodeOutcome::OutputFailed;
    }
    return result;
}

DecodedPxl ConvertBitmapToPxl(std::span<const std::uint8_t> file) {
    StringSink sink;
    DecodedPxl decoded{ConvertBitmapToPxl(file, sink), {}};
    if (decoded.result.converted()) {
        decoded.text = sink.take();
    }
    return decoded;
}

std::string DecodeRefusalMessage(const DecodeResult& result, std::string_view lineEnd) {
    const std::string end(lineEnd);
    switch (result.outcome) {
    case DecodeOutcome::NotBitmap:
        return std::string(messages::kNotCompatibleBitmap) + end +
               std::string(messages::kCannotConvert);
    case DecodeOutcome::NotMonochrome:
        return std::string(messages::kNotCompatibleWithLcd) + end +
               std::string(messages::kDepthBefore) + NumberField(result.header.biBitCount) +
               std::string(messages::kDepthAfter) + end +
               std::string(messages::kMustBeBlackAndWhite);
    default:
        return {};
    }
}

std::string_view describe(DecodeOutcome outcome) {
    switch (outcome) {
    case DecodeOutcome::Converted:
        return "converted";
    case DecodeOutcome::NotBitmap:
        return "not a bitmap file (it does not start with BM)";
    case DecodeOutcome::NotMonochrome:
        return "not a black-and-white bitmap (more than one bit per pixel)";
    case DecodeOutcome::RowLengthOverflow:
        return "bitmap too wide: a pixel row would be longer than 32767 bytes";
    case DecodeOutcome::NegativeRowLength:
        return "bitmap width is negative";
    case DecodeOutcome::NegativeHeight:
        return "bitmap height is negative (top-down bitmaps are not converted)";
    case DecodeOutcome::TooManyRows:
        return "bitmap has rows without pixels and more than 32767 of them";
    case DecodeOutcome::BadPixelOffset:
        return "pixel data offset is negative";
    case DecodeOutcome::PixelDataTruncated:
        return "bitmap file ends before its last pixel row";
    case DecodeOutcome::OutputFailed:
        return "the LCD data could not be written";
    }
    return "unknown outcome";
}

} // namespace vornix::image
