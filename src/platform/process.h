// Processes and what they share: the shared memory that carries the settings
// block, the output pipe, starting and waiting for a converter process. Handles travel as 64-bit numbers (a
// file descriptor on Linux, a HANDLE value on Windows), the form in which
// they are written into the settings block and onto the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include "platform/files.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

using NativeHandle = std::int64_t;
inline constexpr NativeHandle no_handle = -1;

// A handle that closes itself.
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(NativeHandle handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept;
    ~OwnedHandle() { close(); }

    bool is_open() const { return handle_ != no_handle; }
    NativeHandle get() const { return handle_; }
    NativeHandle release() {
        NativeHandle handle = handle_;
        handle_ = no_handle;
        return handle;
    }
    void close();

private:
    NativeHandle handle_ = no_handle;
};

// A second handle to the same object, not inheritable; no_handle on
// failure. The caller owns it.
NativeHandle duplicate_handle(NativeHandle handle);

// An anonymous pipe. The write end is inheritable, so that a child process
// started with it in its list gets it; the read end never is.
struct Pipe {
    OwnedHandle read_end;
    OwnedHandle write_end;
};
std::optional<Pipe> create_output_pipe();

// Reads what is there, up to size bytes: the count, 0 at the end of the pipe
// (every write end closed), -1 on an error.
long read_pipe(NativeHandle read_end, char* data, std::size_t size);

// Anonymous shared memory with a view mapped for reading and writing: a
// memfd on Linux, a file mapping backed by the paging file on Windows.
class SharedMemory {
public:
    // A new zero-filled region of size bytes whose handle child processes
    // can inherit.
    static std::optional<SharedMemory> create(std::size_t size);

    // Maps a region whose handle this process inherited. None when the
    // handle names no mappable region of at least min_size bytes; the handle
    // is then closed only when it could be mapped (on Windows, a view whose
    // region check fails) and is otherwise left alone.
    static std::optional<SharedMemory> open_inherited(NativeHandle handle, std::size_t min_size);

    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    // Unmaps the view and closes the handle.
    ~SharedMemory();

    unsigned char* data() const { return data_; }
    // The bytes that may be read through the view: at least the size asked
    // for (a Windows view reaches to the end of its page).
    std::size_t size() const { return size_; }
    NativeHandle handle() const { return handle_; }

private:
    SharedMemory(unsigned char* data, std::size_t size, NativeHandle handle)
        : data_(data), size_(size), handle_(handle) {}
    void reset();

    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    NativeHandle handle_ = no_handle;
};

// A started child process; the destructor waits for it when nobody did.
class ChildProcess {
public:
    ChildProcess() = default;
    explicit ChildProcess(NativeHandle process) : process_(process) {}
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept : process_(other.process_) {
        other.process_ = no_handle;
    }
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // Waits for the end of the process and returns its exit status; a Linux
    // process ended by a signal gives 128 plus the signal's number; -1 when
    // the status cannot be had.
    int wait();

private:
    NativeHandle process_ = no_handle;  // a pid on Linux, a process handle on Windows
};

// Starts program with one argument, in the caller's current directory and
// environment. The child inherits the handles listed (each must have been
// made inheritable by this layer: a pipe's write end, shared memory).
//   Linux: every other descriptor is closed in the child, its standard input
//   and outputs are the null device, its signals have their default
//   actions, and it runs in a process group of its own, so that Ctrl-C in
//   the terminal reaches the supervisor only.
//   Windows: CreateProcessW with the program path (quoted when it holds a
//   blank), a blank and the argument as its command line, handle
//   inheritance on, no creation flags and no standard handles passed.
// None when the process cannot be started.
std::optional<ChildProcess> start_process(const std::string& program, const std::string& argument,
                                          const std::vector<NativeHandle>& inherited);

// The command line that start_process gives CreateProcessW (in UTF-8).
std::string command_line_for(const std::string& program, const std::string& argument);

// The converter's output stream on an inherited pipe write end: text mode on
// Windows (each LF reaches the pipe as CR LF), plain bytes on Linux. The
// stream owns the handle. Null when the handle cannot be wrapped.
OwnedStream open_pipe_stream(NativeHandle write_end);

// For a converter process: a supervisor that goes away while a file is being
// converted (a second Ctrl-C ends the command line at once) must not end the
// conversion half-way. Writes to a pipe without a reader then fail instead
// of killing the process, and the console's Ctrl-C is left to the
// supervisor. On Linux a write beyond a file-size limit fails as well
// instead of killing the process.
void shield_converter_process();

// The number of processors this process may run on (its affinity mask);
// at least 1.
unsigned processor_count();

// The running executable's full path; none when it cannot be had.
std::optional<std::string> executable_path();

}  // namespace quorlix::platform
