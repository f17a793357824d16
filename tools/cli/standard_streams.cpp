#include "standard_streams.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "file_errors.h"
#include "image/photo/prepare_decode.h"
#include "image/picture/pxl_fields.h"
#include "image/platform/platform.h"

namespace vornix::cli {

namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 16;
constexpr std::size_t kGatherBlock = std::size_t{1} << 20;

// Blanks at the start beyond this many are counted, not kept: PXL text skips them, and other
// content that starts with a blank is no picture however many there are.
constexpr std::size_t kKeptBlanks = 4096;

// The headers and colour table of any bitmap lie within its first 4 KiB: at most 14 + 1024
// (the largest header a reader takes) + 12 (masks) + 256 * 4 (a colour table).
constexpr std::size_t kBitmapHeaderRoom = 4096;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::uint32_t readLittle(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        const std::size_t index = at + static_cast<std::size_t>(i);
        value |= static_cast<std::uint32_t>(index < bytes.size() ? bytes[index] : 0) << (8 * i);
    }
    return value;
}

// The kind of content that starts with `start`, or nothing while more bytes could change it.
std::optional<ContentKind> kindOfStart(std::string_view start, bool ended) {
    std::size_t first = 0;
    while (first < start.size() && isBlank(start[first])) {
        ++first;
    }
    const std::string_view rest = start.substr(first);
    if (rest.empty() || (first == 0 && rest == "B")) {
        return ended ? std::optional(ContentKind::Other) : std::nullopt;
    }
    if (first == 0 && rest.starts_with("BM")) {
        return ContentKind::Bitmap;
    }
    if (rest[0] != '@') {
        return ContentKind::Other;
    }
    // The marker is a field of its own: blanks, then a comma, a line end or the end.
    std::size_t after = 1;
    while (after < rest.size() && isBlank(rest[after])) {
        ++after;
    }
    if (after == rest.size() && !ended) {
        return after > image::kMaxPxlFieldLength ? std::optional(ContentKind::Other) : std::nullopt;
    }
    return image::HasPxlMarker(start.substr(0, first + std::min(after + 1, rest.size())))
               ? ContentKind::Pxl
               : ContentKind::Other;
}

} // namespace

ContentKind KindOfContent(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        return ContentKind::Bitmap;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return image::HasPxlMarker(text) ? ContentKind::Pxl : ContentKind::Other;
}

std::uint64_t BitmapBytesPromised(std::span<const std::uint8_t> start) {
    const std::uint64_t offset = readLittle(start, 10, 4);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint64_t bits = 0;
    if (readLittle(start, 14, 4) == 12) { // the oldest header: 16-bit sizes
        width = readLittle(start, 18, 2);
        height = readLittle(start, 20, 2);
        bits = readLittle(start, 24, 2);
    } else { // sides may be negative (rows stored top-down)
        const auto signedWidth = static_cast<std::int32_t>(readLittle(start, 18, 4));
        const auto signedHeight = static_cast<std::int32_t>(readLittle(start, 22, 4));
        width = static_cast<std::uint64_t>(std::abs(std::int64_t{signedWidth}));
        height = static_cast<std::uint64_t>(std::abs(std::int64_t{signedHeight}));
        bits = readLittle(start, 28, 2);
    }
    bits = std::clamp<std::uint64_t>(bits, 1, 32); // the readers refuse other depths
    const std::uint64_t stride = (width * bits + 31) / 32 * 4;
    return std::max<std::uint64_t>(kBitmapHeaderRoom, offset + height * stride);
}

std::string StandardInput::reason() const {
    if (error == EFBIG) {
        return TooLargeReason(size, limit);
    }
    return std::strerror(error);
}

StandardInputReader::StandardInputReader() {
    classify();
}

std::size_t StandardInputReader::readMore(char* into, std::size_t room) {
    while (!m_ended && m_error == 0) {
        const std::int64_t got = platform::ReadStandardInput(into, room, m_error);
        if (got < 0) {
            break;
        }
        if (got == 0) {
            m_ended = true;
            break;
        }
        m_consumed += static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
    }
    return 0;
}

void StandardInputReader::classify() {
    std::string block(kReadBlock, '\0');
    bool onlyBlanks = true;
    for (;;) {
        const std::size_t got = readMore(block.data(), block.size());
        std::size_t from = 0;
        while (onlyBlanks && from < got && isBlank(block[from])) {
            if (m_start.size() < kKeptBlanks) {
                m_start += block[from];
            }
            ++from;
        }
        onlyBlanks = onlyBlanks && from == got;
        m_start.append(block, from, got - from);
        if (const auto kind = kindOfStart(m_start, got == 0)) {
            m_kind = *kind;
            return;
        }
    }
}

