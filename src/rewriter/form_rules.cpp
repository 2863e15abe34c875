#include "rewriter/form_rules.h"

#include "base/messages.h"
#include "rewriter/rule_actions.h"

namespace quorlix::rules {

void begin_form(Document& d, std::string_view text) {
    if (d.forms.form_open) d.diagnostics.fatal_error(messages::nested_form);
    d.forms.form_open = true;
    begin_copied_tag(d, text);
}

void begin_form_accept(Document& d, std::string_view text) {
    begin_converted_value(d, text, "accept");
    d.forms.accept_value.reset();
}

bool read_form_accept(Document& d, std::string_view text) {
    if (!is_closing_quote(d, text)) {
        d.forms.accept_value.append(text);
        return false;
    }
    if (!d.forms.form_accept) d.forms.form_accept = std::string(d.forms.accept_value.view());
    d.resume_echo();
    return true;
}

void end_form(Document& d, std::string_view text) {
    d.out.append(text);
    if (!d.forms.form_open) d.diagnostics.fatal_error(messages::form_without_form);
    d.forms.form_accept.reset();
    d.forms.form_open = false;
    d.forms.is_file_input = false;
    d.forms.input_has_accept = false;
}

void begin_input(Document& d, std::string_view text) {
    begin_copied_tag(d, text);
    d.forms.is_file_input = false;
    d.forms.input_has_accept = false;
}

void begin_input_type(Document& d, std::string_view text) {
    begin_copied_attribute(d, text);
    d.forms.input_type.reset();
}

bool read_input_type(Document& d, std::string_view text) {
    d.out.append(text);
    if (!is_closing_quote(d, text)) {
        d.forms.input_type.append(text);
        return false;
    }
    std::string_view type = d.forms.input_type.view();
    d.forms.is_file_input = type.size() >= 4 && type.substr(type.size() - 4) == "file";
    return true;
}

void input_accept(Document& d) { d.forms.input_has_accept = true; }

void end_input(Document& d) {
    if (d.forms.form_accept && d.forms.is_file_input && !d.forms.input_has_accept) {
        d.out.append(" accept=\"");
        d.out.append(*d.forms.form_accept);
        d.out.append_char('"');
    }
    d.forms.input_has_accept = false;
    end_converted_tag(d);
}

void begin_border(Document& d, std::string_view text, bool image) {
    begin_converted_value(d, text, "border");
    d.forms.border_is_image = image;
}

void border_digits(Document& d, std::string_view text) {
    std::string_view digits = integer_value(d, text);
    if (digits == "0") {
        if (!(d.forms.border_is_image && d.options.delete_img_border)) {
            d.element.ensure_class(d.styles);
            add_css(d, "border:0;");
        }
    } else {
        d.element.ensure_class(d.styles);
        add_css(d, "border:");
        add_css(d, digits);
        add_css(d, "px solid;");  // the colour is the text colour, as browsers draw it
    }
    end_converted_value(d, text);
}

void end_named_element(Document& d, const char* element) {
    emit_name_as_id(d, element);
    end_converted_tag(d);
}

void object_attribute(Document& d, std::string_view text) {
    d.diagnostics.error_object_attribute(attribute_name(text));
}

}  // namespace quorlix::rules
