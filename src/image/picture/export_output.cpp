#include "image/picture/export_output.h"

#include <cstdio>


namespace vornix::image {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The text up to `maxLines` lines, CR LF shown as LF.
ExportPreview FirstLines(const std::string& output, std::size_t maxLines) {
    ExportPreview preview;
    std::size_t lines = 0;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] == '\r') {
            continue;
        }
        preview.text += output[i];
        if (output[i] == '\n' && ++lines == maxLines) {
            preview.truncated = i + 1 < output.size();
            break;
        }
    }
    return preview;
}

// C and X11 source: every "0x" or "0b" literal after the array's opening brace.
void FindSourceValues(ExportPreview& preview) {
    const std::string& text = preview.text;
    std::size_t pos = text.find("= {");
    if (pos == std::string::npos) {
        return;
    }
    while ((pos = text.find('0', pos + 1)) != std::string::npos) {
        if (pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'b') &&
            (pos == 0 || text[pos - 1] == ' ')) {
            preview.valueStarts.push_back(pos);
        }
    }
}

// PXL text: every field after the header line.
void FindPxlValues(ExportPreview& preview) {
    const std::string& text = preview.text;
    std::size_t pos = text.find('\n');
    while (pos != std::string::npos && pos + 1 < text.size()) {
        if (IsHexDigit(text[pos + 1])) {
            preview.valueStarts.push_back(pos + 1);
        }
        pos = text.find_first_of(",\n", pos + 1);
    }
}

// Raw bytes as 16 two-digit values a line after an offset; a PBM's header line first.
ExportPreview HexDump(const std::string& output, PictureFormat format, std::size_t maxLines) {
    ExportPreview preview;
    std::size_t first = 0;
    std::size_t lines = 0;
    if (format == PictureFormat::Pbm) {
        // "P4\nW H\n": the header is shown on one line.
        const std::size_t sides = output.find('\n');
        const std::size_t end = output.find('\n', sides + 1);
        preview.text = output.substr(0, sides) + " " + output.substr(sides + 1, end - sides - 1) +
                       "\n";
        first = end + 1;
        lines = 1;
    }
    const std::size_t count = output.size() - first;
    for (std::size_t line = 0; line * 16 < count; ++line) {
        if (lines++ == maxLines) {
            preview.truncated = true;
            break;
        }
        char offset[16];
        std::snprintf(offset, sizeof offset, "%08zX ", line * 16);
        preview.text += offset;
        for (std::size_t i = line * 16; i < std::min(count, line * 16 + 16); ++i) {
            char value[4];
            std::snprintf(value, sizeof value, " %02X",
                          static_cast<unsigned char>(output[first + i]));
            preview.text += value;
            preview.valueStarts.push_back(preview.text.size() - 2);
        }
        preview.text += '\n';
    }
    return preview;
}

} // namespace

bool ExportIsText(PictureFormat format) { return FormatEntryOf(format).isText; }

LayoutChoice ExportLayout(const ExportChoice& choice) {
    return FormatEntryOf(choice.format).layoutOf(choice.source);
}

bool WritePicture(const PackedPicture& picture, const ExportChoice& choice, ByteSink& sink) {
    const FormatEntry& entry = FormatEntryOf(choice.format);
    return !picture.empty() && entry.canWrite() && entry.write(picture, choice.source, sink);
}

std::string ExportOutput(const PackedPicture& picture, const ExportChoice& choice) {
    if (choice.format == PictureFormat::Bitmap) {
        return {};
    }
    StringSink sink;
    return WritePicture(picture, choice, sink) ? sink.take() : std::string();
}

ExportPreview PreviewOf(const std::string& output, PictureFormat format, std::size_t maxLines) {
    if (!ExportIsText(format)) {
        return HexDump(output, format, maxLines);
    }
    ExportPreview preview = FirstLines(output, maxLines);
    if (format == PictureFormat::Pxl) {
        FindPxlValues(preview);
    } else {
        FindSourceValues(preview);
    }
    return preview;
}

} // namespace vornix::image
