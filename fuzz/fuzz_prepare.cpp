// Feeds arbitrary bytes to the picture-preparation readers: bitmaps of every depth, PBM, PGM
// and PPM in their text and binary forms, PNG, JPEG, GIF (every frame), WebP and PXL text. Besides
// crashes it checks that a picture that was read has sides of at least 1, no more pixels than
// allowed, and exactly one grey level for each of them, and that what is read does not depend on
// bytes after the file.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "image/photo/prepare_decode.h"

namespace {

using namespace vornix::image;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkPicture(const GreyImage& image) {
    require(image.width >= 1 && image.height >= 1);
    require(std::int64_t{image.width} * image.height <= kMaxPicturePixels);
    require(image.pixels.size() ==
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const PictureReadResult result = ReadGreyPicture(file);
    if (!result.ok()) {
        require(result.image.pixels.empty());
        return 0;
    }
    checkPicture(result.image);
    // Every frame of an animation is a whole picture of the same size as the first.
    int frames = 0;
    ReadGreyFrames(file, [&](GreyImage&& frame) {
        checkPicture(frame);
        require(frame.width == result.image.width && frame.height == result.image.height);
        return ++frames < 16;
    });
    require(frames >= 1);
    // A picture needed at a quarter of its size (a JPEG is then decoded smaller): at least that
    // size, at most its own.
    const PictureSize full{result.image.width, result.image.height};
    const PictureSize quarter{(full.width + 3) / 4, (full.height + 3) / 4};
    ReadGreyFrames(
        file,
        [&](GreyImage&& frame) {
            checkPicture(frame);
            require(frame.width >= quarter.width && frame.width <= full.width);
            require(frame.height >= quarter.height && frame.height <= full.height);
            return false;
        },
        [&](PictureSize asked) {
            require(asked == full);
            return quarter;
        });
    return 0;
}
