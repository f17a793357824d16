// vornix-cli text [--font NAME|FILE] [--size N] [--size-of WxH] [--align ...] [--to FORM] TEXT
// OUTPUT: writes a text drawn one-bit in a real font as a picture, in any form convert writes.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "fonts/font_finder.h"
#include "fonts/text_render.h"
#include "image/text/messages.h"
#include "made_picture.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kCommand = "text";
// The most text read from standard input: far more than fits any picture.
constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;

struct TextArgs {
    std::string font; // "" for the default font
    int size = 0;     // 0: the font's own, or kDefaultPixelSize
    std::optional<image::PictureSize> sizeOf;
    fonts::TextAlign align = fonts::TextAlign::Left;
    std::optional<image::PictureFormat> to;
    std::vector<std::string> names;
};

std::optional<fonts::TextAlign> alignNamed(std::string_view name) {
    if (name == "left") {
        return fonts::TextAlign::Left;
    }
    if (name == "centre" || name == "center") {
        return fonts::TextAlign::Centre;
    }
    if (name == "right") {
        return fonts::TextAlign::Right;
    }
    return std::nullopt;
}

// One option at args[i]; the reason of a usage error, "" when it was read, or nullopt when
// args[i] is no option of this command.
std::optional<std::string> readOption(const std::vector<std::string>& args, std::size_t& i,
                                      TextArgs& parsed) {
    bool missing = false;
    const auto bad = [&missing](std::string_view option, const std::string& value) {
        return BadOptionValue(option, value, missing);
    };
    if (const auto font = OptionValue(args, i, "--font", missing)) {
        if (missing || font->empty()) {
            return bad("--font", *font);
        }
        parsed.font = *font;
    } else if (const auto size = OptionValue(args, i, "--size", missing)) {
        const auto value = missing ? std::nullopt : ParseWhole(*size, 1, fonts::kMaxPixelSize);
        if (!value) {
            return bad("--size", *size);
        }
        parsed.size = *value;
    } else if (const auto sizeOf = OptionValue(args, i, "--size-of", missing)) {
        parsed.sizeOf = missing ? std::nullopt : ParsePictureSize(*sizeOf);
        if (!parsed.sizeOf) {
            return bad("--size-of", *sizeOf);
        }
    } else if (const auto align = OptionValue(args, i, "--align", missing)) {
        const auto value = missing ? std::nullopt : alignNamed(*align);
        if (!value) {
            return bad("--align", *align);
        }
        parsed.align = *value;
    } else if (const auto to = OptionValue(args, i, "--to", missing)) {
        parsed.to = missing ? std::nullopt : WritableForm(*to);
        if (!parsed.to) {
            return bad("--to", *to);
        }
    } else {
        return std::nullopt;
    }
    return std::string();
}

// Reads the options, TEXT and OUTPUT; the reason of a usage error, or "".
std::string parseTextArgs(const std::vector<std::string>& args, TextArgs& parsed) {
    const auto readTextOption = [&parsed](const std::vector<std::string>& all, std::size_t& i) {
        return readOption(all, i, parsed);
    };
    if (std::string reason = ReadArguments(args, parsed.names, readTextOption); !reason.empty()) {
        return reason;
    }
    if (parsed.names.size() != 2 || parsed.names[1].empty()) {
        return "needs a TEXT and an OUTPUT";
    }
    if (parsed.names[0].empty()) {
        return "TEXT is empty";
    }
    return "";
}

std::string codePoints(const std::vector<char32_t>& missing) {
    std::string list;
    for (const char32_t c : missing) {
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
        list.append(list.empty() ? "" : " ").append(name);
    }
    return list;
}

void warn(const std::string& text) {
    std::fputs(("vornix-cli text: warning: " + text + "\n").c_str(), stderr);
}

// The notes on what was drawn otherwise than asked: a bitmap font's own size, missing glyphs,
// text cut at the picture's edge.
void warnAbout(const TextArgs& parsed, fonts::Font& font, const fonts::RenderedText& text) {
    const std::string name = TerminalName(font.name());
    if (font.isBitmap() && parsed.size != 0 && font.pixelSize() != parsed.size) {
        warn(name + " is a bitmap font of " + std::to_string(font.pixelSize()) +
             " pixels: drawn at that size, not " + std::to_string(parsed.size));
    }
    if (!text.missing.empty()) {
        warn(name + " has no glyph for " + codePoints(text.missing) +
             ": drawn as its default glyph");
    }
    if (text.cut) {
        warn("the text does not fit " + std::to_string(parsed.sizeOf->width) + "x" +
             std::to_string(parsed.sizeOf->height) + ": cut at the picture's edge");
    }
}

// TEXT "-": the text from standard input, without the line end its last line has (what echo
// and editors leave), so that it gives no empty line at the bottom.
std::optional<std::string> textFromStandardInput() {
    StandardInputReader reader;
    const StandardInput input = reader.readWhole(kMaxTextBytes);
    if (!input.ok()) {
        std::fputs(("vornix-cli text: standard input: " + input.reason() + "\n").c_str(), stderr);
        return std::nullopt;
    }
    std::string text(input.text());
    if (text.ends_with("\r\n")) {
        text.resize(text.size() - 2);
    } else if (text.ends_with('\n')) {
        text.pop_back();
    }
    return text;
}

} // namespace

int RunText(const std::vector<std::string>& args) {
    TextArgs parsed;
    if (const std::string reason = parseTextArgs(args, parsed); !reason.empty()) {
        return UsageError(kCommand, reason);
    }
    const auto form = MadePictureForm(kCommand, parsed.names[1], parsed.to);
    if (!form) {
        return kExitUsage;
    }
    if (IsStandardStream(parsed.names[0])) {
        const auto text = textFromStandardInput();
        if (!text) {
            return kExitFailure;
        }
        if (text->empty()) {
            return UsageError(kCommand, "TEXT is empty");
        }
        parsed.names[0] = *text;
    }
    fonts::OpenedFont opened = fonts::OpenFont(parsed.font, parsed.size);
    fonts::ReleaseFontLookup();
    if (!opened.font) {
        opened.failure.detail = TerminalName(opened.failure.detail);
        std::fputs(("vornix-cli text: " + opened.failure.message() + "\n").c_str(), stderr);
        return kExitFailure;
    }
    const fonts::RenderedText text =
        fonts::RenderText(*opened.font, parsed.names[0], parsed.align, parsed.sizeOf);
    if (text.error == fonts::FontError::NotUtf8) {
        return UsageError(kCommand, fonts::describe(text.error));
    }
    if (text.error != fonts::FontError::None) {
        std::fputs(("vornix-cli text: " + std::string(fonts::describe(text.error)) + "\n").c_str(),
                   stderr);
        return kExitFailure;
    }
    warnAbout(parsed, *opened.font, text);
    return WriteMonoPicture(image::MonoFromPacked(text.picture), parsed.names[1], *form);
}

} // namespace vornix::cli
