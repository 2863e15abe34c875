#include "base/diagnostics.h"

#include "base/messages.h"

namespace quorlix {

void Diagnostics::end_progress_line() {
    if (!progress_line_broken_ && options_.verbose) {
        progress_.write("\n");
        progress_line_broken_ = true;
    }
    // Two streams are flushed to keep the order of their lines; one keeps
    // that order by itself.
    if (&progress_ != &errors_) {
        progress_.flush();
        errors_.flush();
    }
}

void Diagnostics::error_header() {
    end_progress_line();
    std::string header = messages::program_name;
    header += ": ";
    header += input_name_;
    if (line_numbers_on_ && line_source_) {
            header += messages::line_head + std::to_string(line_source_()) + ")";
    }
    header += messages::error_after_name;
    errors_.write(header);
}

void Diagnostics::abandon() {
    errors_.write(messages::skipping_file);
    errors_.flush();
    throw FileAbandoned{};
}

void Diagnostics::fatal_error(std::string_view message, std::string_view detail) {
    error_header();
    errors_.write(message);
    errors_.write(detail);
    abandon();
}

void Diagnostics::error_no_memory(std::string_view detail) {
    fatal_error(messages::insufficient_memory, detail);
}

void Diagnostics::error_internal(std::string_view detail) {
    fatal_error(messages::internal_error, detail);
}

void Diagnostics::error_null_pointer() { error_internal(messages::null_pointer); }

void Diagnostics::error_percent_value(std::string_view attribute) {
    fatal_error(messages::percent_value, attribute);
}

void Diagnostics::error_asterisk_units(std::string_view attribute) {
    fatal_error(messages::asterisk_units, attribute);
}

void Diagnostics::error_invalid_attribute(std::string_view attribute) {
    fatal_error(messages::invalid_attribute, attribute);
}

void Diagnostics::error_quote_mismatch(std::string_view attribute) {
    fatal_error(messages::quote_mismatch, attribute);
}

void Diagnostics::error_bad_value(std::string_view attribute) {
    fatal_error(messages::bad_value, attribute);
}

void Diagnostics::error_quote_or_value(std::string_view attribute) {
    fatal_error(messages::quote_or_value, attribute);
}

void Diagnostics::error_frameset_size() { fatal_error(messages::frameset_size); }

void Diagnostics::error_unsupported_element(std::string_view element) {
    fatal_error(messages::unsupported_element, element);
}

void Diagnostics::error_object_attribute(std::string_view attribute) {
    error_header();
    std::string text = messages::object_attribute_1;
    text += attribute;
    text += messages::object_attribute_2;
    text += messages::object_text;
    errors_.write(text);
    abandon();
}

void Diagnostics::error_param_element() {
    error_header();
    errors_.write(messages::param_element);
    errors_.write(messages::object_text);
    abandon();
}

void Diagnostics::startup_no_memory() {
    report_error(messages::no_memory);
    errors_.flush();
}

void Diagnostics::startup_internal_error(std::string_view detail) {
    std::string text = std::string(messages::program_name) + messages::internal_error_head;
    if (!detail.empty()) {
        text += ": ";
        text += detail;
    }
    text += "\n";
    errors_.write(text);
    errors_.flush();
}

void Diagnostics::report_error(std::string_view message) {
    std::string text = std::string(messages::program_name) + messages::error_head;
    text += message;
    text += "\n";
    errors_.write(text);
}

void Diagnostics::warning_header() {
    end_progress_line();
    std::string header = messages::program_name;
    header += ": ";
    header += input_name_;
    header += messages::line_head + std::to_string(line_source_ ? line_source_() : 0) +
              messages::warning_after_line;
    errors_.write(header);
}

void Diagnostics::warning_charset(std::string_view charset) {
    if (!options_.warn_charset) return;
    warning_header();
    std::string text = messages::charset_1;
    text += charset;
    text += messages::charset_2;
    errors_.write(text);
}

void Diagnostics::warning_center_alignment(std::string_view element) {
    if (!options_.warn_center_alignment || !options_.standard_css_only) return;
    warning_header();
    std::string text = messages::center_1;
    text += element;
    text += messages::center_2;
    errors_.write(text);
}

void Diagnostics::warning_name_to_id(std::string_view element) {
    if (!options_.warn_name_to_id) return;
    warning_header();
    std::string text = messages::name_to_id_1;
    text += element;
    text += messages::name_to_id_2;
    errors_.write(text);
}

void Diagnostics::warning_element_replaced(std::string_view old_element,
                                           std::string_view new_element) {
    if (!options_.warn_element_replaced) return;
    warning_header();
    std::string text = messages::replaced_1;
    text += old_element;
    text += messages::replaced_2;
    text += new_element;
    text += messages::replaced_3;
    text += old_element;
    text += messages::replaced_4;
    errors_.write(text);
}

void Diagnostics::warning_frame_attribute(std::string_view element, std::string_view attribute) {
    if (!options_.warn_frame_attribute) return;
    warning_header();
    std::string text = messages::frame_attribute_1;
    text += attribute;
    text += messages::frame_attribute_2;
    text += element;
    text += messages::frame_attribute_3;
    text += element;
    text += messages::frame_attribute_4;
    errors_.write(text);
}

}  // namespace quorlix
