// convert [options] -o NAME.h INPUT...: many pictures as one C header.
#include <set>
#include <string>
#include <vector>

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "exact_convert.h"
#include "file_errors.h"
#include "image/picture/source_writer.h"
#include "image/platform/platform.h"
#include "same_file.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {
namespace {

std::string Upper(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

// The array name of each input: made from its file name, with "_2", "_3" ... after a name
// (or its size macros) already taken, and never the table's own name.
std::string UniqueName(const std::string& input, const std::string& table,
                       std::set<std::string>& taken) {
    const std::string base = image::IdentifierFrom(input);
    std::string name = base;
    for (int number = 2; taken.count(Upper(name)) != 0 || Upper(name) == Upper(table) ||
                         Upper(name) == Upper(table) + "_COUNT";
         ++number) {
        name = base + "_" + std::to_string(number);
    }
    taken.insert(Upper(name));
    return name;
}

} // namespace

bool IsHeaderBatch(const PreparedArgs& request) {
    const platform::PathInfo folder = platform::InfoOf(request.outputDir);
    if (folder.error == 0 && folder.kind == platform::PathKind::Folder) {
        return false;
    }
    return !request.outputDir.empty() && !platform::IsFolderSeparator(request.outputDir.back()) &&
           FormatOfName(request.outputDir) == image::PictureFormat::CSource &&
           (!request.to || request.to == image::PictureFormat::CSource);
}

int RunHeaderBatch(const PreparedArgs& request) {
    const std::string& output = request.outputDir;
    if (const auto clashes = SameFileLines(request.names, {output}); !clashes.empty()) {
        for (const std::string& line : clashes) {
            PrintMessage(line);
        }
        return kExitFailure;
    }
    const std::string table =
        request.firmware.nameGiven ? request.firmware.source.name : image::IdentifierFrom(output);
    std::set<std::string> taken;
    std::vector<image::NamedPicture> pictures;
    bool failed = false;
    for (const std::string& input : request.names) {
        auto read = ReadPicture(request, input);
        if (const auto* failure = std::get_if<PictureFailure>(&read)) {
            PrintMessage(failure->line);
            failed = true;
            continue;
        }
        pictures.push_back(
            {UniqueName(input, table, taken), std::move(std::get<image::PackedPicture>(read))});
    }
    if (failed) {
        PrintFileError(output, "not written: a picture could not be read");
        return kExitFailure;
    }
    image::SourceOptions options = request.firmware.source;
    options.name = table;
    CommandOutput out(output);
    if (!image::WriteCSourceSet(pictures, options, out) || !out.commit()) {
        out.abandon();
        PrintFileError(output, out.error() != 0 ? out.reason() : "conversion failed");
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vornix::cli
