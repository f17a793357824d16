#pragma once

#include <string_view>

#include "image/photo/prepare_geometry.h"
#include "image/photo/prepare_image.h"
#include "image/photo/prepare_options.h"

namespace vornix::image {

enum class PrepareOutcome {
    Prepared,
    EmptyPicture,       // a side of the picture is 0 or negative
    PixelCountMismatch, // the picture holds a different number of levels than its sides say
    BadTargetSize,      // a target side outside 1..kMaxPreparedSide, or too many pixels
    BadThreshold,       // a threshold outside 0..255
    TooLarge,           // the result would exceed kMaxPreparedSide or kMaxPicturePixels
};

struct PrepareResult {
    PrepareOutcome outcome = PrepareOutcome::EmptyPicture;
    MonoImage picture; // empty unless prepared
    int threshold = 0; // the threshold used: the given one or the one found in the picture

    bool prepared() const { return outcome == PrepareOutcome::Prepared; }
};

// Turns a grey picture into an LCD picture: rotation, flip, fit to the target size (area
// averaging when scaled), threshold or dither, inversion, in this order. A photo of 4000 x 3000
// fitted into 240 x 128 is reduced before it is turned, which gives the same pixels as turning
// first, at a fraction of the cost.
PrepareResult PreparePicture(const GreyImage& image, const PrepareOptions& options);

// The same for a picture decoded at a reduced size (see NeededSize) that stands for one of
// `full` size: the result's size is reckoned from `full`, as if the picture had been decoded
// whole, and the reduced pixels are resampled to it.
PrepareResult PreparePicture(const GreyImage& image, PictureSize full,
                             const PrepareOptions& options);

// A short description of an outcome in the product's terms, for the command line.
std::string_view describe(PrepareOutcome outcome);

} // namespace vornix::image
