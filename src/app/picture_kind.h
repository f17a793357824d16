#pragma once

#include <QString>

namespace vornix::app {

// What a file the save commands may replace holds, judged by its first bytes and, when they
// name no picture, by its ending.
enum class PictureKind {
    None,         // no file there, or one that is no picture
    OneBitBitmap, // a BMP of one bit a pixel, as Save as BMP writes
    DeeperBitmap, // a BMP of more bits a pixel
    Png,
    Jpeg,
    Gif,
    Tiff,
    WebP,
    Pxl,          // named *.pxl and holding no other picture
    OtherPicture, // named as a picture of another kind (.xpm, .ico, ...)
};

PictureKind PictureKindOf(const QString& path);

// The kind in words for the replace question: "a JPEG picture", "a PXL file", ...
// `path` gives a deeper bitmap's depth.
QString PictureKindWords(PictureKind kind, const QString& path);

// True when `ending` (without the dot, any case) names a picture file or a PXL file.
bool IsPictureEnding(const QString& ending);

} // namespace vornix::app
