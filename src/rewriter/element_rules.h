// Obsolete elements and presentational attributes of ordinary elements:
// replacements with fixed or generated classes, renamed elements, anchors
// whose name becomes an id, and start tags rebuilt in the tag buffer.
#pragma once

#include "rewriter/document.h"

#include <string_view>

namespace quorlix::rules {

// big, center, nobr, tt: the replacement start tag.
void begin_fixed_element(Document& d, FixedElement element);
// Their end: the fixed class merged with the element's own classes, then
// the text (">"), or for an empty-element tag the replacement's end tag.
void end_fixed_element(Document& d, std::string_view text);
void end_empty_fixed_element(Document& d);

// The word of a fixed class ("center" of quorlix_center).
bool is_fixed_class_word(std::string_view word);

// An attribute that makes the user's code depend on the old element name.
void warn_replaced(Document& d);

// font becomes a span with a generated class.
void begin_font(Document& d);
void begin_font_face(Document& d, std::string_view text);
bool read_font_face(Document& d, std::string_view text);
// size, read as browsers read a legacy font size: 1 to 7, or relative to 3.
void read_font_size(Document& d, std::string_view text);

// acronym, dir, strike: renamed, with compact deleted or refused.
void begin_renamed_element(Document& d, const char* old_name, const char* new_name,
                           bool compact_allowed);
// compact on a renamed element: deleted where allowed, refused otherwise.
void renamed_compact(Document& d);

// Anchors: id and name, and the name turned into an id at the end.
void anchor_id(Document& d, std::string_view text);
void anchor_name(Document& d, std::string_view text);
void end_anchor(Document& d, std::string_view text);

// div: rebuilt in the tag buffer, written at its end.
void begin_div(Document& d);
void div_alignment(Document& d, std::string_view text, bool right);
void end_div(Document& d, std::string_view end = ">");

}  // namespace quorlix::rules
