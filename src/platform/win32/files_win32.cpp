#include "platform/files.h"
#include "platform/win32/wide_names.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdint>
#include <vector>

namespace quorlix::platform {

bool is_terminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

OwnedStream create_log_file(const std::string& path) {
    // "N": not inherited by the converter processes.
    return OwnedStream(::_wfopen(to_wide(path).c_str(), L"wbN"));
}

void set_binary_mode(std::FILE* stream) { ::_setmode(::_fileno(stream), _O_BINARY); }

bool is_directory(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<DirectoryEntry> find_entries(const std::string& pattern_path) {
    std::vector<DirectoryEntry> entries;
    std::size_t separator = pattern_path.find_last_of("\\/:");
    std::string_view pattern = std::string_view(pattern_path).substr(
        separator == std::string::npos ? 0 : separator + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(to_wide(pattern_path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        // The search also matches the short 8.3 names: "*.htm" finds
        // "page.html" through "PAGE~1.HTM". Only the real name counts.
        std::string name = to_utf8(found.cFileName);
        if (!wildcard_match(pattern, name)) continue;
        entries.push_back({std::move(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}

}  // namespace quorlix::platform
