// Tables, their parts and horizontal rules: presentational attributes become
// the element's class rule, and a table's border model also becomes rules for
// its cells and row and column groups.
#pragma once

#include "rewriter/document.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorlix::rules {

// "<table": written at once; the attributes that pass through are held in
// the tag buffer until the start tag closes.
void begin_table(Document& d, std::string_view text);
// A table attribute that is converted only at its first occurrence: false
// when it was seen before (its value is then dropped).
bool first_table_attribute(Document& d, bool TableState::StartTag::*seen, std::string_view text,
                           const char* attribute);
void table_border(Document& d, std::string_view text);
void table_cell_padding(Document& d, std::string_view text);
void table_cell_spacing(Document& d, std::string_view text);
// bordercolor: the colour goes to the table, its cells and its groups.
void begin_table_border_color(Document& d, std::string_view text);
// nullopt: an empty frame value, which browsers ignore.
void table_frame(Document& d, std::string_view text, std::optional<TableFrame> frame);
// nullopt: an empty rules value, taken as no rules attribute.
void table_rules(Document& d, std::string_view text, std::optional<TableRules> rules);
// end: ">", or "></table>" for an empty-element tag.
void end_table(Document& d, std::string_view end = ">");

// "<tfoot": the final write will move the footer (see output/table_pass.h).
void begin_table_footer(Document& d, std::string_view text);
void begin_cell(Document& d, std::string_view text, bool header);
bool is_header_cell(const Document& d);
// scope on a cell: kept on th, deleted or refused on td. True when the value
// is to be copied.
bool cell_scope(Document& d);

// hr values that fail with "Missing or invalid value for".
[[noreturn]] void bad_value(Document& d);
void begin_hr(Document& d, std::string_view text);
// color: the hr's colour; noshade then adds no grey.
void begin_hr_color(Document& d, std::string_view text);
void hr_noshade(Document& d, std::string_view text);
// The declarations for an hr size value, read as browsers read it.
std::string hr_size_declarations(std::string_view value);
void hr_size(Document& d, std::string_view text);
// The end of an hr start tag: its colour or noshade, then the class.
void end_hr(Document& d);

// align center or right (true: right) in align_value: on a row group, row
// or cell it also moves the blocks inside.
void center_or_right_alignment(Document& d, std::string_view text, bool right);

// How a frame value draws the table's outer sides.
std::string_view frame_declarations(TableFrame frame);

}  // namespace quorlix::rules
