// Every text that the converter shows a user, in one place. The diagnostics
// assemble them into full messages (program name, file, line, trailer).
#pragma once

namespace quorlix::messages {

inline constexpr const char* program_name = "quorlix";

// Trailer of every fatal error during a conversion.
inline constexpr const char* skipping_file = ".\nSkipping file, which was not modified.\n";

// Complete messages of fatal errors.
inline constexpr const char* not_xhtml = "Not an XHTML file";
inline constexpr const char* not_utf8 = "Non-UTF-8 files are not supported";
inline constexpr const char* read_error = "Read error or unexpected end of file";
inline constexpr const char* pointer_past_end = "Internal error: pointer past end of buffer";
inline constexpr const char* input_buffer_overflow = "Internal error: input buffer overflow";
inline constexpr const char* no_action_found = "Internal error: no action found";
inline constexpr const char* div_without_div = "</div> encountered without matching <div>";
inline constexpr const char* more_than_one_id = "More than one id specified";
inline constexpr const char* more_than_one_name = "More than one name attribute specified";
inline constexpr const char* name_id_differ = "The name and id attributes have different values";
inline constexpr const char* nested_form = "Nested <form> or missing </form> from previous form";
inline constexpr const char* form_without_form = "</form> encountered without matching <form>";
inline constexpr const char* usemap_on_input = "Unsupported: usemap attribute on input";
inline constexpr const char* too_many_classes = "Too many CSS classes had to be generated";
inline constexpr const char* frameset_without_frameset =
    "</frameset> encountered without matching <frameset>";
inline constexpr const char* frame_outside_frameset = "<frame> encountered outside a <frameset>";
inline constexpr const char* too_many_frames =
    "Number of <frame>/<frameset> elements exceed those specified in enclosing <frameset>";
inline constexpr const char* body_before_frameset = "<body> encountered before <frameset>";
inline constexpr const char* more_than_one_cols = "More than one cols specified";
inline constexpr const char* more_than_one_rows = "More than one rows specified";
inline constexpr const char* td_scope =
    "the scope attribute is invalid for\n<td> in HTML5. Either change <td> to <th> or "
    "enable/use the quorlix option\nto delete scope attributes on <td> elements";
inline constexpr const char* write_error = "Error writing to output file";
inline constexpr const char* missing_title = "Invalid XHTML 1.0: missing <title>...</title>";
inline constexpr const char* tables_too_deep = "Tables are nested too deep";
inline constexpr const char* tfoot_outside_table = "<tfoot> was encountered outside a <table>";
inline constexpr const char* tfoot_end_without_tfoot =
    "</tfoot> encountered without preceding <tfoot>";
inline constexpr const char* table_end_without_table =
    "</table> encountered without a matching <table>";

// Message heads completed by an attribute or element name.
inline constexpr const char* percent_value = "Unable to convert % values for ";
inline constexpr const char* asterisk_units = "Unable to convert * (asterisk) units for ";
inline constexpr const char* invalid_attribute = "Invalid attribute: ";
inline constexpr const char* quote_mismatch = "Mismatched or missing quotation mark for ";
inline constexpr const char* bad_value = "Missing or invalid value for ";
inline constexpr const char* quote_or_value = "Missing quotation mark or invalid value for ";
inline constexpr const char* frameset_size = "Too many rows or columns in <frameset>";
inline constexpr const char* unsupported_element = "Unsupported element: ";
inline constexpr const char* insufficient_memory = "Insufficient memory";
inline constexpr const char* internal_error = "Internal error: ";
inline constexpr const char* object_text =
    "is no longer valid in HTML5 but it cannot be automatically\n"
    "deleted because it may be needed by the script or plugin handling\n"
    "the enclosing <object>. You will need to update your script or\n"
    "plugin, and get the corresponding HTML5-compatible <object> code";

// Details of internal errors and memory errors.
inline constexpr const char* echo_stack_underflow = "echo stack underflow";
inline constexpr const char* echo_stack_overflow = "echo stack overflow";
inline constexpr const char* state_stack_underflow = "state stack underflow";
inline constexpr const char* null_pointer = "null pointer";
inline constexpr const char* negative_offset = "Computation error (negative offset)";
inline constexpr const char* empty_filename = "filename is an empty string";
inline constexpr const char* output_dir_overflow = "output directory buffer overflow";
inline constexpr const char* filename_overflow = "filename buffer overflow";
inline constexpr const char* to_allocate_styles = " to allocate styles";
inline constexpr const char* to_allocate_output = " to allocate output buffer";
inline constexpr const char* to_expand_output = " to expand output buffer";
inline constexpr const char* for_temporary_output = " for temporary output buffer";
inline constexpr const char* to_expand_temporary_output = " to expand temporary output buffer";

// The name of a page read from standard input, in messages.
inline constexpr const char* standard_input_name = "-";

// The progress line of a page that is HTML5 already, after its name.
inline constexpr const char* skipped_html5 = "... Skipped, already HTML5.\n";

// Errors of the file pipeline, printf formats with the program name first.
inline constexpr const char* missing_filename = "missing filename in target.\n";

}  // namespace quorlix::messages
