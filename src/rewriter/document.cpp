#include "rewriter/document.h"

#include "base/messages.h"

namespace quorlix {

void MarkupState::reset() {
    tag_name.clear();
    generic_name_pending = false;
    xml_lang.reset();
    xml_lang_seen = false;
    lang_given = false;
    foreign_depth = 0;
    foreign_start_tag = false;
    cdata_open = false;
    cdata_bare = false;
    class_into_tag = false;
    class_value_start = 0;
    style_body_start = 0;
}

void Document::begin(std::uint64_t input_size) {
    out.reset(input_size);
    styles.reset_style_text(input_size);
    styles.init_class_names();
    element.begin_element();
    head_tags.link_relation.reset();
    obsolete.font_face.reset();
    forms.accept_value.reset();
    markup.reset();
}

void Document::end() {
    out.reset();
    styles.reset_style_text();
    styles.release_class_names();
}

void Document::push_echo(DeferredBuffer& buffer) {
    if (echo_depth_ == echo_stack_limit) diagnostics.error_internal(messages::echo_stack_overflow);
    echo_stack_[echo_depth_++] = &buffer;
}

void Document::pop_echo() {
    if (echo_depth_ == 0) diagnostics.error_internal(messages::echo_stack_underflow);
    echo_stack_[--echo_depth_] = nullptr;
}

bool Document::echo_text(std::string_view text) {
    if (identifier_capture_) element.id_value.append(text);
    if (echo_suppressed_) return true;
    if (echo_depth_ == 0) return false;
    echo_stack_[echo_depth_ - 1]->append(text);
    return true;
}

}  // namespace quorlix
