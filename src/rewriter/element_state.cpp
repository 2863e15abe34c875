#include "rewriter/element_state.h"

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

void ElementState::ensure_class(StyleRegistry& styles) {
    if (!element_class_name) element_class_name = std::string(styles.next_class_name());
}

void ElementState::write_class_attribute(OutputBuffer& out, StyleRegistry& styles) const {
    // A table whose cells or groups have rules of its class keeps a class of
    // its own: those rules must not reach other elements. It needs the class
    // even when the table itself has no declarations.
    const bool own_rules =
        cell_css.has_content() || colgroup_css.has_content() || rowgroup_css.has_content();
    bool generated = element_class_name && (element_css.has_content() || own_rules);
    bool own = class_value.has_content();
    if (!generated && !own) return;
    out.append(" class=\"");
    if (generated) {
        out.append(element_css.has_content()
                       ? styles.generated_class(*element_class_name, element_css.view(), own_rules)
                       : std::string_view(*element_class_name));
        if (own) out.append_char(' ');
    }
    if (own) out.append(class_value.view());
    out.append_char('"');
}

void ElementState::write_fixed_class_attribute(OutputBuffer& out, std::string_view fixed_class) const {
    out.append(" class=\"");
    out.append(fixed_class);
    if (class_value.has_content()) {
        out.append_char(' ');
        out.append(class_value.view());
    }
    out.append_char('"');
}

void ElementState::write_id_from_name(OutputBuffer& out, Diagnostics& diagnostics) const {
    if (!id_seen) {
        out.append(" id=\"");
        out.append(name_value.view());
        out.append_char('"');
        return;
    }
    if (id_value.view() != name_value.view()) diagnostics.fatal_error(messages::name_id_differ);
}

}  // namespace quorlix
