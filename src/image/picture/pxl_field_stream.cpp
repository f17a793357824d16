#include "image/picture/pxl_field_stream.h"

#include <algorithm>
#include <cstring>

namespace vornix::image {

namespace {

// The end of the last complete field delimiter in text[0, size): after a comma or an LF, or
// after a CR that is followed by something other than LF (a CR at the very end may be the first
// half of CR LF). 0 when there is none.
std::size_t lastCut(const std::string& text, std::size_t size) {
    for (std::size_t i = size; i-- > 0;) {
        const char c = text[i];
        if (c == ',' || c == '\n' || (c == '\r' && i + 1 < size && text[i + 1] != '\n')) {
            return i + 1;
        }
    }
    return 0;
}

} // namespace

PxlFieldStream::PxlFieldStream(PxlTextSource& source, std::size_t blockSize)
    : m_source(source), m_held(std::max<std::size_t>(blockSize, 1), '\0') {}

std::optional<std::string_view> PxlFieldStream::next() {
    for (;;) {
        if (const auto field = m_reader.next()) {
            return field;
        }
        if (malformed() || !refill()) {
            return std::nullopt;
        }
    }
}

DataValueRead PxlFieldStream::nextDataValue() {
    for (;;) {
        const DataValueRead read = m_reader.nextDataValue();
        if (read.status != DataValueRead::Status::End) {
            return read;
        }
        if (!refill()) {
            return {m_malformed ? DataValueRead::Status::Malformed : read.status, 0};
        }
    }
}

// Drops the text the reader has finished, reads more behind what is left and hands the reader
// everything up to the last complete delimiter (or everything, once the source has ended).
bool PxlFieldStream::refill() {
    if (malformed()) {
        return false;
    }
    std::memmove(m_held.data(), m_held.data() + m_cut, m_filled - m_cut);
    m_filled -= m_cut;
    m_cut = 0;
    m_reader = PxlFieldReader(std::string_view());
    for (;;) {
        if (!m_sourceEnded) {
            if (m_filled == m_held.size()) {
                m_held.resize(m_held.size() * 2); // one field fills the whole block
            }
            const std::size_t got =
                m_source.read(m_held.data() + m_filled, m_held.size() - m_filled);
            m_sourceEnded = got == 0;
            m_filled += std::min(got, m_held.size() - m_filled);
        }
        m_cut = m_sourceEnded ? m_filled : lastCut(m_held, m_filled);
        if (m_cut == 0 && !m_sourceEnded && holdsTooLongField()) {
            m_malformed = true;
            return false;
        }
        if (m_cut > 0) {
            m_reader = PxlFieldReader(std::string_view(m_held.data(), m_cut));
            return true;
        }
        if (m_sourceEnded) {
            return false;
        }
    }
}

// Called while the held text holds no complete delimiter, so it is all one field, perhaps
// followed by a CR whose LF is still to come. Blanks in front of the field are dropped, as
// the reader would skip them; what remains is too long when it passes the longest field.
bool PxlFieldStream::holdsTooLongField() {
    std::size_t blanks = 0;
    while (blanks < m_filled && (m_held[blanks] == ' ' || m_held[blanks] == '\t')) {
        ++blanks;
    }
    std::memmove(m_held.data(), m_held.data() + blanks, m_filled - blanks);
    m_filled -= blanks;
    const bool endsWithCr = m_filled > 0 && m_held[m_filled - 1] == '\r';
    return m_filled - (endsWithCr ? 1 : 0) > kMaxPxlFieldLength;
}

bool HasPxlMarker(PxlFieldStream& fields) {
    const auto first = fields.next();
    return first && *first == "@";
}

} // namespace vornix::image
