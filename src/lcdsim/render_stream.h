#pragma once

#include <string_view>

#include "lcdsim/framebuffer.h"

namespace vornix::lcdsim {

// What the panel shows after a freshly powered controller (all pixels light) has taken the
// whole command stream: a preview of a download without the hardware.
Framebuffer RenderStream(std::string_view stream);

} // namespace vornix::lcdsim
