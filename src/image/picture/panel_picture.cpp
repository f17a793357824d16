#include "image/picture/panel_picture.h"

#include <charconv>

#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image/text/messages.h"
#include "image/picture/prepare_bitmap.h"
#include "image/picture/pxl_fields.h"

namespace vornix::image {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

int NumberAt(std::string_view text, std::size_t& pos) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    pos = static_cast<std::size_t>(end - text.data()) + 1; // past the comma
    return error == std::errc() ? value : 0;
}

// The PXL text that ConvertBitmapToPxl writes: "@,W,H,8" CR LF, then H lines of ceil(W/8)
// values "0XXh" separated by commas, CR LF after each line.
PanelPictureRead FromConvertedText(std::string_view text) {
    std::size_t pos = 2;
    const int width = NumberAt(text, pos);
    const int height = NumberAt(text, pos);
    if (width < 1 || height < 1) {
        return {std::nullopt, "the picture has no pixels"};
    }
    pos = text.find('\n') + 1;
    PackedPicture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (std::uint8_t& byte : picture.row(y)) {
            // "0XXh" then "," or CR LF.
            if (pos + 4 > text.size()) {
                return {std::nullopt, "the picture ends early"};
            }
            byte = static_cast<std::uint8_t>(HexDigit(text[pos + 1]) * 16 + HexDigit(text[pos + 2]));
            pos += 4;
            pos += pos < text.size() && text[pos] == ',' ? 1 : 2;
        }
    }
    picture.clearPadding();
    return {std::move(picture), ""};
}

} // namespace

PanelPictureRead PictureFromBitmap(std::span<const std::uint8_t> file) {
    StringSink text;
    const DecodeResult result = ConvertBitmapToPxl(file, text);
    if (result.refused()) {
        return {std::nullopt, DecodeRefusalMessage(result, "\n")};
    }
    if (!result.converted()) {
        return {std::nullopt, std::string(describe(result.outcome))};
    }
    return FromConvertedText(text.text());
}

PanelPictureRead PictureFromPxl(std::string_view text) {
    const EncodedBmp bitmap = ConvertPxlToBitmap(text);
    if (!bitmap.result.converted()) {
        return {std::nullopt, std::string(describe(bitmap.result.outcome))};
    }
    return PictureFromBitmap(bitmap.bytes);
}

PanelPictureRead ReadPxlPicture(std::span<const std::uint8_t> bytes,
                                const ReadOptions& /*options*/) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!HasPxlMarker(text)) {
        return {std::nullopt, std::string(messages::kNoLcdHeader)};
    }
    return PictureFromPxl(text);
}

bool WritePxlPicture(const PackedPicture& picture, const SourceOptions& /*options*/,
                     ByteSink& sink) {
    const DecodedPxl text = MonoPxlText(MonoFromPacked(picture));
    return !picture.empty() && text.result.converted() && sink.write(text.text);
}

PanelPictureRead ReadBitmapPicture(std::span<const std::uint8_t> bytes,
                                   const ReadOptions& /*options*/) {
    return PictureFromBitmap(bytes);
}

bool WriteBitmapPicture(const PackedPicture& picture, const SourceOptions& /*options*/,
                        ByteSink& sink) {
    const std::vector<std::uint8_t> bytes = MonoBitmapBytes(MonoFromPacked(picture));
    return !picture.empty() &&
           sink.write({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

GreyImage GreyFromPacked(const PackedPicture& picture) {
    GreyImage grey;
    grey.width = picture.width();
    grey.height = picture.height();
    grey.pixels.resize(static_cast<std::size_t>(grey.width) * static_cast<std::size_t>(grey.height));
    std::size_t at = 0;
    for (int y = 0; y < grey.height; ++y) {
        for (int x = 0; x < grey.width; ++x) {
            grey.pixels[at++] = picture.isDark(x, y) ? 0 : 255;
        }
    }
    return grey;
}

} // namespace vornix::image
