#pragma once

#include <cstddef>
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
