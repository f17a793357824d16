// The controller's line on a Windows communications port (\\.\COMn) through the Win32
// communications API: one overlapped write a command, the transmit queue from ClearCommError,
// and sleeps in WaitForMultipleObjects on the write's event and on an event that Ctrl+C sets.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>

#include <windows.h>

#include "download/line/serial_line.h"

namespace vornix::download {

namespace {

// Set by Ctrl+C (and Ctrl+Break) while a line is open; the console runs the handler on a
// thread of its own.
HANDLE g_stopEvent = nullptr;

BOOL WINAPI onConsoleControl(DWORD event) {
    if ((event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) && g_stopEvent != nullptr) {
        ::SetEvent(g_stopEvent);
        return TRUE; // the download stops on its own; the program is not ended here
    }
    return FALSE;
}

// "COM5" as the path the system opens (\\.\COM5): the bare name works only for COM1..COM9.
std::wstring portPath(const std::string& device) {
    std::wstring wide;
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, device.data(),
                                             static_cast<int>(device.size()), nullptr, 0);
    if (length > 0) {
        wide.resize(static_cast<std::size_t>(length));
        ::MultiByteToWideChar(CP_UTF8, 0, device.data(), static_cast<int>(device.size()),
                              wide.data(), length);
    }
    if (wide.rfind(L"\\\\.\\", 0) == 0 || wide.rfind(L"\\\\?\\", 0) == 0) {
        return wide;
    }
    const bool comName =
        wide.size() > 3 && (wide[0] == L'C' || wide[0] == L'c') &&
        (wide[1] == L'O' || wide[1] == L'o') && (wide[2] == L'M' || wide[2] == L'm') &&
        std::all_of(wide.begin() + 3, wide.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    return comName ? L"\\\\.\\" + wide : wide;
}

// Why a port did not open, in the words the other systems use for the same causes.
std::string openFailure(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return std::strerror(EBUSY);
    default:
        return "system error " + std::to_string(error);
    }
}

class ComLine : public SerialLine {
public:
    // The Ctrl+C handler is installed with the first line that stops on Ctrl+C and kept until
    // the program ends: a Ctrl+C that comes just as the download ends must not end the program
    // before it has said how the download went.
    ComLine(HANDLE port, bool stopOnInterrupt) : m_port(port), m_stopOnInterrupt(stopOnInterrupt) {
        m_written.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (stopOnInterrupt) {
            if (g_stopEvent == nullptr) {
                g_stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
                ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
            }
            if (g_stopEvent != nullptr) {
                ::ResetEvent(g_stopEvent); // a Ctrl+C before this line opened was for no download
            }
        }
    }
    ~ComLine() override { close(); }

    bool write(std::string_view bytes) override {
        if (m_port == INVALID_HANDLE_VALUE || m_failed || m_inFlight ||
            m_written.hEvent == nullptr || bytes.size() > MAXDWORD) {
            return false;
        }
        m_bytes.assign(bytes);
        return startWrite();
    }

    std::int64_t pendingBytes() override {
        if (m_port == INVALID_HANDLE_VALUE || m_failed) {
            return -1;
        }
        if (m_inFlight) {
            DWORD done = 0;
            if (::GetOverlappedResult(m_port, &m_written, &done, FALSE)) {
                m_inFlight = false;
                m_failed = done != m_bytes.size();
                m_bytes.clear();
            } else if (::GetLastError() != ERROR_IO_INCOMPLETE) {
                m_inFlight = false;
                m_failed = true;
            }
        }
        DWORD errors = 0;
        COMSTAT status = {};
        if (m_failed || !::ClearCommError(m_port, &errors, &status)) {
            m_failed = true;
            return -1;
        }
        if (status.cbInQue > 0) {
            // Nothing the controller sends is used; dropping it keeps the input from filling.
            ::PurgeComm(m_port, PURGE_RXCLEAR);
        }
        // The driver counts the bytes of a write in progress in its queue; where it does not
        // (a port that leads to a pseudo-terminal), the whole write counts until it is done.
        if (status.cbOutQue > 0) {
            m_writeStarted = ::GetTickCount64();
            return status.cbOutQue;
        }
        if (m_inFlight && ::GetTickCount64() - m_writeStarted >= kRestartAfterMs) {
            restartWrite();
        }
        return m_inFlight ? static_cast<std::int64_t>(m_bytes.size()) : 0;
    }

