#include "dialogs/import_dialog_previewer.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace vornix::dialogs {

namespace {

using image::GreyImage;
using image::PictureSize;

bool sizeAllowed(PictureSize size) {
    return size.width >= 1 && size.height >= 1 && size.width <= image::kMaxPreparedSide &&
           size.height <= image::kMaxPreparedSide &&
           std::int64_t{size.width} * size.height <= image::kMaxPicturePixels;
}

GreyImage topLeft(const GreyImage& picture, int width, int height) {
    GreyImage corner;
    corner.width = width;
    corner.height = height;
    corner.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto row = picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width;
        std::copy_n(row, width, corner.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return corner;
}

} // namespace

ImportPreviewer::ImportPreviewer(image::GreyImage source) : m_source(std::move(source)) {}

ImportPreviewer::Preview ImportPreviewer::preview(const image::PrepareOptions& options) {
    Preview result;
    if (m_source.width <= 0 || m_source.height <= 0) {
        return result;
    }
    result.resultSize = image::FittedSize(
        image::RotatedSize({m_source.width, m_source.height}, options.rotation), options);
    if (!sizeAllowed(result.resultSize)) {
        result.outcome = image::PrepareOutcome::TooLarge;
        return result;
    }
    const Geometry geometry{options.fit, options.targetWidth, options.targetHeight,
                            options.rotation, options.flip};
    const GreyImage& picture = arranged(geometry, result.resultSize);

    // The arranged picture goes through the same preparation, now only for its tones.
    image::PrepareOptions tones = options;
    tones.fit = image::Fit::Keep;
    tones.rotation = image::Rotation::None;
    tones.flip = image::Flip::None;
    image::PrepareResult prepared;
    if (std::int64_t{picture.width} * picture.height > kFullTonePixels) {
        result.cornerOnly = true;
        prepared = image::PreparePicture(
            topLeft(picture, std::min(picture.width, image::kLcdWidth + kCornerMargin),
                    std::min(picture.height, image::kLcdHeight + kCornerMargin)),
            tones);
    } else {
        prepared = image::PreparePicture(picture, tones);
    }
    result.outcome = prepared.outcome;
    result.picture = std::move(prepared.picture);
    return result;
}

// The same arrangement as the full preparation: a scaled picture is reduced in its own
// orientation and turned when small; an unscaled one is turned first.
const GreyImage& ImportPreviewer::arranged(const Geometry& geometry, PictureSize size) {
    if (m_arrangedFor == geometry) {
        return m_arranged;
    }
    switch (geometry.fit) {
    case image::Fit::Fit:
    case image::Fit::Stretch: {
        const PictureSize unturned = image::RotatedSize(size, geometry.rotation);
        m_arranged =
            image::OrientImage(image::ResampleArea(m_source, unturned.width, unturned.height),
                               geometry.rotation, geometry.flip);
        break;
    }
    case image::Fit::Center:
        m_arranged =
            image::PlaceCentred(image::OrientImage(m_source, geometry.rotation, geometry.flip),
                                size.width, size.height);
        break;
    case image::Fit::Keep:
        m_arranged = image::OrientImage(m_source, geometry.rotation, geometry.flip);
        break;
    }
    m_arrangedFor = geometry;
    return m_arranged;
}

} // namespace vornix::dialogs
