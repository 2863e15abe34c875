// The parts of platform.h that are the same on every platform.
#include "platform/platform.h"

#include <cerrno>
#include <ctime>

namespace quorlix::platform {

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

bool same_file_on_disk(const std::string& a, const std::string& b) {
    std::optional<FileIdentity> ia = identity_of(a), ib = identity_of(b);
    return ia && ib && ia->device == ib->device && ia->index == ib->index;
}

std::int64_t calendar_time() { return static_cast<std::int64_t>(std::time(nullptr)); }

int last_error() { return errno; }

}  // namespace quorlix::platform
