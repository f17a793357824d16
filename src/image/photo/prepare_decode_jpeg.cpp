// JPEG pictures through libjpeg-turbo, a row at a time.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

// The most scans a picture may take. Encoders store a progressive picture in 6 to about 20
// scans; each scan costs one pass over the whole picture however few bytes it holds, so a file
// of thousands of (empty or repeated) scans would keep the reader busy for minutes.
constexpr int kMaxJpegScans = 64;

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the reader, which then gives up on the picture. A warning about damaged data (a file cut
// short, a bad code, a data segment that ends early, an impossible progression) is a failure
// too: libjpeg would fill in the missing pixels with grey and go on. Warnings about what the
// picture only describes (an unknown JFIF revision, colour transform or ICC profile) are not.
struct JpegErrors {
    jpeg_error_mgr manager;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
};

[[noreturn]] void giveUp(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

extern "C" void onJpegError(j_common_ptr info) {
    giveUp(info);
}

extern "C" void onJpegMessage(j_common_ptr info, int level) {
    if (level >= 0) {
        return; // trace messages
    }
    switch (info->err->msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
        return;
    default:
        giveUp(info);
    }
}

// Called while the scans are read, at least once per scan: stops at the scan after the last
// one allowed.
extern "C" void onJpegProgress(j_common_ptr info) {
    if (!info->is_decompressor) {
        return;
    }
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
        giveUp(info);
    }
}

// A CMYK picture as Adobe's programs write it stores every ink inverted.
std::uint8_t greyOfInks(const JSAMPLE* cmyk) {
    const int k = cmyk[3];
    return GreyLevel(cmyk[0] * k / 255, cmyk[1] * k / 255, cmyk[2] * k / 255);
}

// Chooses the smallest scale of 1/8 ... 8/8 whose output is at least `need` on both sides;
// libjpeg then decodes each 8 x 8 block straight into fewer pixels.
void chooseScale(jpeg_decompress_struct& jpeg, PictureSize need) {
    jpeg.scale_denom = 8;
    for (unsigned int eighths = 1; eighths <= 8; ++eighths) {
        jpeg.scale_num = eighths;
        jpeg_calc_output_dimensions(&jpeg);
        if (static_cast<std::int64_t>(jpeg.output_width) >= need.width &&
            static_cast<std::int64_t>(jpeg.output_height) >= need.height) {
            return;
        }
    }
}

// Decodes the rows into `image`, allocated once the header has shown the size. Only plain data
// lives in this frame across the setjmp, so the jump back skips no destructor.
PictureReadOutcome decode(jpeg_decompress_struct& jpeg, GreyImage& image, std::vector<JSAMPLE>& row,
                          const NeededSize& needed) {
    if (jpeg_read_header(&jpeg, TRUE) != JPEG_HEADER_OK) {
        return PictureReadOutcome::Damaged;
    }
    if (const auto size = CheckPictureSize(jpeg.image_width, jpeg.image_height);
        size != PictureReadOutcome::Read) {
        return size;
    }
    const bool inks = jpeg.jpeg_color_space == JCS_CMYK || jpeg.jpeg_color_space == JCS_YCCK;
    jpeg.out_color_space = inks ? JCS_CMYK : JCS_RGB;
    if (needed) {
        chooseScale(jpeg, needed({static_cast<int>(jpeg.image_width),
                                  static_cast<int>(jpeg.image_height)}));
    } else {
        jpeg_calc_output_dimensions(&jpeg);
    }
    // A picture decoded at a reduced size is resampled anyway, so its exact levels matter
    // less than the work: its luma (Y, the same weights as GreyLevel) is taken as it is
    // stored, and the colour components are only skipped over, neither transformed nor
    // converted.
    const bool luma = jpeg.scale_num < jpeg.scale_denom && (jpeg.jpeg_color_space == JCS_YCbCr ||
                                                            jpeg.jpeg_color_space == JCS_GRAYSCALE);
    if (luma) {
        jpeg.out_color_space = JCS_GRAYSCALE;
        jpeg_calc_output_dimensions(&jpeg);
    }
    image = AllocateGrey(static_cast<int>(jpeg.output_width), static_cast<int>(jpeg.output_height));
    jpeg_start_decompress(&jpeg);
    row.resize(static_cast<std::size_t>(jpeg.output_width) * jpeg.output_components);
    std::uint8_t* out = image.pixels.data();
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW rows[1] = {luma ? out : row.data()};
        if (jpeg_read_scanlines(&jpeg, rows, 1) != 1) {
            return PictureReadOutcome::Damaged;
        }
        if (luma) {
            out += jpeg.output_width;
            continue;
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

PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> file, const NeededSize& needed) {
    jpeg_decompress_struct jpeg{};
    JpegErrors errors{};
    jpeg.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onJpegError;
    errors.manager.emit_message = onJpegMessage;
    errors.progress.progress_monitor = onJpegProgress;
    PictureReadResult result;
    std::vector<JSAMPLE> row;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&jpeg);
        return {PictureReadOutcome::Damaged, {}};
    }
    jpeg_create_decompress(&jpeg);
    jpeg.progress = &errors.progress;
    jpeg_mem_src(&jpeg, file.data(), static_cast<unsigned long>(file.size()));
    result.outcome = decode(jpeg, result.image, row, needed);
    jpeg_destroy_decompress(&jpeg);
    if (!result.ok()) {
        result.image = {};
    }
    return result;
}

} // namespace vornix::image::detail
