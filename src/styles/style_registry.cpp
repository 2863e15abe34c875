#include "styles/style_registry.h"

#include "base/messages.h"

namespace quorlix {

void StyleRegistry::init_class_names() {
    if (!prefix_fixed_) {
        prefix_ = options_.class_prefix.empty() ? std::string(default_class_prefix)
                                                : options_.class_prefix;
        prefix_fixed_ = true;
    }
    class_name_ = prefix_;
}

void StyleRegistry::release_class_names() {
    fixed_classes_.clear();
    shared_classes_.clear();
    class_counter_ = 0;
}

std::string_view StyleRegistry::next_class_name() {
    ++class_counter_;
    if (class_counter_ >= class_limit) diagnostics_.fatal_error(messages::too_many_classes);
    class_name_.resize(prefix_.size());
    class_name_ += std::to_string(class_counter_);
    return class_name_;
}

std::string_view StyleRegistry::fixed_class(std::string_view word,
                                            std::initializer_list<std::string_view> declarations) {
    for (const auto& [known, name] : fixed_classes_) {
        if (known == word) return name;
    }
    const std::string& name = fixed_classes_.emplace_back(word, prefix_ + std::string(word)).second;
    add_class_rule(name, declarations);
    return name;
}

std::string_view StyleRegistry::generated_class(const std::string& name,
                                                std::string_view declarations, bool has_own_rules) {
    if (options_.share_classes && !has_own_rules) {
        auto [entry, added] = shared_classes_.try_emplace(std::string(declarations), name);
        if (!added) {
            // The element's own number goes back when it is the last one
            // drawn, so that the numbers stay without gaps.
            if (name == class_name_) --class_counter_;
            return entry->second;
        }
    }
    add_class_rule(name, declarations);
    return name;
}

void StyleRegistry::begin_selector() {
    // The page's own rules win over the generated ones when these have zero
    // specificity, as presentational attributes had; a selector list is
    // wrapped whole.
    if (options_.author_css_wins) style_text_ += ":where(";
}

void StyleRegistry::begin_declarations() {
    if (options_.author_css_wins) style_text_ += ')';
    style_text_ += '{';
}

void StyleRegistry::end_rule(std::initializer_list<std::string_view> declarations) {
    begin_declarations();
    for (std::string_view d : declarations) style_text_ += d;
    style_text_ += "}\n";
}

void StyleRegistry::add_class_rule(std::string_view name,
                                   std::initializer_list<std::string_view> declarations) {
    begin_selector();
    style_text_ += '.';
    style_text_ += name;
    end_rule(declarations);
}

void StyleRegistry::add_selector_rule(std::string_view selector,
                                      std::initializer_list<std::string_view> declarations) {
    begin_selector();
    style_text_ += selector;
    end_rule(declarations);
}

void StyleRegistry::add_selector_declaration(std::string_view selector, std::string_view property,
                                             std::string_view value) {
    begin_selector();
    style_text_ += selector;
    begin_declarations();
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
    begin_selector();
    append_cell_selector(class_name, "td");
    style_text_ += ',';
    append_cell_selector(class_name, "th");
    begin_declarations();
    style_text_ += declarations;
    style_text_ += "}\n";
}

void StyleRegistry::add_group_rules(std::string_view class_name,
                                    std::string_view colgroup_declarations,
                                    std::string_view rowgroup_declarations) {
    begin_selector();
    append_child_selector(class_name, "colgroup");
    begin_declarations();
    style_text_ += colgroup_declarations;
    style_text_ += "}\n";
    begin_selector();
    append_child_selector(class_name, "thead");
    style_text_ += ',';
    append_child_selector(class_name, "tfoot");
    style_text_ += ',';
    append_child_selector(class_name, "tbody");
    begin_declarations();
    style_text_ += rowgroup_declarations;
    style_text_ += "}\n";
}

}  // namespace quorlix
