#pragma once

#include <memory>
#include <string>

namespace vornix::lcdsim {

// The simulator's end of the serial line: the master side of a pseudo-terminal that it
// creates, or a device (or any readable file) that it is given. Reads never block.
class SerialEndpoint {
public:
    struct Opened {
        std::unique_ptr<SerialEndpoint> endpoint;
        std::string error; // set when endpoint is null
    };

    // A new pseudo-terminal in raw mode. The slave side is kept open here as well, so that a
    // sender closing its end does not hang up the line: the next sender finds it unchanged.
    static Opened openPseudoTerminal(int baud);

    // An existing device, set to raw 8N1 at `baud` with RTS/CTS when it is a terminal; with
    // RTS/CTS the driver drops RTS while the simulator has not read its input, which is how a
    // real controller holds off the sender.
    static Opened openDevice(const std::string& path, int baud);

    ~SerialEndpoint();
    SerialEndpoint(const SerialEndpoint&) = delete;
    SerialEndpoint& operator=(const SerialEndpoint&) = delete;

    // The path a sender writes to.
    const std::string& path() const { return m_path; }
    int readDescriptor() const { return m_readFd; }

    enum class ReadStatus { Data, Empty, Closed };
    struct ReadResult {
        ReadStatus status;
        std::size_t size = 0;
    };
    // Reads up to `capacity` bytes of what has arrived. Closed stands for end of file and for
    // read errors such as a hang-up, which may be temporary.
    ReadResult read(char* buffer, std::size_t capacity);

private:
    SerialEndpoint(int readFd, int holdFd, std::string path)
        : m_readFd(readFd), m_holdFd(holdFd), m_path(std::move(path)) {}

    int m_readFd = -1;
    int m_holdFd = -1;
    std::string m_path;
};

} // namespace vornix::lcdsim
