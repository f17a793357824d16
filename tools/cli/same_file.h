#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image/platform/platform.h"

namespace vornix::cli {

// A regular file as the system knows it, whatever name leads to it.
using FileIdentity = platform::FileIdentity;

// The regular file `name` leads to (through links); "-" is standard input as an input and
// standard output as an output. nullopt for a name that leads nowhere yet, or to a device, a
// FIFO or a folder, which a conversion cannot lose.
std::optional<FileIdentity> RegularFileOf(const std::string& name, bool asOutput);

// The lines "vornix-cli: INPUT and OUTPUT are the same file", one for each pair of an input and
// an output that are one file, in the order of the outputs, then "vornix-cli: OUTPUT and
// OUTPUT are the same file" for two outputs that are; empty when there is none. Checked before
// anything is written, so that a conversion never replaces one of its own inputs, nor writes
// one of its outputs over another.
std::vector<std::string> SameFileLines(const std::vector<std::string>& inputs,
                                       const std::vector<std::string>& outputs);

} // namespace vornix::cli
