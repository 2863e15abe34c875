// Text utilities shared by every layer above the platform.
#pragma once

#include "platform/platform.h"

#include <string_view>

namespace quorlix {

// An ASCII letter in lower case; any other byte as it is. The folding is the
// platform layer's, which compares file names with it.
inline char ascii_lower(char c) { return platform::ascii_fold(c); }

// The white space of HTML attribute values and of CSS: space, tab, line
// feed, form feed, carriage return.
inline constexpr std::string_view html_spaces = " \t\n\f\r";
inline bool is_html_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

// True when both texts are equal with ASCII letters folded to lower case.
inline bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

}  // namespace quorlix
