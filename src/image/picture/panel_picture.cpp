#include "image/picture/panel_picture.h"

#include <algorithm>
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

class RefusingSink : public ByteSink {
public:
    bool write(std::string_view /*bytes*/) override { return false; }
};

} // namespace

PanelPictureRead PictureFromBitmap(std::span<const std::uint8_t> file) {
    // The conversion checks the whole file before its first write, so a sink that refuses that
    // write learns that the bitmap is sound without the text being made.
    RefusingSink refuse;
    const DecodeResult checked = ConvertBitmapToPxl(file, refuse);
    if (checked.refused()) {
        return {std::nullopt, DecodeRefusalMessage(checked, "\n")};
    }
    if (checked.outcome != DecodeOutcome::OutputFailed) {
        return {std::nullopt, std::string(describe(checked.outcome))};
    }
    const BitmapHeader& header = checked.header;
    if (header.biWidth < 1 || header.biHeight < 1 || !checked.bytesPerRow) {
        return {std::nullopt, "the picture has no pixels"};
    }
    const auto stride = static_cast<std::size_t>(*checked.bytesPerRow);
    const auto offset = static_cast<std::size_t>(std::max(header.bfOffBits, 0));
    const auto rows = static_cast<std::size_t>(header.biHeight);
    if (offset > file.size() || (file.size() - offset) / stride < rows) {
        // Rows the conversion reads as zeros past a short file's end: its text says what they
        // hold.
        StringSink text;
        ConvertBitmapToPxl(file, text);
        return FromConvertedText(text.text());
    }
    // Rows bottom first; a colour index 0 is a dark pixel, as in the PXL text.
    PackedPicture picture(header.biWidth, header.biHeight);
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t* source =
            file.data() + offset + (rows - 1 - static_cast<std::size_t>(y)) * stride;
        auto row = picture.row(y);
        for (std::size_t k = 0; k < row.size(); ++k) {
            row[k] = static_cast<std::uint8_t>(~source[k]);
        }
    }
    picture.clearPadding();
    return {std::move(picture), ""};
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
