// Files, folders and memory on Windows, through the wide API.
#include <cerrno>
#include <cstdint>

#include <windows.h>

#include "image/platform/platform.h"
#include "wide_text.h"

namespace vornix::platform {

using win32::FullPath;
using win32::LastErrno;
using win32::Wide;

namespace {

HANDLE handleOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A device (NUL, CON, COM1, in any folder) has no attributes to ask for: the system names it
// \\.\NUL in its full path, and knows which device the name stands for. Nothing is opened, so
// a serial port is not disturbed by being asked about.
bool isDevice(const std::wstring& name) {
    const std::wstring full = FullPath(name);
    constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
    if (full.size() <= kDevicePrefix.size() ||
        full.compare(0, kDevicePrefix.size(), kDevicePrefix) != 0) {
        return false;
    }
    wchar_t target[MAX_PATH];
    return ::QueryDosDeviceW(full.c_str() + kDevicePrefix.size(), target, MAX_PATH) != 0;
}

} // namespace

// A folder is told before it is opened; anything that is not a disk file (a console, a pipe,
// a device such as NUL or COM1) is refused once opened, before a byte is read.
int OpenForReading(const std::string& path, FileHandle& handle, std::uint64_t& size) {
    handle = kNoFile;
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EISDIR;
    }
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastErrno();
    }
    LARGE_INTEGER length{};
    int error = 0;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        error = ENODEV;
    } else if (!::GetFileSizeEx(file, &length)) {
        error = LastErrno();
    }
    if (error != 0) {
        ::CloseHandle(file);
        return error;
    }
    handle = reinterpret_cast<FileHandle>(file);
    size = static_cast<std::uint64_t>(length.QuadPart);
    return 0;
}

std::int64_t ReadFrom(FileHandle handle, void* into, std::size_t room, int& error) {
    constexpr std::size_t kLargestRead = std::size_t{1} << 30;
    DWORD got = 0;
    if (!::ReadFile(handleOf(handle), into,
                    static_cast<DWORD>(room < kLargestRead ? room : kLargestRead), &got, nullptr)) {
        error = LastErrno();
        return -1;
    }
    return got;
}

int RewindFile(FileHandle handle) {
    const LARGE_INTEGER start{};
    return ::SetFilePointerEx(handleOf(handle), start, nullptr, FILE_BEGIN) ? 0 : LastErrno();
}

void CloseFile(FileHandle handle) {
    if (handle != kNoFile) {
        ::CloseHandle(handleOf(handle));
    }
}

PathInfo InfoOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::wstring wide = Wide(path);
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
        const int error = LastErrno();
        return isDevice(wide) ? PathInfo{0, PathKind::Other, 0}
                              : PathInfo{error, PathKind::Other, 0};
    }
    const PathKind kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder
                          : (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0
                              ? PathKind::Other
                              : PathKind::Regular;
    const std::uint64_t size =
        (std::uint64_t{data.nFileSizeHigh} << 32) | std::uint64_t{data.nFileSizeLow};
    return {0, kind, size};
}

int MakeFolder(const std::string& path) {
    return ::CreateDirectoryW(Wide(path).c_str(), nullptr) ? 0 : LastErrno();
}

bool IsFolderSeparator(char c) {
    return c == '/' || c == '\\';
}

std::size_t FolderLength(std::string_view path) {
    const auto separator = path.find_last_of("/\\");
    if (separator != std::string_view::npos) {
        return separator + 1;
    }
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? 2 : 0;
}

namespace {

std::optional<FileIdentity> identityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

} // namespace

std::optional<FileIdentity> RegularFileOf(const std::string& path) {
    // No access asked: only the file's identity is read, and a folder opens too.
    const HANDLE file = ::CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const auto identity = identityOf(file);
    ::CloseHandle(file);
    return identity;
}

std::optional<FileIdentity> StandardStreamFile(bool output) {
    const HANDLE stream = ::GetStdHandle(output ? STD_OUTPUT_HANDLE : STD_INPUT_HANDLE);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return identityOf(stream);
}

void AdviseHugePages(void* /*data*/, std::size_t /*size*/) {} // large pages need a privilege

} // namespace vornix::platform
