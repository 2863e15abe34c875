#include "platform/platform.h"
#include "platform/win32/wide_names.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <vector>

namespace quorlix::platform {

long File::read(char* data, std::size_t size) {
    for (;;) {
        int n = ::_read(fd_, data, static_cast<unsigned>(size > 0x40000000u ? 0x40000000u : size));
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

bool File::write_all(const char* data, std::size_t size) {
    while (size > 0) {
        unsigned chunk = static_cast<unsigned>(size > 0x40000000u ? 0x40000000u : size);
        int n = ::_write(fd_, data, chunk);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::rewind() { return ::_lseeki64(fd_, 0, SEEK_SET) == 0; }

bool File::sync() { return ::_commit(fd_) == 0; }

void File::start_writeback() {}

bool File::close() {
    if (fd_ < 0) return true;
    int rc = ::_close(fd_);
    fd_ = -1;
    return rc == 0;
}

File open_for_reading(const std::string& path) {
    return File(::_wopen(to_wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT));
}

int create_exclusive(const std::string& path) {
    return ::_wopen(to_wide(path).c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

bool file_exists(const std::string& path) { return ::_waccess(to_wide(path).c_str(), 0) == 0; }

bool has_read_only_attribute(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(to_wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::optional<unsigned> file_mode(const std::string& path) {
    struct _stat64 st;
    if (::_wstat64(to_wide(path).c_str(), &st) != 0) return std::nullopt;
    return static_cast<unsigned>(st.st_mode);
}

bool set_file_mode(const std::string& path, unsigned mode) {
    return ::_wchmod(to_wide(path).c_str(), static_cast<int>(mode & (_S_IREAD | _S_IWRITE))) == 0;
}

bool remove_file(const std::string& path) { return ::_wremove(to_wide(path).c_str()) == 0; }

FileKind file_kind(const std::string& path) {
    std::wstring name = to_wide(path);
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Device names (NUL, CON) have no attributes but do exist.
        return ::_waccess(name.c_str(), 0) == 0 ? FileKind::other : FileKind::missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::directory : FileKind::regular;
}

bool make_directory(const std::string& path) {
    return ::CreateDirectoryW(to_wide(path).c_str(), nullptr) != 0 ||
           ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Pages behind links are converted as any other file here.
std::optional<std::string> link_target(const std::string&) { return std::nullopt; }

File open_null_output() { return File(::_open("NUL", _O_WRONLY | _O_BINARY | _O_NOINHERIT)); }

// A converted file is created by the user who converts it.
bool copy_owner(const File&, const std::string&) { return true; }

// A Windows program without a console has no standard handles to lose.
void ensure_standard_streams() {}

bool is_absolute_path(const std::string& path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
    return path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::string name_key(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = ascii_fold(c);
    return key;
}

bool log_lines_end_in_crlf() { return true; }

std::optional<std::string> full_path(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::wstring name = to_wide(path);
    DWORD needed = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::vector<wchar_t> buffer(needed + 1);
    DWORD got = ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(),
                                   nullptr);
    if (got == 0 || got >= buffer.size()) return std::nullopt;
    return to_utf8(std::wstring_view(buffer.data(), got));
}

namespace {
bool file_identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = ::CreateFileW(to_wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    return ok != 0;
}
}  // namespace

namespace {
FileIdentity identity_from(const BY_HANDLE_FILE_INFORMATION& info) {
    FileIdentity identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.write_time = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return identity;
}
}  // namespace

std::optional<FileIdentity> identity_of(const File& file) {
    intptr_t handle = ::_get_osfhandle(file.fd());
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == -1 || !::GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &info)) {
        return std::nullopt;
    }
    return identity_from(info);
}

std::optional<FileIdentity> identity_of(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!file_identity(path, info)) return std::nullopt;
    return identity_from(info);
}

void advise_large_pages(void*, std::size_t) {
    // Large pages need a privilege that a user's process does not have.
}

}  // namespace quorlix::platform
