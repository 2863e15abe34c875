#include "rewriter/scanner_support.h"

#include "base/messages.h"

#include <cstdint>
#include <cstring>

namespace quorlix {

long count_newlines(const char* text, std::size_t size) {
    // Eight bytes at a time: a byte of x is zero exactly where the text has
    // a line feed, and top_bits has the top bit of exactly those set (no
    // carry crosses a byte). A portable population count would be a call.
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t low7 = 0x7f7f7f7f7f7f7f7fu;
    long count = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        std::uint64_t x = word ^ (ones * '\n');
        std::uint64_t top_bits = ~(((x & low7) + low7) | x | low7);
        count += static_cast<long>(((top_bits >> 7) * ones) >> 56);  // the sum of the eight bits
    }
    for (; i < size; ++i) count += text[i] == '\n';
    return count;
}

std::size_t scanner_read(Document& document, char* buffer, std::size_t size,
                         const char* buffer_start) {
    LineCount& lines = document.lines;
    lines.unmatched_while_refilling = count_newlines(buffer_start, buffer - buffer_start);
    lines.refilling = true;
    ++lines.refills;
    long n = document.input->read(buffer, size);
    if (n < 0) document.diagnostics.fatal_error(messages::read_error);
    lines.refilling = false;
    lines.newlines_read += count_newlines(buffer, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
}

}  // namespace quorlix
