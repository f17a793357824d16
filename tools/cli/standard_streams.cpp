#include "standard_streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "image/pxl_fields.h"

namespace vornix::cli {

namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 16;

} // namespace

ContentKind KindOfContent(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        return ContentKind::Bitmap;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return image::HasPxlMarker(text) ? ContentKind::Pxl : ContentKind::Other;
}

StandardInput ReadStandardInput(std::size_t limit) {
    StandardInput input;
    std::size_t size = 0;
    for (;;) {
        // One byte beyond the limit tells a stream at the limit from a longer one.
        const std::size_t room = std::min(kReadBlock, limit + 1 - size);
        input.bytes.resize(size + room);
        const ssize_t got = ::read(STDIN_FILENO, input.bytes.data() + size, room);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            input.error = errno;
            break;
        }
        size += static_cast<std::size_t>(got);
        if (got == 0) {
            break;
        }
        if (size > limit) {
            input.error = EFBIG;
            break;
        }
    }
    input.bytes.resize(input.error == 0 ? size : 0);
    return input;
}

bool StandardOutputSink::write(std::string_view bytes) {
    while (m_error == 0 && !bytes.empty()) {
        const ssize_t done = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            m_error = errno;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return m_error == 0;
}

CommandOutput::CommandOutput(const std::string& path) {
    if (!IsStandardStream(path)) {
        m_file = std::make_unique<image::OutputFile>(path);
    }
}

bool CommandOutput::write(std::string_view bytes) {
    return m_file ? m_file->write(bytes) : m_stdout.write(bytes);
}

bool CommandOutput::commit() {
    return m_file ? m_file->commit() : m_stdout.error() == 0;
}

void CommandOutput::abandon() {
    if (m_file) {
        m_file->abandon();
    }
}

int CommandOutput::error() const {
    return m_file ? m_file->error() : m_stdout.error();
}

std::string CommandOutput::reason() const {
    return m_file ? m_file->reason() : std::string(std::strerror(m_stdout.error()));
}

} // namespace vornix::cli
