#include "rewriter/table_rules.h"

#include "base/messages.h"
#include "rewriter/attribute_values.h"
#include "rewriter/rule_actions.h"

#include <iterator>
#include <optional>
#include <string>

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
    // Browsers draw the framed sides solid and hide the others; the values
    // run top, right, bottom, left as border-style reads them.
    static constexpr std::string_view declarations[] = {
        "border-style:hidden;",
        "border-style:solid hidden hidden;",
        "border-style:hidden hidden solid;",
        "border-style:solid hidden;",
        "border-style:hidden solid;",
        "border-style:hidden hidden hidden solid;",
        "border-style:hidden solid hidden hidden;",
        "border-style:solid;",
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
    TableState::StartTag& t = d.tables.tag;
    t.border_after_frame = t.frame.has_value();
    if (value.empty() || value == "border") {
        add_css(d, "border:thin outset;");
        t.border_zero = false;
        end_converted_value(d, text);
        return;
    }
    const std::string_view digits = integer_value(d, text);
    t.border_zero = digits.find_first_not_of('0') == std::string_view::npos;
    if (t.border_zero) {
        // A border of 0 (" 0 ", "00") only matters as the width of the sides
        // that an earlier frame draws; otherwise the table has no border of
        // its own.
        if (t.frame) add_css(d, "border:0px outset;");
    } else {
        add_css(d, "border:");
        add_css(d, digits);
        add_css(d, "px outset;");
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

void table_frame(Document& d, std::string_view text, std::optional<TableFrame> frame) {
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
    if (!t.rules) {  // rules="" counts as no rules attribute
        t.rules_seen = false;
        t.rules = TableRules::none;
    }
    bool visible_border = t.border_seen && !t.border_zero;
    if (t.frame) {
        // frame draws thin sides unless a border attribute after it gives
        // their width; a void frame draws none.
        if (!t.border_after_frame && *t.frame != TableFrame::void_sides) add_css(d, "border-width:thin;");
        add_css(d, frame_declarations(*t.frame));
    } else if (t.rules_seen && !visible_border) {
        // Hidden outer borders win over the cells' rules at the table's edge.
        add_css(d, "border-style:hidden;");
    }
    if (visible_border && !t.rules_seen) {
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
    d.hr = HrState{};
}

void begin_hr_color(Document& d, std::string_view text) {
    begin_color_value(d, text, nullptr, "color:", "color");
    d.hr.colour_given = true;
}

void hr_noshade(Document& d, std::string_view text) {
    d.element.ensure_class(d.styles);
    d.hr.noshade = true;
    end_converted_value(d, text);
}

std::string hr_size_declarations(std::string_view value) {
    // Browsers read the size as a non-negative integer, and one they cannot
    // read (no digits, a negative or too large number) counts as 0. The rule
    // is 2 pixels of border and size - 2 of height; a size of 1 or less keeps
    // only the top border.
    long long size = 0;
    if (std::optional<values::Number> number = values::parse_non_negative_integer(value)) {
        for (char digit : number->text) size = size * 10 + (digit - '0');
    }
    if (size <= 1) return "height:0;border-bottom-width:0;";
    if (size == 2) return "height:0;";
    return "height:" + std::to_string(size - 2) + "px;";
}

void hr_size(Document& d, std::string_view text) {
    add_css(d, hr_size_declarations(value_of(text)));
    end_converted_value(d, text);
}

void end_hr(Document& d) {
    // A colour draws the rule solid in that colour, border and inside alike;
    // noshade without a colour draws it solid grey.
    if (d.hr.colour_given) {
        add_css(d, "border-style:solid;background-color:currentcolor;");
    } else if (d.hr.noshade) {
        add_css(d, "border-style:solid;border-color:#808080;background-color:#808080;");
    }
    end_converted_tag(d);
}

void center_or_right_alignment(Document& d, std::string_view text, bool right) {
    d.element.ensure_class(d.styles);
    add_css(d, right ? "text-align:right;" : "text-align:center;");
    // In a table browsers also move the blocks of the cell (a nested table,
    // a block of fixed width), which only the vendor values do.
    if (d.value.cell_alignment && d.options.standard_css_only) {
        std::string element = d.markup.tag_name;
        element += right ? " align=\"right\"" : " align=\"center\"";
        d.diagnostics.warning_center_alignment(element);
    } else if (d.value.cell_alignment) {
        add_css(d, right ? "text-align:-moz-right;text-align:-webkit-right;"
                         : "text-align:-moz-center;text-align:-webkit-center;");
    }
    end_converted_value(d, text);
}

}  // namespace quorlix::rules
