#include "rewriter/rule_actions.h"

#include "base/messages.h"
#include "base/paths.h"
#include "base/text.h"
#include "rewriter/element_rules.h"
#include "styles/css_text.h"

namespace quorlix::rules {

namespace {

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }


}  // namespace

bool is_void_element(std::string_view name) {
    static constexpr std::string_view names[] = {
        "area",  "base",   "basefont", "bgsound", "br",   "col",   "embed",  "frame",
        "hr",    "image",  "img",      "input",   "isindex", "keygen", "link", "meta",
        "param", "source", "spacer",   "track",   "wbr",
    };
    for (std::string_view v : names) {
        if (equal_ignoring_case(name, v)) return true;
    }
    return false;
}

std::string empty_element_end(std::string_view name) {
    if (name.empty() || !is_letter(name[0]) || is_void_element(name)) return ">";
    std::string end = "></";
    end.append(name);
    end.push_back('>');
    return end;
}

void append_cdata_text(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '<': out.append("&lt;"); break;
            case '>': out.append("&gt;"); break;
            case '&': out.append("&amp;"); break;
            default: out.push_back(c);
        }
    }
}

void cdata_text(Document& d, std::string_view text) {
    d.value.css.clear();
    append_cdata_text(d.value.css, text);
    d.out.append(d.value.css);
}

void begin_embedded_body(Document& d, std::string_view text) {
    emit_xml_lang(d);
    d.out.append(text);
    d.markup.cdata_open = false;
}

void cdata_marker(Document& d, std::string_view text, bool opens, bool kept) {
    if (opens) {
        if (kept) d.out.append(text);
        d.markup.cdata_open = true;
        d.markup.cdata_bare = !kept;
        return;
    }
    // A bare "]]>" goes only with the bare marker that opened its section;
    // otherwise it is text of the body (in "a[b[1]]>0", say).
    if (kept || !(d.markup.cdata_open && d.markup.cdata_bare)) d.out.append(text);
    d.markup.cdata_open = false;
}

bool embedded_end_tag(Document& d, std::string_view text, const char* element) {
    if (d.markup.cdata_open) {
        d.diagnostics.fatal_error(std::string("The CDATA section of a <") + element + "> element contains </" +
                                  element + ", where HTML5 would end the element");
    }
    d.out.append(text);
    return true;
}

void script_end_tag_text(Document& d, std::string_view text) {
    if (d.markup.cdata_open) embedded_end_tag(d, text, "script");
    d.out.append(text);
}

void begin_foreign(Document& d, std::string_view text) {
    d.out.append(text);
    d.markup.foreign_depth = 1;
    d.markup.foreign_start_tag = true;
}

void foreign_open(Document& d, std::string_view text) {
    d.out.append(text);
    ++d.markup.foreign_depth;
    d.markup.foreign_start_tag = true;
}

void foreign_tag_end(Document& d, std::string_view text) {
    d.out.append(text);
    d.markup.foreign_start_tag = false;
}

bool foreign_empty_end(Document& d, std::string_view text) {
    d.out.append(text);
    if (!d.markup.foreign_start_tag) return false;
    d.markup.foreign_start_tag = false;
    return --d.markup.foreign_depth == 0;
}

bool foreign_close(Document& d, std::string_view text) {
    d.out.append(text);
    return --d.markup.foreign_depth == 0;
}

void begin_generic_tag(Document& d, std::string_view text) {
    d.out.append(text);
    d.markup.tag_name.clear();
    d.markup.generic_name_pending = true;
}

void generic_piece(Document& d, std::string_view text) {
    if (d.markup.generic_name_pending) {
        d.markup.tag_name.assign(text);
        d.markup.generic_name_pending = false;
    }
    d.out.append(text);
}

void end_plain_tag(Document& d, std::string_view text) {
    emit_xml_lang(d);
    d.out.append(text);
}

void end_empty_generic_tag(Document& d) {
    emit_xml_lang(d);
    d.out.append(empty_element_end(d.markup.tag_name));
}

void begin_xml_lang(Document& d, std::string_view text) {
    d.save_quote(text.back());
    d.markup.xml_lang_quote = text.back();
    d.markup.xml_lang.reset();
    d.markup.xml_lang_seen = true;
    d.push_echo(d.markup.xml_lang);
}