    void waitForLine(std::chrono::milliseconds timeout) override {
        HANDLE handles[2] = {};
        DWORD count = 0;
        if (m_inFlight) {
            handles[count++] = m_written.hEvent;
        }
        if (m_stopOnInterrupt && g_stopEvent != nullptr && !m_stop) {
            handles[count++] = g_stopEvent;
        }
        const DWORD ms = static_cast<DWORD>(std::clamp<std::int64_t>(timeout.count(), 0, 60000));
        if (count == 0) {
            ::Sleep(ms);
        } else {
            ::WaitForMultipleObjects(count, handles, FALSE, ms);
        }
        stopRequested();
    }

    bool stopRequested() override {
        if (!m_stop && m_stopOnInterrupt && g_stopEvent != nullptr &&
            ::WaitForSingleObject(g_stopEvent, 0) == WAIT_OBJECT_0) {
            m_stop = true;
        }
        return m_stop;
    }

    void discardPending() override {
        if (m_port == INVALID_HANDLE_VALUE) {
            return;
        }
        ::PurgeComm(m_port, PURGE_TXABORT | PURGE_TXCLEAR);
        if (m_inFlight) {
            ::CancelIoEx(m_port, &m_written);
            DWORD done = 0;
            ::GetOverlappedResult(m_port, &m_written, &done, TRUE); // the buffer is free after
            m_inFlight = false;
        }
    }

    void close() override {
        if (m_port != INVALID_HANDLE_VALUE) {
            if (m_inFlight) {
                discardPending();
            }
            ::CloseHandle(m_port);
            m_port = INVALID_HANDLE_VALUE;
        }
        if (m_written.hEvent != nullptr) {
            ::CloseHandle(m_written.hEvent);
            m_written.hEvent = nullptr;
        }
    }

private:
    // A write that stands still with nothing in the driver's queue is taken back and started
    // again after this long. A port that leads to a pseudo-terminal lets a waiting write go on
    // only once the reader has emptied the terminal's buffer, seconds at 9600 baud, while a
    // new write takes what fits at once: the download then sees the line move as it does.
    static constexpr ULONGLONG kRestartAfterMs = 50;

    bool startWrite() {
        ::ResetEvent(m_written.hEvent);
        m_written.Offset = m_written.OffsetHigh = 0;
        m_writeStarted = ::GetTickCount64();
        const DWORD size = static_cast<DWORD>(m_bytes.size());
        if (::WriteFile(m_port, m_bytes.data(), size, nullptr, &m_written)) {
            m_inFlight = true; // done already; pendingBytes() collects the count
        } else if (::GetLastError() == ERROR_IO_PENDING) {
            m_inFlight = true;
        } else {
            m_failed = true;
        }
        return !m_failed;
    }

    // Cancels the write in progress and writes what it had not sent yet.
    void restartWrite() {
        ::CancelIoEx(m_port, &m_written);
        DWORD done = 0;
        const bool finished = ::GetOverlappedResult(m_port, &m_written, &done, TRUE);
        m_inFlight = false;
        if (!finished && ::GetLastError() != ERROR_OPERATION_ABORTED) {
            m_failed = true;
            return;
        }
        m_bytes.erase(0, std::min<std::size_t>(done, m_bytes.size()));
        if (!m_bytes.empty()) {
            startWrite();
        }
    }

    HANDLE m_port;
    OVERLAPPED m_written = {};
    std::string m_bytes; // what the write in progress has to send; it reads from here
    ULONGLONG m_writeStarted = 0;
    bool m_inFlight = false;
    bool m_failed = false;
    bool m_stop = false;
    bool m_stopOnInterrupt;
};

// 9600 baud, 8 data bits, no parity, 1 stop bit; the port sends only while CTS is on and
// drives RTS by the fill of its input buffer.
bool applySettings(HANDLE port) {
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb)) {
        return false;
    }
    dcb.BaudRate = kLineBaudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(port, &dcb)) {
        return false;
    }
    // Reads return at once with what is there; writes have no time limit of their own (the
    // download watches the queue and decides when a held line is given up).
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    return ::SetCommTimeouts(port, &timeouts) != 0;
}

} // namespace

OpenedLine OpenSerialLine(const std::string& device, bool stopOnInterrupt) {
    const std::wstring path = portPath(device);
    const HANDLE port = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return {nullptr, openFailure(::GetLastError())};
    }
    const auto refuse = [port](std::string reason) {
        ::CloseHandle(port);
        return OpenedLine{nullptr, std::move(reason)};
    };
    DCB probe = {};
    probe.DCBlength = sizeof probe;
    if (::GetFileType(port) != FILE_TYPE_CHAR || !::GetCommState(port, &probe)) {
        return refuse("not a serial port");
    }
    if (!applySettings(port)) {
        return refuse("the port does not take the line settings 9600,N,8,1 with RTS/CTS");
    }
    return {std::make_unique<ComLine>(port, stopOnInterrupt), ""};
}

} // namespace vornix::download
