#include "rewriter/frameset_rules.h"

#include "base/messages.h"
#include "rewriter/rule_actions.h"

#include <cstdint>
#include <limits>

namespace quorlix {

namespace rules {

namespace {

FramesetRecord& top(Document& d) {
    if (d.framesets.stack.empty()) d.diagnostics.error_internal("frameset not initialised");
    return d.framesets.stack.back();
}

FramesetRecord& parent(Document& d) {
    if (d.framesets.stack.size() < 2) d.diagnostics.error_internal("no enclosing <frameset>");
    return d.framesets.stack[d.framesets.stack.size() - 2];
}

[[noreturn]] void too_many_children(Document& d) { d.diagnostics.fatal_error(messages::too_many_frames); }

// Writes the record's next item when it is a row wrapper.
void emit_structural_item(Document& d, FramesetRecord& r) {
    if (r.next_item >= r.item_class.size() || !r.item_is_structural[r.next_item]) return;
    const auto& name = r.item_class[r.next_item++];
    if (name) {
        d.out.append("<div class=\"");
        d.out.append(*name);
        d.out.append("\">");
        r.row_open = true;
    } else {
        d.out.append("</div>");
        r.row_open = false;
    }
}

std::string take_cell_class(Document& d, FramesetRecord& r) {
    if (r.next_item >= r.item_class.size() || r.item_is_structural[r.next_item]) too_many_children(d);
    return *r.item_class[r.next_item++];
}

CellBorders take_cell_borders(Document& d, FramesetRecord& r) {
    if (r.next_cell >= r.cell_borders.size()) too_many_children(d);
    return r.cell_borders[r.next_cell++];
}

void add_item(FramesetRecord& r, std::optional<std::string> name, bool structural) {
    r.item_class.push_back(std::move(name));
    r.item_is_structural.push_back(structural);
}

// A numbered class with the rule first + size + last.
std::string sized_class(Document& d, const char* first, const std::string& size, const char* last) {
    std::string name(d.styles.next_class_name());
    d.styles.add_class_rule(name, {first, size, last});
    return name;
}

}  // namespace

void begin_frameset(Document& d) {
    if (d.head_tags.body_seen) d.diagnostics.fatal_error(messages::body_before_frameset);
    d.begin_element();
    d.framesets.stack.emplace_back();
    if (d.framesets.stack.size() == 1) {
        d.out.append("<body>\n");
        d.styles.add_selector_rule("body", {"margin:0;padding:0;"});
    } else {
        emit_structural_item(d, parent(d));
    }
    d.obsolete.old_element = "frameset";
    d.obsolete.new_element = "div";
    d.out.append("<div");
}

void begin_size_list(Document& d, std::string_view text, bool rows) {
    SizeList& list = rows ? d.framesets.rows : d.framesets.cols;
    if (!list.empty()) {
        d.diagnostics.fatal_error(rows ? messages::more_than_one_rows : messages::more_than_one_cols);
    }
    list.clear();
    d.framesets.current_list = &list;
    d.framesets.entry_ended = false;
    begin_converted_value(d, text, rows ? "rows" : "cols");
}

void add_size(Document& d, SizeKind kind, std::string_view text) {
    if (d.framesets.entry_ended) d.diagnostics.error_bad_value(d.value.attribute);
    std::string number(text);
    if (kind != SizeKind::pixels) number.pop_back();  // the unit
    if (number.empty()) number = "1";                 // a lone "*"
    if (d.framesets.current_list->size() >=
        static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        d.diagnostics.error_frameset_size();
    }
    d.framesets.current_list->add(kind, std::move(number));
    d.framesets.entry_ended = true;
}

void size_separator(Document& d) { d.framesets.entry_ended = false; }

void end_size_list(Document& d, std::string_view quote) {
    end_converted_value(d, quote);
    d.framesets.current_list = nullptr;
}

void build_frameset_layout(Document& d) {
    Framesets& f = d.framesets;
    const bool outermost = f.stack.size() == 1;
    std::string own;
    if (outermost) {
        own = d.styles.next_class_name();
        // Fixed to the viewport: the page's own style sheets may still have
        // rules for body (margins, a maximum width) that would move or
        // shrink a container in the flow.
        d.styles.add_class_rule(own, "position:fixed;top:0;left:0;height:100vh;width:100%;overflow:hidden;");
    } else {
        own = take_cell_class(d, parent(d));
    }
    emit_xml_lang(d);
    d.element.write_fixed_class_attribute(d.out, own);
    d.out.append_char('>');

    std::optional<CellBorders> inherited;
    if (!outermost) inherited = take_cell_borders(d, parent(d));
    const CellBorders p = inherited.value_or(CellBorders{});

    FramesetRecord& r = top(d);
    const std::size_t rows = f.rows.size(), cols = f.cols.size();
    if (cols < 2 && rows < 2) {
        std::string name(d.styles.next_class_name());
        d.styles.add_class_rule(name, "width:100%;height:100%;");
        add_item(r, name, false);
        r.cell_borders.push_back(p);
    } else if (cols < 2) {
        for (std::size_t k = 0; k < rows; ++k) {
            add_item(r, sized_class(d, "height:", f.rows.formula(k), ";width:100%;"), false);
            r.cell_borders.push_back({k > 0 || p.top, p.left});
        }
    } else if (rows < 2) {
        for (std::size_t l = 0; l < cols; ++l) {
            add_item(r, sized_class(d, "float:left;width:", f.cols.formula(l), ";height:100%;"), false);
            r.cell_borders.push_back({p.top, l > 0 || p.left});
        }
    } else {
        if (rows * cols + 2 * rows > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            d.diagnostics.error_frameset_size();
        }
        for (std::size_t k = 0; k < rows; ++k) {
            if (k > 0) add_item(r, std::nullopt, true);
            add_item(r, sized_class(d, "height:", f.rows.formula(k), ";width:100%;"), true);
            for (std::size_t l = 0; l < cols; ++l) {
                add_item(r, sized_class(d, "float:left;width:", f.cols.formula(l), ";height:100%;"),
                         false);
                r.cell_borders.push_back({k > 0 || p.top, l > 0 || p.left});
            }
        }
        add_item(r, std::nullopt, true);
    }
    f.rows.clear();
    f.cols.clear();
}

void end_frameset(Document& d) {
    if (d.framesets.stack.empty()) d.diagnostics.fatal_error(messages::frameset_without_frameset);
    FramesetRecord& r = d.framesets.stack.back();
    // Fewer children than cells: close the row wrapper that is still open,
    // so that the page's divs stay balanced.
    if (r.row_open) {
        d.out.append("</div>");
        r.row_open = false;
    }
    const bool outermost = d.framesets.stack.size() == 1;
    if (!outermost) emit_structural_item(d, parent(d));
    d.out.append("</div>");
    if (outermost) d.out.append("\n</body>");
    d.framesets.stack.pop_back();
}

void begin_frame(Document& d) {
    if (d.framesets.stack.empty()) d.diagnostics.fatal_error(messages::frame_outside_frameset);
    d.begin_element();
    FramesetRecord& r = top(d);
    emit_structural_item(d, r);
    d.out.append("<div class=\"");
    d.out.append(take_cell_class(d, r));
    d.out.append("\"><iframe");
    d.framesets.frame_borders = take_cell_borders(d, r);
    d.framesets.frameborder_seen = false;
    d.element.ensure_class(d.styles);
    add_css(d, "box-sizing:border-box;width:100%;height:100%;border-color:#808080;border-width:2px;");
    d.obsolete.old_element = "frame";
    d.obsolete.new_element = "iframe";
}

bool frame_border_attribute(Document& d, std::string_view text) {
    if (d.framesets.frameborder_seen) {
        begin_dropped_attribute(d, text);
        return false;
    }
    d.framesets.frameborder_seen = true;
    begin_converted_value(d, text, "frameborder");
    return true;
}

void frame_border(Document& d, std::string_view text, bool on) {
    d.framesets.frame_borders = CellBorders{on, on};
    end_converted_value(d, text);
}

void frame_obsolete_attribute(Document& d, std::string_view text, const char* element) {
    d.diagnostics.warning_frame_attribute(element, attribute_name(text));
    begin_dropped_attribute(d, text);
}

void end_frame(Document& d) {
    const CellBorders& b = d.framesets.frame_borders;
    add_css(d, "border-style:");
    add_css(d, b.top ? "solid" : "none");
    add_css(d, " none none ");
    add_css(d, b.left ? "solid;" : "none;");
    emit_xml_lang(d);
    d.element.write_class_attribute(d.out, d.styles);
    d.out.append("></iframe></div>");
    emit_structural_item(d, top(d));
}

void begin_iframe(Document& d, std::string_view text) {
    begin_copied_tag(d, text);
    d.framesets.frameborder_seen = false;
}

void iframe_border(Document& d, std::string_view text, bool on) {
    if (!on) {
        d.element.ensure_class(d.styles);
        add_css(d, "border:none;");
    }
    end_converted_value(d, text);
}

}  // namespace rules
}  // namespace quorlix
