// Forms, images and objects: form nesting, the form's accept list moved onto
// its file inputs, image and object presentation turned into CSS, and the
// object attributes that cannot be converted safely refused.
#pragma once

#include "rewriter/document.h"

#include <string_view>

namespace quorlix::rules {

void begin_form(Document& d, std::string_view text);
void begin_form_accept(Document& d, std::string_view text);
bool read_form_accept(Document& d, std::string_view text);
void end_form(Document& d, std::string_view text);

void begin_input(Document& d, std::string_view text);
void begin_input_type(Document& d, std::string_view text);
bool read_input_type(Document& d, std::string_view text);
// An accept of the input's own: the form's list is not added.
void input_accept(Document& d);
void end_input(Document& d);

// border of img and object.
void begin_border(Document& d, std::string_view text, bool image);
void border_digits(Document& d, std::string_view text);

// The end of img and embed: a name becomes an id, then the class attribute.
void end_named_element(Document& d, const char* element);

// An object attribute that must stay for its plugin: refused.
[[noreturn]] void object_attribute(Document& d, std::string_view text);

}  // namespace quorlix::rules
