#include "commands.h"

namespace vornix::cli {

const char* UsageText() {
    return "usage: vornix-cli convert INPUT OUTPUT\n"
           "         INPUT.bmp (1-bit) -> OUTPUT in PXL form; INPUT.pxl -> OUTPUT as a 1-bit BMP\n"
           "       vornix-cli convert [--fit keep|fit|stretch|center] [--size WxH]\n"
           "                          [--rotate 0|90|180|270] [--flip h|v] [--threshold N|auto]\n"
           "                          [--dither none|fs|atkinson|bayer4|bayer8] [--invert]\n"
           "                          INPUT OUTPUT\n"
           "         any picture (BMP of any depth, PBM, PGM, PPM, PXL) -> OUTPUT.pxl or a 1-bit\n"
           "         OUTPUT.bmp: turned, flipped, fitted to WxH (default 240x128), then\n"
           "         thresholded (levels below N are dark, default 128) or dithered, then "
           "inverted\n"
           "       vornix-cli info FILE\n"
           "         print the bitmap header of FILE (.bmp, or the bitmap a .pxl file becomes)\n"
           "       vornix-cli stream FILE\n"
           "         write the controller command stream for FILE (.pxl or .bmp) to stdout\n"
           "       vornix-cli load [--port DEVICE] FILE\n"
           "         send FILE to the LCD controller at 9600,N,8,1 with RTS/CTS\n"
           "       vornix-cli pattern [--size WxH] border|checker|grid|ruler|bits OUTPUT\n"
           "         write a test pattern (default 240x128) as OUTPUT.pxl or a 1-bit OUTPUT.bmp\n";
}

} // namespace vornix::cli
