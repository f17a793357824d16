// Feeds arbitrary bytes to the bitmap reader as if they were the working bitmap file.
// Besides crashes it checks two promises: the information text always has sixteen lines, and
// every picture that converts with 16-bit sizes comes back unchanged through a PXL round trip.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image/picture/image_info.h"

namespace {

using namespace vornix::image;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::size_t lineCount(const std::string& text) {
    std::size_t lines = 0;
    for (auto p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) {
        ++lines;
    }
    return lines;
}

void checkRoundTrip(const DecodedPxl& decoded) {
    const BitmapHeader& h = decoded.result.header;
    if (!decoded.result.converted()) {
        require(decoded.text.empty());
        return;
    }
    require(lineCount(decoded.text) == static_cast<std::size_t>(h.biHeight) + 1);
    if (h.biWidth < 0 || h.biWidth > 32760 || h.biHeight > 32767) {
        return; // the PXL readers hold W and H in 16 bits
    }
    const EncodedBmp bitmap = ConvertPxlToBitmap(decoded.text);
    require(bitmap.result.converted());
    require(ConvertBitmapToPxl(bitmap.bytes).text == decoded.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const DecodedPxl decoded = ConvertBitmapToPxl(std::span<const std::uint8_t>(data, size));
    // Line 1 holds the two type bytes as they are (they may be CR LF); fifteen lines follow.
    const std::string info = ImageInfoText(decoded.result.header);
    require(info.size() > 19 && info.starts_with("Image Type:    "));
    require(lineCount(info.substr(19)) == 15);
    require(decoded.result.refused() == !DecodeRefusalMessage(decoded.result).empty());
    checkRoundTrip(decoded);
    return 0;
}
