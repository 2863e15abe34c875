#include "base/diagnostics.h"

#include "base/messages.h"

namespace quorlix {

void FileSink::write(std::string_view text) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file_);
}

void FileSink::flush() { std::fflush(file_); }

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
        header += "(line " + std::to_string(line_source_()) + ")";
    }
    header += ":\nError: ";
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
    std::string text = "The ";
    text += attribute;
    text += " attribute of <object>\n";
    text += messages::object_text;
    errors_.write(text);
    abandon();
}

void Diagnostics::error_param_element() {
    error_header();
    errors_.write("The <param> element\n");
    errors_.write(messages::object_text);
    abandon();
}

void Diagnostics::startup_no_memory() {
    errors_.write(std::string(messages::program_name) + ": Error: insufficient memory\n");
    errors_.flush();
    throw FileAbandoned{};
}

void Diagnostics::startup_internal_error(std::string_view detail) {
    std::string text = std::string(messages::program_name) + ": Internal error";
    if (!detail.empty()) {
        text += ": ";
        text += detail;
    }
    text += "\n";
    errors_.write(text);
    errors_.flush();
    throw FileAbandoned{};
}

void Diagnostics::report_error(std::string_view message) {
    std::string text = std::string(messages::program_name) + ": Error: ";
    text += message;
    text += "\n";
    errors_.write(text);
}

void Diagnostics::warning_header() {
    end_progress_line();
    std::string header = messages::program_name;
    header += ": ";
    header += input_name_;
    header += "(line " + std::to_string(line_source_ ? line_source_() : 0) + "):\nWarning: ";
    errors_.write(header);
}

void Diagnostics::warning_charset(std::string_view charset) {
    if (!options_.warn_charset) return;
    warning_header();
    std::string text = "The \"";
    text += charset;
    text += "\" charset specified in the <meta> tag is\n"
            "not valid for HTML5, since the latter only accepts UTF-8. Even if the resulting\n"
            "page displays correctly in a browser, it will not validate as error-free HTML5.\n";
    errors_.write(text);
}

void Diagnostics::warning_center_alignment(std::string_view element) {
    if (!options_.warn_center_alignment || !options_.standard_css_only) return;
    warning_header();
    std::string text = "<";
    text += element;
    text += "> encountered. The CSS replacement for this\n"
            "obsolete feature does not align child block elements as the original did,\n"
            "although it will align normal text correctly. If this is not acceptable,\n"
            "do not disable vendor-specific CSS.\n";
    errors_.write(text);
}

void Diagnostics::warning_name_to_id(std::string_view element) {
    if (!options_.warn_name_to_id) return;
    warning_header();
    std::string text = "The name attribute of <";
    text += element;
    text += ">, no longer valid in HTML5, has been\n"
            "replaced with an id attribute of the same value. If you have any\n"
            "code (eg, JavaScript, CSS) that relies on the name attribute,\n"
            "modify it to use an id instead.\n";
    errors_.write(text);
}

void Diagnostics::warning_element_replaced(std::string_view old_element,
                                           std::string_view new_element) {
    if (!options_.warn_element_replaced) return;
    warning_header();
    std::string text = "<";
    text += old_element;
    text += "> (no longer valid in HTML5) has been replaced with <";
    text += new_element;
    text += ">.\nBe sure to update any code (eg, CSS, JavaScript) that depends on that element\n"
            "being a <";
    text += old_element;
    text += ">.\n";
    errors_.write(text);
}

void Diagnostics::warning_frame_attribute(std::string_view element, std::string_view attribute) {
    if (!options_.warn_frame_attribute) return;
    warning_header();
    std::string text = "The ";
    text += attribute;
    text += " attribute of <";
    text += element;
    text += "> (now obsolete) was deleted,\n"
            "but not replaced with CSS because the equivalent CSS rule needs to be added\n"
            "to all child pages loaded by <";
    text += element;
    text += " src=\"...\"> and not the current\n"
            "page. You will have to add the CSS rule yourself, if needed.\n";
    errors_.write(text);
}

}  // namespace quorlix
