#pragma once

#include <string>

#include <QImage>

#include "lcdsim/framebuffer.h"

namespace vornix::lcdsim {

// The display memory as a 240 x 128 one-bit image: dark pixels black, light ones white.
QImage FramebufferImage(const Framebuffer& framebuffer);

// Each writes the whole file or nothing (a temporary file renamed into place), so a reader
// never sees half a picture. On failure `error` says why.
bool WritePbmFile(const Framebuffer& framebuffer, const std::string& path, std::string& error);
bool WritePngFile(const Framebuffer& framebuffer, const std::string& path, std::string& error);

} // namespace vornix::lcdsim
