#include "styles/style_registry.h"

#include "base/messages.h"

namespace quorlix {

void ElementState::begin_element() {
    tag.reset();
    element_css.reset();
    id_value.reset();
    name_value.reset();
    class_value.reset();
    background.reset();
    cell_css.reset();
    colgroup_css.reset();
    rowgroup_css.reset();
    element_class_name.reset();
    id_seen = false;
    name_seen = false;
}

void StyleRegistry::init_class_names() {
    if (!prefix_fixed_) {
        prefix_ = options_.class_prefix.empty() ? std::string(default_class_prefix)
                                                : options_.class_prefix;
        prefix_fixed_ = true;
    }
    class_name_ = prefix_;
}

void StyleRegistry::release_class_names() {
    big_class_.reset();
    center_class_.reset();
    nobr_class_.reset();
    tt_class_.reset();
    shared_classes_.clear();
    class_counter_ = 0;
}

std::string_view StyleRegistry::next_class_name() {
    ++class_counter_;
    if (class_counter_ >= class_limit) diagnostics_.error_plain(messages::too_many_classes);
    class_name_.resize(prefix_.size());
    class_name_ += std::to_string(class_counter_);
    return class_name_;
}

void StyleRegistry::ensure_element_class(ElementState& element) {
    if (!element.element_class_name) element.element_class_name = std::string(next_class_name());
}

std::string_view StyleRegistry::fixed_class(std::optional<std::string>& slot,
                                            std::string_view word, std::string_view d1,
                                            const std::string_view* d2) {
    if (!slot) {
        slot = prefix_ + std::string(word);
        add_class_rule_parts(*slot, d1, d2, nullptr);
    }
    return *slot;
}

std::string_view StyleRegistry::fixed_class_big() {
    return fixed_class(big_class_, "big", "font-size:larger;", nullptr);
}

std::string_view StyleRegistry::fixed_class_center() {
    static constexpr std::string_view vendor = "text-align:-moz-center;text-align:-webkit-center;";
    return fixed_class(center_class_, "center", "text-align:center;",
                       options_.standard_css_only ? nullptr : &vendor);
}

std::string_view StyleRegistry::fixed_class_nobr() {
    return fixed_class(nobr_class_, "nobr", "white-space:nowrap;", nullptr);
}

std::string_view StyleRegistry::fixed_class_tt() {
    return fixed_class(tt_class_, "tt", "font-family:monospace;", nullptr);
}

void StyleRegistry::add_class_rule(std::string_view name, std::string_view declarations) {
    add_class_rule_parts(name, declarations, nullptr, nullptr);
}

void StyleRegistry::add_class_rule_parts(std::string_view name, std::string_view d1,
                                         const std::string_view* d2,
                                         const std::string_view* d3) {
    style_text_ += '.';
    add_selector_rule(name, d1, d2, d3);
}

void StyleRegistry::add_selector_rule(std::string_view selector, std::string_view d1,
                                      const std::string_view* d2, const std::string_view* d3) {
    style_text_ += selector;
    style_text_ += '{';
    style_text_ += d1;
    if (d2 != nullptr) {
        style_text_ += *d2;
        if (d3 != nullptr) style_text_ += *d3;
    }
    style_text_ += "}\n";
}

void StyleRegistry::add_selector_declaration(std::string_view selector, std::string_view property,
                                             std::string_view value) {
    style_text_ += selector;
    style_text_ += '{';
    style_text_ += property;
    style_text_ += value;
    style_text_ += ";}\n";
}

void StyleRegistry::append_child_selector(std::string_view class_name, std::string_view element) {
    style_text_ += '.';
    style_text_ += class_name;
    style_text_ += '>';
    style_text_ += element;
}

void StyleRegistry::append_cell_selector(std::string_view class_name, std::string_view element) {
    append_child_selector(class_name, element);
    style_text_ += ",.";
    style_text_ += class_name;
    style_text_ += ">*>";
    style_text_ += element;
    style_text_ += ",.";
    style_text_ += class_name;
    style_text_ += ">*>tr>";
    style_text_ += element;
}

void StyleRegistry::add_cell_rule(std::string_view class_name, std::string_view declarations) {
    append_cell_selector(class_name, "td");
    style_text_ += ',';
    append_cell_selector(class_name, "th");
    style_text_ += '{';
    style_text_ += declarations;
    style_text_ += "}\n";
}

void StyleRegistry::add_group_rules(std::string_view class_name,
                                    std::string_view colgroup_declarations,
                                    std::string_view rowgroup_declarations) {
    append_child_selector(class_name, "colgroup");
    style_text_ += '{';
    style_text_ += colgroup_declarations;
    style_text_ += "}\n";
    append_child_selector(class_name, "thead");
    style_text_ += ',';
    append_child_selector(class_name, "tfoot");
    style_text_ += ',';
    append_child_selector(class_name, "tbody");
    style_text_ += '{';
    style_text_ += rowgroup_declarations;
    style_text_ += "}\n";
}

void StyleRegistry::emit_class_attribute(OutputBuffer& out, const ElementState& element) {
    bool generated = element.element_class_name && element.element_css.has_content();
    bool own = element.class_value.has_content();
    if (!generated && !own) return;
    out.append(" class=\"");
    if (generated) {
        // A table whose cells or groups have rules of its class keeps a class
        // of its own: those rules must not reach other elements.
        const bool shareable = options_.share_classes && !element.cell_css.has_content() &&
                               !element.colgroup_css.has_content() && !element.rowgroup_css.has_content();
        const std::string* name = &*element.element_class_name;
        bool known = false;
        if (shareable) {
            auto [entry, added] = shared_classes_.try_emplace(std::string(element.element_css.view()), *name);
            known = !added;
            if (known) {
                // The element's own number goes back when it is the last one
                // drawn, so that the numbers stay without gaps.
                if (*name == class_name_) --class_counter_;
                name = &entry->second;
            }
        }
        out.append(*name);
        if (own) out.append_char(' ');
        if (!known) add_class_rule(*name, element.element_css.view());
    }
    if (own) out.append(element.class_value.view());
    out.append_char('"');
}

void StyleRegistry::emit_fixed_class_attribute(OutputBuffer& out, std::string_view fixed_class,
                                               const ElementState& element) {
    out.append(" class=\"");
    out.append(fixed_class);
    if (element.class_value.has_content()) {
        out.append_char(' ');
        out.append(element.class_value.view());
    }
    out.append_char('"');
}

void StyleRegistry::emit_id_from_name(OutputBuffer& out, const ElementState& element) {
    if (!element.id_seen) {
        out.append(" id=\"");
        out.append(element.name_value.view());
        out.append_char('"');
        return;
    }
    if (element.id_value.view() != element.name_value.view()) {
        diagnostics_.error_plain(messages::name_id_differ);
    }
}

}  // namespace quorlix
