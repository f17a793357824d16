#pragma once

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "image/picture/byte_sink.h"

namespace vornix::image::test {

using Bytes = std::vector<std::uint8_t>;

#ifdef _WIN32
// The device that drops what it is given, by its name on this system.
inline constexpr const char* kNullDevice = "NUL";
// What the system says of a name below a plain file, as if it were a folder: Windows finds no
// such path.
inline constexpr int kBelowAFileError = ENOENT;
#else
inline constexpr const char* kNullDevice = "/dev/null";
inline constexpr int kBelowAFileError = ENOTDIR;
#endif

inline Bytes readDataFile(const std::string& relative) {
    std::ifstream in(std::string(VORNIX_TEST_DATA) + "/" + relative, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readDataText(const std::string& relative) {
    const Bytes bytes = readDataFile(relative);
    return std::string(bytes.begin(), bytes.end());
}

// A 1-bit bitmap laid out by hand as a paint program saves it: headers, the colour table
// [black, white], the pixel rows (given bottom row first) at offset 62 + `gap`. `offset`
// overrides only the bfOffBits field.
inline Bytes makeBitmap(std::int32_t width, std::int32_t height, const Bytes& rows,
                        std::size_t gap = 0, std::optional<std::int32_t> offset = {}) {
    Bytes out = {'B', 'M'};
    const auto put = [&out](std::int64_t value, int size) {
        for (int i = 0; i < size; ++i) {
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
        }
    };
    const auto start = static_cast<std::int64_t>(62 + gap);
    put(start + static_cast<std::int64_t>(rows.size()), 4); // bfSize
    put(0, 4);
    put(offset.value_or(start), 4);
    for (const std::int64_t field : {40, width, height}) {
        put(field, 4);
    }
    put(1, 2); // planes
    put(1, 2); // bits per pixel
    put(0, 4);
    put(static_cast<std::int64_t>(rows.size()), 4);
    for (int i = 0; i < 4; ++i) {
        put(i < 2 ? 2835 : 2, 4); // 72 dpi, two colours
    }
    out.insert(out.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    out.insert(out.end(), gap, 0x55);
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

// A sink that only counts what it is given: for pictures whose bytes matter only by number.
class CountingSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        size += bytes.size();
        return true;
    }
    std::size_t size = 0;
};

#ifndef _WIN32
// Lowers the process's file size limit for the life of the object, so that a write past
// `bytes` fails half-way with EFBIG (the signal it would raise is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        m_active = ::getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_active = m_active && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return m_active; }
    // Restores the limit and the signal before the object ends, e.g. before checking files.
    void lift() {
        if (m_active) {
            ::setrlimit(RLIMIT_FSIZE, &m_saved);
            m_active = false;
        }
        if (m_oldHandler != SIG_ERR) {
            std::signal(SIGXFSZ, m_oldHandler);
            m_oldHandler = SIG_ERR;
        }
    }

private:
    rlimit m_saved{};
    bool m_active = false;
    void (*m_oldHandler)(int);
};
inline constexpr bool kHaveFileSizeLimit = true;
#else
// Windows has no per-process file size limit: the tests of a write cut short by one skip
// there (kHaveFileSizeLimit), and this stand-in never becomes active.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t /*bytes*/) {}
    bool active() const { return false; }
    void lift() {}
};
inline constexpr bool kHaveFileSizeLimit = false;
#endif

} // namespace vornix::image::test
