#include "download/line/serial_line.h"

#include <cstdlib>

namespace vornix::download {

std::string DefaultSerialDevice() {
    const char* fromEnvironment = std::getenv("VORNIX_COM1");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
#ifdef _WIN32
    return "COM1";
#else
    return "/dev/ttyS0";
#endif
}

} // namespace vornix::download
