#pragma once

#include <string>

#include <QImage>

#include "lcdsim/framebuffer.h"

namespace vornix::lcdsim {

// The display memory as a 240 x 128 one-bit image: dark pixels black, light ones white.
QImage FramebufferImage(const Framebuffer& framebuffer);

// Each writes its file as every file a user names is written (image::OutputFile): through a
// link, keeping an existing file's permissions and owner, and a file changes only once the
// whole picture is there, so a reader never sees half of one. On failure `error` says why.
bool WritePbmFile(const Framebuffer& framebuffer, const std::string& path, std::string& error);
bool WritePngFile(const Framebuffer& framebuffer, const std::string& path, std::string& error);

} // namespace vornix::lcdsim
