#pragma once

#include <string>
#include <string_view>

namespace vornix::test {

// `text` as a test name: each run of characters other than letters, digits and '_' becomes
// one '_'; an empty text becomes "Empty".
inline std::string TestNameOf(std::string_view text) {
    if (text.empty()) {
        return "Empty";
    }
    std::string name;
    bool replacing = false;
    for (const char c : text) {
        const bool kept =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (kept) {
            name += c;
        } else if (!replacing) {
            name += '_';
        }
        replacing = !kept;
    }
    return name;
}

// Names each row of a value-parameterised suite after the row's own `name` field:
//     INSTANTIATE_TEST_SUITE_P(Rows, SomeTest, ::testing::ValuesIn(kRows), vornix::test::RowName);
inline constexpr auto RowName = [](const auto& info) { return TestNameOf(info.param.name); };

// Names each row after another text field that tells the rows apart, such as a file name:
//     INSTANTIATE_TEST_SUITE_P(Files, SomeTest, ::testing::Values(...),
//                              vornix::test::RowNameFrom<&FileCase::file>);
template <auto Field>
inline constexpr auto RowNameFrom = [](const auto& info) { return TestNameOf(info.param.*Field); };

} // namespace vornix::test
