#include "rewriter/rule_actions.h"

#include "converter/messages.h"

namespace quorlix::rules {

namespace {

bool is_closing_quote(const Document& d, std::string_view text) {
    return text.size() == 1 && d.is_saved_quote(text[0]);
}

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

}  // namespace

bool read_copied_value(Document& d, std::string_view text) {
    d.out.append(text);
    return is_closing_quote(d, text);
}

bool read_buffered_value(Document& d, std::string_view text) {
    d.element.tag.append(text);
    return is_closing_quote(d, text);
}

bool read_dropped_value(Document& d, std::string_view text) {
    if (!is_closing_quote(d, text)) return false;
    d.resume_echo();
    return true;
}

bool read_class_value(Document& d, std::string_view text) {
    if (is_closing_quote(d, text)) {
        d.pop_echo();
        return true;
    }
    d.element.class_value.append(text);
    return false;
}

bool read_id_value(Document& d, std::string_view text) {
    if (is_closing_quote(d, text)) {
        d.out.append(text);
        d.set_identifier_capture(false);
        return true;
    }
    if (is_white_space(text[0])) d.diagnostics.error_bad_value("id");
    d.element.id_value.append(text);
    d.out.append(text);
    return false;
}

bool read_name_value(Document& d, std::string_view text) {
    if (is_closing_quote(d, text)) {
        d.pop_echo();
        return true;
    }
    if (is_white_space(text[0])) d.diagnostics.error_quote_mismatch("name");
    d.element.name_value.append(text);
    d.element.name_seen = true;
    return false;
}

void finish_quoted_value(Document& d, std::string_view text, std::string_view attribute) {
    if (text.empty() || !d.is_saved_quote(text.back())) d.diagnostics.error_quote_mismatch(attribute);
    d.resume_echo();
}

void unanticipated(Document& d) { d.diagnostics.error_internal(messages::unanticipated_input); }

}  // namespace quorlix::rules
