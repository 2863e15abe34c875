// The one generated style sheet of a document: class names handed out to
// elements and the rules collected for them.
#pragma once

#include "base/diagnostics.h"
#include "base/messages.h"
#include "output/buffers.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace quorlix {

class StyleRegistry {
public:
    static constexpr std::uint32_t class_limit = 0x100000;

    StyleRegistry(const ConversionOptions& options, Diagnostics& diagnostics)
        : options_(options), diagnostics_(diagnostics), style_text_(messages::to_allocate_styles) {}

    // Per document: an empty style text, with room for the rules that a
    // document of the input's size usually needs, when that is known.
    void reset_style_text(std::uint64_t input_size = 0) {
        style_text_.clear();
        if (input_size > 0) style_text_.try_reserve(input_size / 4);
    }
    void init_class_names();
    void release_class_names();

    const std::string& prefix() const { return prefix_; }
    std::uint32_t class_counter() const { return class_counter_; }

    // Draws the next numbered class name. The view stays valid until the
    // next call; copy it to keep it.
    std::string_view next_class_name();

    // A fixed class (prefix and word), such as those that replace obsolete
    // elements; its rule is written once, at the first use. The word must
    // outlive the document (a literal).
    std::string_view fixed_class(std::string_view word,
                                 std::initializer_list<std::string_view> declarations);

    // The class written for an element's generated name and declarations:
    // with share_classes, the class of an earlier element with the same
    // declarations (unless the element's class has rules of its own for
    // table cells or groups); else its own name, whose rule is then added.
    std::string_view generated_class(const std::string& name, std::string_view declarations,
                                     bool has_own_rules);

    // Builders that append to the style text; a rule's declarations are
    // written one after the other. With author_css_wins every rule's
    // selector (or selector list) is written inside :where().
    void add_class_rule(std::string_view name, std::initializer_list<std::string_view> declarations);
    void add_class_rule(std::string_view name, std::string_view declarations) {
        add_class_rule(name, {declarations});
    }
    void add_selector_rule(std::string_view selector,
                           std::initializer_list<std::string_view> declarations);
    void add_selector_declaration(std::string_view selector, std::string_view property,
                                  std::string_view value);
    void append_child_selector(std::string_view class_name, std::string_view element);
    void append_cell_selector(std::string_view class_name, std::string_view element);
    void add_cell_rule(std::string_view class_name, std::string_view declarations);
    void add_group_rules(std::string_view class_name, std::string_view colgroup_declarations,
                         std::string_view rowgroup_declarations);

    // The generated style sheet; empty when no rule was produced.
    std::string_view style_text() const { return style_text_.view(); }

private:
    // What stands before a rule's selector, and between it and the
    // declarations.
    void begin_selector();
    void begin_declarations();
    // The declarations, one after the other, and the end of the rule.
    void end_rule(std::initializer_list<std::string_view> declarations);

    const ConversionOptions& options_;
    Diagnostics& diagnostics_;
    GrowableText style_text_;
    std::string prefix_;
    bool prefix_fixed_ = false;
    std::string class_name_;  // prefix followed by the digits of the last number
    std::uint32_t class_counter_ = 0;
    // The fixed classes drawn so far: word and class name.
    std::deque<std::pair<std::string_view, std::string>> fixed_classes_;
    // With share_classes: the generated class of each set of declarations
    // written so far.
    std::unordered_map<std::string, std::string> shared_classes_;
};

}  // namespace quorlix
