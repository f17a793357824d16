#include "image/picture/image_info.h"

#include "image/text/number_field.h"

namespace vornix::image {

namespace {

constexpr std::string_view kSeparator = "-----------------------------------"; // 35
static_assert(kSeparator.size() == 35);

} // namespace

std::string ImageInfoText(const BitmapHeader& h, std::string_view lineEnd) {
    std::string text;
    const auto line = [&](std::string_view label, std::int64_t value, std::string_view unit) {
        text.append(label).append(NumberField(value)).append(unit).append(lineEnd);
    };
    text.append("Image Type:    ").append(h.bfType.data(), h.bfType.size()).append(lineEnd);
    line("FileSize:      ", h.bfSize, " Bytes");
    line("ImageOffset:   ", h.bfOffBits, " Bytes");
    line("Info Hdr Size: ", h.biSize, " Bytes");
    text.append(kSeparator).append(lineEnd);
    line("Image Width:   ", h.biWidth, " Pixels");
    line("Image Height:  ", h.biHeight, " Pixels");
    line("Planes:        ", h.biPlanes, "");
    line("Bits/Pixel:    ", h.biBitCount, "");
    line("Compression:   ", h.biCompression, "");
    line("Image Size:    ", h.biSizeImage, " Bytes");
    text.append(kSeparator).append(lineEnd);
    line("Pref X Res:    ", h.biXPelsPerMeter, " Pixels/M");
    line("Pref Y Res:    ", h.biYPelsPerMeter, " Pixels/M");
    line("Color Map Entries: ", h.biClrUsed, " used");
    line("Signif Colors: ", h.biClrImportant, "");
    return text;
}

} // namespace vornix::image
