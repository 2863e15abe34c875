#include "base/paths.h"

#include <cerrno>
#include <cstdio>

namespace quorlix {

namespace {

bool is_separator(char c, PathStyle style) {
    if (style == PathStyle::posix) return c == '/';
    return c == '/' || c == '\\' || c == ':';
}

bool is_slash(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::windows && c == '\\');
}

char separator_of(PathStyle style) { return style == PathStyle::windows ? '\\' : '/'; }

}  // namespace

std::string directory_of(std::string_view path, PathStyle style) {
    for (std::size_t i = path.size(); i-- > 1;) {
        char c = path[i];
        if (style == PathStyle::windows && c == ':') {
            if (i + 1 == path.size()) return std::string();
            return std::string(path.substr(0, i + 1));
        }
        if (is_slash(c, style)) return std::string(path.substr(0, i));
    }
    // A file in the root of a POSIX file system lives in "/".
    if (style == PathStyle::posix && path.size() > 1 && path[0] == '/') return "/";
    return std::string();
}

std::string_view base_name_of(std::string_view path, PathStyle style) {
    for (std::size_t i = path.size(); i-- > 1;) {
        if (is_separator(path[i], style)) return path.substr(i + 1);
    }
    return path;
}

std::optional<std::string> join_path(std::optional<std::string_view> base,
                                     std::optional<std::string_view> name,
                                     std::optional<std::string_view> extension,
                                     PathStyle style) {
    if (!base) return std::nullopt;
    std::string result(*base);
    if (!base->empty() && name) {
        bool drive = style == PathStyle::windows && result.back() == ':';
        if (!drive) {
            while (!result.empty() && is_slash(result.back(), style)) result.pop_back();
            // On POSIX a base of only slashes is the root, not the current directory.
            if (!result.empty() || style == PathStyle::posix) result += separator_of(style);
        }
    }
    if (name) result += *name;
    if (extension) {
        result += '.';
        result += *extension;
    }
    return result;
}

int create_temp_file(std::string& name_template, std::int64_t now, const CreateExclusive& create) {
    constexpr std::string_view marker = "XXXXXX";
    if (name_template.size() < marker.size() ||
        name_template.compare(name_template.size() - marker.size(), marker.size(), marker) != 0) {
        errno = EINVAL;
        return -1;
    }
    const std::size_t digits = name_template.size() - marker.size();
    const int seed = static_cast<int>(((now % 10000) + 10000) % 10000);
    int j = seed;
    do {
        char number[8];
        std::snprintf(number, sizeof number, "%05d", j);
        name_template.replace(digits, 5, number, 5);
        for (char c : temp_name_characters) {
            name_template[digits + 5] = c;
            int fd = create(name_template);
            if (fd >= 0) return fd;
            if (errno != EEXIST) return -1;
        }
        j = (j + 1) % 10000;
    } while (j != seed);
    errno = EEXIST;
    return -1;
}

int create_temp_file(std::string& name_template) {
    return create_temp_file(name_template, platform::calendar_time(), platform::create_exclusive);
}

bool same_file(const std::string& a, const std::string& b) {
    auto full_a = platform::full_path(a);
    auto full_b = platform::full_path(b);
    if (full_a && full_b && equal_ignoring_case(*full_a, *full_b)) return true;
    return platform::same_file_on_disk(a, b);
}

}  // namespace quorlix