bool read_xml_lang_value(Document& d, std::string_view text) {
    if (is_closing_quote(d, text)) {
        d.pop_echo();
        return true;
    }
    d.markup.xml_lang.append(text);
    return false;
}

void lang_attribute(Document& d) { d.markup.lang_given = true; }

namespace {

template <typename Buffer>
void write_xml_lang(Document& d, Buffer& out) {
    if (d.markup.xml_lang_seen && !d.markup.lang_given) {
        out.append(" lang=");
        out.append_char(d.markup.xml_lang_quote);
        out.append(d.markup.xml_lang.view());
        out.append_char(d.markup.xml_lang_quote);
    }
    d.markup.xml_lang_seen = false;
    d.markup.lang_given = false;
}

}  // namespace

void emit_xml_lang(Document& d) { write_xml_lang(d, d.out); }

void emit_xml_lang_into_tag(Document& d) { write_xml_lang(d, d.element.tag); }

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
        check_page_classes(d, d.element.class_value.view());
        return true;
    }
    d.element.class_value.append(text);
    return false;
}

void begin_copied_class(Document& d, std::string_view text, bool into_tag) {
    d.markup.class_into_tag = into_tag;
    if (into_tag) {
        begin_buffered_attribute(d, text);
        d.markup.class_value_start = d.element.tag.size();
    } else {
        begin_copied_attribute(d, text);
        d.markup.class_value_start = d.out.length();
    }
}

bool read_copied_class(Document& d, std::string_view text) {
    const bool into_tag = d.markup.class_into_tag;
    if (is_closing_quote(d, text)) {
        // The value is all that was written since its opening quote.
        std::string_view written = into_tag ? d.element.tag.view() : d.out.view();
        check_page_classes(d, written.substr(static_cast<std::size_t>(d.markup.class_value_start)));
    }
    return into_tag ? read_buffered_value(d, text) : read_copied_value(d, text);
}

