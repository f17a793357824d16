#include "fonts/gunzip.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

namespace vornix::fonts {

bool IsGzip(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

Unpacked Gunzip(std::span<const std::uint8_t> packed, std::size_t maxSize) {
    Unpacked result;
    if (packed.size() > UINT_MAX) {
        result.error = FontError::FileTooLarge;
        return result;
    }
    z_stream stream{};
    // 16 + MAX_WBITS: gzip framing only, with its checksum verified.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        result.error = FontError::BadCompression;
        return result;
    }
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    constexpr std::size_t kStep = std::size_t{1} << 16;
    int status = Z_OK;
    while (status == Z_OK) {
        const std::size_t used = result.bytes.size();
        if (used >= maxSize) {
            result.error = FontError::FileTooLarge;
            break;
        }
        const std::size_t room = std::min(kStep, maxSize - used);
        result.bytes.resize(used + room);
        stream.next_out = result.bytes.data() + used;
        stream.avail_out = static_cast<uInt>(room);
        status = inflate(&stream, Z_NO_FLUSH);
        result.bytes.resize(used + room - stream.avail_out);
        if (status == Z_BUF_ERROR && stream.avail_in == 0) {
            break; // the data ends before the end of the stream
        }
        if (status == Z_BUF_ERROR) {
            status = Z_OK; // no progress possible with this much room: give more
        }
    }
    inflateEnd(&stream);
    if (result.error == FontError::None && status != Z_STREAM_END) {
        result.error = FontError::BadCompression;
    }
    if (result.error != FontError::None) {
        result.bytes.clear();
    }
    return result;
}

} // namespace vornix::fonts
