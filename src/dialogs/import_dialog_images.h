#pragma once

#include <QImage>

#include "image/photo/prepare_image.h"
#include "lcdsim/framebuffer.h"

namespace vornix::dialogs {

// The picture's grey levels (0 black .. 255 white), with the brightness the image core gives a
// colour; transparent parts are laid on white, as on the light glass of the panel. Empty for a
// null picture or one of more than image::kMaxPicturePixels pixels.
image::GreyImage GreyFromImage(const QImage& picture);

// A 1-bit picture (Format_Mono) whose colour 0 is black and colour 1 white, a dark pixel being
// colour 0: the colour-index convention of the working bitmap. Null for an empty picture.
QImage MonoToImage(const image::MonoImage& picture);

// The top left 240 x 128 pixels of a picture as the panel holds them; the rest stays light.
lcdsim::Framebuffer MonoOnPanel(const image::MonoImage& picture);

} // namespace vornix::dialogs
