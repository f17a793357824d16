#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/picture/byte_sink.h"

namespace vornix::image {

// A data value in its written form: "0", two upper-case hexadecimal digits, "h" (0 -> "000h",
// 165 -> "0A5h"). The view points into a static table and stays valid for the whole run.
std::string_view FormatDataValue(std::uint8_t value);

// The same form followed by the separating comma ("0A5h,"), for writers that emit a line at
// memory speed.
std::string_view FormatDataValueWithComma(std::uint8_t value);

// The header line "@,W,H,8" followed by CR LF; the numbers carry no blank ("@,240,128,8\r\n",
// "@,-5,0,8\r\n").
std::string PxlHeaderLine(std::int64_t width, std::int64_t height);

// Copies text line by line, writing every line back followed by CR LF. A line ends at CR, LF
// or CR LF (which counts once); a last line without a line end gets one; empty text stays
// empty. Every other byte is kept as it is. The copy made when a PXL file is opened.
std::string NormaliseLineEnds(std::string_view text);

// The same copy for text that arrives in pieces: a CR at the end of one piece and an LF at the
// start of the next are one line end. Feed every piece, then call finish() once.
class LineEndNormaliser {
public:
    // False when the sink refuses a write.
    bool feed(std::string_view piece, ByteSink& out);
    bool finish(ByteSink& out);

private:
    bool m_lastWasCr = false;    // the previous piece ended with CR
    bool m_lineHasBytes = false; // bytes have been written since the last line end
};

} // namespace vornix::image
