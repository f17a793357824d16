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
    "or .bmp) or by --to.\n"
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
    "                  a GIF's first frame (default), or every frame (at most\n"
    "                  1000), written as NAME-001.pxl, NAME-002.pxl, ...\n"
    "  --to pxl|bmp|c|xbm|pbm|bin\n"
    "                  the form of the outputs whatever their names: of a\n"
    "                  batch (default pxl), of OUTPUT - (default pxl), of a\n"
    "                  device, a FIFO or any OUTPUT (default: its ending)\n"
    "  -o, --output-dir DIR\n"
    "                  a batch: one output per INPUT, DIR/NAME.pxl (or .bmp);\n"
    "                  an INPUT that fails is reported in one line and the\n"
    "                  others go on; the exit status is then 1. A missing DIR\n"
    "                  is made, with a note, unless its name ends like a\n"
    "                  picture's (.pxl, .bmp, .png, ...): that is refused\n"
    "  -j, --jobs N    pictures a batch converts at once (default: one per\n"
    "                  processor)\n"
    "  -q, --quiet     no warnings, notes or progress; failures still show\n"
    "\n"
    "A result wider or taller than the panel (240 x 128), or whose width is not\n"
    "a multiple of 8, is written as asked with one warning line: the panel shows\n"
    "only part of it. An output that is one of the inputs (by any name) is\n"
    "refused before anything is written. On a terminal a batch shows its\n"
    "progress on one line, [DONE/ALL] NAME, cleared at the end.\n"
    "\n"
    "Firmware formats: OUTPUT.c or .h (C source), .xbm (X11 bitmap), .pbm and\n"
    ".bin (raw bytes) are written pixel for pixel from a 1-bit BMP, a PXL file\n"
    "or another of them, which are read too; with a picture option any INPUT is\n"
    "prepared first. -o NAME.h (or .c) writes every INPUT as its own array in\n"
    "one header, with a table NAME[] of their bits, widths and heights.\n"
    "\n"
    "  --layout rows-msb|rows-lsb|pages-lsb|pages-msb|columns\n"
    "                  how pixels land in bytes (C source, raw bytes): rows,\n"
    "                  leftmost pixel in the high bit (default, the panel's\n"
    "                  own) or the low bit; pages of 8 rows, a byte a column,\n"
    "                  top pixel in the low or high bit; columns, 8 rows a\n"
    "                  byte, top pixel in the high bit\n"
    "  --set dark|light\n"
    "                  what a set bit stands for (default dark)\n"
    "  --preset panel|pages|x11|mcu|columns\n"
    "                  a layout and form in one word: this panel's rows,\n"
    "                  page-addressed controllers, X11 bitmaps, the bitmap\n"
    "                  call of microcontroller graphics libraries (PROGMEM),\n"
    "                  column-addressed memory\n"
    "  --name NAME     the C array's name (default: from OUTPUT's name)\n"
    "  --values-per-line N\n"
    "                  values a line of C source (default 16)\n"
    "  --literal hex|binary\n"
    "                  values as 0x3F (default) or 0b00111111\n"
    "  --placement TEXT\n"
    "                  written after the array's name, such as PROGMEM\n"
    "  --draw-pixels   the pixels drawn in comments, # dark and . light\n"
    "  --no-static, --no-const\n"
    "                  leave static or const out of the declaration\n"
    "  --in-layout, --in-set, --in-size WxH\n"
    "                  what a C array or raw INPUT holds (default: --layout,\n"
    "                  --set, and for C source the size the file names); with\n"
    "                  --in-size an INPUT of no known ending is raw bytes\n";

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
    "                  the device named by the environment variable VORNIX_COM1);\n"
    "                  on Windows a COM port such as COM5\n"
    "\n"
    "Given more than once (--port A --port B FILE), FILE is loaded into every port\n"
    "at once, one download each; --port DEVICE=FILE gives a port its own picture.\n"
    "  --ports GLOB      every device GLOB names, such as '/dev/ttyUSB*'\n"
    "  --stall-time SEC  give up a port whose line stays held SEC seconds\n"
    "                    (1 to 3600, default 10)\n"
    "A port that fails ends only its own download. On a terminal each port has a\n"
    "line redrawn in place; otherwise its lines come as DEVICE: line. Then one\n"
    "result a port and a summary (\"3 loaded, 1 failed: DEVICE: reason\"); the\n"
    "exit status is 1 when any port failed.\n"
    "\n"
    "usage: vornix-cli load --each-new-port [--ports GLOB] FILE\n"
    "\n"
    "Waits for serial devices to appear (default /dev/ttyUSB* and /dev/ttyACM*)\n"
    "and loads FILE into each new one, with one result line a panel and a\n"
    "running count, until Ctrl+C. A device pulled out during its download is a\n"
    "failed panel; the exit status is 1 when any panel failed.\n";

