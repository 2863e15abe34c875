#include "rewriter/table_rules.h"

#include "base/messages.h"
#include "rewriter/rule_actions.h"

#include <iterator>

namespace quorlix::rules {

namespace {

constexpr std::string_view rules_groups_colgroup =
    "border-left-width:thin;border-left-style:solid;border-right-width:thin;"
    "border-right-style:solid;";
constexpr std::string_view rules_rows =
    "border-top-width:thin;border-top-style:solid;border-bottom-width:thin;"
    "border-bottom-style:solid;";

}  // namespace

std::string_view frame_declarations(TableFrame frame) {
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
    static_assert(std::size(declarations) == static_cast<std::size_t>(TableFrame::box) + 1);
    return declarations[static_cast<std::size_t>(frame)];
}

void begin_table(Document& d, std::string_view text) {
    d.begin_element();
    d.tables.tag = TableState::StartTag{};
    d.out.append(text);
    d.push_echo(d.element.tag);
}

bool first_table_attribute(Document& d, bool TableState::StartTag::*seen, std::string_view text,
                           const char* attribute) {
    d.element.ensure_class(d.styles);
    if (d.tables.tag.*seen) {
        begin_dropped_attribute(d, text);
        return false;
    }
    d.tables.tag.*seen = true;
    begin_converted_value(d, text, attribute);
    return true;
}

void table_border(Document& d, std::string_view text) {
    std::string_view value = value_of(text);
    if (value.empty() || value == "border") {
        add_css(d, "border:thin outset;");
        d.tables.tag.border_zero = false;
    } else {
        value = integer_value(d, text);
        add_css(d, "border:");
        add_css(d, value);
        add_css(d, "px outset;");
        d.tables.tag.border_zero = value == "0";
    }
    end_converted_value(d, text);
}

void table_cell_padding(Document& d, std::string_view text) {
    d.element.cell_css.append("padding:");
    d.element.cell_css.append(cell_padding_value(d, text));
    d.element.cell_css.append("px;");
    end_converted_value(d, text);
}

void table_cell_spacing(Document& d, std::string_view text) {
    add_css(d, "border-spacing:");
    add_css(d, cell_spacing_value(d, text));
    add_css(d, "px;");
    end_converted_value(d, text);
}

void table_frame(Document& d, std::string_view text, TableFrame frame) {
    d.tables.tag.frame = frame;
    end_converted_value(d, text);
}

void table_rules(Document& d, std::string_view text, std::optional<TableRules> rules) {
    d.tables.tag.rules = rules;
    end_converted_value(d, text);
}

void end_table(Document& d, std::string_view end) {
    TableState::StartTag& t = d.tables.tag;
    ElementState& e = d.element;
    if (t.frame_seen && !t.border_seen) add_css(d, "border-width:thin;border-style:outset;");
    if (t.border_seen && !t.border_zero && !t.frame_seen) t.frame = TableFrame::box;
    add_css(d, frame_declarations(t.frame));
    if (!t.rules) {  // rules="" counts as no rules attribute
        t.rules_seen = false;
        t.rules = TableRules::none;
    }
    if (t.border_seen && !t.border_zero && !t.rules_seen) {
        t.rules = TableRules::inset;
    } else if (t.rules_seen) {
        add_css(d, "border-collapse:collapse;");
    }
    switch (*t.rules) {
        case TableRules::none: break;
        case TableRules::groups:
            e.colgroup_css.append(rules_groups_colgroup);
            e.rowgroup_css.append(rules_rows);
            break;
        case TableRules::rows: e.cell_css.append(rules_rows); break;
        case TableRules::cols: e.cell_css.append(rules_groups_colgroup); break;
        case TableRules::all: e.cell_css.append("border-width:thin;border-style:solid;"); break;
        case TableRules::inset: e.cell_css.append("border-width:thin;border-style:inset;"); break;
    }
    d.out.append(e.tag.view());
    emit_xml_lang(d);
    e.write_class_attribute(d.out, d.styles);
    if (e.element_class_name) {
        const std::string& name = *e.element_class_name;
        if (e.cell_css.has_content()) d.styles.add_cell_rule(name, e.cell_css.view());
        if (e.colgroup_css.has_content() && e.rowgroup_css.has_content()) {
            d.styles.add_group_rules(name, e.colgroup_css.view(), e.rowgroup_css.view());
        }
    }
    d.out.append(end);
    d.pop_echo();
}

void begin_table_border_color(Document& d, std::string_view text) {
    begin_color_value(d, text, nullptr, "border-color:", "bordercolor");
    d.value.color_spreads_to_table = true;
}

void begin_table_footer(Document& d, std::string_view text) {
    begin_copied_tag(d, text);
    d.table_footer_seen = true;
}

void begin_cell(Document& d, std::string_view text, bool header) {
    begin_copied_tag(d, text);
    d.tables.header_cell = header;
}

bool is_header_cell(const Document& d) { return d.tables.header_cell; }

bool cell_scope(Document& d) {
    if (d.tables.header_cell) return true;
    if (!d.options.delete_td_scope) d.diagnostics.fatal_error(messages::td_scope);
    return false;
}

void bad_value(Document& d) { d.diagnostics.error_bad_value(d.value.attribute); }

void begin_hr(Document& d, std::string_view text) {
    begin_copied_tag(d, text);
    d.hr.colour_given = false;
}

void begin_hr_color(Document& d, std::string_view text) {
    begin_color_value(d, text, nullptr, "background-color:", "color");
    d.hr.colour_given = true;
}

void hr_noshade(Document& d, std::string_view text) {
    if (!d.hr.colour_given) {
        d.element.ensure_class(d.styles);
        add_css(d, "background-color:#808080;");
    }
    end_converted_value(d, text);
}

}  // namespace quorlix::rules
