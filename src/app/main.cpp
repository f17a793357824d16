// The Vornix desktop program.
#include <cstdio>
#include <cstring>

#include <QApplication>

#include "app/application.h"
#include "vornix_version.h"

int main(int argc, char** argv) {
    // Answered before the toolkit starts, so that they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("vornix " VORNIX_VERSION_TEXT "\n", stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs("usage: vornix [FILE]\n"
                   "Opens the desktop program, with FILE (a 1-bit .bmp or a .pxl picture) when\n"
                   "given. For conversions without a window, see 'vornix-cli --help'.\n"
                   "\n"
                   "  -h, --help  show this text\n"
                   "  --version   show the release number\n",
                   stdout);
        return 0;
    }
    QApplication app(argc, argv);
    return vornix::app::RunApplication(app);
}
