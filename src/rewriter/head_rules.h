// The document prologue and head: meta and link tags are rebuilt in the tag
// buffer and written (or dropped) when their end is read; the content-type
// meta becomes the character set declaration.
#pragma once

#include "rewriter/document.h"

#include <string_view>

namespace quorlix::rules {

// ">" of the head start tag: the generated head content goes after it.
void end_head_tag(Document& d, std::string_view text);
// "<head/>": written as a start and an end tag, the head content between.
void end_empty_head(Document& d, std::string_view text);

// "[" of a DOCTYPE: the internal subset, read up to its "]".
void begin_internal_subset(Document& d);
inline void internal_subset_text(Document& d, std::string_view text) {
    d.head_tags.internal_subset.append(text);
}
// "]>": a subset of anything but plain-text entities is refused. When it
// declares entities, the rest of the page (the unread text of the scanner's
// buffer, from next_byte at `at` to `end`, and the rest of the input) is
// read with them expanded, and true is returned: the scanner must then
// drop its buffer and read on from the page's new reader.
bool end_internal_subset(Document& d, char next_byte, const char* at, const char* end);

// ">" of the html start tag: where a lang from the head can go.
void end_html_tag(Document& d, std::string_view text);

// The language that browsers take from a Content-Language meta's content:
// the whole content (blanks and all: Chromium reads " en-GB " as no known
// language, and so does lang=" en-GB "), unless it is blank or lists
// several languages (has a comma); empty when it gives none.
std::string_view content_language(std::string_view content);

void begin_meta(Document& d);
// http-equiv="content-language": the meta goes, its language moves to html.
void meta_content_language(Document& d);
// content=" of a meta: its value is read in meta_content_value.
void begin_meta_content(Document& d, std::string_view text);
// http-equiv="content-type": the meta becomes the character set declaration.
void meta_content_type(Document& d);
// http-equiv of a meta that goes (content-style-type and the like).
void meta_dropped(Document& d);
void meta_viewport(Document& d, std::string_view text);
// "charset=" in the content value: true when it names the page's character
// set (in a content-type meta).
bool meta_charset_label(Document& d, std::string_view text);
// A quote inside the content value; true when it ends the value.
bool meta_content_quote(Document& d, std::string_view quote);
void meta_content_text(Document& d, std::string_view text);
void meta_charset_name(Document& d, std::string_view name);
// The character set that a content-type meta's content names, read as the
// scanner reads it when the content follows http-equiv: after the first
// "charset", blanks, "=", blanks, a run of bytes that are neither blanks nor
// quotes; empty when there is none.
std::string_view charset_in_content(std::string_view content);
// The meta's end. A content written before http-equiv="content-type" was
// kept as text; its character set is taken from it here.
void end_meta(Document& d, std::string_view text);

void begin_link(Document& d);
void begin_link_relation(Document& d, std::string_view text);
void link_relation_word(Document& d, std::string_view word);
void link_style_sheet(Document& d);
// type="text/css", rev="made", itemprop or property.
void link_default_type(Document& d);
void link_made_by(Document& d);
void link_other_meaning(Document& d);
void link_obsolete_relation(Document& d);
// prev, previous and next: kept unless the job drops them.
void link_sequence_relation(Document& d, std::string_view word);
void end_link_relation(Document& d, std::string_view quote);
void end_link(Document& d, std::string_view text);

// The text of the page's own style element: its class selectors must not
// take generated names.
void begin_style_body(Document& d, std::string_view text);
void end_style_body(Document& d, std::string_view text);

// "<title/>": the title gets its end tag (HTML5 would read the rest of the
// page as its text); the blanks after it are copied.
void empty_title(Document& d, std::string_view text);

void begin_body(Document& d, std::string_view text);
// topmargin and the like: the property that the digits set.
void begin_margin_value(Document& d, std::string_view text, const char* attribute,
                        const char* property);
void read_margin(Document& d, std::string_view text);

}  // namespace quorlix::rules
