#pragma once

#include <optional>

#include <QByteArray>
#include <QImage>
#include <QString>

#include "image/photo/prepare_image.h"

namespace vornix::app {

// The picture as the LCD shows it when it holds two colours or fewer: of two colours the
// darker one is dark and the other light; a picture of one colour is dark when that colour
// is darker than middle grey. Translucent pixels count as laid on white, as the picture box
// and the import dialog show them. nullopt for a picture of three colours or more, an empty
// one, or one with a side beyond what the 1-bit bitmap writer takes.
std::optional<image::MonoImage> TwoColourPicture(const QImage& picture);

// The working bitmap for a two-colour picture: a 1-bit bitmap whose colour 0 is the dark one,
// so that the conversion makes every dark pixel a set bit. nullopt as TwoColourPicture.
std::optional<QByteArray> TwoColourBitmap(const QImage& picture);

// True when path names a regular file whose content is a Windows bitmap (it starts with "BM").
// Looks at the first two bytes only.
bool IsBitmapFile(const QString& path);

} // namespace vornix::app
