#include "rewriter/scanner_support.h"

#include "converter/messages.h"

#include <cstring>

namespace quorlix {

void scanner_failure(const char* message) { throw ScannerFailure{message}; }

std::size_t scanner_read(Document& document, char* buffer, std::size_t size) {
    long n = document.input->read(buffer, size);
    if (n < 0) document.diagnostics.error_plain(messages::read_error);
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
