#include "platform/replace.h"

#include <windows.h>

#include <string>

namespace quorlix::platform {

bool make_backup(const std::string& original, const std::string& backup) {
    // A backup that exists is never replaced: it may be the only copy of
    // an original. A hard link makes the new one in a single step.
    if (::CreateHardLinkA(backup.c_str(), original.c_str(), nullptr)) return true;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
    // Where links are impossible, a copy under a name of its own first
    // (short, as a page's path may leave room for ".bak" and no more, and
    // this process's own), then moved to the backup's name without
    // replacing anything.
    std::size_t separator = backup.find_last_of("\\/:");
    std::string fresh =
        (separator == std::string::npos ? std::string() : backup.substr(0, separator + 1)) +
        "qlxbak" + std::to_string(::GetCurrentProcessId());
    ::DeleteFileA(fresh.c_str());
    if (!::CopyFileA(original.c_str(), fresh.c_str(), TRUE)) return false;
    if (!::MoveFileExA(fresh.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(fresh.c_str());
        return false;
    }
    return true;
}

bool replace_file(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace quorlix::platform
