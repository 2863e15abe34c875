#include "rewriter/element_rules.h"

#include "base/messages.h"
#include "rewriter/rule_actions.h"
#include "styles/css_text.h"

namespace quorlix::rules {

namespace {

struct FixedElementInfo {
    const char* old_name;
    const char* new_name;
    const char* start;
};

const FixedElementInfo& info(FixedElement element) {
    static const FixedElementInfo table[] = {
        {"big", "span", "<span"},
        {"center", "div", "<div"},
        {"nobr", "span", "<span"},
        {"tt", "span", "<span"},
    };
    return table[static_cast<int>(element)];
}

}  // namespace

void begin_fixed_element(Document& d, FixedElement element) {
    const FixedElementInfo& e = info(element);
    d.begin_element();
    d.old_element = e.old_name;
    d.new_element = e.new_name;
    d.out.append(e.start);
    if (element == FixedElement::center) d.diagnostics.warning_center_alignment("center");
}

void end_fixed_element(Document& d, FixedElement element, std::string_view text) {
    std::string_view fixed_class;
    switch (element) {
        case FixedElement::big: fixed_class = d.styles.fixed_class_big(); break;
        case FixedElement::center: fixed_class = d.styles.fixed_class_center(); break;
        case FixedElement::nobr: fixed_class = d.styles.fixed_class_nobr(); break;
        case FixedElement::tt: fixed_class = d.styles.fixed_class_tt(); break;
    }
    d.styles.emit_fixed_class_attribute(d.out, fixed_class, d.element);
    d.out.append(text);
}

void warn_replaced(Document& d) { d.diagnostics.warning_element_replaced(d.old_element, d.new_element); }

void begin_font(Document& d) {
    d.begin_element();
    d.old_element = "font";
    d.new_element = "span";
    d.out.append("<span");
}

void begin_font_face(Document& d, std::string_view text) {
    begin_element_value(d, text, "face");
    d.font_face.reset();
}

bool read_font_face(Document& d, std::string_view text) {
    if (!is_closing_quote(d, text)) {
        d.font_face.append(text);
        return false;
    }
    d.css_value.clear();
    if (!css::append_font_family(d.css_value, d.font_face.view(), d.page_in_utf8)) {
        d.diagnostics.error_quote_or_value("face");
    }
    add_css(d, "font-family:");
    add_css(d, d.css_value);
    add_css(d, ";");
    d.resume_echo();
    return true;
}

void begin_renamed_element(Document& d, const char* old_name, const char* new_name,
                           bool compact_allowed) {
    d.old_element = old_name;
    d.new_element = new_name;
    d.compact_allowed = compact_allowed;
    d.out.append_char('<');
    d.out.append(new_name);
}

void renamed_compact(Document& d) {
    if (!d.compact_allowed) d.diagnostics.error_invalid_attribute("compact");
}

void anchor_id(Document& d, std::string_view text) {
    if (d.element.id_seen) d.diagnostics.error_plain(messages::more_than_one_id);
    d.out.append(text);
    d.element.id_seen = true;
    d.set_identifier_capture(true);
    d.save_quote(text.back());
}

void anchor_name(Document& d, std::string_view text) {
    if (d.element.name_seen) d.diagnostics.error_plain(messages::more_than_one_name);
    d.save_quote(text.back());
    d.push_echo(d.element.name_value);
}

void end_anchor(Document& d, std::string_view text) {
    emit_xml_lang(d);
    emit_name_as_id(d, "a");
    d.out.append(text);
}

void begin_div(Document& d) {
    d.begin_element();
    d.push_echo(d.element.tag);
}

void div_alignment(Document& d, std::string_view text, bool right) {
    add_css(d, right ? "text-align:right;" : "text-align:center;");
    if (d.options.standard_css_only) {
        d.diagnostics.warning_center_alignment(right ? "div align=\"right\"" : "div align=\"center\"");
    } else {
        add_css(d, right ? "text-align:-moz-right;text-align:-webkit-right;"
                         : "text-align:-moz-center;text-align:-webkit-center;");
    }
    finish_quoted_value(d, text, "align");
}

void end_div(Document& d, std::string_view end) {
    d.out.append("<div");
    d.out.append(d.element.tag.view());
    emit_xml_lang(d);
    d.styles.emit_class_attribute(d.out, d.element);
    d.out.append(end);
    d.pop_echo();
}

}  // namespace quorlix::rules
