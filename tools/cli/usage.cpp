#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "commands.h"
#include "vornix_version.h"

namespace vornix::cli {

namespace {

constexpr const char* kConvertHelp =
    "usage: vornix-cli convert INPUT OUTPUT\n"
    "       vornix-cli convert [OPTIONS] INPUT OUTPUT\n"
    "       vornix-cli convert [OPTIONS] -o DIR INPUT...\n"
    "\n"
    "Without options a 1-bit INPUT.bmp becomes PXL text and an INPUT.pxl becomes\n"
    "a 1-bit bitmap, byte for byte what the desktop program writes.\n"
    "\n"
    "With any of the options below, INPUT may be any picture: BMP of any depth,\n"
    "PBM, PGM, PPM, PNG, JPEG, GIF, WebP or PXL, told apart by its first bytes.\n"
    "It is turned, mirrored, sized, made black and white and inverted, in that\n"
    "order, and written as PXL text or a 1-bit bitmap by OUTPUT's ending (.pxl\n"
    "or .bmp).\n"
    "\n"
    "  --fit keep|fit|stretch|center\n"
    "                  keep the picture's size; fit it inside the target,\n"
    "                  proportions kept and the width cut to whole bytes of 8\n"
    "                  pixels; stretch it to the target; or centre it on the\n"
    "                  target unscaled. Default: fit a picture larger than the\n"
    "                  panel, keep a smaller one\n"
    "  --size WxH      the target of fit, stretch and center (default 240x128)\n"
    "  --rotate 0|90|180|270\n"
    "                  turn clockwise first\n"
    "  --flip none|h|v mirror left to right (h) or top to bottom (v)\n"
    "  --threshold N|auto\n"
    "                  grey levels below N (0 black to 255 white) become dark;\n"
    "                  auto, the default, is the picture's own threshold\n"
    "                  (Otsu's method)\n"
    "  --dither none|fs|atkinson|bayer4|bayer8\n"
    "                  a plain threshold (default), Floyd-Steinberg or Atkinson\n"
    "                  error diffusion, or an ordered 4 x 4 or 8 x 8 pattern\n"
    "  --invert        swap dark and light as the last step\n"
    "  --frames first|all\n"
    "                  a GIF's first frame (default), or every frame, written\n"
    "                  as NAME-001.pxl, NAME-002.pxl, ...\n"
    "  --to pxl|bmp    the form of a batch's outputs and of OUTPUT - (default\n"
    "                  pxl)\n"
    "  -o, --output-dir DIR\n"
    "                  a batch: one output per INPUT, DIR/NAME.pxl (or .bmp);\n"
    "                  an INPUT that fails is reported in one line and the\n"
    "                  others go on; the exit status is then 1\n"
    "  -j, --jobs N    pictures a batch converts at once (default: one per\n"
    "                  processor)\n"
    "\n"
    "A result wider or taller than the panel (240 x 128), or whose width is not\n"
    "a multiple of 8, is written as asked with one warning line: the panel shows\n"
    "only part of it.\n";

constexpr const char* kInfoHelp =
    "usage: vornix-cli info FILE\n"
    "\n"
    "Prints the bitmap header of FILE as the desktop program's Image Info box\n"
    "shows it: of a .bmp file as it is, of a .pxl file the bitmap it becomes.\n";

constexpr const char* kStreamHelp =
    "usage: vornix-cli stream FILE\n"
    "\n"
    "Writes to standard output the exact bytes a download of FILE (.pxl, or a\n"
    "1-bit .bmp converted first) sends to the LCD controller.\n";

constexpr const char* kLoadHelp =
    "usage: vornix-cli load [--port DEVICE] FILE\n"
    "\n"
    "Sends FILE (.pxl, or a 1-bit .bmp converted first) to the LCD controller\n"
    "at 9600 baud, 8 data bits, no parity, 1 stop bit, with RTS/CTS handshake.\n"
    "Progress goes to standard error; Ctrl+C stops the download (exit 130).\n"
    "\n"
    "  --port DEVICE   the serial device (default: the first serial port, or\n"
    "                  the device named by the environment variable VORNIX_COM1)\n";

constexpr const char* kPatternHelp =
    "usage: vornix-cli pattern [--size WxH] NAME OUTPUT\n"
    "\n"
    "Writes a test pattern as OUTPUT.pxl or a 1-bit OUTPUT.bmp (PXL text for\n"
    "OUTPUT -), for checking a module, its wiring and the bit order of a\n"
    "download.\n"
    "\n"
    "  NAME          border, checker, grid, ruler or bits\n"
    "  --size WxH    the pattern's size (default 240x128)\n";

constexpr std::array<std::pair<std::string_view, const char*>, 5> kCommandHelp = {{
    {"convert", kConvertHelp},
    {"info", kInfoHelp},
    {"stream", kStreamHelp},
    {"load", kLoadHelp},
    {"pattern", kPatternHelp},
}};

} // namespace

const char* UsageText() {
    return "usage: vornix-cli COMMAND [OPTIONS] ARGUMENTS\n"
           "Converts pictures for the 240 x 128 LCD controller and sends them to it.\n"
           "\n"
           "  convert INPUT OUTPUT      a 1-bit BMP to PXL text, or PXL text to a BMP\n"
           "  convert [OPTIONS] INPUT OUTPUT\n"
           "                            any picture (BMP, PBM, PGM, PPM, PNG, JPEG,\n"
           "                            GIF, WebP, PXL) prepared for the panel\n"
           "  convert [OPTIONS] -o DIR INPUT...\n"
           "                            many pictures, one output each in DIR\n"
           "  info FILE                 the bitmap header of a .bmp or .pxl file\n"
           "  stream FILE               the controller command stream, on stdout\n"
           "  load [--port DEVICE] FILE send FILE to the LCD controller\n"
           "  pattern [--size WxH] NAME OUTPUT\n"
           "                            a test pattern: border, checker, grid, ruler,\n"
           "                            bits\n"
           "  help [COMMAND]            this text, or the command's own\n"
           "\n"
           "  -h, --help                show this text; after a command, its help\n"
           "  --version                 show the release number\n"
           "\n"
           "A file name - stands for standard input or standard output. Exit status:\n"
           "0 done, 1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";
}

const char* CommandHelp(std::string_view command) {
    for (const auto& [name, text] : kCommandHelp) {
        if (name == command) {
            return text;
        }
    }
    return nullptr;
}

const char* VersionText(std::string_view program) {
    static std::string text;
    text = std::string(program) + " " VORNIX_VERSION_TEXT "\n";
    return text.c_str();
}

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            return true;
        }
    }
    return false;
}

std::string FirstOption(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            return arg;
        }
    }
    return "";
}

int UsageError(std::string_view command, std::string_view reason) {
    std::string line = "vornix-cli";
    if (!command.empty()) {
        line.append(" ").append(command);
    }
    line.append(": ").append(reason).append("\nTry 'vornix-cli --help'.\n");
    std::fputs(line.c_str(), stderr);
    return kExitUsage;
}

} // namespace vornix::cli
