// PNG pictures through libpng's simplified reader.
#include <png.h>

#include <cstddef>
#include <vector>

#include "image/photo/prepare_buffer.h"
#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

// Frees the reader's state on every way out.
class PngImage {
public:
    PngImage() {
        m_image.version = PNG_IMAGE_VERSION;
        // A 16-bit picture without gamma information is taken as ordinary (sRGB) levels, as
        // the toolkit's reader takes it, not as linear light.
        m_image.flags = PNG_IMAGE_FLAG_16BIT_sRGB;
    }
    ~PngImage() { png_image_free(&m_image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    png_image* operator->() { return &m_image; }
    png_image* get() { return &m_image; }

private:
    png_image m_image{};
};

} // namespace

PictureReadResult ReadPngPicture(std::span<const std::uint8_t> file) {
    PngImage png;
    if (png_image_begin_read_from_memory(png.get(), file.data(), file.size()) == 0) {
        return {PictureReadOutcome::Damaged, {}};
    }
    // The header alone decides: a picture beyond the limit is refused before its pixels are
    // inflated, however well they compress.
    if (const auto size = CheckPictureSize(png->width, png->height);
        size != PictureReadOutcome::Read) {
        return {size, {}};
    }
    const bool grey = (png->format & (PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_ALPHA |
                                      PNG_FORMAT_FLAG_COLORMAP)) == 0;
    PictureReadResult result{PictureReadOutcome::Read, AllocateGrey(static_cast<int>(png->width),
                                                                    static_cast<int>(png->height))};
    if (grey) {
        png->format = PNG_FORMAT_GRAY;
        if (png_image_finish_read(png.get(), nullptr, result.image.pixels.data(), 0, nullptr) ==
            0) {
            return {PictureReadOutcome::Damaged, {}};
        }
        return result;
    }
    png->format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> colours = LargeBuffer(PNG_IMAGE_SIZE(*png.get()));
    if (png_image_finish_read(png.get(), nullptr, colours.data(), 0, nullptr) == 0) {
        return {PictureReadOutcome::Damaged, {}};
    }
    GreyFromRgbaOnWhite(colours.data(), result.image);
    return result;
}

} // namespace vornix::image::detail
