#include "fonts/font_request.h"

#include <array>
#include <cctype>

namespace vornix::fonts {

namespace {

struct NamedWeight {
    const char* name;
    int weight;
};
// The weight words, compared without case, spaces or hyphens ("Semi Bold", "semi-bold").
constexpr std::array kWeights{
    NamedWeight{"thin", 100},      NamedWeight{"extralight", 200}, NamedWeight{"ultralight", 200},
    NamedWeight{"light", 300},     NamedWeight{"book", 400},       NamedWeight{"regular", 400},
    NamedWeight{"normal", 400},    NamedWeight{"medium", 500},     NamedWeight{"demibold", 600},
    NamedWeight{"semibold", 600},  NamedWeight{"bold", 700},       NamedWeight{"extrabold", 800},
    NamedWeight{"ultrabold", 800}, NamedWeight{"black", 900},      NamedWeight{"heavy", 900},
};

struct GenericName {
    const char* name;
    FontRequest::Kind kind;
};
constexpr std::array kGenericNames{
    GenericName{"sans-serif", FontRequest::Kind::Sans},
    GenericName{"sans", FontRequest::Kind::Sans},
    GenericName{"serif", FontRequest::Kind::Serif},
    GenericName{"monospace", FontRequest::Kind::Mono},
    GenericName{"mono", FontRequest::Kind::Mono},
    GenericName{"system-ui", FontRequest::Kind::Sans},
    GenericName{"cursive", FontRequest::Kind::Any},
    GenericName{"fantasy", FontRequest::Kind::Any},
    GenericName{"emoji", FontRequest::Kind::Any},
    GenericName{"math", FontRequest::Kind::Any},
};

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// "Semi Bold" -> "semibold": how a weight word is compared.
std::string squeezed(std::string_view word) {
    std::string text;
    for (const char c : word) {
        if (c != ' ' && c != '-' && c != '_') {
            text += lower(c);
        }
    }
    return text;
}

// Applies one style word; false when it names no weight or slant.
bool applyWord(std::string_view word, FontRequest& request) {
    const std::string key = squeezed(word);
    if (key == "italic" || key == "oblique") {
        request.italic = true;
        return true;
    }
    if (key == "roman" || key == "upright") {
        request.italic = false;
        return true;
    }
    for (const NamedWeight& named : kWeights) {
        if (key == named.name) {
            request.weight = named.weight;
            return true;
        }
    }
    return false;
}

// Splits at unescaped `separator`, taking a backslash's next character as it is.
std::string unescapedUntil(std::string_view text, std::size_t& at, char separator) {
    std::string part;
    while (at < text.size() && text[at] != separator) {
        if (text[at] == '\\' && at + 1 < text.size()) {
            ++at;
        }
        part += text[at++];
    }
    return part;
}

std::string trimmed(std::string text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

void ApplyStyleWords(std::string_view words, FontRequest& request) {
    // Two-word weights first ("Extra Bold"), then each word alone.
    std::size_t at = 0;
    while (at < words.size()) {
        const std::size_t end = std::min(words.find(' ', at), words.size());
        const std::size_t next = end < words.size() ? words.find(' ', end + 1) : std::string::npos;
        const std::size_t pairEnd = std::min(next, words.size());
        if (end < words.size() && applyWord(words.substr(at, pairEnd - at), request)) {
            at = pairEnd + 1;
            continue;
        }
        applyWord(words.substr(at, end - at), request);
        at = end + 1;
    }
}

FontRequest ParseFontName(std::string_view name) {
    FontRequest request;
    std::size_t at = 0;
    // The family part ends at the first unescaped colon. Of a list of families ("A,B") the
    // first counts; an unescaped hyphen starts a point size ("DejaVu Sans-12"), which the pixel
    // size asked for overrides.
    std::string family;
    bool ended = false;
    while (at < name.size() && name[at] != ':') {
        const char c = name[at];
        if (c == '\\' && at + 1 < name.size()) {
            if (!ended) {
                family += name[at + 1];
            }
            at += 2;
            continue;
        }
        ended = ended || c == ',' || c == '-';
        if (!ended) {
            family += c;
        }
        ++at;
    }
    request.family = trimmed(family);
    for (const GenericName& generic : kGenericNames) {
        if (sameWord(request.family, generic.name)) {
            request.generic = true;
            request.kind = generic.kind;
        }
    }
    // Then ":word" or ":property=value" items.
    while (at < name.size()) {
        ++at; // the colon
        const std::string item = unescapedUntil(name, at, ':');
        const std::size_t equals = item.find('=');
        if (equals == std::string::npos) {
            applyWord(item, request);
            continue;
        }
        const std::string property = squeezed(item.substr(0, equals));
        const std::string_view value = std::string_view(item).substr(equals + 1);
        if (property == "style") {
            ApplyStyleWords(value, request);
        } else if (property == "weight" || property == "slant") {
            applyWord(value, request);
        }
    }
    return request;
}

} // namespace vornix::fonts
