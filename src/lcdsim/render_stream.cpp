#include "lcdsim/render_stream.h"

#include "lcdsim/lcd_controller.h"

namespace vornix::lcdsim {

Framebuffer RenderStream(std::string_view stream) {
    LcdController controller;
    controller.feed(stream);
    return controller.framebuffer();
}

} // namespace vornix::lcdsim
