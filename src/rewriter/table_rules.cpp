#include "rewriter/table_rules.h"

#include "base/messages.h"
#include "rewriter/rule_actions.h"

namespace quorlix::rules {

namespace {

constexpr std::string_view rules_groups_colgroup =
    "border-left-width:thin;border-left-style:solid;border-right-width:thin;"
    "border-right-style:solid;";
constexpr std::string_view rules_rows =
    "border-top-width:thin;border-top-style:solid;border-bottom-width:thin;"
    "border-bottom-style:solid;";

}  // namespace

std::string_view frame_declarations(int code) {
    static constexpr std::string_view declarations[] = {
        "border-style:hidden;",
        "border-right-style:hidden;border-bottom-style:hidden;border-left-style:hidden;",
        "border-top-style:hidden;border-right-style:hidden;border-left-style:hidden;",
        "border-right-style:hidden;border-left-style:hidden;",
        "border-top-style:hidden;border-bottom-style:hidden;",
        "border-top-style:hidden;border-right-style:hidden;border-bottom-style:hidden;",
        "border-top-style:hidden;border-bottom-style:hidden;border-left-style:hidden;",
        "",
    };
    return declarations[code];
}

void begin_table(Document& d, std::string_view text) {
    d.begin_element();
    d.table = Document::TableFlags{};
    d.out.append(text);
    d.push_echo(d.element.tag);
}

bool first_table_attribute(Document& d, bool Document::TableFlags::*seen, std::string_view text,
                           const char* attribute) {
    d.styles.ensure_element_class(d.element);
    if (seen != nullptr && d.table.*seen) {
        begin_dropped_attribute(d, text);
        return false;
    }
    if (seen != nullptr) d.table.*seen = true;
    begin_converted_value(d, text, attribute);
    return true;
}

void table_border(Document& d, std::string_view text) {
    std::string_view value = value_of(text);
    if (value.empty() || value == "border") {
        add_css(d, "border:thin outset;");
        d.table.border_zero = false;
    } else {
        add_css(d, "border:");
        add_css(d, value);
        add_css(d, "px outset;");
        d.table.border_zero = value == "0";
    }
    end_converted_value(d, text);
}

void table_cell_padding(Document& d, std::string_view text) {
    d.element.cell_css.append("padding:");
    d.element.cell_css.append(value_of(text));
    d.element.cell_css.append("px;");
    end_converted_value(d, text);
}

void table_cell_spacing(Document& d, std::string_view text) {
    add_css(d, "border-spacing:");
    add_css(d, value_of(text));
    add_css(d, "px;");
    end_converted_value(d, text);
}

void table_frame(Document& d, std::string_view text, int code) {
    d.table.outer_sides_code = code;
    end_converted_value(d, text);
}

void table_rules(Document& d, std::string_view text, int code) {
    d.table.rules_code = code;
    end_converted_value(d, text);
}

void end_table(Document& d) {
    Document::TableFlags& t = d.table;
    ElementState& e = d.element;
    if (t.outer_sides_seen && !t.border_seen) add_css(d, "border-width:thin;border-style:outset;");
    if (t.border_seen && !t.border_zero && !t.outer_sides_seen) t.outer_sides_code = 7;
    if (t.outer_sides_code < 0 || t.outer_sides_code > 7) d.diagnostics.error_plain(messages::frame_out_of_range);
    add_css(d, frame_declarations(t.outer_sides_code));
    if (t.rules_code == 6) {
        t.rules_seen = false;
        t.rules_code = 0;
    }
    if (t.border_seen && !t.border_zero && !t.rules_seen) {
        t.rules_code = 5;
    } else if (t.rules_seen) {
        add_css(d, "border-collapse:collapse;");
    }
    switch (t.rules_code) {
        case 0: break;
        case 1:
            e.colgroup_css.append(rules_groups_colgroup);
            e.rowgroup_css.append(rules_rows);
            break;
        case 2: e.cell_css.append(rules_rows); break;
        case 3: e.cell_css.append(rules_groups_colgroup); break;
        case 4: e.cell_css.append("border-width:thin;border-style:solid;"); break;
        case 5: e.cell_css.append("border-width:thin;border-style:inset;"); break;
        default: d.diagnostics.error_plain(messages::rules_out_of_range);
    }
    d.out.append(e.tag.view());
    emit_xml_lang(d);
    d.styles.emit_class_attribute(d.out, e);
    if (e.element_class_name) {
        const std::string& name = *e.element_class_name;
        if (e.cell_css.has_content()) d.styles.add_cell_rule(name, e.cell_css.view());
        if (e.colgroup_css.has_content() && e.rowgroup_css.has_content()) {
            d.styles.add_group_rules(name, e.colgroup_css.view(), e.rowgroup_css.view());
        }
    }
    d.out.append_char('>');
    d.pop_echo();
}

void begin_cell(Document& d, std::string_view text, bool header) {
    begin_copied_tag(d, text);
    d.is_header_cell = header;
}

bool cell_scope(Document& d) {
    if (d.is_header_cell) return true;
    if (!d.options.delete_td_scope) d.diagnostics.error_plain(messages::td_scope);
    return false;
}

void bad_value(Document& d) { d.diagnostics.error_bad_value(d.value_attribute); }

void hr_noshade(Document& d, std::string_view text) {
    if (!d.hr_colour_given) {
        d.styles.ensure_element_class(d.element);
        add_css(d, "background-color:#808080;");
    }
    end_converted_value(d, text);
}

}  // namespace quorlix::rules
