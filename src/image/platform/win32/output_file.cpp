// Output files on Windows, by the rules of that system's own tools: a file is replaced whole
// at commit() (ReplaceFileW keeps the old file's attributes, security and creation time; a new
// file is moved into place), a file the user may not write (read-only, or locked by another
// program) is refused, and a device or a pipe (NUL, CON, COM1, \\.\pipe\...) is written as the
// bytes come, as "> NUL" writes it. Paths go through the wide API.
#include "image/files/output_file.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include "image/files/temporary_names.h"
#include "image/platform/platform.h"
#include "wide_text.h"

namespace vornix::image {

using platform::win32::LastErrno;
using platform::win32::Wide;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool writeAll(int fd, std::string_view bytes) {
    constexpr std::size_t kLargestWrite = std::size_t{1} << 30;
    while (!bytes.empty()) {
        const int written =
            _write(fd, bytes.data(), static_cast<unsigned>(std::min(bytes.size(), kLargestWrite)));
        if (written < 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The full path of a name: ReplaceFileW wants one (Wine's refuses a relative name), and the
// working folder cannot change under it.
std::wstring fullPath(const std::string& path) {
    return platform::win32::FullPath(Wide(path));
}

// A hidden or system file stays so once replaced. ReplaceFileW is to keep these attributes, but
// not every implementation does (Wine's drops them), and a file moved into place has its own.
// The new content is already in place, so a failure here loses nothing.
void keepAttributes(const std::wstring& target, DWORD before) {
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = ::GetFileAttributesW(target.c_str());
    if (before == INVALID_FILE_ATTRIBUTES || now == INVALID_FILE_ATTRIBUTES ||
        (now & kKept) == (before & kKept)) {
        return;
    }
    const DWORD wanted = (now & ~kKept) | (before & kKept);
    ::SetFileAttributesW(target.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
}

void closeKeepingErrno(int& fd) {
    if (fd >= 0) {
        const int saved = errno;
        _close(fd);
        errno = saved;
        fd = -1;
    }
}

} // namespace

bool OutputFile::open() {
    if (m_finished) {
        return fail(EBADF); // committed or abandoned: a second output would replace the first
    }
    if (m_error != 0) {
        return false;
    }
    if (m_way != OutputWay::Undecided) {
        return true;
    }
    if (m_path.empty() || platform::IsFolderSeparator(m_path.back())) {
        return fail(m_path.empty() ? ENOENT : EISDIR);
    }
    const std::wstring wide = Wide(m_path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return fail(EISDIR);
    }
    if (m_options.replacePath) {
        return openReplacing();
    }
    // Opening for writing is the check the system's own copy makes: a read-only file, or one
    // another program holds, is refused before anything is written.
    const HANDLE existing = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        const int error = LastErrno();
        return error == ENOENT && attributes == INVALID_FILE_ATTRIBUTES ? openNew() : fail(error);
    }
    if (::GetFileType(existing) == FILE_TYPE_DISK) {
        ::CloseHandle(existing);
        return openReplacing();
    }
    // A device or a pipe: the handle opened is the stream.
    m_targetFd = _open_osfhandle(reinterpret_cast<std::intptr_t>(existing), _O_WRONLY | _O_BINARY);
    if (m_targetFd < 0) {
        ::CloseHandle(existing);
        return fail(errno);
    }
    m_way = OutputWay::Stream;
    return true;
}

bool OutputFile::openNew() {
    return openReplacing();
}

bool OutputFile::openReplacing() {
    m_final = m_path;
    m_way = OutputWay::Replace;
    return createTemporary(FolderOf(m_final), _S_IREAD | _S_IWRITE);
}

bool OutputFile::createTemporary(const std::string& folder, unsigned mode) {
    return createNamedTemporary(folder, mode);
}

// Windows has no unnamed files: the bytes gather in a named file beside the target, which
// Ctrl+C removes.
bool OutputFile::createNamedTemporary(const std::string& folder, unsigned mode) {
    const int error = CreateWithFreeName(
        folder, NameOf(m_path), ".vornix-",
        [this, mode](const std::string& candidate) {
            const platform::InterruptionsHeld held;
            const int error = _wsopen_s(&m_tempFd, Wide(candidate).c_str(),
                                        _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                                        _SH_DENYNO, static_cast<int>(mode));
            if (error != 0) {
                m_tempFd = -1;
                return error;
            }
            m_slot = platform::RememberTemporaryName(candidate);
            return 0;
        },
        m_tempPath);
    return error == 0 || fail(error);
}

bool OutputFile::write(std::string_view bytes) {
    if (m_error != 0 || !open()) {
        return false; // after a failure nothing more is written: the output is lost anyway
    }
    const int fd = m_way == OutputWay::Stream ? m_targetFd : m_tempFd;
    return writeAll(fd, bytes) || fail(errno);
}

bool OutputFile::commit() {
    if (m_committed) {
        return true;
    }
    bool done = open();
    if (done && m_way == OutputWay::Stream) {
        const int fd = m_targetFd;
        m_targetFd = -1;
        done = _close(fd) == 0 || fail(errno);
    } else if (done) {
        done = commitReplace();
    }
    if (!done) {
        abandon();
        return false;
    }
    m_finished = m_committed = true;
    return true;
}

// An existing file is replaced so that it keeps what the system records about it (its
// attributes such as hidden or archive, its security, its creation time); a new one is moved
// into place. Both replace in one step: a reader sees the old file or the new one.
bool OutputFile::commitReplace() {
    const platform::InterruptionsHeld held;
    const int fd = m_tempFd;
    m_tempFd = -1;
    if (_commit(fd) != 0 || _close(fd) != 0) {
        return fail(errno);
    }
    const std::wstring temporary = fullPath(m_tempPath);
    const std::wstring target = fullPath(m_final);
    const DWORD before = ::GetFileAttributesW(target.c_str());
    bool replaced = false;
    if (!m_options.replacePath && before != INVALID_FILE_ATTRIBUTES) {
        replaced = ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                  nullptr, nullptr);
        if (!replaced && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
            return fail(LastErrno());
        }
    }
    if (!replaced && !::MoveFileExW(temporary.c_str(), target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return fail(LastErrno());
    }
    platform::ForgetTemporaryName(m_slot);
    m_slot = -1;
    m_tempPath.clear();
    if (!m_options.replacePath) {
        keepAttributes(target, before);
    }
    return true;
}

void OutputFile::dropTemporary() {
    closeKeepingErrno(m_tempFd);
    if (!m_tempPath.empty()) {
        ::DeleteFileW(Wide(m_tempPath).c_str());
        m_tempPath.clear();
    }
    platform::ForgetTemporaryName(m_slot);
    m_slot = -1;
}

void OutputFile::abandon() {
    if (m_committed) {
        return;
    }
    m_finished = true;
    dropTemporary();
    closeKeepingErrno(m_targetFd);
}

} // namespace vornix::image
