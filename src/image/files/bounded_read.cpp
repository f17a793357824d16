#include "image/files/bounded_read.h"

#include <algorithm>
#include <cstring>

#include "image/photo/prepare_buffer.h"

namespace vornix::image {

ReadableFile::ReadableFile(const std::string& path) {
    m_error = platform::OpenForReading(path, m_handle, m_size);
}

ReadableFile::~ReadableFile() {
    platform::CloseFile(m_handle);
}

namespace {

// Reads up to `size` bytes into `data`; the count read, or -1 with `error` set.
std::int64_t readFully(platform::FileHandle file, std::uint8_t* data, std::size_t size,
                       int& error) {
    std::size_t got = 0;
    while (got < size) {
        const std::int64_t n = platform::ReadFrom(file, data + got, size - got, error);
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(got);
}

FileBytes readOpened(const ReadableFile& file, std::size_t count) {
    FileBytes result{UnclearedBuffer(count), 0};
    int error = 0;
    const std::int64_t got = readFully(file.handle(), result.bytes.data(), count, error);
    if (got < 0) {
        return {{}, error};
    }
    result.bytes.resize(static_cast<std::size_t>(got));
    return result;
}

} // namespace

FileBytes ReadBoundedFile(const std::string& path, std::size_t maxSize) {
    const ReadableFile file(path);
    if (file.error() != 0) {
        return {{}, file.error()};
    }
    if (file.size() > maxSize) {
        return {{}, kFileTooLarge};
    }
    return readOpened(file, static_cast<std::size_t>(file.size()));
}

FileBytes ReadFilePrefix(const std::string& path, std::size_t count) {
    const ReadableFile file(path);
    if (file.error() != 0) {
        return {{}, file.error()};
    }
    return readOpened(file, static_cast<std::size_t>(std::min<std::uint64_t>(count, file.size())));
}

std::string DescribeReadError(int error) {
    switch (error) {
    case kNotRegularFile:
        return "not a regular file (a FIFO, a device or a socket); only files are read";
    case kFolderNamed:
        return "a folder, not a file";
    case kFileTooLarge:
        return "larger than any picture it could hold";
    default:
        return std::strerror(error);
    }
}

PxlFile::PxlFile(const std::string& path) : m_file(path) {}

bool PxlFile::hasMarker() {
    bool marker = false;
    {
        PxlFieldStream fields(*this);
        marker = HasPxlMarker(fields);
    }
    rewind();
    return marker;
}

void PxlFile::rewind() {
    if (m_keptAll) {
        m_replaying = true;
        m_replay = 0;
        return;
    }
    // More has been read than is kept (a marker behind a long run of blanks): start over.
    m_kept.clear();
    m_keptAll = true;
    m_replaying = false;
    if (m_file.handle() != platform::kNoFile && m_readError == 0) {
        m_readError = platform::RewindFile(m_file.handle());
    }
}

FileBytes PxlFile::readWhole(std::size_t maxSize) {
    if (m_file.error() != 0) {
        return {{}, m_file.error()};
    }
    if (m_file.size() > maxSize) {
        return {{}, kFileTooLarge};
    }
    rewind();
    FileBytes result{UnclearedBuffer(static_cast<std::size_t>(m_file.size())), 0};
    std::size_t got = 0;
    while (got < result.bytes.size()) {
        const std::size_t n =
            read(reinterpret_cast<char*>(result.bytes.data()) + got, result.bytes.size() - got);
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (m_readError != 0) {
        return {{}, m_readError};
    }
    result.bytes.resize(got);
    return result;
}

std::size_t PxlFile::read(char* into, std::size_t room) {
    if (m_file.error() != 0 || m_readError != 0) {
        return 0;
    }
    if (m_replaying) {
        if (m_replay < m_kept.size()) {
            const std::size_t n = std::min(room, m_kept.size() - m_replay);
            std::memcpy(into, m_kept.data() + m_replay, n);
            m_replay += n;
            return n;
        }
        m_replaying = false;
    }
    const std::int64_t got = platform::ReadFrom(m_file.handle(), into, room, m_readError);
    if (got < 0) {
        return 0;
    }
    const auto n = static_cast<std::size_t>(got);
    if (m_keptAll && m_kept.size() + n <= kKeptBytes) {
        m_kept.append(into, n);
    } else if (m_keptAll) {
        m_keptAll = false;
        std::string().swap(m_kept);
    }
    return n;
}

} // namespace vornix::image
