// Attribute values that become part of a declaration in the generated style
// element: a background's URL and a font's family names. The value is first
// read as the browser read the original page, its character references
// decoded; it is then written so that nothing in it can end its declaration,
// its rule or the style element, or start anything else there.
#pragma once

#include <string>
#include <string_view>

namespace quorlix::css {

// Appends value to decoded with its character references replaced by the
// characters they stand for: the named references of XHTML 1.0 and decimal
// or hexadecimal numeric references, in UTF-8. An "&" that starts no
// reference ("?a=1&b=2") stays as it is. False when the value holds a
// character that the converted page cannot carry with the same meaning:
//   - a NUL or another control character (tab, line feed, carriage return and
//     form feed aside), written as it is or as a reference;
//   - a numeric reference without digits or ";", or one naming no allowed
//     character (a C1 control, a surrogate, U+FFFE, U+FFFF, beyond U+10FFFF);
//   - a named reference that XHTML 1.0 does not define;
//   - a reference to a character beyond ASCII when the page is not in UTF-8
//     (utf8_page false): its bytes would mean something else there.
bool decode_references(std::string_view value, bool utf8_page, std::string& decoded);

// Appends text as a double-quoted CSS string. Quotes, backslashes, line
// breaks and "<" are written as hexadecimal escapes closed by a space, so
// that the string ends only at its closing quote and "</style" cannot occur.
void append_string(std::string& css, std::string_view text);

// True when text is one or more CSS identifiers separated by white space
// ("Arial", "Times New Roman", "sans-serif").
bool is_identifier_sequence(std::string_view text);

// Appends the url(...) of a background value. False when decode_references
// refuses the value.
bool append_url(std::string& css, std::string_view value, bool utf8_page);

// Appends the font-family value of a face attribute: a comma-separated list
// of families. A value without references and without any character that
// could act in CSS (quotes, "\", "<", ";", braces, brackets, parentheses,
// "/", "!") is copied as it is. Otherwise each family is written on its own:
// identifiers as they are; a quoted family (after decoding) as one string,
// kept with its own quotes when nothing in it needs an escape; anything else
// as a string. False when decode_references refuses the value.
bool append_font_family(std::string& css, std::string_view value, bool utf8_page);

}  // namespace quorlix::css
