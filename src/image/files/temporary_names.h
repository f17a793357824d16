#pragma once

#include <functional>
#include <string>

namespace vornix::image {

// The folder part of `path` with its closing separator (or a Windows drive such as "C:");
// "" for a bare name.
std::string FolderOf(const std::string& path);

// The last part of `path`, after its folder.
std::string NameOf(const std::string& path);

// Finds a free name for a temporary file in `folder` (ending in a slash, or "" for the current
// one): "." + `name` + `tag` + eight random letters and digits + ".tmp", with `name` cut to 200
// characters so that the whole stays within the file system's limit. `create` is tried with up
// to 100 such names and returns 0 or an errno; EEXIST moves on to the next name. Returns 0 with
// the name in `created`, or the errno of the failure. Safe to call from several threads at once.
int CreateWithFreeName(const std::string& folder, const std::string& name, const std::string& tag,
                       const std::function<int(const std::string&)>& create, std::string& created);

} // namespace vornix::image
