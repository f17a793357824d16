#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vornix::test {

// The words describe() gives for every value of one enumeration, and the words it falls back
// to for a value it does not know. A row of the tables that check each subsystem's failures.
struct DescribedEnum {
    std::string name;
    std::vector<std::string> words;
    std::string fallback;
};

inline void PrintTo(const DescribedEnum& row, std::ostream* out) {
    *out << row.name;
}

template <typename Enum>
DescribedEnum Described(std::string name, std::initializer_list<Enum> values) {
    DescribedEnum row{std::move(name), {}, {}};
    for (const Enum value : values) {
        row.words.emplace_back(describe(value));
    }
    row.fallback = std::string(describe(static_cast<Enum>(-1)));
    return row;
}

// Every value has words of its own: none empty, no two alike, none the fallback (a value the
// switch in describe() forgot).
inline void ExpectOwnWords(const DescribedEnum& row) {
    std::set<std::string> seen{row.fallback};
    for (const std::string& words : row.words) {
        EXPECT_FALSE(words.empty());
        EXPECT_TRUE(seen.insert(words).second) << '"' << words << "\" is not its value's own";
    }
}

} // namespace vornix::test
