#include "image/photo/prepare_defaults.h"

namespace vornix::image {

namespace {

constexpr int kPixelsPerByte = 8;

} // namespace

Fit DefaultFit(PictureSize turned) {
    return turned.width > kLcdWidth || turned.height > kLcdHeight ? Fit::Fit : Fit::Keep;
}

PrepareOptions DefaultPrepareOptions(PictureSize turned) {
    PrepareOptions options;
    options.fit = DefaultFit(turned);
    options.autoThreshold = true;
    return options;
}

std::string PanelNote(PictureSize size) {
    if (size.width > kLcdWidth || size.height > kLcdHeight) {
        return "The panel shows its top left " + std::to_string(kLcdWidth) + " x " +
               std::to_string(kLcdHeight) + " pixels.";
    }
    if (size.width % kPixelsPerByte != 0) {
        return "The panel shows the left " +
               std::to_string(size.width / kPixelsPerByte * kPixelsPerByte) + " of its " +
               std::to_string(size.width) + " columns: rows are sent in whole bytes of 8 pixels.";
    }
    return "";
}

std::string WholeBytesNote(PictureSize turned, const PrepareOptions& options) {
    if (options.fit != Fit::Fit) {
        return "";
    }
    const PictureSize exact = ProportionalFit(turned, {options.targetWidth, options.targetHeight});
    const PictureSize fitted = FittedSize(turned, options);
    if (exact.width == fitted.width) {
        return "";
    }
    return "Fitted " + std::to_string(exact.width) + " pixels wide to " +
           std::to_string(fitted.width) + ", " + std::to_string(fitted.width / kPixelsPerByte) +
           " whole bytes, so that the panel shows every column.";
}

} // namespace vornix::image
