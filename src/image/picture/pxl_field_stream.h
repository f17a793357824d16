#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "image/picture/pxl_fields.h"

namespace vornix::image {

// PXL text that arrives in pieces (a file read block by block), so that a large file never has
// to be held in memory as a whole.
class PxlTextSource {
public:
    virtual ~PxlTextSource() = default;
    // Copies up to `room` (> 0) further bytes of the text to `into` and returns how many; 0 at
    // the end of the text. A source that cannot read further ends the text there and keeps the
    // reason for its owner to report.
    virtual std::size_t read(char* into, std::size_t room) = 0;
    // The length of the whole text when it is known in advance (a file's size), else 0. It only
    // sizes memory: the text may still turn out shorter or longer.
    virtual std::size_t sizeHint() const { return 0; }
};

// Reads the fields of the text a PxlTextSource delivers exactly as PxlFieldReader reads the
// whole text: the same fields in the same order, whatever the sizes of the pieces, and the
// same malformed text. At most one block plus one field of kMaxPxlFieldLength is held at a
// time: blanks in front of a field are dropped as they arrive, and a field that grows past
// the limit ends the reading there. The held text is handed to a PxlFieldReader only up to a
// comma or a line end, so no field, and no CR LF, is ever split between two readers.
class PxlFieldStream {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 16;

    explicit PxlFieldStream(PxlTextSource& source, std::size_t blockSize = kBlockSize);
    PxlFieldStream(const PxlFieldStream&) = delete;
    PxlFieldStream& operator=(const PxlFieldStream&) = delete;

    // The next field, valid until the next call; nullopt at the end of the text.
    std::optional<std::string_view> next();

    // The next field read as a data value, as PxlFieldReader::nextDataValue reads it.
    DataValueRead nextDataValue();

    // True once a field longer than kMaxPxlFieldLength has been met: next() then gives nullopt.
    bool malformed() const { return m_malformed || m_reader.malformed(); }

private:
    bool refill();
    bool holdsTooLongField();

    PxlTextSource& m_source;
    std::string m_held;       // text read and not yet handed out, from index 0
    std::size_t m_filled = 0; // bytes of m_held that hold text
    std::size_t m_cut = 0;    // m_held[0, m_cut) is what m_reader reads
    bool m_sourceEnded = false;
    bool m_malformed = false;
    PxlFieldReader m_reader{std::string_view()};
};

// True when the first field of the text is exactly "@", as HasPxlMarker(text) tells.
bool HasPxlMarker(PxlFieldStream& fields);

} // namespace vornix::image
