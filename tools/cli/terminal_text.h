#pragma once

#include <string>
#include <string_view>

namespace vornix::cli {

// A file name or a typed argument as a message shows it on the terminal. A name that holds a
// control character (C0, DEL, a C1 control written in UTF-8) or a byte that is not UTF-8 is
// quoted for the shell, as `ls --quoting-style=shell-escape` does: 'a'$'\033''b.bmp', so that
// it can neither move the cursor, retitle or clear the terminal nor start a line of its own, and
// pasted into a shell it names the file. Any other name is returned as it is.
std::string TerminalName(std::string_view name);

} // namespace vornix::cli
