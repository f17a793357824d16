#include "made_picture.h"

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "image/text/messages.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t& i,
                                       std::string_view name, bool& missing) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        return arg.substr(name.size() + 1);
    }
    if (arg != name) {
        return std::nullopt;
    }
    if (i + 1 >= args.size()) {
        missing = true;
        return std::string();
    }
    return args[++i];
}

std::string BadOptionValue(std::string_view option, const std::string& value, bool missing) {
    return missing ? std::string(option) + " needs a value"
                   : "bad value for " + std::string(option) + ": " + TerminalName(value);
}

std::string ReadArguments(const std::vector<std::string>& args, std::vector<std::string>& names,
                          const OptionReader& readOption) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (const auto reason = readOption(args, i); !reason) {
            return std::string(image::messages::kUnknownOption) + TerminalName(arg);
        } else if (!reason->empty()) {
            return *reason;
        }
    }
    return "";
}

std::optional<image::PictureFormat> WritableForm(std::string_view name) {
    const image::FormatEntry* entry = image::FormatNamed(name);
    if (entry == nullptr || !entry->canWrite()) {
        return std::nullopt;
    }
    return entry->format;
}

std::optional<image::PictureFormat> MadePictureForm(std::string_view command,
                                                    const std::string& output,
                                                    std::optional<image::PictureFormat> to) {
    // --to gives the form of any OUTPUT; else the ending does, and standard output takes PXL.
    const std::optional<image::PictureFormat> named =
        IsStandardStream(output) ? image::PictureFormat::Pxl : FormatOfName(output);
    if (!named && !to) {
        UsageError(command, image::messages::kOutputEnding);
        return std::nullopt;
    }
    if (to && named && !IsStandardStream(output) && *to != *named) {
        UsageError(command, "--to does not match OUTPUT's ending");
        return std::nullopt;
    }
    return to.value_or(*named);
}

int WriteMadePicture(std::string_view command, const image::MonoImage& picture,
                     const std::string& output, std::optional<image::PictureFormat> to) {
    const auto form = MadePictureForm(command, output, to);
    return form ? WriteMonoPicture(picture, output, *form) : kExitUsage;
}

} // namespace vornix::cli
