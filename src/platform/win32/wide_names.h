// File names on Windows: the program keeps them in UTF-8 and hands them to
// the system's wide-character functions, so that any name works, not only
// those of the system's code page.
#pragma once

#include <string>
#include <string_view>

namespace quorlix::platform {

// A UTF-8 text as UTF-16. Bytes that are not UTF-8 are taken in the
// system's code page (what the program read from an ANSI source).
std::wstring to_wide(std::string_view text);

// A UTF-16 text as UTF-8.
std::string to_utf8(std::wstring_view text);

}  // namespace quorlix::platform
