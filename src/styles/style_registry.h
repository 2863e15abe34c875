// The one generated style sheet of a document: class names handed out to
// elements, the rules collected for them, and the class and id attributes
// that tie an element to its rule.
#pragma once

#include "base/diagnostics.h"
#include "base/messages.h"
#include "output/buffers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorlix {

// What the rules collect for the element whose start tag is being read.
struct ElementState {
    DeferredBuffer tag;           // a start tag that is being rebuilt
    DeferredBuffer element_css;   // declarations for the element's class rule
    DeferredBuffer id_value;
    DeferredBuffer name_value;
    DeferredBuffer class_value;   // the element's own classes
    DeferredBuffer background;    // URL of a background attribute
    DeferredBuffer cell_css;      // table: declarations for its cells
    DeferredBuffer colgroup_css;  // table: for its column groups
    DeferredBuffer rowgroup_css;  // table: for its row groups
    std::optional<std::string> element_class_name;
    bool id_seen = false;
    bool name_seen = false;

    // The per-element reset at the start of a start tag.
    void begin_element();
};

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
    // Gives the current element a numbered class unless it has one.
    void ensure_element_class(ElementState& element);

    // The fixed classes that replace big, center, nobr and tt; their rule is
    // written once, at the first use.
    std::string_view fixed_class_big();
    std::string_view fixed_class_center();
    std::string_view fixed_class_nobr();
    std::string_view fixed_class_tt();

    // Builders that append to the style text.
    void append_style_text(std::string_view text) { style_text_.append(text); }
    void add_class_rule(std::string_view name, std::string_view declarations);
    void add_class_rule_parts(std::string_view name, std::string_view d1,
                              const std::string_view* d2, const std::string_view* d3);
    void add_selector_rule(std::string_view selector, std::string_view d1,
                           const std::string_view* d2, const std::string_view* d3);
    void add_selector_declaration(std::string_view selector, std::string_view property,
                                  std::string_view value);
    void append_child_selector(std::string_view class_name, std::string_view element);
    void append_cell_selector(std::string_view class_name, std::string_view element);
    void add_cell_rule(std::string_view class_name, std::string_view declarations);
    void add_group_rules(std::string_view class_name, std::string_view colgroup_declarations,
                         std::string_view rowgroup_declarations);

    // The generated style sheet; empty when no rule was produced.
    std::string_view style_text() const { return style_text_.view(); }

    // Writes the element's merged class attribute (generated class first,
    // then its own classes) and registers its rule.
    void emit_class_attribute(OutputBuffer& out, const ElementState& element);
    // The same merge for one of the fixed classes.
    void emit_fixed_class_attribute(OutputBuffer& out, std::string_view fixed_class,
                                    const ElementState& element);
    // Turns a held-back name attribute into an id.
    void emit_id_from_name(OutputBuffer& out, const ElementState& element);

private:
    std::string_view fixed_class(std::optional<std::string>& slot, std::string_view word,
                                 std::string_view d1, const std::string_view* d2);

    const ConversionOptions& options_;
    Diagnostics& diagnostics_;
    GrowableText style_text_;
    std::string prefix_;
    bool prefix_fixed_ = false;
    std::string class_name_;  // prefix followed by the digits of the last number
    std::uint32_t class_counter_ = 0;
    std::optional<std::string> big_class_, center_class_, nobr_class_, tt_class_;
    // With share_classes: the generated class of each set of declarations
    // written so far.
    std::unordered_map<std::string, std::string> shared_classes_;
};

}  // namespace quorlix
