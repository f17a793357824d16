#include "firmware_options.h"

#include <array>

#include "convert_options.h"

namespace vornix::cli {
namespace {

constexpr std::array<std::string_view, 10> kValueOptions = {
    "--layout",  "--set",       "--preset",    "--name",   "--values-per-line",
    "--literal", "--placement", "--in-layout", "--in-set", "--in-size"};

std::optional<image::InkBit> InkNamed(std::string_view value) {
    if (value == "dark") {
        return image::InkBit::Dark;
    }
    if (value == "light") {
        return image::InkBit::Light;
    }
    return std::nullopt;
}

} // namespace

bool IsFirmwareOption(std::string_view name) {
    for (const std::string_view option : kValueOptions) {
        if (option == name) {
            return true;
        }
    }
    return false;
}

bool ApplyFirmwareOption(std::string_view name, std::string_view value, FirmwareArgs& args) {
    image::SourceOptions& source = args.source;
    if (name == "--layout" || name == "--in-layout") {
        const auto layout = image::ByteLayoutFromName(value);
        if (!layout) {
            return false;
        }
        if (name == "--layout") {
            source.layout.layout = *layout;
        } else {
            args.inLayout = image::LayoutChoice{*layout, InputLayout(args).ink};
        }
        return true;
    }
    if (name == "--set" || name == "--in-set") {
        const auto ink = InkNamed(value);
        if (!ink) {
            return false;
        }
        if (name == "--set") {
            source.layout.ink = *ink;
        } else {
            args.inLayout = image::LayoutChoice{InputLayout(args).layout, *ink};
        }
        return true;
    }
    if (name == "--preset") {
        const image::FirmwarePreset* preset = image::FirmwarePresetNamed(value);
        if (preset == nullptr) {
            return false;
        }
        source.layout = preset->layout;
        source.literal = preset->literal;
        source.placement = std::string(preset->placement);
        return true;
    }
    if (name == "--name") {
        source.name = std::string(value);
        args.nameGiven = true;
        return image::IsIdentifier(value);
    }
    if (name == "--values-per-line") {
        const auto count = ParseWhole(value, 1, image::kMaxValuesPerLine);
        source.valuesPerLine = count.value_or(source.valuesPerLine);
        return count.has_value();
    }
    if (name == "--literal") {
        if (value != "hex" && value != "binary") {
            return false;
        }
        source.literal = value == "hex" ? image::Literal::Hex : image::Literal::Binary;
        return true;
    }
    if (name == "--placement") {
        source.placement = std::string(value);
        return value.find_first_of("\r\n") == std::string_view::npos;
    }
    const auto size = ParsePictureSize(value); // --in-size
    args.inSize = size;
    return size.has_value();
}

bool ApplyFirmwareFlag(std::string_view arg, FirmwareArgs& args) {
    if (arg == "--draw-pixels") {
        args.source.drawPixels = true;
    } else if (arg == "--no-static") {
        args.source.isStatic = false;
    } else if (arg == "--no-const") {
        args.source.isConst = false;
    } else {
        return false;
    }
    return true;
}

image::SourceOptions SourceOptionsFor(const FirmwareArgs& args, const std::string& output) {
    image::SourceOptions source = args.source;
    if (!args.nameGiven) {
        source.name = image::IdentifierFrom(output == "-" ? std::string() : output);
    }
    return source;
}

image::LayoutChoice InputLayout(const FirmwareArgs& args) {
    return args.inLayout.value_or(args.source.layout);
}

bool IsFirmwareFormat(image::PictureFormat format) {
    return format != image::PictureFormat::Pxl && format != image::PictureFormat::Bitmap;
}

} // namespace vornix::cli
