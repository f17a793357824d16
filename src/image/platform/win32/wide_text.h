#pragma once

#include <string>
#include <string_view>

// The edge between the UTF-8 the program works in and the wide text of the Windows API.
namespace vornix::platform::win32 {

// UTF-8 to UTF-16 for a wide call; invalid bytes become U+FFFD.
std::wstring Wide(std::string_view text);
// UTF-16 from the system to UTF-8.
std::string Utf8(std::wstring_view text);
// The full path the system makes of a name, as ReplaceFileW wants it; a device's name in any
// folder becomes \\.\NUL, \\.\COM1 and so on. The name itself when the system cannot tell.
std::wstring FullPath(const std::wstring& name);
// The errno value that says the same as a Windows error code (EIO when none does).
int ErrnoOf(unsigned long code);
// ErrnoOf(GetLastError()).
int LastErrno();

} // namespace vornix::platform::win32
