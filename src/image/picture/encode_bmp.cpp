#include "image/picture/encode_bmp.h"

#include <algorithm>

#include "image/picture/bitmap_header_io.h"
#include "image/picture/chunked_writer.h"
#include "image/picture/pxl_field_stream.h"

namespace vornix::image {

namespace {

constexpr int kMaxWidthPlus7 = 32767;
// What is reserved for the values of text of unknown length, before they have been read.
constexpr std::size_t kStreamReserve = std::size_t{1} << 20;

struct Geometry {
    PxlHeader pxl;
    int valuesPerRow = 0; // may be negative for a negative width: then nothing is read
    int rowStride = 0;    // bytes per stored bitmap row
};

// `Fields` is a PxlFieldReader over the whole text or a PxlFieldStream over its pieces: both
// give the same fields.
template <class Fields> EncodeOutcome readHeader(Fields& reader, EncodeResult& result) {
    if (!reader.next()) { // the marker: read and ignored
        return reader.malformed() ? EncodeOutcome::FieldTooLong : EncodeOutcome::MissingHeaderField;
    }
    std::int16_t numbers[3] = {};
    for (auto& number : numbers) {
        const auto field = reader.next();
        if (!field) {
            return reader.malformed() ? EncodeOutcome::FieldTooLong
                                      : EncodeOutcome::MissingHeaderField;
        }
        const auto parsed = ParseHeaderNumber(*field);
        if (!parsed) {
            return EncodeOutcome::BadHeaderNumber;
        }
        number = *parsed;
    }
    result.pxlHeader = PxlHeader{numbers[0], numbers[1], numbers[2]};
    return EncodeOutcome::Converted;
}

BitmapHeader bitmapHeaderFor(const Geometry& g) {
    const std::int32_t imageSize = std::int32_t{g.pxl.height} * g.rowStride;
    BitmapHeader h;
    h.bfType = {'B', 'M'};
    h.bfSize = kHeadersSize + imageSize;
    h.bfOffBits = kHeadersSize;
    h.biSize = kInfoHeaderSize;
    h.biWidth = g.pxl.width;
    h.biHeight = g.pxl.height;
    h.biPlanes = 1;
    h.biBitCount = 1;
    h.biSizeImage = imageSize;
    return h;
}

// The checks on W, H and B, one early return per rule, in the order the header values
// become known.
EncodeOutcome checkGeometry(Geometry& g, EncodeResult& result) {
    const int width = g.pxl.width;
    if (g.pxl.pixelsPerValue == 0) {
        return EncodeOutcome::ZeroPixelsPerValue;
    }
    // A byte holds one to eight pixels. Outside that range a row would need no values, or fewer
    // than the bitmap row has bytes, and a few bytes of text could describe a bitmap of any
    // size (B = -1 makes 32767 rows of 4096 bytes FF from the header alone). Within it the
    // bitmap is bounded by its text:
    //   - W <= 0 gives rows of no bytes (a negative row length is refused below), so the
    //     bitmap is the 70-byte header whatever H is;
    //   - W >= 1 gives v = ceil(W / B) >= ceil(W / 8) >= 1 values a row, and a row of
    //     RowStride = ceil(W / 8) rounded up to a multiple of 4 <= v + 3 <= 4 v bytes;
    //   - the text holds the marker (read, not checked here: it may be empty), W, H, B and
    //     H v values of at least one character each, and a delimiter between each two of them:
    //     at least 2 H v + 6 characters.
    // So the bitmap, 70 + H RowStride <= 70 + 4 H v <= 70 + 2 (text - 6), is at most twice the
    // text plus 58 bytes (kMaxBitmapPerTextFactor, kMaxBitmapOverText). The worst cases: the
    // header alone (",0,0,1" gives 70 bytes), and one value a row (W <= 8) written as one
    // character and a comma, 2 characters for 4 bytes.
    if (g.pxl.pixelsPerValue < 1 || g.pxl.pixelsPerValue > 8) {
        return EncodeOutcome::BadPixelsPerValue;
    }
    g.valuesPerRow = ValuesPerRow(width, g.pxl.pixelsPerValue);
    result.bytesPerRow = static_cast<std::int16_t>(g.valuesPerRow);
    if (width + 7 > kMaxWidthPlus7) {
        return EncodeOutcome::WidthTooLarge;
    }
    g.rowStride = (((width + 7) / 8) + 3) / 4 * 4;
    result.header = bitmapHeaderFor(g);
    result.colorTable = kEncodedColorTable;
    result.headerComputed = true;
    if (g.valuesPerRow > g.rowStride) {
        return EncodeOutcome::RowLongerThanStride;
    }
    if (g.rowStride < 0) {
        return EncodeOutcome::NegativeRowStride;
    }
    if (g.pxl.height < 0) {
        return EncodeOutcome::NegativeHeight;
    }
    return EncodeOutcome::Converted;
}

// Reads H rows of values, top row first, into `values`. Every value takes at least one
// character of the text, so `values` never grows beyond the text's length; at most `reserve`
// bytes are set aside before the values have been read.
template <class Fields>
EncodeOutcome readValues(Fields& reader, std::size_t count, std::size_t reserve,
                         std::vector<std::uint8_t>& values) {
    values.reserve(std::min(count, reserve));
    for (std::size_t i = 0; i < count; ++i) {
        const DataValueRead read = reader.nextDataValue();
        switch (read.status) {
        case DataValueRead::Status::Value:
            values.push_back(read.value);
            break;
        case DataValueRead::Status::End:
            return EncodeOutcome::MissingValue;
        case DataValueRead::Status::Empty:
            return EncodeOutcome::EmptyValue;
        case DataValueRead::Status::OutOfRange:
            return EncodeOutcome::ValueOutOfRange;
        case DataValueRead::Status::Malformed:
            return EncodeOutcome::FieldTooLong;
        }
    }
    return EncodeOutcome::Converted;
}

bool writeBitmap(const EncodeResult& result, const Geometry& g,
                 const std::vector<std::uint8_t>& values, ByteSink& bmpOut) {
    ChunkedWriter out(bmpOut, static_cast<std::size_t>(result.header.bfSize));
    const auto headerBytes = WriteBitmapHeaders({result.header, result.colorTable});
    out.append({reinterpret_cast<const char*>(headerBytes.data()), headerBytes.size()});
    const auto stride = static_cast<std::size_t>(g.rowStride);
    const auto dataBytes = static_cast<std::size_t>(std::max(g.valuesPerRow, 0));
    // PXL rows run from the top, bitmap rows from the bottom.
    for (int y = g.pxl.height - 1; y >= 0 && !out.failed(); --y) {
        char* row = out.extend(stride);
        const std::size_t first = static_cast<std::size_t>(y) * dataBytes;
        for (std::size_t x = 0; x < dataBytes; ++x) {
            row[x] = static_cast<char>(values[first + x] ^ 0xFF);
        }
        std::fill(row + dataBytes, row + stride, static_cast<char>(0xFF)); // dataBytes <= stride
    }
    return out.flush();
}

template <class Fields> EncodeResult encode(Fields& reader, std::size_t reserve, ByteSink& bmpOut) {
    EncodeResult result;
    result.outcome = readHeader(reader, result);
    if (!result.pxlHeader) {
        return result;
    }
    Geometry g{*result.pxlHeader};
    result.outcome = checkGeometry(g, result);
    if (!result.converted()) {
        return result;
    }
    const auto count = static_cast<std::size_t>(g.pxl.height) *
                       static_cast<std::size_t>(std::max(g.valuesPerRow, 0));
    std::vector<std::uint8_t> values;
    result.outcome = readValues(reader, count, reserve, values);
    if (result.converted() && !writeBitmap(result, g, values, bmpOut)) {
        result.outcome = EncodeOutcome::OutputFailed;
    }
    return result;
}

} // namespace

EncodeResult ConvertPxlToBitmap(std::string_view pxlText, ByteSink& bmpOut) {
    PxlFieldReader reader(pxlText);
    return encode(reader, pxlText.size(), bmpOut);
}

EncodeResult ConvertPxlToBitmap(PxlTextSource& pxlText, ByteSink& bmpOut) {
    PxlFieldStream fields(pxlText);
    const std::size_t size = pxlText.sizeHint();
    return encode(fields, size > 0 ? size : kStreamReserve, bmpOut);
}

namespace {

class VectorSink : public ByteSink {
public:
    explicit VectorSink(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    bool write(std::string_view bytes) override {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return true;
    }

private:
    std::vector<std::uint8_t>& m_bytes;
};

} // namespace

EncodedBmp ConvertPxlToBitmap(std::string_view pxlText) {
    EncodedBmp encoded;
    VectorSink sink(encoded.bytes);
    encoded.result = ConvertPxlToBitmap(pxlText, sink);
    if (!encoded.result.converted()) {
        encoded.bytes.clear();
    }
    return encoded;
}

std::string_view describe(EncodeOutcome outcome) {
    switch (outcome) {
    case EncodeOutcome::Converted:
        return "converted";
    case EncodeOutcome::MissingHeaderField:
        return "PXL file ends inside its header line";
    case EncodeOutcome::BadHeaderNumber:
        return "PXL header holds a width, height or pixels per value that is not a number "
               "from -32768 to 32767";
    case EncodeOutcome::ZeroPixelsPerValue:
        return "PXL header gives 0 pixels per value";
    case EncodeOutcome::BadPixelsPerValue:
        return "PXL header gives pixels per value outside 1 to 8";
    case EncodeOutcome::WidthTooLarge:
        return "PXL picture too wide (at most 32760 pixels)";
    case EncodeOutcome::RowLongerThanStride:
        return "PXL rows hold more values than a bitmap row has bytes";
    case EncodeOutcome::NegativeRowStride:
        return "PXL width is negative";
    case EncodeOutcome::NegativeHeight:
        return "PXL height is negative";
    case EncodeOutcome::MissingValue:
        return "PXL file ends before its last row of values";
    case EncodeOutcome::EmptyValue:
        return "PXL file holds an empty value";
    case EncodeOutcome::ValueOutOfRange:
        return "PXL file holds a value above 0FFh";
    case EncodeOutcome::FieldTooLong:
        return "PXL file holds a field longer than 4096 characters";
    case EncodeOutcome::OutputFailed:
        return "the bitmap could not be written";
    }
    return "unknown outcome";
}

} // namespace vornix::image
