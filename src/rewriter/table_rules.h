// Tables, their parts and horizontal rules: presentational attributes become
// the element's class rule, and a table's border model also becomes rules for
// its cells and row and column groups.
#pragma once

#include "rewriter/document.h"

#include <string_view>

namespace quorlix::rules {

// "<table": written at once; the attributes that pass through are held in
// the tag buffer until the start tag closes.
void begin_table(Document& d, std::string_view text);
// A table attribute that is converted only at its first occurrence: false
// when it was seen before (its value is then dropped).
bool first_table_attribute(Document& d, bool Document::TableFlags::*seen, std::string_view text,
                           const char* attribute);
void table_border(Document& d, std::string_view text);
void table_cell_padding(Document& d, std::string_view text);
void table_cell_spacing(Document& d, std::string_view text);
void table_frame(Document& d, std::string_view text, int code);
void table_rules(Document& d, std::string_view text, int code);
void end_table(Document& d);

void begin_cell(Document& d, std::string_view text, bool header);
// scope on a cell: kept on th, deleted or refused on td. True when the value
// is to be copied.
bool cell_scope(Document& d);

// hr values that fail with "Missing or invalid value for".
[[noreturn]] void bad_value(Document& d);
void hr_noshade(Document& d, std::string_view text);

// The frame and rules codes' declarations.
std::string_view frame_declarations(int code);

}  // namespace quorlix::rules
