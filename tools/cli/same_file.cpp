#include "same_file.h"

#include <map>
#include <set>
#include <utility>

#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

std::optional<FileIdentity> RegularFileOf(const std::string& name, bool asOutput) {
    return IsStandardStream(name) ? platform::StandardStreamFile(asOutput)
                                  : platform::RegularFileOf(name);
}

std::vector<std::string> SameFileLines(const std::vector<std::string>& inputs,
                                       const std::vector<std::string>& outputs) {
    std::map<FileIdentity, const std::string*> inputFiles;
    for (const std::string& input : inputs) {
        if (const auto file = RegularFileOf(input, false)) {
            inputFiles.emplace(*file, &input);
        }
    }
    std::vector<std::string> lines;
    std::set<std::pair<std::string, std::string>> told;
    const auto tell = [&lines, &told](const std::string& first, const std::string& second) {
        if (told.emplace(first, second).second) {
            lines.push_back("vornix-cli: " + TerminalName(first) + " and " + TerminalName(second) +
                            " are the same file");
        }
    };
    std::map<FileIdentity, const std::string*> outputFiles;
    for (const std::string& output : outputs) {
        const auto file = RegularFileOf(output, true);
        if (!file) {
            continue;
        }
        if (const auto input = inputFiles.find(*file); input != inputFiles.end()) {
            tell(*input->second, output);
        }
        if (const auto [earlier, added] = outputFiles.emplace(*file, &output); !added) {
            tell(*earlier->second, output);
        }
    }
    return lines;
}

} // namespace vornix::cli
