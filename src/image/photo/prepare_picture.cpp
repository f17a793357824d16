#include "image/photo/prepare_picture.h"

#include <cstdint>

#include "image/photo/prepare_geometry.h"
#include "image/photo/prepare_tone.h"

namespace vornix::image {

namespace {

bool sizeAllowed(PictureSize size) {
    return size.width >= 1 && size.height >= 1 && size.width <= kMaxPreparedSide &&
           size.height <= kMaxPreparedSide &&
           std::int64_t{size.width} * size.height <= kMaxPicturePixels;
}

PrepareOutcome checkRequest(const GreyImage& image, const PrepareOptions& options) {
    if (image.width <= 0 || image.height <= 0) {
        return PrepareOutcome::EmptyPicture;
    }
    if (image.pixels.size() !=
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        return PrepareOutcome::PixelCountMismatch;
    }
    if (options.fit != Fit::Keep && !sizeAllowed({options.targetWidth, options.targetHeight})) {
        return PrepareOutcome::BadTargetSize;
    }
    if (!options.autoThreshold && (options.threshold < 0 || options.threshold > 255)) {
        return PrepareOutcome::BadThreshold;
    }
    return PrepareOutcome::Prepared;
}

// Rotation, flip and fit. Scaling and turning commute exactly under area averaging, so a
// picture that is scaled is scaled first, in its own orientation, and turned when small.
GreyImage arrange(const GreyImage& image, const PrepareOptions& options, PictureSize size) {
    if (options.fit == Fit::Fit || options.fit == Fit::Stretch) {
        const PictureSize unturned = RotatedSize(size, options.rotation);
        return OrientImage(ResampleArea(image, unturned.width, unturned.height), options.rotation,
                           options.flip);
    }
    GreyImage turned = OrientImage(image, options.rotation, options.flip);
    if (options.fit == Fit::Center) {
        return PlaceCentred(turned, size.width, size.height);
    }
    return turned;
}

} // namespace

PrepareResult PreparePicture(const GreyImage& image, const PrepareOptions& options) {
    return PreparePicture(image, {image.width, image.height}, options);
}

PrepareResult PreparePicture(const GreyImage& image, PictureSize full,
                             const PrepareOptions& options) {
    PrepareResult result;
    result.outcome = checkRequest(image, options);
    if (!result.prepared()) {
        return result;
    }
    const PictureSize size = FittedSize(RotatedSize(full, options.rotation), options);
    if (!sizeAllowed(size)) {
        result.outcome = PrepareOutcome::TooLarge;
        return result;
    }
    const GreyImage arranged = arrange(image, options, size);
    result.threshold = options.autoThreshold ? OtsuThreshold(image) : options.threshold;
    result.picture = ToMono(arranged, result.threshold, options.dither);
    if (options.invert) {
        for (std::uint8_t& dark : result.picture.dark) {
            dark ^= 1;
        }
    }
    return result;
}

std::string_view describe(PrepareOutcome outcome) {
    switch (outcome) {
    case PrepareOutcome::Prepared:
        return "the picture was prepared";
    case PrepareOutcome::EmptyPicture:
        return "the picture has no pixels";
    case PrepareOutcome::PixelCountMismatch:
        return "the picture's pixels do not match its size";
    case PrepareOutcome::BadTargetSize:
        return "the target size must be 1 to 32760 pixels on each side";
    case PrepareOutcome::BadThreshold:
        return "the threshold must be 0 to 255";
    case PrepareOutcome::TooLarge:
        return "the picture is larger than 32760 pixels on a side or 64 Mi pixels in all";
    }
    return "the picture could not be prepared";
}

} // namespace vornix::image
