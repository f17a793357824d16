#pragma once

#include "image/photo/prepare_image.h"
#include "image/photo/prepare_options.h"

namespace vornix::image {

struct PictureSize {
    int width = 0;
    int height = 0;

    bool operator==(const PictureSize&) const = default;
};

// The size of a picture after `rotation`: quarter turns swap the sides.
PictureSize RotatedSize(PictureSize size, Rotation rotation);

// The size a picture of `size` (already rotated) gets from the fit in `options`: Keep keeps
// it; Stretch and Center give the target size; Fit scales both sides by the same factor so
// that one side equals the target's and the other does not exceed it (rounded to the nearest
// pixel, at least 1), then cuts a width of 8 or more down to a multiple of 8 (whole bytes,
// all of which the panel shows) with the height scaled to match: 4000 x 3000 fits 240 x 128
// as 168 x 126.
PictureSize FittedSize(PictureSize size, const PrepareOptions& options);

// `size` scaled by one factor to lie inside `target` with one side equal to the target's
// (rounded to the nearest pixel, at least 1): the first step of Fit, before whole bytes.
PictureSize ProportionalFit(PictureSize size, PictureSize target);

// Turns the picture `rotation` clockwise, then mirrors it (Horizontal: left and right swap;
// Vertical: top and bottom swap).
GreyImage OrientImage(const GreyImage& image, Rotation rotation, Flip flip);

// Scales the picture to width x height (both at least 1) by area averaging: every new pixel
// is the mean of the part of the old picture it covers, each old pixel weighted by the area
// it shares with the new one. Works in one pass over the old picture, with exact integer
// sums, for enlarging as well as reducing. Memory beyond the result: a few rows of the new
// width.
GreyImage ResampleArea(const GreyImage& image, int width, int height);

// The picture unscaled on a white canvas of width x height, centred; the parts that do not
// fit are cut off evenly on both sides (the extra pixel of an odd difference on the right or
// bottom).
GreyImage PlaceCentred(const GreyImage& image, int width, int height);

} // namespace vornix::image
