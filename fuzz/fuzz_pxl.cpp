// Feeds arbitrary text to the PXL readers: the field reader, the header and value parsers,
// the line-end copy and the LCD to bitmap conversion. Besides crashes it checks that the copy
// leaves no lone CR or LF, and that a converted picture with 8 pixels per value survives a
// bitmap -> PXL -> bitmap round trip unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "image/decode_bmp.h"
#include "image/encode_bmp.h"
#include "image/pxl_fields.h"
#include "image/pxl_format.h"

namespace {

using namespace vornix::image;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void readEveryField(std::string_view text) {
    PxlFieldReader reader(text);
    std::size_t last = reader.position();
    while (!reader.isAtEnd()) {
        const auto field = reader.next();
        require(field.has_value());
        require(reader.position() > last); // every field moves on: no endless loop
        last = reader.position();
        ParseDataValue(*field);
        ParseHeaderNumber(*field);
    }
    require(!reader.next());
}

void checkLineEnds(std::string_view text) {
    const std::string copy = NormaliseLineEnds(text);
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (copy[i] == '\r') {
            require(i + 1 < copy.size() && copy[i + 1] == '\n');
        }
        if (copy[i] == '\n') {
            require(i > 0 && copy[i - 1] == '\r');
        }
    }
    require(copy.empty() || copy.ends_with("\r\n"));
}

void checkConversion(std::string_view text) {
    const EncodedBmp bitmap = EncodeBMP(text);
    if (!bitmap.result.converted()) {
        require(bitmap.bytes.empty());
        return;
    }
    require(bitmap.bytes.size() == static_cast<std::size_t>(bitmap.result.header.bfSize));
    const DecodedPxl pxl = DecodeBMP(bitmap.bytes);
    require(pxl.result.converted());
    if (bitmap.result.pxlHeader->pixelsPerValue == 8) {
        require(EncodeBMP(pxl.text).bytes == bitmap.bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    readEveryField(text);
    checkLineEnds(text);
    PxlFieldReader reader(text);
    ReadPxlHeader(reader);
    HasPxlMarker(text);
    checkConversion(text);
    return 0;
}
