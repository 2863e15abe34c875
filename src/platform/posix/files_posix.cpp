#include "platform/files.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorlix::platform {

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

OwnedStream create_log_file(const std::string& path) { return OwnedStream(std::fopen(path.c_str(), "we")); }

void set_binary_mode(std::FILE*) {}

bool is_directory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<DirectoryEntry> find_entries(const std::string& pattern_path) {
    std::size_t slash = pattern_path.rfind('/');
    std::string directory = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : pattern_path.substr(0, slash);
    std::string_view pattern =
        slash == std::string::npos ? std::string_view(pattern_path)
                                   : std::string_view(pattern_path).substr(slash + 1);

    std::vector<DirectoryEntry> entries;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return entries;
    int dir_fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (!wildcard_match(pattern, name)) continue;
        struct stat st;
        if (::fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            entries.push_back({std::string(name), true});
        } else if (S_ISREG(st.st_mode)) {
            entries.push_back({std::string(name), false});
        } else if (S_ISLNK(st.st_mode)) {
            // A link is taken only when it leads to a regular file.
            if (::fstatat(dir_fd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
                entries.push_back({std::string(name), false, true});
            }
        }
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace quorlix::platform
