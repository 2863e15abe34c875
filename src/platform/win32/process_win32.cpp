#include "platform/files.h"
#include "platform/process.h"
#include "platform/win32/wide_names.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <vector>

namespace quorlix::platform {

namespace {

HANDLE as_handle(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}

NativeHandle as_native(HANDLE handle) {
    return static_cast<NativeHandle>(reinterpret_cast<std::intptr_t>(handle));
}

SECURITY_ATTRIBUTES inheritable() {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = nullptr;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

}  // namespace

void OwnedHandle::close() {
    if (handle_ == no_handle) return;
    ::CloseHandle(as_handle(handle_));
    handle_ = no_handle;
}

NativeHandle duplicate_handle(NativeHandle handle) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), as_handle(handle), ::GetCurrentProcess(), &copy, 0,
                           FALSE, DUPLICATE_SAME_ACCESS)) {
        return no_handle;
    }
    return as_native(copy);
}

std::optional<Pipe> create_output_pipe() {
    SECURITY_ATTRIBUTES attributes = inheritable();
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!::CreatePipe(&read_end, &write_end, &attributes, 0)) return std::nullopt;
    Pipe pipe;
    pipe.read_end = OwnedHandle(as_native(read_end));
    pipe.write_end = OwnedHandle(as_native(write_end));
    // A converter that held a copy of the read end would keep its own pipe
    // open: with the supervisor gone it could block on a full pipe for ever.
    if (!::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0)) return std::nullopt;
    return pipe;
}

long read_pipe(NativeHandle read_end, char* data, std::size_t size) {
    DWORD got = 0;
    DWORD wanted = static_cast<DWORD>(size > 0x40000000u ? 0x40000000u : size);
    if (!::ReadFile(as_handle(read_end), data, wanted, &got, nullptr)) {
        // The usual end: every write end is closed.
        return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<long>(got);
}

std::optional<SharedMemory> SharedMemory::create(std::size_t size) {
    SECURITY_ATTRIBUTES attributes = inheritable();
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                          static_cast<DWORD>(size), nullptr);
    if (mapping == nullptr) return std::nullopt;
    void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) {
        ::CloseHandle(mapping);
        return std::nullopt;
    }
    return SharedMemory(static_cast<unsigned char*>(view), size, as_native(mapping));
}

std::optional<SharedMemory> SharedMemory::open_inherited(NativeHandle handle,
                                                         std::size_t min_size) {
    void* view = ::MapViewOfFile(as_handle(handle), FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) return std::nullopt;
    MEMORY_BASIC_INFORMATION region{};
    if (::VirtualQuery(view, &region, sizeof region) < sizeof region ||
        region.State != MEM_COMMIT || region.BaseAddress != view || region.RegionSize < min_size) {
        ::UnmapViewOfFile(view);
        ::CloseHandle(as_handle(handle));
        return std::nullopt;
    }
    return SharedMemory(static_cast<unsigned char*>(view), region.RegionSize, handle);
}

void SharedMemory::reset() {
    if (data_ != nullptr) ::UnmapViewOfFile(data_);
    if (handle_ != no_handle) ::CloseHandle(as_handle(handle_));
    data_ = nullptr;
    size_ = 0;
    handle_ = no_handle;
}

int ChildProcess::wait() {
    if (process_ == no_handle) return -1;
    HANDLE process = as_handle(process_);
    process_ = no_handle;
    DWORD code = 0;
    bool ok = ::WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
              ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    return ok ? static_cast<int>(code) : -1;
}

std::optional<ChildProcess> start_process(const std::string& program, const std::string& argument,
                                          const std::vector<NativeHandle>&) {
    // The handles to inherit were created inheritable (shared memory, the
    // pipe's write end); everything else that this program opens is not.
    std::wstring command = to_wide(command_line_for(program, argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(to_wide(program).c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                          nullptr, nullptr, &startup, &info)) {
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    return ChildProcess(as_native(info.hProcess));
}

OwnedStream open_pipe_stream(NativeHandle write_end) {
    int fd = ::_open_osfhandle(static_cast<intptr_t>(write_end), _O_TEXT);
    if (fd < 0) return nullptr;
    std::FILE* stream = ::_fdopen(fd, "w");
    if (stream == nullptr) ::_close(fd);
    return OwnedStream(stream);
}

void shield_converter_process() { ::SetConsoleCtrlHandler(nullptr, TRUE); }

unsigned processor_count() {
    DWORD_PTR process_mask = 0, system_mask = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process_mask, &system_mask)) {
        unsigned count = 0;
        for (; process_mask != 0; process_mask &= process_mask - 1) ++count;
        if (count > 0) return count;
    }
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1u;
}

std::optional<std::string> executable_path() {
    std::vector<wchar_t> buffer(32768);
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return std::nullopt;
    return to_utf8(std::wstring_view(buffer.data(), n));
}

}  // namespace quorlix::platform
