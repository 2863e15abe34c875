#include "platform/files.h"
#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sched.h>
#include <unistd.h>

extern char** environ;

namespace quorlix::platform {

namespace {

bool fits_descriptor(NativeHandle handle) { return handle >= 0 && handle <= INT_MAX; }

// Makes every descriptor of this process from 3 up close-on-exec, so that a
// child gets only what start_process hands it explicitly. Descriptors that
// this program opens are close-on-exec already; this catches those that it
// inherited or that a library opened without the flag.
void make_descriptors_private() {
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        int own = ::dirfd(dir);
        while (const dirent* entry = ::readdir(dir)) {
            char* end = nullptr;
            long fd = std::strtol(entry->d_name, &end, 10);
            if (end == entry->d_name || *end != '\0' || fd < 3 || fd == own) continue;
            int flags = ::fcntl(static_cast<int>(fd), F_GETFD);
            if (flags >= 0 && !(flags & FD_CLOEXEC)) {
                ::fcntl(static_cast<int>(fd), F_SETFD, flags | FD_CLOEXEC);
            }
        }
        ::closedir(dir);
        return;
    }
    // Without /proc: every possible descriptor number.
    long limit = ::sysconf(_SC_OPEN_MAX);
    if (limit < 0 || limit > 65536) limit = 65536;
    for (int fd = 3; fd < limit; ++fd) {
        int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC)) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

class SpawnActions {
public:
    SpawnActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    bool ok() const { return ok_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    bool ok_ = false;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ok_ = ::posix_spawnattr_init(&attributes_) == 0; }
    ~SpawnAttributes() {
        if (ok_) ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    bool ok() const { return ok_; }
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
    bool ok_ = false;
};

}  // namespace

void OwnedHandle::close() {
    if (handle_ == no_handle) return;
    if (fits_descriptor(handle_)) ::close(static_cast<int>(handle_));
    handle_ = no_handle;
}

NativeHandle duplicate_handle(NativeHandle handle) {
    if (!fits_descriptor(handle)) return no_handle;
    int fd = ::fcntl(static_cast<int>(handle), F_DUPFD_CLOEXEC, 3);
    return fd < 0 ? no_handle : fd;
}

std::optional<Pipe> create_output_pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    Pipe pipe;
    pipe.read_end = OwnedHandle(fds[0]);
    pipe.write_end = OwnedHandle(fds[1]);
    return pipe;
}

long read_pipe(NativeHandle read_end, char* data, std::size_t size) {
    if (!fits_descriptor(read_end)) return -1;
    for (;;) {
        ssize_t n = ::read(static_cast<int>(read_end), data, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

std::optional<SharedMemory> SharedMemory::create(std::size_t size) {
    OwnedHandle fd(::memfd_create("quorlix-settings", MFD_CLOEXEC));
    if (!fd.is_open() || fd.get() < 0) return std::nullopt;
    if (::ftruncate(static_cast<int>(fd.get()), static_cast<off_t>(size)) != 0) return std::nullopt;
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED,
                        static_cast<int>(fd.get()), 0);
    if (view == MAP_FAILED) return std::nullopt;
    return SharedMemory(static_cast<unsigned char*>(view), size, fd.release());
}

std::optional<SharedMemory> SharedMemory::open_inherited(NativeHandle handle,
                                                         std::size_t min_size) {
    if (!fits_descriptor(handle)) return std::nullopt;
    int fd = static_cast<int>(handle);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) < min_size) {
        return std::nullopt;
    }
    std::size_t size = static_cast<std::size_t>(st.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) return std::nullopt;
    return SharedMemory(static_cast<unsigned char*>(view), size, handle);
}

void SharedMemory::reset() {
    if (data_ != nullptr) ::munmap(data_, size_);
    if (fits_descriptor(handle_)) ::close(static_cast<int>(handle_));
    data_ = nullptr;
    size_ = 0;
    handle_ = no_handle;
}

int ChildProcess::wait() {
    if (process_ == no_handle) return -1;
    pid_t pid = static_cast<pid_t>(process_);
    process_ = no_handle;
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(pid, &status, 0);
    } while (got < 0 && errno == EINTR);
    if (got != pid) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::optional<ChildProcess> start_process(const std::string& program, const std::string& argument,
                                          const std::vector<NativeHandle>& inherited) {
    for (NativeHandle handle : inherited) {
        if (!fits_descriptor(handle)) return std::nullopt;
    }
    make_descriptors_private();

    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) return std::nullopt;

    // Duplicating a descriptor onto itself clears its close-on-exec flag in
    // the child only.
    for (NativeHandle handle : inherited) {
        int fd = static_cast<int>(handle);
        if (::posix_spawn_file_actions_adddup2(actions.get(), fd, fd) != 0) return std::nullopt;
    }
    // The standard descriptors become the null device rather than closed,
    // so that no file the converter opens can take their numbers.
    for (int fd = 0; fd <= 2; ++fd) {
        if (std::find(inherited.begin(), inherited.end(), fd) != inherited.end()) continue;
        if (::posix_spawn_file_actions_addopen(actions.get(), fd, "/dev/null",
                                               fd == 0 ? O_RDONLY : O_WRONLY, 0) != 0) {
            return std::nullopt;
        }
    }

    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD}) sigaddset(&defaults, sig);
    sigset_t no_mask;
    sigemptyset(&no_mask);
    if (::posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                         POSIX_SPAWN_SETSIGMASK) != 0 ||
        ::posix_spawnattr_setpgroup(attributes.get(), 0) != 0 ||
        ::posix_spawnattr_setsigdefault(attributes.get(), &defaults) != 0 ||
        ::posix_spawnattr_setsigmask(attributes.get(), &no_mask) != 0) {
        return std::nullopt;
    }

    std::string argv0 = program;
    std::string argv1 = argument;
    char* argv[] = {argv0.data(), argv1.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv, environ) != 0) {
        return std::nullopt;
    }
    return ChildProcess(static_cast<NativeHandle>(pid));
}

OwnedStream open_pipe_stream(NativeHandle write_end) {
    if (!fits_descriptor(write_end)) return nullptr;
    return OwnedStream(::fdopen(static_cast<int>(write_end), "w"));
}

void shield_converter_process() {
    std::signal(SIGPIPE, SIG_IGN);
    // A write beyond a file-size limit (RLIMIT_FSIZE) then fails with EFBIG,
    // which the pipeline reports and cleans up after, instead of killing the
    // process and leaving its temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
}

unsigned processor_count() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        int count = CPU_COUNT(&set);
        if (count > 0) return static_cast<unsigned>(count);
    }
    long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1u;
}

std::optional<std::string> executable_path() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::nullopt;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace quorlix::platform
