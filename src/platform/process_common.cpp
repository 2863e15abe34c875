// The parts of process.h that are the same on every platform.
#include "platform/platform.h"
#include "platform/process.h"

namespace quorlix::platform {

OwnedHandle& OwnedHandle::operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.release();
    }
    return *this;
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : data_(other.data_), size_(other.size_), handle_(other.handle_) {
    other.data_ = nullptr;
    other.size_ = 0;
    other.handle_ = no_handle;
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
    if (this != &other) {
        reset();
        data_ = other.data_;
        size_ = other.size_;
        handle_ = other.handle_;
        other.data_ = nullptr;
        other.size_ = 0;
        other.handle_ = no_handle;
    }
    return *this;
}

SharedMemory::~SharedMemory() { reset(); }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (process_ != no_handle) wait();
        process_ = other.process_;
        other.process_ = no_handle;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    if (process_ != no_handle) wait();
}

std::string command_line_for(const std::string& program, const std::string& argument) {
    // The converter looks for its argument right after the program name, so
    // a path with blanks must stay one word.
    bool quote = program.find_first_of(" \t") != std::string::npos;
    std::string line;
    if (quote) line += '"';
    line += program;
    if (quote) line += '"';
    line += ' ';
    line += argument;
    return line;
}

}  // namespace quorlix::platform
