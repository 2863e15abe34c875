#include "rewriter/scanner_support.h"

#include "converter/messages.h"

#include <cstring>

namespace quorlix {

void scanner_failure(const char* message) { throw ScannerFailure{message}; }

long count_newlines(const char* text, std::size_t size) {
    long count = 0;
    const char* end = text + size;
    while (text < end && (text = static_cast<const char*>(std::memchr(text, '\n', end - text)))) {
        ++count;
        ++text;
    }
    return count;
}

std::size_t scanner_read(Document& document, char* buffer, std::size_t size,
                         const char* buffer_start) {
    LineCount& lines = document.lines;
    lines.unmatched_while_refilling = count_newlines(buffer_start, buffer - buffer_start);
    lines.refilling = true;
    long n = document.input->read(buffer, size);
    if (n < 0) document.diagnostics.error_plain(messages::read_error);
    lines.refilling = false;
    lines.newlines_read += count_newlines(buffer, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
}

void report_scanner_failure(Document& document, const ScannerFailure& failure) {
    const char* message = failure.message != nullptr ? failure.message : "";
    Diagnostics& diagnostics = document.diagnostics;
    if (std::strstr(message, "end of buffer missed") != nullptr) {
        diagnostics.error_plain(messages::pointer_past_end);
    }
    if (std::strstr(message, "input buffer overflow") != nullptr ||
        std::strstr(message, "enlarge") != nullptr) {
        diagnostics.error_plain(messages::input_buffer_overflow);
    }
    if (std::strstr(message, "no action found") != nullptr) {
        diagnostics.error_plain(messages::no_action_found);
    }
    if (std::strstr(message, "out of dynamic memory") != nullptr ||
        std::strstr(message, "out of memory") != nullptr) {
        diagnostics.error_no_memory();
    }
    diagnostics.error_internal(message);
}

}  // namespace quorlix
