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
    "Without options a 1-bit INPUT.bmp becomes PXL text and an INPUT.pxl becomes a 1-bit\n"
    "bitmap, byte for byte what the desktop program writes.\n"
    "\n"
    "With any of the options below, INPUT may be any picture: BMP of any depth, PBM, PGM,\n"
    "PPM, PNG, JPEG, GIF, WebP or PXL, told apart by their first bytes. It is turned,\n"
    "mirrored, sized, made black and white and inverted, in that order, and written as\n"
    "PXL text or a 1-bit bitmap, by OUTPUT's ending (.pxl or .bmp).\n"
    "\n"
    "  --fit keep|fit|stretch|center\n"
    "                       keep the picture's size; fit it inside the target, proportions\n"
    "                       kept and the width cut to whole bytes of 8 pixels; stretch it to\n"
    "                       the target; or centre it on the target unscaled. Default: fit\n"
    "                       when the picture is larger than the panel, keep otherwise\n"
    "  --size WxH           the target of --fit fit, stretch or center (default 240x128)\n"
    "  --rotate 0|90|180|270  turn clockwise first\n"
    "  --flip none|h|v      mirror left to right (h) or top to bottom (v) after turning\n"
    "  --threshold N|auto   grey levels below N (0 black .. 255 white) become dark; auto,\n"
    "                       the default, takes the picture's own threshold (Otsu's method)\n"
    "  --dither none|fs|atkinson|bayer4|bayer8\n"
    "                       a plain threshold (default), Floyd-Steinberg or Atkinson error\n"
    "                       diffusion, or an ordered 4 x 4 or 8 x 8 pattern\n"
    "  --invert             swap dark and light as the last step\n"
    "  --frames first|all   a GIF's first frame (default), or every frame, written as\n"
    "                       NAME-001.pxl, NAME-002.pxl, ...\n"
    "  --to pxl|bmp         the form of the outputs of a batch (default pxl)\n"
    "  -o, --output-dir DIR batch: one output per INPUT, DIR/NAME.pxl (or .bmp); an INPUT\n"
    "                       that fails is reported and the others go on; exit 1 if any failed\n"
    "  -j, --jobs N         batch: pictures converted at once (default: the processors)\n"
    "\n"
    "A picture wider or taller than the panel (240 x 128), or whose width is not a multiple\n"
    "of 8, is written as asked with one warning line: the panel shows only part of it.\n";

constexpr const char* kInfoHelp =
    "usage: vornix-cli info FILE\n"
    "\n"
    "Prints the bitmap header of FILE as the desktop program's Image Info box shows it: of a\n"
    ".bmp file as it is, of a .pxl file the bitmap it becomes.\n";

constexpr const char* kStreamHelp =
    "usage: vornix-cli stream FILE\n"
    "\n"
    "Writes to standard output the exact bytes a download of FILE (.pxl, or a 1-bit .bmp\n"
    "converted first) sends to the LCD controller.\n";

constexpr const char* kLoadHelp =
    "usage: vornix-cli load [--port DEVICE] FILE\n"
    "\n"
    "Sends FILE (.pxl, or a 1-bit .bmp converted first) to the LCD controller at 9600 baud,\n"
    "8 data bits, no parity, 1 stop bit, with RTS/CTS handshake. Progress goes to standard\n"
    "error; Ctrl+C stops the download (exit 130).\n"
    "\n"
    "  --port DEVICE   the serial device (default: the first serial port, or the device\n"
    "                  named by the environment variable VORNIX_COM1)\n";

constexpr const char* kPatternHelp =
    "usage: vornix-cli pattern [--size WxH] NAME OUTPUT\n"
    "\n"
    "Writes a test pattern as OUTPUT.pxl or a 1-bit OUTPUT.bmp, for checking a module, its\n"
    "wiring and the bit order of a download.\n"
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
           "  convert INPUT OUTPUT        a 1-bit BMP to PXL text, or PXL text to a 1-bit BMP\n"
           "  convert [OPTIONS] INPUT OUTPUT\n"
           "                              any picture (BMP, PBM, PGM, PPM, PNG, JPEG, GIF,\n"
           "                              WebP, PXL) prepared for the panel\n"
           "  convert [OPTIONS] -o DIR INPUT...\n"
           "                              many pictures, one output each in DIR\n"
           "  info FILE                   the bitmap header of a .bmp or .pxl file\n"
           "  stream FILE                 the controller command stream, on standard output\n"
           "  load [--port DEVICE] FILE   send FILE to the LCD controller\n"
           "  pattern [--size WxH] NAME OUTPUT\n"
           "                              a test pattern: border, checker, grid, ruler, bits\n"
           "  help [COMMAND]              this text, or the command's own\n"
           "\n"
           "  -h, --help                  show this text; after a command, the command's help\n"
           "  --version                   show the release number\n"
           "\n"
           "A file name '-' stands for standard input or standard output. Exit status: 0 done,\n"
           "1 failed, 2 usage error, 130 stopped by Ctrl+C.\n";
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
        line += " " + std::string(command);
    }
    line += ": " + std::string(reason) + "\nTry 'vornix-cli --help'.\n";
    std::fputs(line.c_str(), stderr);
    return kExitUsage;
}

} // namespace vornix::cli
