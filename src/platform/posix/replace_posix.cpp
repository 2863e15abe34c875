#include "platform/platform.h"
#include "platform/replace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace quorlix::platform {

namespace {

// Copies original into a new file at path, with the same permission bits.
bool copy_file(const std::string& original, const std::string& path) {
    File in = open_for_reading(original);
    if (!in.is_open()) return false;
    struct stat st;
    if (::fstat(in.fd(), &st) != 0) return false;
    File out(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (!out.is_open()) return false;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        long n = in.read(buffer.data(), buffer.size());
        if (n < 0) break;
        if (n == 0) {
            if (out.sync() && out.close()) return true;
            break;  // a copy that may not be on the disk is no backup
        }
        if (!out.write_all(buffer.data(), static_cast<std::size_t>(n))) break;
    }
    out.close();
    ::unlink(path.c_str());
    return false;
}

}  // namespace

bool make_backup(const std::string& original, const std::string& backup) {
    // A backup that exists is never replaced: it may be the only copy of
    // an original. A hard link makes the new one in a single step.
    if (::link(original.c_str(), backup.c_str()) == 0) return true;
    if (errno == EEXIST) return false;
    // Where links are impossible, a copy is made under a name of its own
    // first (short, as a page's name may leave room for ".bak" and no more,
    // and this process's own), then moved to the backup's name, still
    // without replacing anything.
    std::size_t slash = backup.rfind('/');
    std::string fresh = (slash == std::string::npos ? std::string() : backup.substr(0, slash + 1)) +
                        "qlxbak" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (!copy_file(original, fresh)) return false;
    int moved = ::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && errno == EINVAL && ::access(backup.c_str(), F_OK) != 0) {
        // A file system without the no-replace rename.
        moved = ::rename(fresh.c_str(), backup.c_str());
    }
    if (moved != 0) {
        int error = errno;
        ::unlink(fresh.c_str());
        errno = error;
        return false;
    }
    return true;
}

bool replace_file(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void give_mode_to_converted(const std::string& converted, unsigned mode) {
    set_file_mode(converted, mode);
}

void give_mode_to_copy(const std::string&, unsigned) {}

}  // namespace quorlix::platform
