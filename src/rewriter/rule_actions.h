// The actions of the document-level rules and of the shared attribute-value
// conditions. The scanner's rules call these; they hold the logic so that it
// can be tested without the scanner. Functions that return bool return true
// when the value being read has ended and the scanner must pop its state.
#pragma once

#include "rewriter/document.h"

#include <string_view>

namespace quorlix::rules {

// Text that no rule converts goes to the output as it is.
inline void pass_through(Document& d, std::string_view text) { d.out.append(text); }

// Processing instructions and server includes: their text follows the echo
// destination (output, a tag or value being collected, or nowhere).
inline void echo(Document& d, std::string_view text) { d.echo_or_output(text); }

// Shared attribute-value conditions, one call per matched piece of the value.
// A quote byte ends the value only when it equals the saved quote.
bool read_copied_value(Document& d, std::string_view text);
bool read_buffered_value(Document& d, std::string_view text);
bool read_dropped_value(Document& d, std::string_view text);
bool read_class_value(Document& d, std::string_view text);
bool read_id_value(Document& d, std::string_view text);
bool read_name_value(Document& d, std::string_view text);

// A closing quote of a value that is being converted: the quote must be the
// saved one, then echo resumes and the scanner pops its state.
void finish_quoted_value(Document& d, std::string_view text, std::string_view attribute);

// A byte that no rule of its condition expects.
[[noreturn]] void unanticipated(Document& d);

}  // namespace quorlix::rules
