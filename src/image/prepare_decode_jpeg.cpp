// JPEG pictures through libjpeg-turbo, a row at a time.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "image/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the reader, which then gives up on the picture. Warnings (a file cut short, whose missing
// rows libjpeg fills with grey) are ignored, as the toolkit's reader ignores them.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

extern "C" void onJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr /*info*/, int /*level*/) {}

// A CMYK picture as Adobe's programs write it stores every ink inverted.
std::uint8_t greyOfInks(const JSAMPLE* cmyk) {
    const int k = cmyk[3];
    return GreyLevel(cmyk[0] * k / 255, cmyk[1] * k / 255, cmyk[2] * k / 255);
}

// Decodes the rows into `image`, allocated once the header has shown the size. Only plain data
// lives in this frame across the setjmp, so the jump back skips no destructor.
PictureReadOutcome decode(jpeg_decompress_struct& jpeg, GreyImage& image,
                          std::vector<JSAMPLE>& row) {
    if (jpeg_read_header(&jpeg, TRUE) != JPEG_HEADER_OK) {
        return PictureReadOutcome::Damaged;
    }
    if (const auto size = CheckPictureSize(jpeg.image_width, jpeg.image_height);
        size != PictureReadOutcome::Read) {
        return size;
    }
    const bool inks = jpeg.jpeg_color_space == JCS_CMYK || jpeg.jpeg_color_space == JCS_YCCK;
    jpeg.out_color_space = inks ? JCS_CMYK : JCS_RGB;
    image = AllocateGrey(static_cast<int>(jpeg.image_width), static_cast<int>(jpeg.image_height));
    jpeg_start_decompress(&jpeg);
    row.resize(static_cast<std::size_t>(jpeg.output_width) * jpeg.output_components);
    std::uint8_t* out = image.pixels.data();
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&jpeg, rows, 1) != 1) {
            return PictureReadOutcome::Damaged;
        }
        const JSAMPLE* from = row.data();
        for (JDIMENSION x = 0; x < jpeg.output_width; ++x) {
            *out++ = inks ? greyOfInks(from) : GreyLevel(from[0], from[1], from[2]);
            from += jpeg.output_components;
        }
    }
    jpeg_finish_decompress(&jpeg);
    return PictureReadOutcome::Read;
}

} // namespace

PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> file) {
    jpeg_decompress_struct jpeg{};
    JpegErrors errors{};
    jpeg.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onJpegError;
    errors.manager.emit_message = onJpegMessage;
    PictureReadResult result;
    std::vector<JSAMPLE> row;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&jpeg);
        return {PictureReadOutcome::Damaged, {}};
    }
    jpeg_create_decompress(&jpeg);
    jpeg_mem_src(&jpeg, file.data(), static_cast<unsigned long>(file.size()));
    result.outcome = decode(jpeg, result.image, row);
    jpeg_destroy_decompress(&jpeg);
    if (!result.ok()) {
        result.image = {};
    }
    return result;
}

} // namespace vornix::image::detail
