#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornix::lcdsim {

// What the command line asks the simulator to do.
struct SimOptions {
    std::string device;         // empty: create a pseudo-terminal
    bool fast = false;          // read whatever arrives at once instead of at line speed
    bool headless = false;      // no window
    std::string pbmPath;        // empty: no PBM file
    std::string pngPath;        // empty: no PNG file
    double exitAfterIdle = 0.0; // seconds; 0: run until a signal or the window closes
    int baud = 9600;            // the line speed that paced reading follows
    int scale = 3;              // window pixels per LCD pixel
    bool help = false;
    bool version = false;
};

struct SimOptionsResult {
    std::optional<SimOptions> options;
    std::string error; // set when options is empty
};

// Parses the arguments after the program name.
SimOptionsResult ParseSimOptions(const std::vector<std::string>& args);

const char* SimUsageText();

} // namespace vornix::lcdsim
