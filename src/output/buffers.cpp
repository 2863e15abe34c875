#include "output/buffers.h"

#include "converter/diagnostics.h"
#include "converter/messages.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace quorlix {

OutputBuffer::~OutputBuffer() { std::free(text_); }

void OutputBuffer::reset() {
    if (text_ == nullptr) {
        text_ = static_cast<char*>(std::malloc(first_block));
        if (text_ == nullptr) throw OutOfMemory{messages::to_allocate_output};
        capacity_ = first_block;
    }
    text_[0] = '\0';
    length_ = 0;
    style_position_ = title_end_position_ = head_position_ = 0;
}

std::uint64_t OutputBuffer::grown_capacity(std::uint64_t capacity, std::uint64_t length,
                                           std::uint64_t n) {
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    if (n > max - length - 1) return 0;
    std::uint64_t step = growth_step;
    if (n + 1 >= growth_step) step += n + 1;
    if (step < capacity / 2) step = capacity / 2;
    if (step > max - capacity) return 0;
    return capacity + step;
}

void OutputBuffer::append_growing(std::string_view text) {
    std::uint64_t n = text.size();
    if (n == 0) return;
    if (length_ + n + 1 >= capacity_) {
        std::uint64_t capacity = grown_capacity(capacity_, length_, n);
        if (capacity == 0 || capacity > std::numeric_limits<std::size_t>::max()) {
            throw OutOfMemory{messages::to_expand_output};
        }
        char* grown = static_cast<char*>(std::realloc(text_, static_cast<std::size_t>(capacity)));
        if (grown == nullptr) throw OutOfMemory{messages::to_expand_output};
        text_ = grown;
        capacity_ = capacity;
    }
    std::memcpy(text_ + length_, text.data(), static_cast<std::size_t>(n));
    length_ += n;
    text_[length_] = '\0';
}

void DeferredBuffer::reset() {
    if (text_.capacity() < first_block) {
        try {
            text_.reserve(first_block);
        } catch (const std::bad_alloc&) {
            throw OutOfMemory{messages::for_temporary_output};
        }
    }
    text_.clear();
}

void DeferredBuffer::append(std::string_view text) {
    try {
        text_.append(text);
    } catch (const std::bad_alloc&) {
        throw OutOfMemory{messages::to_expand_temporary_output};
    } catch (const std::length_error&) {
        throw OutOfMemory{messages::to_expand_temporary_output};
    }
}

}  // namespace quorlix
