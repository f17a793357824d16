#include "commands.h"

namespace vornix::cli {

const char* UsageText() {
    return "usage: vornix-cli convert INPUT OUTPUT\n"
           "         INPUT.bmp (1-bit) -> OUTPUT in PXL form; INPUT.pxl -> OUTPUT as a 1-bit BMP\n"
           "       vornix-cli info FILE\n"
           "         print the bitmap header of FILE (.bmp, or the bitmap a .pxl file becomes)\n"
           "       vornix-cli stream FILE\n"
           "         write the controller command stream for FILE (.pxl or .bmp) to stdout\n"
           "       vornix-cli load [--port DEVICE] FILE\n"
           "         send FILE to the LCD controller at 9600,N,8,1 with RTS/CTS\n";
}

} // namespace vornix::cli
