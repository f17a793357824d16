#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "image/photo/prepare_geometry.h"
#include "image/photo/prepare_image.h"

namespace vornix::image {

class PxlTextSource;

enum class PictureReadOutcome {
    Read,
    UnknownFormat, // neither a bitmap, a PBM, PGM or PPM picture, nor a PXL file
    BadHeader,     // a side of 0 or less, a bad depth, maximum value or header number
    Unsupported,   // a compressed bitmap or an unusual bitmap depth
    Truncated,     // the file ends before the last pixel
    BadSample,     // a PBM, PGM or PPM text sample that is not a number or exceeds the maximum
    TooLarge,      // more than kMaxPicturePixels pixels
    BadPxl,        // a PXL file that does not turn into a bitmap
    Damaged,       // a PNG, JPEG, GIF or WebP file whose data its library cannot decode
    TooManyFrames, // an animation beyond kMaxAnimationFrames or kMaxAnimationPixels
    NoPhotoReader, // a format the build has no decoder for, or a GIF animation it cannot compose
};

// The most frames of an animation that are read.
inline constexpr int kMaxAnimationFrames = 1000;
// The most pixels the frames of an animation may take in all, each frame counted as its
// picture's screen (which is handed over for every frame, and prepared) plus its own pixels
// (which are decoded): 8 times the largest picture, 2^29. The work on an animation is then at
// most that of 8 of the largest still pictures, while 1000 frames of 512 x 512 still fit.
inline constexpr std::int64_t kMaxAnimationPixels = std::int64_t{1} << 29;

struct PictureReadResult {
    PictureReadOutcome outcome = PictureReadOutcome::UnknownFormat;
    GreyImage image; // empty unless read

    bool ok() const { return outcome == PictureReadOutcome::Read; }
};

// Reads a picture file of any of these kinds, told apart by their first bytes, into grey
// levels: Windows bitmaps (1, 4 or 8 bits with a palette, 16, 24 or 32 bits, uncompressed or
// with bit masks, bottom-up or top-down), PBM, PGM and PPM (text and binary, up to 16 bits a
// sample), PNG, JPEG, GIF (its first frame), WebP (still pictures) and PXL text. A picture
// whose header promises more than kMaxPicturePixels pixels is refused (TooLarge) before
// anything is allocated for its pixels, however small its file. Colours become their brightness
// (GreyLevel); pixels of a bitmap with an alpha mask are laid on white. A 1-bit bitmap is read by
// its palette's colours, unlike the PXL conversion, which reads colour indices. Nothing is
// allocated before the file has shown that it holds the pixels its header claims.
PictureReadResult ReadGreyPicture(std::span<const std::uint8_t> file);

// True when `start` begins as a bitmap, a PBM, PGM, PPM, PNG, JPEG, GIF or WebP file does (their
// first 12 bytes tell); PXL text aside. Content that does not is none of them however long.
bool StartsLikePicture(std::span<const std::uint8_t> start);

// Takes one frame of a picture; returns false to stop reading further frames.
using FrameSink = std::function<bool(GreyImage&& frame)>;

// The smallest size a picture of `full` size is needed at: the size it is reduced to when it is
// fitted or stretched smaller, else `full`. A reader may then decode it at any size from that
// up to `full`: a JPEG is decoded at the smallest of 1/8, 2/8 ... 8/8 of its size that is
// still at least the needed size on both sides, which spares the work on pixels the reduction
// would only average away (a 4000 x 3000 photo fitted into 240 x 128 needs 1/8 of them).
using NeededSize = std::function<PictureSize(PictureSize full)>;

// Like ReadGreyPicture, for every frame of an animated GIF in order, each composed as the
// animation shows it; any other picture has one frame. Returns Read when every frame asked
// for was read; a frame handed over before a later one failed stays handed over. An animation
// beyond kMaxAnimationFrames or kMaxAnimationPixels gives its first frame, and TooManyFrames
// when a second one is asked for.
// With `needed`, a frame may be smaller than the picture (see NeededSize).
PictureReadOutcome ReadGreyFrames(std::span<const std::uint8_t> file, const FrameSink& take,
                                  const NeededSize& needed = {});

// ReadGreyFrames for PXL text that arrives block by block (a file, standard input): the text is
// never held whole, only the bitmap it becomes. A source that fails to read ends the text
// there; its owner reports why.
PictureReadOutcome ReadGreyPxlFrames(PxlTextSource& text, const FrameSink& take);

// ReadGreyPicture for a named file, read once: PXL text block by block (the file starts with "@"
// marker), every other picture whole up to kMaxPreparedFileBytes. `error` is 0, or the errno
// of a file that could not be read (then the outcome is UnknownFormat and means nothing).
struct PictureFileResult {
    PictureReadResult picture;
    int error = 0;
};
PictureFileResult ReadGreyPictureFile(const std::string& path);

// ReadGreyFrames for a named file, read as ReadGreyPictureFile reads it. `error` as there.
struct FramesFileResult {
    PictureReadOutcome outcome = PictureReadOutcome::UnknownFormat;
    int error = 0;
};
FramesFileResult ReadGreyFramesFile(const std::string& path, const FrameSink& take,
                                    const NeededSize& needed = {});

// Brightness of a colour, 0..255 components: 0.299 red + 0.587 green + 0.114 blue, rounded.
std::uint8_t GreyLevel(int red, int green, int blue);

// A short description of an outcome in the product's terms, for the command line.
std::string_view describe(PictureReadOutcome outcome);

} // namespace vornix::image
