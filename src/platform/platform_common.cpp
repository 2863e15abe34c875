// The parts of platform.h and files.h that are the same on every platform.
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/process.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace quorlix::platform {

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

bool same_file_on_disk(const std::string& a, const std::string& b) {
    std::optional<FileIdentity> ia = identity_of(a), ib = identity_of(b);
    return ia && ib && ia->device == ib->device && ia->index == ib->index;
}

std::int64_t calendar_time() { return static_cast<std::int64_t>(std::time(nullptr)); }

int last_error() { return errno; }

std::string error_text(int error) { return std::strerror(error); }

bool make_directories(const std::string& path) {
    if (path.empty()) return false;
    if (is_directory(path)) return true;
    // The parent first; a path with no separator left is made as it is.
    std::size_t end = path.size();
    while (end > 1 && (path[end - 1] == '/' || path[end - 1] == path_separator)) --end;
    std::size_t separator = path.find_last_of(path_separators, end - 1);
    if (separator != std::string::npos && separator > 0) {
        std::string parent = path.substr(0, separator);
        if (!(parent.size() == 2 && parent[1] == ':') && !make_directories(parent)) return false;
    }
    return make_directory(path.substr(0, end)) && is_directory(path);
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
    // Iterative matching with one backtrack point for the last '*'.
    std::size_t p = 0, n = 0;
    std::size_t star = std::string_view::npos, star_n = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || ascii_fold(pattern[p]) == ascii_fold(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_n = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace quorlix::platform
