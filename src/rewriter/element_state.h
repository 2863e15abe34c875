// What the rules collect for the element whose start tag is being read, and
// the class and id attributes that it gets at the end of its start tag.
#pragma once

#include "base/diagnostics.h"
#include "output/buffers.h"
#include "styles/style_registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

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
    // Gives the element a numbered class unless it has one.
    void ensure_class(StyleRegistry& styles);

    // Writes the merged class attribute (generated class first, then the
    // element's own classes) and registers the generated class's rule.
    void write_class_attribute(OutputBuffer& out, StyleRegistry& styles) const;
    // The same merge for a fixed class.
    void write_fixed_class_attribute(OutputBuffer& out, std::string_view fixed_class) const;
    // Turns a held-back name attribute into an id; a different id is refused.
    void write_id_from_name(OutputBuffer& out, Diagnostics& diagnostics) const;
};

}  // namespace quorlix
