#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vornix::image {

// A data value read from the next field: what ParseDataValue makes of it, told apart from the
// end of the text.
struct DataValueRead {
    enum class Status { Value, End, Empty, OutOfRange, Malformed };
    Status status = Status::End;
    std::uint8_t value = 0; // meaningful for Status::Value
};

// The longest field a PXL text may hold, counted from its first character that is not a blank
// to the comma or line end after it. No field of a readable file comes near it (a value takes
// four characters, a header number at most six); a longer one makes the text malformed, so
// that no reader ever has to hold more than this of one field.
inline constexpr std::size_t kMaxPxlFieldLength = 4096;

// Reads a PXL file as a stream of fields. A field ends at a comma or at a line end (CR, LF or
// CR LF, which counts once); blanks (space, tab) around a field are not part of it. Only the
// order of the fields matters, never how they are spread over lines, nor whether the text
// ends right after a line end or not. The reader never copies: every field is a view into the
// text given to the constructor, which must outlive it.
class PxlFieldReader {
public:
    explicit PxlFieldReader(std::string_view text);

    // True when no further field can be read: the rest of the text is empty or only blanks,
    // or a malformed field has been met.
    bool isAtEnd() const { return m_pos >= m_text.size(); }
    bool atEnd() const { return isAtEnd(); }

    // The next field, or nullopt at the end of the text ("end of file"). An empty line or two
    // adjacent commas give an empty field, which is a field, not the end; so does a line end
    // right after a comma, also as the last characters of the text. A field longer than
    // kMaxPxlFieldLength gives nullopt too, with malformed() true, and nothing after it is read.
    std::optional<std::string_view> next();

    // True once a field longer than kMaxPxlFieldLength has been met.
    bool malformed() const { return m_malformed; }

    // The next field read as a data value: the same as ParseDataValue(next()), with a short cut
    // for the form every writer uses, "0", two hexadecimal digits, a suffix, then a comma.
    DataValueRead nextDataValue();

    // Byte offset of the next unread character.
    std::size_t position() const { return m_pos; }

private:
    void skipBlanks();

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_malformed = false;
};

// The three numbers after the "@" marker: width W, height H, pixels per data value B.
struct PxlHeader {
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int16_t pixelsPerValue = 0;

    bool operator==(const PxlHeader&) const = default;
};

enum class PxlHeaderError {
    NoMarker,     // the first field is missing or is not exactly "@"
    MissingField, // the text ends before W, H or B
    BadNumber,    // W, H or B is not a whole number within -32768..32767
};

// What an error means, in the product's terms, for the command line.
std::string_view describe(PxlHeaderError error);

// True when the first field of the text is exactly "@". Only the start of a file is needed.
bool HasPxlMarker(std::string_view text);

// A header number: optional sign and decimal digits only, within -32768..32767.
std::optional<std::int16_t> ParseHeaderNumber(std::string_view field);

// Reads the marker and the three numbers; on success the reader stands on the first value.
struct PxlHeaderResult {
    std::optional<PxlHeader> header;
    PxlHeaderError error = PxlHeaderError::NoMarker; // meaningful only without a header
};
PxlHeaderResult ReadPxlHeader(PxlFieldReader& reader);

// A data value: the field without its last character (the suffix letter) and leading blanks,
// read as the number formed by its leading hexadecimal digits, either case (0 when there are
// none). nullopt for an empty field (no suffix to drop) or a value outside 0..255; any number
// of leading zeros is accepted.
std::optional<std::uint8_t> ParseDataValue(std::string_view field);

// How many values a reader takes for each row: ceil(W / B), the count the writer puts on each
// line, so that widths that are not a multiple of 8 read back exactly. Nothing is read for
// B <= 0 (0); for W <= 0 the quotient W / B truncated toward zero (never positive).
int ValuesPerRow(int width, int pixelsPerValue);

} // namespace vornix::image
