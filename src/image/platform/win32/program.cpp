// The standard streams and the program itself on Windows.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "image/platform/platform.h"
#include "wide_text.h"

namespace vornix::platform {

using win32::LastErrno;
using win32::Utf8;
using win32::Wide;

namespace {

constexpr unsigned kLargestTransfer = 1U << 30;

unsigned transferSize(std::size_t size) {
    return size < kLargestTransfer ? static_cast<unsigned>(size) : kLargestTransfer;
}

UINT g_previousOutputPage = 0;

void restoreOutputPage() {
    ::SetConsoleOutputCP(g_previousOutputPage);
}

} // namespace

// Bytes in and out as they are (the C runtime would turn LF into CR LF and stop at Ctrl+Z); the
// messages on standard error keep the console's own line ends. A console shows the UTF-8 the
// messages are written in, and the progress line's cursor controls, until the program ends.
void PrepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(error, &mode)) {
        ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        g_previousOutputPage = ::GetConsoleOutputCP();
        if (g_previousOutputPage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
            std::atexit(restoreOutputPage);
        }
    }
}

std::int64_t ReadStandardInput(void* into, std::size_t room, int& error) {
    const int got = _read(0, into, transferSize(room));
    if (got < 0) {
        error = errno;
    }
    return got;
}

std::int64_t WriteStandardOutput(const void* bytes, std::size_t size, int& error) {
    const int done = _write(1, bytes, transferSize(size));
    if (done < 0) {
        error = errno;
    }
    return done;
}

std::optional<std::uint64_t> StandardInputBytesLeft() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE ||
        ::GetFileType(input) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    const long long at = _lseeki64(0, 0, SEEK_CUR);
    const long long length = _filelengthi64(0);
    if (at < 0 || length < at) {
        return std::uint64_t{0};
    }
    return static_cast<std::uint64_t>(length - at);
}

int CloseStandardOutput() {
    return _close(1) != 0 && errno != EBADF ? errno : 0;
}

bool StandardErrorIsTerminal(int& columns) {
    columns = 0;
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(error, &mode)) {
        return false;
    }
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(error, &info)) {
        columns = info.srWindow.Right - info.srWindow.Left + 1;
    }
    return true;
}

// The command line as the system has it in UTF-16: the narrow argv holds only what the
// system's code page can spell.
std::vector<std::string> Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Utf8(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

std::string OwnProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

bool IsRunnable(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

// One argument as the C runtime of the started program splits its command line again:
// quoted when it holds blanks or quotes, with the backslashes before a quote doubled.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

} // namespace

// The started program shares the console: Ctrl+C reaches it, and this one only waits.
int RunInstead(const std::string& program, const std::vector<std::string>& args, int& status) {
    std::wstring line;
    for (const std::string& arg : args) {
        line += (line.empty() ? L"" : L" ") + quoted(Wide(arg));
    }
    std::fflush(stdout);
    std::fflush(stderr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return LastErrno();
    }
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    status = static_cast<int>(code);
    return 0;
}

} // namespace vornix::platform
