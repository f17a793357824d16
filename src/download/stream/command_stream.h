#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "image/picture/pxl_fields.h"

namespace vornix::download {

// Why a PXL text yields no command stream at all.
enum class StreamError {
    None,
    NoHeader,       // the first field is not "@"
    HeaderTooShort, // the text ends before W, H and B have been read
    BadHeaderNumber // W, H or B is not a whole number within -32768..32767
};

// What an error means, for the command line and the LCD preview: the header's failures in the
// words of image::describe(PxlHeaderError).
std::string_view describe(StreamError error);

// One step of a download. The steps come in the order the controller must see them; the
// download looks for a stop request after the Pause and before each Group, so a Group carries
// both of its commands and is always sent whole.
enum class StepKind {
    Reset,      // the byte 0x03, CR
    Init,       // "/I 6" (8 pixels per value) or "I 6", CR
    Pause,      // wait `ticks` timer ticks before the D command
    Dimensions, // "D", bytes per row (W / 8), rows (H), CR
    Group,      // position command, then data command of up to ten values
    RowDone,    // every group of `row` has been produced
    End         // nothing more to send
};

struct StreamStep {
    StepKind kind = StepKind::End;
    std::string command; // Reset, Init, Dimensions: the command; Group: the position command
    std::string data;    // Group: the data command
    int ticks = 0;       // Pause
    int row = 0;         // Group, RowDone
    int column = 0;      // Group: index of the group's first value in its row
};

inline constexpr int kValuesPerGroup = 10;
inline constexpr int kInitPauseTicks = 11;

// Turns the text of a PXL file into the controller's command stream, one step at a time.
// The text is not copied: it must outlive the stream.
//
// Each row takes ValuesPerRow(W, B) values, read in file order without regard to line ends,
// and sends them in groups of ten at columns 0, 10, 20, ...; every value goes out exactly as
// the file writes it, an empty field as an empty item. The fields are those PxlFieldReader
// reads, at the end of the text as anywhere else: "0FFh,0FFh," then a line end holds three
// fields, the last one empty. When the file holds fewer values than its header announces, or
// a field longer than kMaxPxlFieldLength, the stream ends after the last group it could fill
// completely: the controller never gets a group that is cut short by the end of the file.
class CommandStream {
public:
    explicit CommandStream(std::string_view pxlText);

    // None when the header was read; otherwise next() yields End at once.
    StreamError error() const { return m_error; }
    const image::PxlHeader& header() const { return m_header; }

    // The next step; End once the stream is exhausted, and End on every later call.
    StreamStep next();

private:
    enum class Phase { Reset, Init, Pause, Dimensions, Rows, Done };

    StreamStep nextInRows();
    bool readGroup(int count, std::string& data);

    image::PxlFieldReader m_reader;
    image::PxlHeader m_header;
    StreamError m_error = StreamError::None;
    Phase m_phase = Phase::Done;
    int m_valuesPerRow = 0;
    int m_row = 0;
    int m_column = 0;
};

// The command that prepares the controller: "/I 6" for 8 pixels per value, "I 6" otherwise.
std::string InitCommand(int pixelsPerValue);

// Every byte the download sends for a PXL text, in order. The pause after the I command has
// no bytes of its own and is not represented.
struct StreamBytesResult {
    std::string bytes;
    StreamError error = StreamError::None;
};
StreamBytesResult StreamBytes(std::string_view pxlText);

// How many bytes StreamBytes would give, without building them; 0 when the text has an error.
std::int64_t StreamByteCount(std::string_view pxlText);

} // namespace vornix::download
