#include "image/photo/prepare_decode.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "image/files/bounded_read.h"
#include "image/photo/prepare_buffer.h"
#include "image/photo/prepare_decode_formats.h"
#include "image/picture/encode_bmp.h"
#include "image/picture/pxl_fields.h"

namespace vornix::image {

namespace detail {

GreyImage AllocateGrey(int width, int height) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels = LargeBuffer(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return image;
}

PictureReadOutcome CheckPictureSize(std::int64_t width, std::int64_t height) {
    if (width < 1 || height < 1) {
        return PictureReadOutcome::BadHeader;
    }
    if (width > kMaxPicturePixels || height > kMaxPicturePixels ||
        width * height > kMaxPicturePixels) {
        return PictureReadOutcome::TooLarge;
    }
    return PictureReadOutcome::Read;
}

} // namespace detail

namespace {

// A PXL picture is read through the bitmap the LCD to bitmap conversion makes of it.
PictureReadResult readPxlPicture(std::string_view text) {
    const EncodedBmp bitmap = ConvertPxlToBitmap(text);
    if (!bitmap.result.converted()) {
        return {PictureReadOutcome::BadPxl, {}};
    }
    return detail::ReadBitmapPicture(bitmap.bytes);
}

bool startsWith(std::span<const std::uint8_t> file, std::string_view magic, std::size_t at = 0) {
    if (file.size() < at + magic.size()) {
        return false;
    }
    return std::equal(magic.begin(), magic.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

bool isGif(std::span<const std::uint8_t> file) {
    return startsWith(file, "GIF87a") || startsWith(file, "GIF89a");
}

class VectorSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        bitmap.insert(bitmap.end(), bytes.begin(), bytes.end());
        return true;
    }
    std::vector<std::uint8_t> bitmap;
};

} // namespace

bool StartsLikePicture(std::span<const std::uint8_t> start) {
    return startsWith(start, "BM") ||
           (start.size() >= 2 && start[0] == 'P' && start[1] >= '1' && start[1] <= '6') ||
           startsWith(start, "\x89PNG\r\n\x1a\n") || startsWith(start, "\xff\xd8\xff") ||
           isGif(start) || (startsWith(start, "RIFF") && startsWith(start, "WEBP", 8));
}

namespace {

PictureReadResult readGreyPicture(std::span<const std::uint8_t> file, const NeededSize& needed) {
    if (startsWith(file, "BM")) {
        return detail::ReadBitmapPicture(file);
    }
    if (file.size() >= 2 && file[0] == 'P' && file[1] >= '1' && file[1] <= '6') {
        return detail::ReadNetpbmPicture(file);
    }
    if (startsWith(file, "\x89PNG\r\n\x1a\n")) {
        return detail::ReadPngPicture(file);
    }
    if (startsWith(file, "\xff\xd8\xff")) {
        return detail::ReadJpegPicture(file, needed);
    }
    if (isGif(file)) {
        PictureReadResult first;
        first.outcome = detail::ReadGifFrames(file, [&first](GreyImage&& frame) {
            first.image = std::move(frame);
            return false;
        });
        return first;
    }
    if (startsWith(file, "RIFF") && startsWith(file, "WEBP", 8)) {
        return detail::ReadWebpPicture(file);
    }
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    if (HasPxlMarker(text)) {
        return readPxlPicture(text);
    }
    return {PictureReadOutcome::UnknownFormat, {}};
}

} // namespace

PictureReadResult ReadGreyPicture(std::span<const std::uint8_t> file) {
    return readGreyPicture(file, {});
}

PictureReadOutcome ReadGreyFrames(std::span<const std::uint8_t> file, const FrameSink& take,
                                  const NeededSize& needed) {
    if (isGif(file)) {
        return detail::ReadGifFrames(file, take);
    }
    PictureReadResult picture = readGreyPicture(file, needed);
    if (picture.ok()) {
        take(std::move(picture.image));
    }
    return picture.outcome;
}

PictureReadOutcome ReadGreyPxlFrames(PxlTextSource& text, const FrameSink& take) {
    VectorSink sink;
    if (!ConvertPxlToBitmap(text, sink).converted()) {
        return PictureReadOutcome::BadPxl;
    }
    PictureReadResult picture = detail::ReadBitmapPicture(sink.bitmap);
    if (picture.ok()) {
        take(std::move(picture.image));
    }
    return picture.outcome;
}

FramesFileResult ReadGreyFramesFile(const std::string& path, const FrameSink& take,
                                    const NeededSize& needed) {
    PxlFile file(path);
    if (file.openError() != 0) {
        return {PictureReadOutcome::UnknownFormat, file.openError()};
    }
    if (file.hasMarker()) {
        const PictureReadOutcome outcome = ReadGreyPxlFrames(file, take);
        if (file.readError() != 0) {
            return {PictureReadOutcome::UnknownFormat, file.readError()};
        }
        return {outcome, 0};
    }
    const FileBytes whole = file.readWhole(kMaxPreparedFileBytes);
    if (!whole.ok()) {
        return {PictureReadOutcome::UnknownFormat, whole.error};
    }
    return {ReadGreyFrames(whole.bytes, take, needed), 0};
}

PictureFileResult ReadGreyPictureFile(const std::string& path) {
    PictureFileResult result;
    const FramesFileResult read = ReadGreyFramesFile(path, [&result](GreyImage&& frame) {
        result.picture.image = std::move(frame);
        return false;
    });
    result.picture.outcome = read.outcome;
    result.error = read.error;
    if (!result.picture.ok()) {
        result.picture.image = {};
    }
    return result;
}

std::uint8_t GreyLevel(int red, int green, int blue) {
    return static_cast<std::uint8_t>((299 * red + 587 * green + 114 * blue + 500) / 1000);
}

std::string_view describe(PictureReadOutcome outcome) {
    switch (outcome) {
    case PictureReadOutcome::Read:
        return "the picture was read";
    case PictureReadOutcome::UnknownFormat:
        return "the file is not a BMP, PBM, PGM, PPM, PNG, JPEG, GIF, WebP or PXL picture";
    case PictureReadOutcome::BadHeader:
        return "the picture's header is damaged";
    case PictureReadOutcome::Unsupported:
        return "compressed bitmaps, this bitmap depth and animated WebP are not supported";
    case PictureReadOutcome::Truncated:
        return "the file ends before the last pixel";
    case PictureReadOutcome::BadSample:
        return "the picture holds a value that is not a number or exceeds its maximum";
    case PictureReadOutcome::TooLarge:
        return "the picture has more than 64 Mi pixels";
    case PictureReadOutcome::BadPxl:
        return "the PXL file could not be converted to a bitmap";
    case PictureReadOutcome::Damaged:
        return "the picture's data is damaged";
    case PictureReadOutcome::TooManyFrames:
        return "the animation has more than 1000 frames or 512 Mi pixels in all";
    case PictureReadOutcome::NoPhotoReader:
        return "this build cannot read this picture (no decoder for its format, or a GIF "
               "animation); convert it to BMP, PBM, PGM or PPM first";
    }
    return "the picture could not be read";
}

} // namespace vornix::image
