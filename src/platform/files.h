// Files beyond the pages themselves: the directory search of the site walk,
// the log file of a run and the standard streams.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix::platform {

// Closes a stream that is owned.
struct StreamCloser {
    void operator()(std::FILE* stream) const {
        if (stream != nullptr) std::fclose(stream);
    }
};
using OwnedStream = std::unique_ptr<std::FILE, StreamCloser>;

// A log file: created or emptied, written byte for byte, and never
// inherited by a converter process.
OwnedStream create_log_file(const std::string& path);

// True when the stream is a terminal (a console on Windows).
bool is_terminal(std::FILE* stream);

// Makes a stream byte-exact (no LF to CR LF translation on Windows).
void set_binary_mode(std::FILE* stream);

// True when the path names a directory (following links).
bool is_directory(const std::string& path);

struct DirectoryEntry {
    std::string name;
    bool is_directory = false;
    // A symbolic link to a regular file (Linux only).
    bool is_link = false;
};

// The entries of one directory whose names match a wildcard pattern; the
// argument is the directory, a separator and the pattern ("site/*.html").
// Windows: FindFirstFileW's entries (names in UTF-8) in its order whose own name matches
// (not merely their short 8.3 name), directories marked by their attribute. Linux: names in byte order; regular files (or links to
// them) and real directories only, so a link to a directory is never
// entered and a link loop is never followed, and nothing is taken that could
// block a reader (a FIFO, a device). A directory that cannot be searched
// gives no entries.
std::vector<DirectoryEntry> find_entries(const std::string& pattern_path);

// The matching of find_entries: '*' any run of characters, '?' one
// character, ASCII letters without regard to case.
bool wildcard_match(std::string_view pattern, std::string_view name);

}  // namespace quorlix::platform