constexpr const char* kPatternHelp =
    "usage: vornix-cli pattern [--size WxH] NAME OUTPUT\n"
    "       vornix-cli pattern [--size WxH] --to FORM NAME OUTPUT\n"
    "\n"
    "Writes a test pattern as OUTPUT.pxl or a 1-bit OUTPUT.bmp (PXL text for\n"
    "OUTPUT -), for checking a module, its wiring and the bit order of a\n"
    "download.\n"
    "\n"
    "  NAME          border, checker, grid, ruler or bits\n"
    "  --size WxH    the pattern's size (default 240x128)\n"
    "  --to FORM     pxl, bmp, c, xbm, pbm or bin: the form of OUTPUT\n"
    "                whatever its name (a device, a FIFO, /dev/stdout);\n"
    "                default: its ending\n";

constexpr const char* kTextHelp =
    "usage: vornix-cli text [OPTIONS] TEXT OUTPUT\n"
    "\n"
    "Writes TEXT (UTF-8; a line break in it starts a new line; - reads it from\n"
    "standard input) drawn in a font as a picture, every pixel dark or light\n"
    "with no grey edge: OUTPUT.pxl, a 1-bit OUTPUT.bmp, or any form --to names\n"
    "(PXL text for OUTPUT -). A character the font lacks is drawn as the font's\n"
    "default glyph, with a warning naming it.\n"
    "\n"
    "  --font NAME|FILE\n"
    "                the family name of an installed font (\"DejaVu Sans\",\n"
    "                \"DejaVu Sans:bold\", monospace), or a font file: BDF or PCF\n"
    "                (also .pcf.gz) bitmap fonts, TrueType or OpenType outline\n"
    "                fonts. Default: the fixed bitmap font of xfonts-base\n"
    "  --size N      the size in pixels, 1 to 1000 (default 13): of an outline\n"
    "                font; the default font comes in 6 to 20 pixels and the\n"
    "                nearest is taken; another bitmap font keeps its own size\n"
    "  --size-of WxH the picture's size (default: the text's own); the text\n"
    "                starts at the top, ink beyond the edge is cut with a warning\n"
    "  --align left|centre|right\n"
    "                each line's place across the picture (default left)\n"
    "  --to FORM     pxl, bmp, c, xbm, pbm or bin: the form of OUTPUT\n"
    "                whatever its name; default: its ending\n";

constexpr std::array<std::pair<std::string_view, const char*>, 6> kCommandHelp = {{
    {"convert", kConvertHelp},
    {"info", kInfoHelp},
    {"stream", kStreamHelp},
    {"load", kLoadHelp},
    {"pattern", kPatternHelp},
    {"text", kTextHelp},
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
           "  load --each-new-port FILE load FILE into every panel plugged in\n"
           "  pattern [--size WxH] NAME OUTPUT\n"
           "                            a test pattern: border, checker, grid, ruler,\n"
           "                            bits\n"
           "  text [--font NAME|FILE] [--size N] TEXT OUTPUT\n"
           "                            a text drawn in a font, one-bit\n"
           "  help [COMMAND]            this text, or the command's own\n"
           "\n"
           "  -h, --help                show this text; after a command, its help\n"
           "  --version                 show the release number\n"
           "\n"
           "A file name - stands for standard input or standard output; \"--\" ends the\n"
           "options of every command. Exit status: 0 done, 1 failed, 2 usage error,\n"
           "130 stopped by Ctrl+C.\n";
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
