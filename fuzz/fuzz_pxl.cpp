// Feeds arbitrary text to the PXL readers: the field reader whole and in pieces, the header
// and value parsers, the line-end copy and the LCD to bitmap conversion. Besides crashes it
// checks that the text read in pieces gives the same fields, that the copy leaves no lone CR or
// LF, that a bitmap is never more than twice its text plus 58 bytes, and that a converted
// picture with 8 pixels per value survives a bitmap -> PXL -> bitmap round trip unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image/picture/pxl_field_stream.h"
#include "image/picture/pxl_fields.h"
#include "image/picture/pxl_format.h"

namespace {

using namespace vornix::image;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Serves the text in pieces of 1 to 16 bytes, the sizes taken from the text itself.
class PieceSource : public PxlTextSource {
public:
    explicit PieceSource(std::string_view text) : m_text(text) {}
    std::size_t read(char* into, std::size_t room) override {
        const std::size_t want =
            m_pos < m_text.size() ? 1 + static_cast<unsigned char>(m_text[m_pos]) % 16 : 0;
        const std::size_t n = std::min({room, want, m_text.size() - m_pos});
        std::copy_n(m_text.data() + m_pos, n, into);
        m_pos += n;
        return n;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

void readEveryField(std::string_view text) {
    PxlFieldReader reader(text);
    std::vector<std::string> fields;
    std::size_t last = reader.position();
    while (!reader.isAtEnd()) {
        const auto field = reader.next();
        if (!field) {
            require(reader.malformed()); // only an overlong field ends the text early
            break;
        }
        require(field->size() <= kMaxPxlFieldLength);
        require(reader.position() > last); // every field moves on: no endless loop
        last = reader.position();
        ParseDataValue(*field);
        ParseHeaderNumber(*field);
        fields.emplace_back(*field);
    }
    require(!reader.next());

    PieceSource source(text);
    PxlFieldStream stream(source, 16);
    std::size_t count = 0;
    while (const auto field = stream.next()) {
        require(count < fields.size() && *field == fields[count]);
        ++count;
    }
    require(count == fields.size());
    require(stream.malformed() == reader.malformed());
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
    const EncodedBmp bitmap = ConvertPxlToBitmap(text);
    if (!bitmap.result.converted()) {
        require(bitmap.bytes.empty());
        return;
    }
    require(bitmap.bytes.size() == static_cast<std::size_t>(bitmap.result.header.bfSize));
    require(bitmap.bytes.size() <= kMaxBitmapPerTextFactor * text.size() + kMaxBitmapOverText);
    const DecodedPxl pxl = ConvertBitmapToPxl(bitmap.bytes);
    require(pxl.result.converted());
    if (bitmap.result.pxlHeader->pixelsPerValue == 8) {
        require(ConvertPxlToBitmap(pxl.text).bytes == bitmap.bytes);
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
