// vornix-lcdsim: the LCD controller at the far end of a serial line, on a pseudo-terminal.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>

#include "lcd_window.h"
#include "serial_endpoint.h"
#include "sim_options.h"
#include "simulator.h"
#include "vornix_version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

bool haveDisplay() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "vornix-lcdsim: %s\n", message.c_str());
    return kExitFailure;
}

} // namespace

int main(int argc, char** argv) {
    using namespace vornix::lcdsim;
    const auto parsed = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "vornix-lcdsim: %s\nTry 'vornix-lcdsim --help'.\n",
                     parsed.error.c_str());
        return kExitUsage;
    }
    const SimOptions& options = *parsed.options;
    if (options.version) {
        std::fputs("vornix-lcdsim " VORNIX_VERSION_TEXT "\n", stdout);
        return kExitOk;
    }
    if (options.help) {
        std::fputs(SimUsageText(), stdout);
        return kExitOk;
    }
    if (!options.headless && !haveDisplay()) {
        return fail("no display for the window; use --headless");
    }

    std::unique_ptr<QCoreApplication> app;
    if (options.headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
    }

    auto opened = options.device.empty() ? SerialEndpoint::openPseudoTerminal(options.baud)
                                         : SerialEndpoint::openDevice(options.device, options.baud);
    if (!opened.endpoint) {
        return fail(opened.error);
    }
    const std::string linePath = opened.endpoint->path();

    Simulator simulator(options, std::move(opened.endpoint));
    std::string error;
    if (!simulator.start(error)) {
        return fail(error);
    }
    // Whoever started us learns here where to send; nothing else goes to stdout.
    std::printf("%s\n", linePath.c_str());
    std::fflush(stdout);

    std::unique_ptr<LcdWindow> window;
    if (!options.headless) {
        window = std::make_unique<LcdWindow>(simulator.controller(),
                                             QString::fromStdString(linePath), options.scale);
        window->show();
    }
    app->exec();
    window.reset();
    return simulator.writeOutputs() ? kExitOk : kExitFailure;
}
