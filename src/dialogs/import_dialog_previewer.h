#pragma once

#include <optional>

#include "image/photo/prepare_geometry.h"
#include "image/photo/prepare_image.h"
#include "image/photo/prepare_options.h"
#include "image/photo/prepare_picture.h"

namespace vornix::dialogs {

// Prepares the import dialog's live preview fast enough to follow a slider. The picture's
// arrangement (turn, mirror, fit), the costly part for a large photo, is kept and redone only
// when one of those choices changes; threshold, dither and inversion then work on the arranged
// picture alone, which for a fitted photo is no larger than the panel.
class ImportPreviewer {
public:
    // Above this many pixels an unscaled picture is toned only in its top left corner, the part
    // the panel shows, so that the preview of a kept 4000 x 3000 photo stays quick. Error
    // diffusion then differs from the full picture's near the corner's right and bottom edges.
    static constexpr std::int64_t kFullTonePixels = 1 << 20;
    static constexpr int kCornerMargin = 16;

    struct Preview {
        image::PrepareOutcome outcome = image::PrepareOutcome::EmptyPicture;
        image::MonoImage picture;      // the result, or its top left corner when cornerOnly
        image::PictureSize resultSize; // the size of the whole result
        bool cornerOnly = false;
    };

    explicit ImportPreviewer(image::GreyImage source);

    const image::GreyImage& source() const { return m_source; }

    Preview preview(const image::PrepareOptions& options);

private:
    struct Geometry {
        image::Fit fit = image::Fit::Keep;
        int targetWidth = 0;
        int targetHeight = 0;
        image::Rotation rotation = image::Rotation::None;
        image::Flip flip = image::Flip::None;
        bool operator==(const Geometry&) const = default;
    };

    const image::GreyImage& arranged(const Geometry& geometry, image::PictureSize size);

    image::GreyImage m_source;
    std::optional<Geometry> m_arrangedFor;
    image::GreyImage m_arranged;
};

} // namespace vornix::dialogs
