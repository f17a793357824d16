#pragma once

namespace vornix::image {

// How a picture is brought to the target size.
enum class Fit {
    Keep,    // as it is
    Fit,     // scaled to lie inside the target, proportions kept (one side equals the target's)
    Stretch, // scaled to exactly the target size
    Center,  // unscaled, centred on a white canvas of the target size, cropped when larger
};

// Quarter turns clockwise.
enum class Rotation { None, Clockwise90, Half, Clockwise270 };

enum class Flip { None, Horizontal, Vertical };

// How grey levels become dark and light pixels.
enum class Dither {
    None,           // a plain threshold
    FloydSteinberg, // error diffusion to four neighbours, rows scanned in alternate directions
    Atkinson,       // error diffusion of three quarters of the error to six neighbours
    Bayer4,         // ordered 4 x 4 pattern
    Bayer8,         // ordered 8 x 8 pattern
};

// The default LCD module's size in pixels.
inline constexpr int kLcdWidth = 240;
inline constexpr int kLcdHeight = 128;

// The steps applied by PreparePicture, in this order: rotation, flip, fit to the target, the
// threshold or dither, inversion.
struct PrepareOptions {
    Fit fit = Fit::Keep;
    int targetWidth = kLcdWidth; // used by every fit but Keep; 1..kMaxPreparedSide
    int targetHeight = kLcdHeight;
    Rotation rotation = Rotation::None;
    Flip flip = Flip::None;
    // Without dithering a grey level below the threshold is dark. With dithering the threshold
    // is the grey level that comes out as half dark; the default 128 leaves the levels as they
    // are. 0..255.
    int threshold = 128;
    // Take the threshold from the picture's histogram (Otsu) instead of `threshold`: the
    // histogram of the picture as given, before it is turned or sized, so that the threshold
    // is the one the Import Picture dialog starts with and its Auto button restores.
    bool autoThreshold = false;
    Dither dither = Dither::None;
    bool invert = false; // swap dark and light as the last step
};

} // namespace vornix::image
