// The actions of the document-level rules and of the shared attribute-value
// conditions. The scanner's rules call these; they hold the logic so that it
// can be tested without the scanner. Functions that return bool return true
// when the value being read has ended and the scanner must pop its state.
#pragma once

#include "rewriter/attribute_values.h"
#include "rewriter/document.h"

#include <string>
#include <string_view>

namespace quorlix::rules {

// Elements that HTML5 writes without an end tag (and the obsolete ones that
// the rules treat alike), in any letter case.
bool is_void_element(std::string_view name);

// What ends a start tag that was written as an empty-element tag ("/>"):
// ">" for a void element, or for a name that is no element name (an end
// tag, a declaration); else ">" and the element's end tag, since HTML5
// ignores the slash and would leave the element open.
std::string empty_element_end(std::string_view name);

// Text of a CDATA section outside script and style: "<", ">" and "&" are
// written as references, everything else as it is.
void append_cdata_text(std::string& out, std::string_view text);
void cdata_text(Document& d, std::string_view text);

// The ">" of a script or style start tag: no CDATA section is open yet.
void begin_embedded_body(Document& d, std::string_view text);
// CDATA markers in a script or style body. A bare marker goes; a marker in a
// comment of the body's language stays. Either way the section's state is
// followed, so that an end tag of the body inside a section is refused
// (HTML5 would end the element there).
void cdata_marker(Document& d, std::string_view text, bool opens, bool kept);
// "</script" or "</style" in any letter case: true when it ends the body.
bool embedded_end_tag(Document& d, std::string_view text, const char* element);
// "</script" that does not end the body as it is written ("</SCRIPT", or
// followed by blanks): text of the body, refused inside a section.
void script_end_tag_text(Document& d, std::string_view text);

// svg and math: their content is copied as it is, "/>" included, up to the
// end tag of the outermost one. The functions return true when it has ended.
void begin_foreign(Document& d, std::string_view text);
void foreign_open(Document& d, std::string_view text);
void foreign_tag_end(Document& d, std::string_view text);
bool foreign_empty_end(Document& d, std::string_view text);
bool foreign_close(Document& d, std::string_view text);

// Tags without rules of their own: the name is the first piece after "<".
void begin_generic_tag(Document& d, std::string_view text);
void generic_piece(Document& d, std::string_view text);
// The end of a tag that is copied: a held-back xml:lang, then the text
// (">", or what an empty-element tag becomes).
void end_plain_tag(Document& d, std::string_view text);
// "/>" of a generic tag.
void end_empty_generic_tag(Document& d);

// xml:lang is held back until the end of its start tag and written there as
// lang, unless the tag has a lang of its own.
void begin_xml_lang(Document& d, std::string_view text);
bool read_xml_lang_value(Document& d, std::string_view text);
void emit_xml_lang(Document& d);
// The same for a tag rebuilt in the element's tag buffer (meta, link).
void emit_xml_lang_into_tag(Document& d);
// A lang attribute of the tag's own: xml:lang is not written as lang.
void lang_attribute(Document& d);

// Text that no rule converts goes to the output as it is.
inline void pass_through(Document& d, std::string_view text) { d.out.append(text); }
// Text of a start tag that is being rebuilt goes to the tag buffer.
inline void buffer_text(Document& d, std::string_view text) { d.element.tag.append(text); }

// Processing instructions and server includes: their text follows the echo
// destination (output, a tag or value being collected, or nowhere).
inline void echo(Document& d, std::string_view text) { d.echo_or_output(text); }

// Shared attribute-value conditions, one call per matched piece of the value.
// A quote byte ends the value only when it equals the saved quote.
bool read_copied_value(Document& d, std::string_view text);
bool read_buffered_value(Document& d, std::string_view text);
bool read_dropped_value(Document& d, std::string_view text);
bool read_class_value(Document& d, std::string_view text);
// The class value of a tag that copies it (into the output, or into the tag
// buffer for meta and link): only checked, see check_page_classes.
void begin_copied_class(Document& d, std::string_view text, bool into_tag);
bool read_copied_class(Document& d, std::string_view text);
bool read_id_value(Document& d, std::string_view text);
bool read_name_value(Document& d, std::string_view text);

// Class names of the page that the generator could draw too: the prefix
// followed by digits (as a number is written) or by the word of a fixed
// class. Their rules would cross over, so such a page is refused. The
// functions return the first such name, or an empty view.
std::string_view generated_looking_class(std::string_view classes, std::string_view prefix);
// The same for the class selectors (".name") of a style sheet.
std::string_view generated_looking_selector(std::string_view css, std::string_view prefix);
// Refuses the page when its class list holds such a name.
void check_page_classes(Document& d, std::string_view classes);
// The style sheet of the page's own style element, whose text went to the
// output from this position on.
void check_page_style_sheet(Document& d, std::size_t from);

// The start of an attribute, matched up to its opening quote, which becomes
// the saved quote. The scanner then reads the value in the matching
// condition.
void begin_copied_attribute(Document& d, std::string_view text);    // copied_value
void begin_buffered_attribute(Document& d, std::string_view text);  // buffered_value
void begin_dropped_attribute(Document& d, std::string_view text);   // dropped_value
void begin_class_attribute(Document& d, std::string_view text);     // class_attr_value

// The start of a value that is converted to CSS: the quote is saved, echo is
// suppressed and the attribute is remembered for messages. The element form
// also gives the element its generated class.
void begin_converted_value(Document& d, std::string_view text, const char* attribute);
void begin_element_value(Document& d, std::string_view text, const char* attribute);

// A converted value that ends with its quote (keyword values, colours):
// appends the declaration, then checks the quote.
void keyword_value(Document& d, std::string_view text, std::string_view declaration);

// The align value of a block (cell=false) or of a table row, section or
// cell, where "char" is accepted.
void begin_align_value(Document& d, std::string_view text, bool cell);
// An alignment keyword of an element that has not drawn its class yet.
void align_keyword(Document& d, std::string_view text, std::string_view declaration);
// align="char": accepted (and dropped) only on table rows, sections and cells.
void align_char(Document& d, std::string_view text);
// middle alignment of images and objects, with its vendor fallback.
void middle_alignment(Document& d, std::string_view text);

// Colour values: with a selector they become a rule of their own, otherwise a
// declaration of the element. A value that gives no colour (empty,
// "transparent") adds nothing.
void begin_color_value(Document& d, std::string_view text, const char* selector,
                       const char* property, const char* attribute);
void read_color_value(Document& d, std::string_view text);

// Background values collect a URL.
void begin_background_value(Document& d, std::string_view text);
bool read_background_value(Document& d, std::string_view text);

// Values read whole: the text is the value with its closing quote. The
// number readers refuse a value that browsers ignore (one without digits),
// and one holding a character reference, which browsers decode before they
// read the number.
// The value without its quote, which must be the saved one.
std::string_view whole_value(Document& d, std::string_view text);
// The digits of a non-negative integer (" 6 ", "6px" and "+6" give "6").
std::string_view integer_value(Document& d, std::string_view text);
// A dimension (" 200 ", "300px", "250.7", "50%"); a relative one ("2*"),
// which browsers ignore, is refused.
values::Number dimension_value(Document& d, std::string_view text);
// cellpadding and cellspacing in pixels: a percentage is refused with its own
// message.
std::string_view cell_padding_value(Document& d, std::string_view text);
std::string_view cell_spacing_value(Document& d, std::string_view text);

// Margins of the body, read as integers: the properties get the number in
// pixels. An empty value adds nothing.
void read_pixels(Document& d, std::string_view text, const char* first, const char* second);
// hspace and vspace, read as dimensions: both margins get the length, 0 as
// "0". An empty value adds nothing.
void read_space(Document& d, std::string_view text, const char* first, const char* second);
void end_converted_value(Document& d, std::string_view quote);

// Widths and heights: a dimension in pixels or percent.
void read_length(Document& d, std::string_view text, const char* property);
// The width of col and colgroup, where a relative length has its own message.
void read_column_width(Document& d, std::string_view text);

// Values outside what an attribute accepts.
[[noreturn]] void invalid_value(Document& d);
[[noreturn]] void asterisk_units(Document& d);

// The attribute name at the start of a matched attribute (after any white
// space, up to white space or "=").
std::string_view attribute_name(std::string_view matched);

// A name attribute that was held back becomes an id, with its warning.
void emit_name_as_id(Document& d, const char* element);

// The opening of a start tag that is copied: the element state is reset.
void begin_copied_tag(Document& d, std::string_view text);

// The end of a start tag whose rules collect CSS or classes: the class
// attribute, then the matched end (or ">").
void end_converted_tag(Document& d, std::string_view end = ">");

// The matched text is the quote that closes the value being read.
inline bool is_closing_quote(const Document& d, std::string_view text) {
    return text.size() == 1 && d.is_saved_quote(text[0]);
}

// A value matched together with its closing quote, without the quote.
inline std::string_view value_of(std::string_view text) { return text.substr(0, text.size() - 1); }

// Appends a declaration to the element's CSS.
inline void add_css(Document& d, std::string_view declaration) {
    d.element.element_css.append(declaration);
}

// A closing quote of a value that is being converted: the quote must be the
// saved one, then echo resumes and the scanner pops its state.
void finish_quoted_value(Document& d, std::string_view text, std::string_view attribute);

}  // namespace quorlix::rules
