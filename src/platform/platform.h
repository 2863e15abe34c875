// The platform layer: everything above it is written once for Linux and
// Windows. Only the files under posix/ and win32/ include system headers of
// one platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::platform {

// The separator that join_path writes between a directory and a name, and
// every character that separates the parts of a path.
#ifdef _WIN32
inline constexpr char path_separator = '\\';
inline constexpr const char* path_separators = "/\\";
#else
inline constexpr char path_separator = '/';
inline constexpr const char* path_separators = "/";
#endif

// An ASCII letter in lower case, any other byte as it is: the folding of
// the names the platform compares itself (wildcards, Windows file names),
// and base/text.h's ascii_lower.
inline char ascii_fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when a path is absolute: from the root on Linux; on Windows a drive
// with its root, or a path from the root of the current drive.
bool is_absolute_path(const std::string& path);

// The form in which the file system compares names: ASCII letters in lower
// case on Windows, the name as it is on Linux.
std::string name_key(std::string_view name);

// True when the lines of a text written to a log end in CR LF (Windows).
bool log_lines_end_in_crlf();

// A file descriptor that closes itself. Reads and writes are raw bytes: the
// text-mode translation of documents lives in text_stream.h so that both
// platforms produce the same bytes.
class File {
public:
    File() = default;
    explicit File(int fd) : fd_(fd) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : fd_(other.release()) {}
    File& operator=(File&& other) noexcept;
    ~File() { close(); }

    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int release() { int fd = fd_; fd_ = -1; return fd; }

    // Returns the number of bytes read (0 at end of file) or -1; errno tells
    // why. An interrupted read is retried.
    long read(char* data, std::size_t size);
    // Writes every byte or returns false.
    bool write_all(const char* data, std::size_t size);
    // Moves to the start of the file.
    bool rewind();
    // Flushes the file's data to the disk.
    bool sync();
    // Lets the system start writing what it holds of the file to the disk,
    // without waiting, so that a later sync has less left to wait for. A
    // hint: nothing happens where the system has no such call.
    void start_writeback();
    // Closes the descriptor; false when the close reported an error.
    bool close();

private:
    int fd_ = -1;
};

// Opens an existing file for reading, in binary mode.
File open_for_reading(const std::string& path);

// Creates a new file exclusively (it must not exist), readable and writable by
// the owner only. Returns -1 with errno set on failure (EEXIST when a file of
// that name exists).
int create_exclusive(const std::string& path);

// True when the file exists (an existence check only, like access(F_OK)).
bool file_exists(const std::string& path);

// True when the file exists and nobody may write to it: the read-only
// attribute on Windows, no write permission bit at all on Linux.
bool has_read_only_attribute(const std::string& path);

// The permission bits of a file, as stat reports them.
std::optional<unsigned> file_mode(const std::string& path);

// Gives a file the permission bits of another (chmod).
bool set_file_mode(const std::string& path, unsigned mode);

// Plain file-system operations; true on success.
bool remove_file(const std::string& path);

// What a name leads to (following links).
enum class FileKind { missing, regular, directory, other };
FileKind file_kind(const std::string& path);

// Creates one directory; true when it was made or exists already.
bool make_directory(const std::string& path);

// Creates a directory and every missing directory above it; true when the
// path is a directory afterwards.
bool make_directories(const std::string& path);

// The file a symbolic link leads to, as an absolute path with every link
// resolved; none when path is not a link (or the link leads nowhere, or the
// platform has no such links).
std::optional<std::string> link_target(const std::string& path);

// A sink for output that must go nowhere: writes succeed and nothing is
// kept (the null device).
File open_null_output();

// Gives the file at path the owner and group of an open file, where this
// process may (as root on Linux); a no-op where files have no such owner.
// False only when it was tried and refused.
bool copy_owner(const File& original, const std::string& path);

// Makes sure that the standard input, output and error are open (on the
// null device when they were closed), so that no file opened later takes
// their place. Call first thing at start-up.
void ensure_standard_streams();

// The system's description of an error number ("No such file or directory").
std::string error_text(int error);

// Expands a path to an absolute full path without following links (the
// platform's full-path function on Windows, a lexical one on Linux).
std::optional<std::string> full_path(const std::string& path);

// True when both names exist and are the same file on disk (same device and
// inode, or the same file index), whatever path leads to them.
bool same_file_on_disk(const std::string& a, const std::string& b);

// What tells a file from another one put in its place, and from itself
// rewritten: the device and file number, the size and the last write time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t write_time = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of an open file, and of the file a name leads to now; none
// when it cannot be had (for a name: when nothing is there).
std::optional<FileIdentity> identity_of(const File& file);
std::optional<FileIdentity> identity_of(const std::string& path);

// Tells the system that a large heap block would rather have large pages
// (Linux: transparent huge pages on request); a hint, with no effect on
// small blocks or where the system has no such thing.
void advise_large_pages(void* data, std::size_t size);

// Seconds since the epoch.
std::int64_t calendar_time();

// The process-wide error number, for callers that must not include <cerrno>
// semantics of one platform.
int last_error();

}  // namespace quorlix::platform
