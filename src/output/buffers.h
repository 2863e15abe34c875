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

// Copies n bytes; most texts the scanner appends are a few bytes long, and a
// copy of up to 16 of them is done here in at most two moves each way
// instead of a call.
inline void copy_bytes(char* to, const char* from, std::size_t n) {
    if (n > 16) {
        std::memcpy(to, from, n);
    } else if (n >= 8) {
        std::uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 8, &tail, 8);
    } else if (n >= 4) {
        std::uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    } else if (n > 0) {
        char first = from[0], middle = from[n / 2], last = from[n - 1];
        to[0] = first;
        to[n / 2] = middle;
        to[n - 1] = last;
    }
}

// A text that grows without being copied over and over: by at least one
// step and at least half its size, so that appends take amortised constant
// time. A NUL always follows the last byte. Big buffers ask the system for
// large pages, since first touches of fresh memory are otherwise a good part
// of the cost of a document of many megabytes.
class GrowableText {
public:
    static constexpr std::uint64_t growth_step = 32768;

    // failure_detail: what a memory failure while growing says after
    // "Insufficient memory".
    explicit GrowableText(const char* failure_detail) : failure_detail_(failure_detail) {}
    GrowableText(const GrowableText&) = delete;
    GrowableText& operator=(const GrowableText&) = delete;
    ~GrowableText();

    void append(std::string_view text) {
        if (fits(text.size())) {
            copy_bytes(text_ + length_, text.data(), text.size());
            length_ += text.size();
            text_[length_] = '\0';
        } else {
            append_growing(text);
        }
    }
    void append_char(char c) {
        if (capacity_ - length_ > 1) {  // one byte may fill up to the NUL
            text_[length_++] = c;
            text_[length_] = '\0';
        } else {
            append_growing(std::string_view(&c, 1));
        }
    }
    GrowableText& operator+=(std::string_view text) {
        append(text);
        return *this;
    }
    GrowableText& operator+=(char c) {
        append_char(c);
        return *this;
    }

    // Empties the text and keeps its memory.
    void clear() {
        length_ = 0;
        if (text_ != nullptr) text_[0] = '\0';
    }

    // The capacity that an append of n bytes needs when the buffer is full:
    // at least one growth step, room for the text itself when it is large,
    // and at least half the current size. 0 when it cannot be represented.
    static std::uint64_t grown_capacity(std::uint64_t capacity, std::uint64_t length,
                                        std::uint64_t n);

    std::string_view view() const { return {text_, static_cast<std::size_t>(length_)}; }
    bool empty() const { return length_ == 0; }
    std::uint64_t length() const { return length_; }
    std::uint64_t capacity() const { return capacity_; }

    // Makes room for a text of about this size in one allocation, when the
    // system grants it (it only reserves address space until written to);
    // false when it did not, which is no error.
    bool try_reserve(std::uint64_t capacity);

protected:
    // Shortens the text to the given length (no more than its length).
    void truncate(std::uint64_t length) {
        if (length < length_) {
            length_ = length;
            text_[length_] = '\0';
        }
    }
    // Gives the buffer at least this capacity; throws OutOfMemory with the
    // given detail when it cannot.
    void reserve(std::uint64_t capacity, const char* failure_detail);

private:
    // Room for n more bytes and the NUL, tested so that it cannot wrap.
    bool fits(std::uint64_t n) const { return capacity_ - length_ > n && capacity_ - length_ - n > 1; }
    // The general path: grows the buffer when the text does not fit.
    void append_growing(std::string_view text);

    char* text_ = nullptr;
    std::uint64_t capacity_ = 0;
    std::uint64_t length_ = 0;
    const char* failure_detail_;
};

// The output buffer: the whole converted document, with the positions that
// the final write needs.
class OutputBuffer : public GrowableText {
public:
    static constexpr std::uint64_t first_block = 65536;

    OutputBuffer();

    // Empties the buffer and forgets the recorded positions; the first call
    // allocates the first block, later calls reuse the block. When the size
    // of the input is known, room for its conversion is reserved at once, so
    // that the buffer seldom has to move while it grows.
    void reset(std::uint64_t input_size = 0);

    // Recorded positions; 0 means not recorded.
    void mark_style_position() {
        if (style_position_ == 0) style_position_ = length();
    }
    void mark_title_end() { title_end_position_ = length(); }
    void mark_head_position() { head_position_ = length(); }
    // Where the html start tag ends (before its ">"): a lang attribute that
    // the head gives the page later is inserted there.
    void mark_html_tag_end() { html_tag_end_position_ = length(); }
    bool head_position_set() const { return head_position_ != 0; }
    std::uint64_t style_position() const { return style_position_; }
    std::uint64_t title_end_position() const { return title_end_position_; }
    std::uint64_t head_position() const { return head_position_; }
    std::uint64_t html_tag_end_position() const { return html_tag_end_position_; }

    // Removes the blanks that indent the line being written, when nothing
    // but blanks precedes them on it and no recorded position lies among
    // them: for an element that is dropped together with its line.
    void drop_line_indent();

private:
    std::uint64_t style_position_ = 0;
    std::uint64_t title_end_position_ = 0;
    std::uint64_t head_position_ = 0;
    std::uint64_t html_tag_end_position_ = 0;
};

class DeferredBuffer {
public:
    static constexpr std::size_t first_block = 8192;

    // Empties the buffer. Its first block is allocated by the first append:
    // every element resets a dozen buffers, and a small page uses few of
    // them, while each allocation costs a converter process a page fault.
    void reset() { text_.clear(); }
    void append(std::string_view text);
    void append_char(char c) { append(std::string_view(&c, 1)); }

    bool has_content() const { return !text_.empty(); }
    std::string_view view() const { return text_; }
    std::size_t size() const { return text_.size(); }

private:
    void reserve_first_block();

    std::string text_;
};

}  // namespace quorlix