namespace {

bool is_generated_suffix(std::string_view suffix) {
    if (suffix.empty()) return false;
    // Numbers are written without leading zeros, from 1 on.
    if (suffix.find_first_not_of("0123456789") == std::string_view::npos) return suffix[0] != '0';
    return is_fixed_class_word(suffix);
}

bool is_generated_name(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
           is_generated_suffix(name.substr(prefix.size()));
}

// Bytes of a CSS identifier (non-ASCII bytes included); escapes are not
// followed, so an escaped name is not seen.
bool is_identifier_byte(char c) {
    return is_letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

std::string_view generated_looking_class(std::string_view classes, std::string_view prefix) {
    std::size_t start = classes.find_first_not_of(html_spaces);
    while (start != std::string_view::npos) {
        std::size_t end = classes.find_first_of(html_spaces, start);
        std::string_view name = classes.substr(start, end == std::string_view::npos ? end : end - start);
        if (is_generated_name(name, prefix)) return name;
        start = end == std::string_view::npos ? end : classes.find_first_not_of(html_spaces, end);
    }
    return {};
}

std::string_view generated_looking_selector(std::string_view css, std::string_view prefix) {
    for (std::size_t dot = css.find('.'); dot != std::string_view::npos; dot = css.find('.', dot + 1)) {
        std::size_t end = dot + 1;
        while (end < css.size() && is_identifier_byte(css[end])) ++end;
        std::string_view name = css.substr(dot + 1, end - dot - 1);
        if (is_generated_name(name, prefix)) return name;
    }
    return {};
}

namespace {

void refuse_class_name(Document& d, std::string_view name) {
    if (name.empty()) return;
    d.diagnostics.fatal_error(messages::class_in_use_1, std::string(name) + messages::class_in_use_2);
}

}  // namespace

void check_page_classes(Document& d, std::string_view classes) {
    refuse_class_name(d, generated_looking_class(classes, d.styles.prefix()));
}

void check_page_style_sheet(Document& d, std::size_t from) {
    refuse_class_name(d, generated_looking_selector(d.out.view().substr(from), d.styles.prefix()));
}

bool read_id_value(Document& d, std::string_view text) {
    if (is_closing_quote(d, text)) {
        d.out.append(text);
        d.set_identifier_capture(false);
        return true;
    }
    if (is_html_space(text[0])) d.diagnostics.error_bad_value("id");
    d.element.id_value.append(text);
    d.out.append(text);
    return false;
}

bool read_name_value(Document& d, std::string_view text) {
    if (is_closing_quote(d, text)) {
        d.pop_echo();
        return true;
    }
    if (is_html_space(text[0])) d.diagnostics.error_quote_mismatch("name");
    d.element.name_value.append(text);
    d.element.name_seen = true;
    return false;
}

void finish_quoted_value(Document& d, std::string_view text, std::string_view attribute) {
    if (text.empty() || !d.is_saved_quote(text.back())) d.diagnostics.error_quote_mismatch(attribute);
    d.resume_echo();
}

void begin_copied_attribute(Document& d, std::string_view text) {
    d.out.append(text);
    d.save_quote(text.back());
}

void begin_buffered_attribute(Document& d, std::string_view text) {
    d.element.tag.append(text);
    d.save_quote(text.back());
}

void begin_dropped_attribute(Document& d, std::string_view text) {
    d.suppress_echo();
    d.save_quote(text.back());
}

void begin_class_attribute(Document& d, std::string_view text) {
    d.save_quote(text.back());
    d.push_echo(d.element.class_value);
}

void begin_converted_value(Document& d, std::string_view text, const char* attribute) {
    d.save_quote(text.back());
    d.suppress_echo();
    d.value.attribute = attribute;
}

void begin_element_value(Document& d, std::string_view text, const char* attribute) {
    d.element.ensure_class(d.styles);
    begin_converted_value(d, text, attribute);
}

void keyword_value(Document& d, std::string_view text, std::string_view declaration) {
    add_css(d, declaration);
    end_converted_value(d, text);
}

std::string_view attribute_name(std::string_view matched) {
    std::size_t start = matched.find_first_not_of(html_spaces);
    std::size_t end = matched.find_first_of(" \t\n\r\f=", start);
    return matched.substr(start, end - start);
}

void emit_name_as_id(Document& d, const char* element) {
    if (!d.element.name_seen) return;
    d.diagnostics.warning_name_to_id(element);
    d.element.write_id_from_name(d.out, d.diagnostics);
}

void begin_copied_tag(Document& d, std::string_view text) {
    d.begin_element();
    d.out.append(text);
    d.markup.tag_name.assign(text.substr(1));
}

void end_converted_tag(Document& d, std::string_view end) {
    emit_xml_lang(d);
    d.element.write_class_attribute(d.out, d.styles);
    d.out.append(end);
}

void align_keyword(Document& d, std::string_view text, std::string_view declaration) {
    d.element.ensure_class(d.styles);
    keyword_value(d, text, declaration);
}

void begin_align_value(Document& d, std::string_view text, bool cell) {
    begin_converted_value(d, text, "align");
    d.value.cell_alignment = cell;
}

void align_char(Document& d, std::string_view text) {
    if (!d.value.cell_alignment) invalid_value(d);
    finish_quoted_value(d, text, "align");
}

void middle_alignment(Document& d, std::string_view text) {
    add_css(d, "vertical-align:middle;");
    if (!d.options.standard_css_only) {
        add_css(d, "vertical-align:-moz-middle-with-baseline;vertical-align:-webkit-baseline-middle;");
    }
    end_converted_value(d, text);
}

void begin_color_value(Document& d, std::string_view text, const char* selector,
                       const char* property, const char* attribute) {
    if (selector == nullptr) {
        begin_element_value(d, text, attribute);
    } else {
        begin_converted_value(d, text, attribute);
    }
    d.value.color_selector = selector;
    d.value.property = property;
    d.value.color_spreads_to_table = false;
}

void read_color_value(Document& d, std::string_view text) {
    std::string_view as_written = whole_value(d, text);
    if (!values::colour_readable(as_written)) invalid_value(d);
    std::optional<std::string> colour = values::css_colour(as_written);
    if (!colour) {
        end_converted_value(d, text);
        return;
    }
    std::string_view value = *colour;
    if (d.value.color_spreads_to_table) {
        for (DeferredBuffer* buffer : {&d.element.element_css, &d.element.colgroup_css,
                                       &d.element.rowgroup_css, &d.element.cell_css}) {
            buffer->append("border-color:");
            buffer->append(value);
            buffer->append(";");
        }
    } else if (d.value.color_selector != nullptr) {
        d.styles.add_selector_declaration(d.value.color_selector, d.value.property, value);
    } else {
        add_css(d, d.value.property);
        add_css(d, value);
        add_css(d, ";");
    }
    end_converted_value(d, text);
}

void begin_background_value(Document& d, std::string_view text) {
    begin_element_value(d, text, "background");
    d.element.background.reset();
}

bool read_background_value(Document& d, std::string_view text) {
    char c = text[0];
    if (text.size() == 1 && is_html_space(c)) d.diagnostics.error_quote_or_value("background");
    if (!is_closing_quote(d, text)) {
        d.element.background.append(text);
        return false;
    }
    if (d.element.background.has_content()) {
        d.value.css.clear();
        if (!css::append_url(d.value.css, d.element.background.view(), d.head_tags.page_in_utf8)) {
            d.diagnostics.error_quote_or_value("background");
        }
        add_css(d, "background-image:");
        add_css(d, d.value.css);
        add_css(d, ";");
    }
    d.resume_echo();
    return true;
}

std::string_view whole_value(Document& d, std::string_view text) {
    if (text.empty() || !d.is_saved_quote(text.back())) d.diagnostics.error_quote_mismatch(d.value.attribute);
    return value_of(text);
}

namespace {

bool holds_reference(std::string_view value) { return value.find('&') != std::string_view::npos; }

// Both properties (the second may be null) get the same length.
void add_lengths(Document& d, std::string_view number, std::string_view unit, const char* first,
                 const char* second) {
    for (const char* property : {first, second}) {
        if (property == nullptr) continue;
        add_css(d, property);
        add_css(d, number);
        add_css(d, unit);
    }
}

}  // namespace

std::string_view integer_value(Document& d, std::string_view text) {
    std::string_view value = whole_value(d, text);
    std::optional<values::Number> number = values::parse_non_negative_integer(value);
    if (!number || holds_reference(value)) invalid_value(d);
    return number->text;
}

values::Number dimension_value(Document& d, std::string_view text) {
    std::string_view value = whole_value(d, text);
    std::optional<values::Number> number = values::parse_dimension(value);
    if (!number || number->relative || holds_reference(value)) invalid_value(d);
    return *number;
}

std::string_view cell_padding_value(Document& d, std::string_view text) {
    std::optional<values::Number> number = values::parse_non_negative_integer(whole_value(d, text));
    if (number && number->percentage) d.diagnostics.error_percent_value("cellpadding");
    return integer_value(d, text);
}

std::string_view cell_spacing_value(Document& d, std::string_view text) {
    values::Number number = dimension_value(d, text);
    if (number.percentage) d.diagnostics.error_percent_value("cellspacing");
    return number.text;
}

void read_pixels(Document& d, std::string_view text, const char* first, const char* second) {
    if (!whole_value(d, text).empty()) add_lengths(d, integer_value(d, text), "px;", first, second);
    end_converted_value(d, text);
}

void read_space(Document& d, std::string_view text, const char* first, const char* second) {
    if (!whole_value(d, text).empty()) {
        values::Number number = dimension_value(d, text);
        if (number.text == "0" && !number.percentage) {
            add_lengths(d, "0", ";", first, second);
        } else {
            add_lengths(d, number.text, number.percentage ? "%;" : "px;", first, second);
        }
    }
    end_converted_value(d, text);
}

void end_converted_value(Document& d, std::string_view quote) {
    finish_quoted_value(d, quote, d.value.attribute);
}

void read_length(Document& d, std::string_view text, const char* property) {
    values::Number number = dimension_value(d, text);
    add_lengths(d, number.text, number.percentage ? "%;" : "px;", property, nullptr);
    end_converted_value(d, text);
}

void read_column_width(Document& d, std::string_view text) {
    std::optional<values::Number> number = values::parse_dimension(whole_value(d, text));
    if (number && number->relative) asterisk_units(d);
    read_length(d, text, "width:");
}

void invalid_value(Document& d) { d.diagnostics.error_quote_or_value(d.value.attribute); }

void asterisk_units(Document& d) { d.diagnostics.error_asterisk_units(d.value.attribute); }


}  // namespace quorlix::rules
