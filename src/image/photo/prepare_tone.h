#pragma once

#include "image/photo/prepare_image.h"
#include "image/photo/prepare_options.h"

namespace vornix::image {

// The threshold that best splits the picture's grey levels into a dark and a light group
// (Otsu's method: the split with the largest variance between the two groups). When several
// splits are equally good, as between the two peaks of a picture of two levels, the middle one
// is taken. Returns a level T in 1..255 such that levels below T form the dark group; 128 for
// a picture of a single level, which therefore stays dark below mid-grey and light above.
int OtsuThreshold(const GreyImage& image);

// Turns grey levels into dark and light pixels. Dither::None: a level below `threshold` is
// dark. Every other method first maps the levels so that `threshold` becomes mid-grey (0 and
// 255 stay where they are; 128 changes nothing), then makes a pattern whose share of dark
// pixels follows the level: error diffusion (FloydSteinberg, Atkinson) scans rows in
// alternating directions so that flat areas show no slant; Bayer4 and Bayer8 repeat every 4
// or 8 pixels in both directions. `threshold` is 0..255.
MonoImage ToMono(const GreyImage& image, int threshold, Dither dither);

} // namespace vornix::image
