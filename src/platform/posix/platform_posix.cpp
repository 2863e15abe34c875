#include "platform/platform.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace quorlix::platform {

long File::read(char* data, std::size_t size) {
    for (;;) {
        ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

bool File::write_all(const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::rewind() { return ::lseek(fd_, 0, SEEK_SET) == 0; }

bool File::sync() { return ::fsync(fd_) == 0; }

void File::start_writeback() {
#ifdef SYNC_FILE_RANGE_WRITE
    if (fd_ >= 0) ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool File::close() {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

File open_for_reading(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return File(fd);
}

int create_exclusive(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool file_exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool has_read_only_attribute(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::optional<unsigned> file_mode(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<unsigned>(st.st_mode & 07777);
}

bool set_file_mode(const std::string& path, unsigned mode) {
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool is_absolute_path(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string name_key(std::string_view name) { return std::string(name); }

bool log_lines_end_in_crlf() { return false; }

FileKind file_kind(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return FileKind::missing;
    if (S_ISREG(st.st_mode)) return FileKind::regular;
    return S_ISDIR(st.st_mode) ? FileKind::directory : FileKind::other;
}

bool make_directory(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

std::optional<std::string> link_target(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::nullopt;
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

File open_null_output() { return File(::open("/dev/null", O_WRONLY | O_CLOEXEC)); }

bool copy_owner(const File& original, const std::string& path) {
    struct stat from, to;
    if (::fstat(original.fd(), &from) != 0 || ::stat(path.c_str(), &to) != 0) return false;
    if (from.st_uid == to.st_uid && from.st_gid == to.st_gid) return true;
    // Only root may give a file away; anyone else keeps their own files.
    if (::geteuid() != 0) return true;
    return ::chown(path.c_str(), from.st_uid, from.st_gid) == 0;
}

void ensure_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free number: this one.
        int null_fd = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null_fd >= 0 && null_fd != fd) ::close(null_fd);
    }
}

std::optional<std::string> full_path(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::string absolute;
    if (path[0] == '/') {
        absolute = path;
    } else {
        std::vector<char> cwd(4096);
        while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE) return std::nullopt;
            cwd.resize(cwd.size() * 2);
        }
        absolute = std::string(cwd.data()) + "/" + path;
    }
    // Collapse "//", "." and ".." lexically; links are left alone.
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < absolute.size()) {
        std::size_t j = absolute.find('/', i);
        if (j == std::string::npos) j = absolute.size();
        std::string part = absolute.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        i = j + 1;
    }
    std::string result;
    for (const auto& part : parts) result += "/" + part;
    return result.empty() ? std::string("/") : result;
}

namespace {
FileIdentity identity_from(const struct stat& st) {
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(st.st_dev);
    identity.index = static_cast<std::uint64_t>(st.st_ino);
    identity.size = static_cast<std::uint64_t>(st.st_size);
    identity.write_time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                          st.st_mtim.tv_nsec;
    return identity;
}
}  // namespace

std::optional<FileIdentity> identity_of(const File& file) {
    struct stat st;
    if (::fstat(file.fd(), &st) != 0) return std::nullopt;
    return identity_from(st);
}

std::optional<FileIdentity> identity_of(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return identity_from(st);
}

void advise_large_pages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    // The advice is a hint: its failure changes nothing.
    constexpr std::size_t large_page = std::size_t{1} << 21;
    constexpr std::uintptr_t page = 4096;
    if (size < 2 * large_page) return;
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
    std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(page - 1);
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

}  // namespace quorlix::platform
