#include "output/buffers.h"

#include "base/diagnostics.h"
#include "base/messages.h"
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace quorlix {

void OutputBuffer::drop_line_indent() {
    std::string_view text = view();
    std::size_t start = text.size();
    while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t')) --start;
    if (start == text.size() || (start > 0 && text[start - 1] != '\n')) return;
    for (std::uint64_t position :
         {style_position_, title_end_position_, head_position_, html_tag_end_position_}) {
        if (position > start) return;
    }
    truncate(start);
}

GrowableText::~GrowableText() { std::free(text_); }

void GrowableText::reserve(std::uint64_t capacity, const char* failure_detail) {
    if (capacity <= capacity_) return;
    if (capacity > std::numeric_limits<std::size_t>::max()) throw OutOfMemory{failure_detail};
    char* grown = static_cast<char*>(std::realloc(text_, static_cast<std::size_t>(capacity)));
    if (grown == nullptr) throw OutOfMemory{failure_detail};
    if (text_ == nullptr) grown[0] = '\0';
    text_ = grown;
    capacity_ = capacity;
    platform::advise_large_pages(text_, static_cast<std::size_t>(capacity_));
}

bool GrowableText::try_reserve(std::uint64_t capacity) {
    try {
        reserve(capacity, failure_detail_);
        return true;
    } catch (const OutOfMemory&) {
        return false;
    }
}

std::uint64_t GrowableText::grown_capacity(std::uint64_t capacity, std::uint64_t length,
                                           std::uint64_t n) {
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    if (n > max - length - 1) return 0;
    std::uint64_t step = growth_step;
    if (n + 1 >= growth_step) step += n + 1;
    if (step < capacity / 2) step = capacity / 2;
    if (step > max - capacity) return 0;
    return capacity + step;
}

void GrowableText::append_growing(std::string_view text) {
    std::uint64_t n = text.size();
    if (n == 0) return;
    if (!fits(n)) {
        std::uint64_t capacity = grown_capacity(capacity_, length_, n);
        if (capacity == 0) throw OutOfMemory{failure_detail_};
        reserve(capacity, failure_detail_);
    }
    std::memcpy(text_ + length_, text.data(), static_cast<std::size_t>(n));
    length_ += n;
    text_[length_] = '\0';
}

OutputBuffer::OutputBuffer() : GrowableText(messages::to_expand_output) {}

void OutputBuffer::reset(std::uint64_t input_size) {
    // Converted text is seldom more than a quarter longer than its input.
    // That room is a hint; the first block is a must (and then costs
    // nothing more when the hint was granted).
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    if (input_size < (max - first_block) / 2) try_reserve(input_size + input_size / 4 + first_block);
    reserve(first_block, messages::to_allocate_output);
    clear();
    style_position_ = title_end_position_ = head_position_ = html_tag_end_position_ = 0;
}

void DeferredBuffer::reserve_first_block() {
    try {
        text_.reserve(first_block);
    } catch (const std::bad_alloc&) {
        throw OutOfMemory{messages::for_temporary_output};
    }
}

void DeferredBuffer::append(std::string_view text) {
    if (text.empty()) return;
    if (text_.capacity() < first_block) reserve_first_block();
    try {
        text_.append(text);
    } catch (const std::bad_alloc&) {
        throw OutOfMemory{messages::to_expand_temporary_output};
    } catch (const std::length_error&) {
        throw OutOfMemory{messages::to_expand_temporary_output};
    }
}

}  // namespace quorlix
