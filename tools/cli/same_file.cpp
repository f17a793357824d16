#include "same_file.h"

#include <map>
#include <set>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

std::optional<FileIdentity> RegularFileOf(const std::string& name, bool asOutput) {
    struct stat info {};
    const bool found = IsStandardStream(name)
                           ? ::fstat(asOutput ? STDOUT_FILENO : STDIN_FILENO, &info) == 0
                           : ::stat(name.c_str(), &info) == 0;
    if (!found || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{info.st_dev, info.st_ino};
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
    for (const std::string& output : outputs) {
        const auto file = inputFiles.empty() ? std::nullopt : RegularFileOf(output, true);
        const auto input = file ? inputFiles.find(*file) : inputFiles.end();
        if (input == inputFiles.end() || !told.emplace(*input->second, output).second) {
            continue;
        }
        lines.push_back("vornix-cli: " + TerminalName(*input->second) + " and " +
                        TerminalName(output) + " are the same file");
    }
    return lines;
}

} // namespace vornix::cli
