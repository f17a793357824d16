#include "image/picture/chunked_writer.h"

#include <algorithm>

namespace vornix::image {

ChunkedWriter::ChunkedWriter(ByteSink& sink, std::size_t expectedSize) : m_sink(sink) {
    m_chunk.reserve(std::min(expectedSize, kChunkSize));
}

char* ChunkedWriter::extend(std::size_t size) {
    // The chunk is handed over before the new piece would take it past kChunkSize: growing past
    // its reserved room would move it into an allocation twice as large, for every chunk.
    if (!m_chunk.empty() && m_chunk.size() + size > kChunkSize) {
        flush();
    }
    const std::size_t used = m_chunk.size();
    m_chunk.resize(used + size);
    return m_chunk.data() + used;
}

void ChunkedWriter::append(std::string_view bytes) {
    std::copy(bytes.begin(), bytes.end(), extend(bytes.size()));
}

bool ChunkedWriter::flush() {
    if (!m_failed && !m_chunk.empty() && !m_sink.write(m_chunk)) {
        m_failed = true;
    }
    // After a failure the output is lost anyway: keep dropping it so memory stays bounded.
    m_chunk.clear();
    return !m_failed;
}

} // namespace vornix::image
