// vornix-cli-load: the serial download behind "vornix-cli load". It is a program of its own so
// that the other commands start without loading the serial and event-loop libraries.
#include <string>
#include <vector>

#include "../commands.h"

int main(int argc, char** argv) {
    return vornix::cli::RunLoad(std::vector<std::string>(argv + 1, argv + argc));
}
