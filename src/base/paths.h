// Path operations shared by the converter and the supervisor. Windows paths
// know drives and both slashes; POSIX paths have only the slash.
#pragma once

#include "base/text.h"
#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

enum class PathStyle { windows, posix };

inline constexpr PathStyle native_path_style =
    platform::path_separator == '\\' ? PathStyle::windows : PathStyle::posix;

// The directory part of a non-empty path: C:\web\page.html gives C:\web,
// C:\page.html and C:page.html give C:, page.html gives "". The first
// character is never taken as a separator.
std::string directory_of(std::string_view path, PathStyle style = native_path_style);

// The part after the last separator; "" for a path that ends with one.
std::string_view base_name_of(std::string_view path, PathStyle style = native_path_style);

// base, one separator, name, and "." extension when given. Trailing
// separators of base are replaced by one; an empty base gives the name alone;
// a base ending with a drive colon gets no separator. No base: none.
std::optional<std::string> join_path(std::optional<std::string_view> base,
                                     std::optional<std::string_view> name,
                                     std::optional<std::string_view> extension,
                                     PathStyle style = native_path_style);

// Creates a file exclusively from a template ending in "XXXXXX": five digits
// counting on from the seed (calendar seconds modulo 10000), then one of 38
// characters. The template is changed to the name created. Returns the
// descriptor, or -1 with errno set (EINVAL for a bad template; the error of
// the first failure that is not "exists"; EEXIST when every name is taken).
using CreateExclusive = std::function<int(const std::string&)>;
int create_temp_file(std::string& name_template, std::int64_t now, const CreateExclusive& create);
int create_temp_file(std::string& name_template);

// The template's characters that take the last position, in order.
inline constexpr std::string_view temp_name_characters = "abcdefghijklmnopqrstuvwxyz0123456789_-";

// True when both names expand to the same full path, ignoring letter case,
// or name the same file on disk.
bool same_file(const std::string& a, const std::string& b);

}  // namespace quorlix
