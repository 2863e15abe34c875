// The output buffer that holds the converted document while it is scanned,
// and the deferred buffers in which rules collect text that can only be
// written later (attribute values, CSS declarations, rebuilt start tags).
// Every text carries its length, so NUL bytes pass through like any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quorlix {

class OutputBuffer {
public:
    static constexpr std::uint64_t first_block = 65536;
    static constexpr std::uint64_t growth_step = 32768;

    OutputBuffer() = default;
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    ~OutputBuffer();

    // Empties the buffer and forgets the recorded positions; the first call
    // allocates the first block, later calls reuse the block.
    void reset();

    void append(std::string_view text) {
        if (length_ + text.size() + 1 < capacity_) {
            if (text.empty()) return;
            std::memcpy(text_ + length_, text.data(), text.size());
            length_ += text.size();
            text_[length_] = '\0';
        } else {
            append_growing(text);
        }
    }
    void append_char(char c) {
        if (length_ + 1 < capacity_) {
            text_[length_++] = c;
            text_[length_] = '\0';
        } else {
            append_growing(std::string_view(&c, 1));
        }
    }

    // The capacity that an append of n bytes needs when the buffer is full:
    // at least one growth step, room for the text itself when it is large,
    // and at least half the current size, so that a document of many
    // megabytes is not copied over and over while it grows.
    static std::uint64_t grown_capacity(std::uint64_t capacity, std::uint64_t length,
                                        std::uint64_t n);

    std::string_view view() const { return {text_, static_cast<std::size_t>(length_)}; }
    std::uint64_t length() const { return length_; }
    std::uint64_t capacity() const { return capacity_; }

    // Recorded positions; 0 means not recorded.
    void mark_style_position() {
        if (style_position_ == 0) style_position_ = length_;
    }
    void mark_title_end() { title_end_position_ = length_; }
    void mark_head_position() { head_position_ = length_; }
    bool head_position_set() const { return head_position_ != 0; }
    std::uint64_t style_position() const { return style_position_; }
    std::uint64_t title_end_position() const { return title_end_position_; }
    std::uint64_t head_position() const { return head_position_; }

private:
    // The general path: grows the buffer when the text does not fit.
    void append_growing(std::string_view text);

    char* text_ = nullptr;
    std::uint64_t capacity_ = 0;
    std::uint64_t length_ = 0;
    std::uint64_t style_position_ = 0;
    std::uint64_t title_end_position_ = 0;
    std::uint64_t head_position_ = 0;
};

class DeferredBuffer {
public:
    static constexpr std::size_t first_block = 8192;

    void reset();
    void append(std::string_view text);
    void append_char(char c) { append(std::string_view(&c, 1)); }

    bool has_content() const { return !text_.empty(); }
    std::string_view view() const { return text_; }
    std::size_t size() const { return text_.size(); }

private:
    std::string text_;
};

}  // namespace quorlix