void StandardInputReader::fillStart(std::size_t count) {
    std::string block(count, '\0');
    while (m_replayed == 0 && m_start.size() < count) {
        const std::size_t got = readMore(block.data(), count - m_start.size());
        if (got == 0) {
            return;
        }
        m_start.append(block, 0, got);
    }
}

std::span<const std::uint8_t> StandardInputReader::startBytes() const {
    return {reinterpret_cast<const std::uint8_t*>(m_start.data()), m_start.size()};
}

std::size_t StandardInputReader::read(char* into, std::size_t room) {
    if (m_replayed < m_start.size()) {
        const std::size_t n = std::min(room, m_start.size() - m_replayed);
        std::memcpy(into, m_start.data() + m_replayed, n);
        m_replayed += n;
        return n;
    }
    return readMore(into, room);
}

StandardInput StandardInputReader::readWhole(std::size_t limit) {
    StandardInput input;
    input.limit = limit;
    // How far to read: one byte beyond the limit tells an input at the limit from a longer one.
    std::uint64_t wanted = std::uint64_t{limit} + 1;
    std::uint64_t promised = 0;
    if (m_kind == ContentKind::Bitmap) {
        fillStart(kBitmapHeaderRoom);
        promised = BitmapBytesPromised(startBytes());
        wanted = std::min(wanted, promised);
    }
    // A file given as standard input tells its size: one that is too large is not read.
    if (const auto left = platform::StandardInputBytesLeft()) {
        const std::uint64_t size = m_consumed + *left;
        if (size > limit && wanted > limit) {
            input.error = EFBIG;
            input.size = size;
            return input;
        }
    }
    // Read in blocks, then gathered into one buffer block by block, so that memory peaks at
    // the input's size and one block, not at twice its size as a growing buffer would.
    std::vector<std::vector<std::uint8_t>> blocks;
    std::uint64_t size = 0;
    while (size < wanted) {
        const auto room =
            static_cast<std::size_t>(std::min<std::uint64_t>(kGatherBlock, wanted - size));
        std::vector<std::uint8_t> block(room);
        std::size_t filled = 0;
        while (filled < room) {
            const std::size_t got =
                read(reinterpret_cast<char*>(block.data()) + filled, room - filled);
            if (got == 0) {
                break;
            }
            filled += got;
        }
        block.resize(filled);
        size += filled;
        if (filled != 0) {
            blocks.push_back(std::move(block));
        }
        if (filled < room) {
            break;
        }
    }
    if (m_error != 0) {
        input.error = m_error;
        return input;
    }
    if (size > limit) {
        input.error = EFBIG;
        // Blanks dropped at the start count: they were read.
        input.size = m_kind == ContentKind::Bitmap ? promised : m_consumed;
        return input;
    }
    input.bytes.resize(static_cast<std::size_t>(size));
    std::uint8_t* to = input.bytes.data();
    for (std::vector<std::uint8_t>& block : blocks) {
        to = std::copy(block.begin(), block.end(), to);
        std::vector<std::uint8_t>().swap(block);
    }
    return input;
}

StandardInput StandardInputReader::readPicture(std::size_t limit) {
    // The first bytes that tell every kind of picture apart.
    constexpr std::size_t kMagicBytes = 12;
    fillStart(kMagicBytes);
    if (m_kind == ContentKind::Other && !image::StartsLikePicture(startBytes())) {
        return readPrefix(m_start.size());
    }
    return readWhole(limit);
}

StandardInput StandardInputReader::readPrefix(std::size_t count) {
    StandardInput input;
    input.bytes.resize(count);
    std::size_t size = 0;
    while (size < count) {
        const std::size_t got =
            read(reinterpret_cast<char*>(input.bytes.data()) + size, count - size);
        if (got == 0) {
            break;
        }
        size += got;
    }
    input.bytes.resize(size);
    input.error = m_error;
    if (!input.ok()) {
        input.bytes = {};
    }
    return input;
}

StandardInput ReadStandardInput(std::size_t limit) {
    StandardInputReader reader;
    return reader.readWhole(limit);
}

bool StandardOutputSink::write(std::string_view bytes) {
    while (m_error == 0 && !bytes.empty()) {
        const std::int64_t done =
            platform::WriteStandardOutput(bytes.data(), bytes.size(), m_error);
        if (done < 0) {
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
