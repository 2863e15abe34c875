#include "rewriter/element_rules.h"

#include "base/messages.h"
#include "rewriter/rule_actions.h"
#include "styles/css_text.h"

#include <iterator>

namespace quorlix::rules {

namespace {

// An element replaced by one with a fixed class: the names, the replacement
// start tag and the end of an empty-element tag, the class word and its rule.
struct FixedElementInfo {
    const char* old_name;
    const char* new_name;
    const char* start;
    const char* empty_end;
    std::string_view word;
    std::string_view declarations;
    std::string_view vendor_declarations;  // left out with standard_css_only
};

const FixedElementInfo& info(FixedElement element) {
    static constexpr FixedElementInfo table[] = {
        {"big", "span", "<span", "></span>", "big", "font-size:larger;", ""},
        {"center", "div", "<div", "></div>", "center", "text-align:center;",
         "text-align:-moz-center;text-align:-webkit-center;"},
        {"nobr", "span", "<span", "></span>", "nobr", "white-space:nowrap;", ""},
        {"tt", "span", "<span", "></span>", "tt", "font-family:monospace;", ""},
    };
    static_assert(std::size(table) == static_cast<std::size_t>(FixedElement::tt) + 1);
    return table[static_cast<std::size_t>(element)];
}

}  // namespace

bool is_fixed_class_word(std::string_view word) {
    using enum FixedElement;
    for (FixedElement element : {big, center, nobr, tt}) {
        if (info(element).word == word) return true;
    }
    return false;
}

void begin_fixed_element(Document& d, FixedElement element) {
    const FixedElementInfo& e = info(element);
    d.begin_element();
    d.obsolete.fixed = element;
    d.obsolete.old_element = e.old_name;
    d.obsolete.new_element = e.new_name;
    d.out.append(e.start);
    if (element == FixedElement::center) d.diagnostics.warning_center_alignment("center");
}

void end_fixed_element(Document& d, std::string_view text) {
    emit_xml_lang(d);
    const FixedElementInfo& e = info(d.obsolete.fixed);
    std::string_view vendor = d.options.standard_css_only ? std::string_view{} : e.vendor_declarations;
    d.element.write_fixed_class_attribute(d.out, d.styles.fixed_class(e.word, {e.declarations, vendor}));
    d.out.append(text);
}

void end_empty_fixed_element(Document& d) { end_fixed_element(d, info(d.obsolete.fixed).empty_end); }

void warn_replaced(Document& d) { d.diagnostics.warning_element_replaced(d.obsolete.old_element, d.obsolete.new_element); }

void begin_font(Document& d) {
    d.begin_element();
    d.obsolete.old_element = "font";
    d.obsolete.new_element = "span";
    d.out.append("<span");
}

void begin_font_face(Document& d, std::string_view text) {
    begin_element_value(d, text, "face");
    d.obsolete.font_face.reset();
}

bool read_font_face(Document& d, std::string_view text) {
    if (!is_closing_quote(d, text)) {
        d.obsolete.font_face.append(text);
        return false;
    }
    d.value.css.clear();
    if (!css::append_font_family(d.value.css, d.obsolete.font_face.view(), d.head_tags.page_in_utf8)) {
        d.diagnostics.error_quote_or_value("face");
    }
    add_css(d, "font-family:");
    add_css(d, d.value.css);
    add_css(d, ";");
    d.resume_echo();
    return true;
}

void read_font_size(Document& d, std::string_view text) {
    static constexpr std::string_view declarations[] = {
        "font-size:x-small;", "font-size:small;",    "font-size:medium;",   "font-size:large;",
        "font-size:x-large;", "font-size:xx-large;", "font-size:xxx-large;",
    };
    std::string_view value = whole_value(d, text);
    std::optional<int> size = values::parse_legacy_font_size(value);
    if (!size || value.find('&') != std::string_view::npos) d.diagnostics.error_bad_value("size");
    keyword_value(d, text, declarations[*size - 1]);
}

void begin_renamed_element(Document& d, const char* old_name, const char* new_name,
                           bool compact_allowed) {
    d.obsolete.old_element = old_name;
    d.obsolete.new_element = new_name;
    d.obsolete.compact_allowed = compact_allowed;
    d.out.append_char('<');
    d.out.append(new_name);
}

void renamed_compact(Document& d) {
    if (!d.obsolete.compact_allowed) d.diagnostics.error_invalid_attribute("compact");
}

void anchor_id(Document& d, std::string_view text) {
    if (d.element.id_seen) d.diagnostics.fatal_error(messages::more_than_one_id);
    d.out.append(text);
    d.element.id_seen = true;
    d.set_identifier_capture(true);
    d.save_quote(text.back());
}

void anchor_name(Document& d, std::string_view text) {
    if (d.element.name_seen) d.diagnostics.fatal_error(messages::more_than_one_name);
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
    d.element.write_class_attribute(d.out, d.styles);
    d.out.append(end);
    d.pop_echo();
}

}  // namespace quorlix::rules
