#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QImage>

#include "download/stream/command_stream.h"
#include "lcdsim/framebuffer.h"

namespace vornix::dialogs {

// What the panel shows after a freshly powered controller has taken the download of a PXL text.
struct PanelRun {
    download::StreamError error = download::StreamError::None; // None: the stream was sent
    image::PxlHeader header;                                   // as read, when it was
    lcdsim::Framebuffer framebuffer;                           // all light when nothing was sent
    std::uint64_t rejectedCommands = 0; // commands the controller found fault with
    std::string firstRejection;         // the first of them, described; empty when none
};

// Runs the exact byte stream of a download of `pxlText` through the controller model.
PanelRun RunOnPanel(std::string_view pxlText);

// The top left 240 x 128 pixels of a picture as the panel would hold them: a pixel is dark when
// it is opaque and its grey level is below the middle. Pixels outside the picture stay light.
lcdsim::Framebuffer PictureOnPanel(const QImage& picture);

// The pixels in which two panels differ, as set pixels.
lcdsim::Framebuffer PanelDifference(const lcdsim::Framebuffer& a, const lcdsim::Framebuffer& b);

// The panel at real size (240 x 128, RGB32) in the glass colours of the display; pixels set in
// `marked` are drawn in the mark colour instead.
QImage PanelImage(const lcdsim::Framebuffer& shown, const lcdsim::Framebuffer* marked = nullptr);

// The colours of PanelImage.
inline constexpr QRgb kGlassRgb = 0xffa3b860; // a light pixel
inline constexpr QRgb kDotRgb = 0xff1c241e;   // a dark pixel
inline constexpr QRgb kMarkRgb = 0xffe00000;  // a marked pixel

} // namespace vornix::dialogs
