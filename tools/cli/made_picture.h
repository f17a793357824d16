#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/photo/prepare_image.h"
#include "image/picture/picture_formats.h"

namespace vornix::cli {

// The commands that make a picture rather than read one (pattern, text) share their option
// reading and their output.

// The value of an option given as "--name VALUE" or "--name=VALUE" at args[i] (i moves past
// it); nullopt when args[i] is not that option. `missing` is set when no value follows.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t& i,
                                       std::string_view name, bool& missing);

// The usage error of an option whose value is missing or bad: "--size needs a value",
// "bad value for --size: 0x0".
std::string BadOptionValue(std::string_view option, const std::string& value, bool missing);

// Reads one option at args[i] (i moves past its value): "" once read, the reason of a usage
// error, or nullopt when args[i] is no option of the command.
using OptionReader =
    std::function<std::optional<std::string>(const std::vector<std::string>& args, std::size_t& i)>;

// Walks the arguments: each option goes to `readOption`, everything else (and everything after
// "--") to `names`. The reason of the first usage error, or "".
std::string ReadArguments(const std::vector<std::string>& args, std::vector<std::string>& names,
                          const OptionReader& readOption);

// The value of --to: a form that can be written, or nullopt.
std::optional<image::PictureFormat> WritableForm(std::string_view name);

// The form a made picture is written in: the one --to gives, else the one OUTPUT's ending names
// (PXL text for "-"). Nullopt after printing the usage error when neither names a form or the
// two disagree.
std::optional<image::PictureFormat> MadePictureForm(std::string_view command,
                                                    const std::string& output,
                                                    std::optional<image::PictureFormat> to);

// Writes a made picture to OUTPUT in its MadePictureForm. Returns the exit code: 2 for a usage
// error, 1 after printing why the file could not be written.
int WriteMadePicture(std::string_view command, const image::MonoImage& picture,
                     const std::string& output, std::optional<image::PictureFormat> to);

} // namespace vornix::cli
