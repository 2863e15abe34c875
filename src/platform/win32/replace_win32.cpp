#include "platform/replace.h"

#include <windows.h>

#include <string>

namespace quorlix::platform {

bool make_backup(const std::string& original, const std::string& backup) {
    // A new backup under a name of its own first, so that an old backup is
    // never lost before a new one exists. That name is short (a page's path
    // may leave room for ".bak" and no more) and this process's own.
    std::size_t separator = backup.find_last_of("\\/:");
    std::string fresh =
        (separator == std::string::npos ? std::string() : backup.substr(0, separator + 1)) +
        "qlxbak" + std::to_string(::GetCurrentProcessId());
    ::DeleteFileA(fresh.c_str());
    if (!::CreateHardLinkA(fresh.c_str(), original.c_str(), nullptr) &&
        !::CopyFileA(original.c_str(), fresh.c_str(), TRUE)) {
        return false;
    }
    if (!::MoveFileExA(fresh.c_str(), backup.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
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
