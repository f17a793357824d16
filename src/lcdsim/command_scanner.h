#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vornix::lcdsim {

// A cursor over the text of one controller command. Numbers are read the way the sender writes
// them: any blanks (spaces, tabs), an optional minus sign, decimal digits.
class CommandScanner {
public:
    // Numbers beyond this are saturated, so that a line of digits cannot overflow.
    static constexpr std::int64_t kSaturation = 1'000'000'000'000;

    explicit CommandScanner(std::string_view text) : m_text(text) {}

    void skipBlanks();

    // True when only blanks are left.
    bool atEnd();

    // Consumes `c` after any blanks; false (nothing consumed) when the next character differs.
    bool consume(char c);

    // The next number after any blanks; nullopt (nothing consumed) when there is none.
    std::optional<std::int64_t> number();

    // Everything up to the next comma (not included) or the end of the text.
    std::string_view untilComma();

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// A data value in the controller's notation: a decimal digit, further hexadecimal digits of
// either case, then the suffix letter h or H, surrounded by optional blanks ("0A5h", "5h",
// "000FFh"). nullopt for anything else or for a value above 255.
std::optional<std::uint8_t> ParseControllerValue(std::string_view text);

} // namespace vornix::lcdsim
