#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "image/picture/byte_sink.h"

namespace vornix::image {

// Gathers small pieces of output into chunks of about kChunkSize bytes before handing them to
// a sink, so that a converter can produce its output in small steps at memory speed while the
// sink (a file, usually) sees a few large writes.
class ChunkedWriter {
public:
    static constexpr std::size_t kChunkSize = std::size_t{1} << 20;

    // `expectedSize` (bytes, a hint) keeps small outputs from reserving a whole chunk.
    explicit ChunkedWriter(ByteSink& sink, std::size_t expectedSize = kChunkSize);

    // Room for exactly `size` more bytes at the end of the chunk; the caller fills all of them
    // before the next call. Hands the chunk to the sink first when the piece would take it past
    // kChunkSize.
    char* extend(std::size_t size);
    void append(std::string_view bytes);

    // Hands over what is gathered. False once the sink has refused any write.
    bool flush();
    bool failed() const { return m_failed; }

private:
    ByteSink& m_sink;
    std::string m_chunk;
    bool m_failed = false;
};

} // namespace vornix::image
