#include "image/picture/raw_format.h"

#include <string>

namespace vornix::image {

PanelPictureRead ReadRawPicture(std::span<const std::uint8_t> bytes, const ReadOptions& options) {
    if (options.width < 1 || options.height < 1) {
        return {std::nullopt, "raw bytes need their size: give --in-size WxH"};
    }
    if (std::int64_t{options.width} * options.height > kMaxPicturePixels) {
        return {std::nullopt, "the picture is too large"};
    }
    auto picture = UnpackLayout(bytes, options.width, options.height, options.layout);
    if (!picture) {
        return {std::nullopt,
                std::to_string(bytes.size()) + " bytes, but " + std::to_string(options.width) +
                    " x " + std::to_string(options.height) + " pixels in " +
                    std::string(ByteLayoutName(options.layout.layout)) + " take " +
                    std::to_string(
                        LayoutSize(options.layout.layout, options.width, options.height))};
    }
    return {std::move(picture), ""};
}

bool WriteRawPicture(const PackedPicture& picture, const SourceOptions& options, ByteSink& sink) {
    if (picture.empty()) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = PackLayout(picture, options.layout);
    return sink.write({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

} // namespace vornix::image
