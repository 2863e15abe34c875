#include "platform/platform.h"
#include "platform/replace.h"
#include "platform/win32/wide_names.h"

#include <windows.h>

#include <string>

namespace quorlix::platform {

bool make_backup(const std::string& original, const std::string& backup) {
    // A backup that exists is never replaced: it may be the only copy of
    // an original. A hard link makes the new one in a single step.
    std::wstring original_name = to_wide(original), backup_name = to_wide(backup);
    if (::CreateHardLinkW(backup_name.c_str(), original_name.c_str(), nullptr)) return true;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
    // Where links are impossible, a copy under a name of its own first
    // (short, as a page's path may leave room for ".bak" and no more, and
    // this process's own), then moved to the backup's name without
    // replacing anything.
    std::size_t separator = backup.find_last_of("\\/:");
    std::wstring fresh = to_wide(
        (separator == std::string::npos ? std::string() : backup.substr(0, separator + 1)) +
        "qlxbak" + std::to_string(::GetCurrentProcessId()));
    ::DeleteFileW(fresh.c_str());
    if (!::CopyFileW(original_name.c_str(), fresh.c_str(), TRUE)) return false;
    if (!::MoveFileExW(fresh.c_str(), backup_name.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

bool replace_file(const std::string& from, const std::string& to) {
    return ::MoveFileExW(to_wide(from).c_str(), to_wide(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void give_mode_to_converted(const std::string&, unsigned) {}

void give_mode_to_copy(const std::string& copy, unsigned mode) { set_file_mode(copy, mode); }

}  // namespace quorlix::platform
