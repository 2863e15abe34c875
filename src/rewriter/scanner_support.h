// What the generated scanner needs from the rest of the program: its input,
// line numbers, and the actions of the rule families. Included by the
// scanner definitions only.
#pragma once

#include "base/messages.h"
#include "output/flex_support.h"
#include "rewriter/frameset_rules.h"
#include "rewriter/table_rules.h"
#include "rewriter/form_rules.h"
#include "rewriter/document.h"
#include "rewriter/element_rules.h"
#include "rewriter/head_rules.h"
#include "rewriter/rule_actions.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace quorlix {

// Line numbers are worked out only when a diagnostic asks for one: 1 plus
// the newlines read so far, minus those in the text the scanner has read
// but not yet matched. That is exactly the count of newlines in every match
// so far (text given back for rescanning is unmatched again), and costs
// nothing per byte.
using LineCount = Document::LineCount;

long count_newlines(const char* text, std::size_t size);

// The end of a run of text without "<" that goes on at `next`, whose byte
// is `next_byte` (the scanner keeps it aside while a match is NUL-terminated),
// within the buffered data that ends at data_end.
inline const char* text_run_end(const char* next, char next_byte, const char* data_end) {
    if (next >= data_end || next_byte == '<') return next;
    const void* tag = std::memchr(next + 1, '<', static_cast<std::size_t>(data_end - next - 1));
    return tag != nullptr ? static_cast<const char*>(tag) : data_end;
}

// Reads the next block of the document for the scanner into buffer, which
// lies in the scanner's array after the moved match in progress (from
// buffer_start): the byte count, 0 at the end of the input. A read error is
// fatal.
std::size_t scanner_read(Document& document, char* buffer, std::size_t size,
                         const char* buffer_start);

}  // namespace quorlix
