// Temporary files removed on Ctrl+C, Ctrl+Break and the closing of the console window. The
// console runs its handler on a thread of its own; the handler waits for every file that is
// being named or renamed to be through, removes what is left, and lets the process end as the
// console says.
#include <atomic>
#include <cstring>

#include <windows.h>

#include "image/platform/platform.h"
#include "wide_text.h"

namespace vornix::platform {

namespace {

constexpr int kNameSlots = 8;
constexpr std::size_t kLongestName = 32768; // the wide API's limit, in UTF-16 units
struct TemporaryName {
    std::atomic<bool> claimed{false};
    std::atomic<bool> armed{false};
    wchar_t path[kLongestName] = {};
};
TemporaryName g_names[kNameSlots];
std::atomic<bool> g_handlerInstalled{false};
// Held shared while a file and its record change; the handler takes it whole and keeps it.
SRWLOCK g_changing = SRWLOCK_INIT;

BOOL WINAPI removeTemporaries(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    ::AcquireSRWLockExclusive(&g_changing);
    for (TemporaryName& name : g_names) {
        if (name.armed.load()) {
            ::DeleteFileW(name.path);
        }
    }
    return FALSE; // the next handler, in the end the system's, ends the process
}

} // namespace

int RememberTemporaryName(const std::string& path) {
    const std::wstring wide = win32::Wide(path);
    if (wide.size() >= kLongestName) {
        return -1;
    }
    if (!g_handlerInstalled.exchange(true)) {
        ::SetConsoleCtrlHandler(removeTemporaries, TRUE);
    }
    for (int slot = 0; slot < kNameSlots; ++slot) {
        if (!g_names[slot].claimed.exchange(true)) {
            std::memcpy(g_names[slot].path, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
            g_names[slot].armed.store(true);
            return slot;
        }
    }
    return -1;
}

void ForgetTemporaryName(int slot) {
    if (slot >= 0 && slot < kNameSlots) {
        g_names[slot].armed.store(false);
        g_names[slot].claimed.store(false);
    }
}

InterruptionsHeld::InterruptionsHeld() : m_previous{} {
    ::AcquireSRWLockShared(&g_changing);
}

InterruptionsHeld::~InterruptionsHeld() {
    ::ReleaseSRWLockShared(&g_changing);
}

} // namespace vornix::platform
