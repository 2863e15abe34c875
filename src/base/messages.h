// Every text that the converter, the supervisor and the command line show a
// user, in one place. A text that is completed by a name is split where the
// name goes; the callers assemble full messages (program name, file, line,
// trailer) from the pieces.
#pragma once

#include <string_view>

namespace quorlix::messages {

inline constexpr const char* program_name = "quorlix";

// The two forms of "insufficient memory": the fatal error of a file, and the
// error of a run or of a converter process before its file.
inline constexpr const char* insufficient_memory = "Insufficient memory";
inline constexpr const char* no_memory = "insufficient memory";

// After the program name: the head of an error outside a file's conversion.
inline constexpr const char* error_head = ": Error: ";
inline constexpr const char* internal_error_head = ": Internal error";
// Between a file name and the text of its error or warning.
inline constexpr const char* line_head = "(line ";
inline constexpr const char* error_after_name = ":\nError: ";
inline constexpr const char* warning_after_line = "):\nWarning: ";

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

// A DOCTYPE internal subset that HTML5 cannot take over, around what it
// holds (one of the subset_ texts, some completed by a name).
inline constexpr const char* internal_subset_1 = "The DOCTYPE's internal subset holds ";
inline constexpr const char* internal_subset_2 =
    ", which HTML5 cannot take over; the page is left as it is";
inline constexpr const char* subset_parameter_entity = "the parameter entity %";
inline constexpr const char* subset_parameter_reference = "a reference to the parameter entity %";
inline constexpr const char* subset_external_entity = "the external entity ";
inline constexpr const char* subset_markup_value = "markup in the value of the entity ";
inline constexpr const char* subset_reference_value = "a reference in the value of the entity ";
inline constexpr const char* subset_declaration_1 = "an <!";
inline constexpr const char* subset_declaration_2 = " declaration";
inline constexpr const char* subset_instruction = "a processing instruction";
inline constexpr const char* subset_unreadable = "text that is no declaration: ";

// A class name of the page that generated classes would take too, around the
// name.
inline constexpr const char* class_in_use_1 = "Class name ";
inline constexpr const char* class_in_use_2 =
    " is already used in the page; choose another prefix with --class-prefix";

// Message heads completed by an attribute or element name.
inline constexpr const char* percent_value = "Unable to convert % values for ";
inline constexpr const char* asterisk_units = "Unable to convert * (asterisk) units for ";
inline constexpr const char* invalid_attribute = "Invalid attribute: ";
inline constexpr const char* quote_mismatch = "Mismatched or missing quotation mark for ";
inline constexpr const char* bad_value = "Missing or invalid value for ";
inline constexpr const char* quote_or_value = "Missing quotation mark or invalid value for ";
inline constexpr const char* frameset_size = "Too many rows or columns in <frameset>";
inline constexpr const char* unsupported_element = "Unsupported element: ";
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

// The errors of the file pipeline, after the program name and error_head;
// each ends with a line feed added by the diagnostics. The input name in
// output-directory mode has no file name: its own line feed and the added
// one leave a blank line after it.
inline constexpr const char* missing_filename = "missing filename in target.\n";
inline constexpr const char* same_file_1 =
    "source and destination filenames ultimately refer to the same file.\n"
    "If you want to overwrite the source, do not use the -o option.\nSkipping ";
inline constexpr const char* same_file_2 = ".";
inline constexpr const char* cannot_create_temporary = "cannot create temporary filename for ";
inline constexpr const char* cannot_open = "cannot open ";
inline constexpr const char* cannot_read = "cannot read ";
inline constexpr const char* changed_while_converted =
    " changed while it was being converted\n"
    "It is left as it is now; the converted file was removed.";
inline constexpr const char* no_backup_1 = "unable to back up the existing ";
inline constexpr const char* no_backup_2 = " as\n";
inline constexpr const char* no_backup_3 = "\nYour original file, ";
inline constexpr const char* no_backup_4 = ", remains untouched.\nThe converted file is saved as ";
inline constexpr const char* no_backup_5 = ", which you can rename yourself.";
inline constexpr const char* no_rename = "unable to rename the output as ";
inline constexpr const char* no_rename_without_backup = "\nThe converted file can be found at ";
inline constexpr const char* no_rename_with_backup_1 =
    "\nAs such, you can find the original file (renamed, but otherwise untouched) at\n";
inline constexpr const char* no_rename_with_backup_2 = ", and its converted output at\n";
inline constexpr const char* no_rename_end = ".\nYou will have to rename it back to the correct name yourself.";
inline constexpr const char* is_a_directory = " is a directory, not a page";
inline constexpr const char* not_regular = " is not a regular file (a device, a pipe or a socket)";
inline constexpr const char* is_read_only = " is read-only";
inline constexpr const char* exists_read_only = " already exists and is read-only";
inline constexpr const char* backup_differs_1 = " already exists and differs from ";
inline constexpr const char* backup_differs_2 =
    ".\nIt may be an original, so it is kept and the page is not converted.\n"
    "Move it away, or convert without a backup, and run again.";

// The progress line of a page once it is converted; after a broken line a
// blank line follows.
inline constexpr const char* done = "Done.\n";
inline constexpr const char* done_after_break = "Done.\n\n";
// A page that --to-utf8 cannot transcode, around the byte, its place in the
// line, the declared label and the encoding browsers read it in.
inline constexpr const char* invalid_byte_1 = "Byte 0x";
inline constexpr const char* invalid_byte_2 = ", byte ";
inline constexpr const char* invalid_byte_3 = " of the line, is not valid in the declared encoding \"";
inline constexpr const char* encoding_read_as = " (read as ";
inline constexpr const char* cannot_transcode_1 = "The declared encoding \"";
inline constexpr const char* cannot_transcode_2 = "\" cannot be converted to UTF-8";
inline constexpr const char* progress_end = "... ";
inline constexpr const char* progress_arrow = " -> ";

// The restore of backups (--restore).
inline constexpr const char* restore_no_backup = "No backup, left as it is.\n";
inline constexpr const char* restored_from = "Restored from ";
inline constexpr const char* backup_is_directory = " is a directory, not a backup";
inline constexpr const char* cannot_put_back_1 = "cannot put ";
inline constexpr const char* cannot_put_back_2 = " back in place of ";

// The errors of <object> attributes and <param>, before object_text.
inline constexpr const char* object_attribute_1 = "The ";
inline constexpr const char* object_attribute_2 = " attribute of <object>\n";
inline constexpr const char* param_element = "The <param> element\n";

// Warnings, around the names they are completed with.
inline constexpr const char* charset_1 = "The \"";
inline constexpr const char* charset_2 =
    "\" charset specified in the <meta> tag is\n"
    "not valid for HTML5, since the latter only accepts UTF-8. Even if the resulting\n"
    "page displays correctly in a browser, it will not validate as error-free HTML5.\n";
inline constexpr const char* center_1 = "<";
inline constexpr const char* center_2 =
    "> encountered. The CSS replacement for this\n"
    "obsolete feature does not align child block elements as the original did,\n"
    "although it will align normal text correctly. If this is not acceptable,\n"
    "do not disable vendor-specific CSS.\n";
inline constexpr const char* name_to_id_1 = "The name attribute of <";
inline constexpr const char* name_to_id_2 =
    ">, no longer valid in HTML5, has been\n"
    "replaced with an id attribute of the same value. If you have any\n"
    "code (eg, JavaScript, CSS) that relies on the name attribute,\n"
    "modify it to use an id instead.\n";
inline constexpr const char* replaced_1 = "<";
inline constexpr const char* replaced_2 = "> (no longer valid in HTML5) has been replaced with <";
inline constexpr const char* replaced_3 =
    ">.\nBe sure to update any code (eg, CSS, JavaScript) that depends on that element\n"
    "being a <";
inline constexpr const char* replaced_4 = ">.\n";
inline constexpr const char* frame_attribute_1 = "The ";
inline constexpr const char* frame_attribute_2 = " attribute of <";
inline constexpr const char* frame_attribute_3 =
    "> (now obsolete) was deleted,\n"
    "but not replaced with CSS because the equivalent CSS rule needs to be added\n"
    "to all child pages loaded by <";
inline constexpr const char* frame_attribute_4 =
    " src=\"...\"> and not the current\n"
    "page. You will have to add the CSS rule yourself, if needed.\n";

// The log of a run.
inline constexpr const char* banner_start = "\n---\n\n";
inline constexpr const char* product_banner_name = "Quorlix 1.0.0";
inline constexpr const char* banner_end = "\nXHTML 1.0 to HTML5 conversion\n\n";
inline constexpr const char* interrupted = "*** Interrupted by user. Aborting now.\n";
inline constexpr const char* skipped_directory = " (directory)... Skipped excluded directory\n";
inline constexpr const char* skipped_link = " (link)... Skipped symbolic link\n";
inline constexpr const char* too_deep = "Error: directory is too deep: ";
inline constexpr const char* run_error = "Error: ";
inline constexpr const char* same_target_1 = " would be written to ";
inline constexpr const char* same_target_2 =
    ",\nwhere another file of this run was written; it is skipped.\n";
inline constexpr const char* summary_converted = "Converted";
inline constexpr const char* summary_restored = "Restored";
inline constexpr const char* summary_skipped = ". Skipped: ";
inline constexpr const char* summary_failed = ". Failed: ";
inline constexpr const char* summary_total = ". Total: ";
inline constexpr const char* summary_of = " of ";

// The launch of converter processes, in the log.
inline constexpr const char* cannot_create_block = "failed to create process";
inline constexpr const char* filename_too_long = "Error: filename is too long\n";
inline constexpr const char* output_dir_too_long = "Error: output directory is too long\n";
inline constexpr const char* no_pipe = "Error: unable to obtain required handle\n";
inline constexpr const char* no_process = "Error: unable to create process\n";
inline constexpr const char* no_redirect = "Error: unable to map handle to internal resources\n";
// A converter that neither finished nor failed by itself (killed, crashed)
// has said nothing about it; the status follows.
inline constexpr const char* ended_abnormally = "Error: the converter process ended abnormally, status ";

// The command line: usage errors, after "quorlix: " (each is followed by a
// line feed and cli_try_help).
inline constexpr const char* cli_unknown_option = "unknown option '";
inline constexpr const char* cli_option = "option ";
inline constexpr const char* cli_needs_value = " needs a value";
inline constexpr const char* cli_takes_no_value = " takes no value";
inline constexpr const char* cli_ambiguous = " is ambiguous; it may be ";
inline constexpr const char* cli_empty_output_dir = "the output directory is empty";
inline constexpr const char* cli_bad_jobs_1 = "the number of jobs must be a number from 1 to ";
inline constexpr const char* cli_bad_jobs_2 = ", not '";
inline constexpr const char* cli_empty_file_list = "the file list is empty";
inline constexpr const char* cli_bad_prefix_1 = "invalid class prefix '";
inline constexpr const char* cli_bad_prefix_2 = "': give 1 to ";
inline constexpr const char* cli_bad_prefix_3 =
    " ASCII letters, digits, '-' or '_', not starting with a digit, '--' or '-' and a digit";
inline constexpr const char* cli_unknown_warning_1 = "unknown warning '";
inline constexpr const char* cli_unknown_warning_2 = "' for --no-warn";
inline constexpr const char* cli_second_site = "only one --site can be given";
inline constexpr const char* cli_empty_site = "the website directory is empty";
inline constexpr const char* cli_empty_extension = "an extension is empty";
inline constexpr const char* cli_empty_exclude = "an excluded directory is empty";
inline constexpr const char* cli_null_alone = "--null needs --files-from";
inline constexpr const char* cli_filter_alone =
    "'-' (a page from standard input) goes alone, without other files, --site, "
    "--files-from, --restore or --output-dir";
inline constexpr const char* cli_restore_output_dir =
    "--restore puts backups back in place and cannot be used with --output-dir";
inline constexpr const char* cli_files_and_site = "give either files or --site, not both";
inline constexpr const char* cli_site_options_alone = "--ext and --exclude need --site";
inline constexpr const char* cli_no_file = "no file to convert";

// The command line's own errors on standard error: printf formats with the
// program name in them.
inline constexpr const char* cli_try_help = "Try 'quorlix --help' for more information.\n";
inline constexpr const char* cli_usage_error = "quorlix: %s\n%s";
inline constexpr const char* cli_no_job = "quorlix: %s names no usable conversion job\n%s";
inline constexpr const char* cli_cannot_write_stdout = "quorlix: cannot write to standard output: %s\n";
inline constexpr const char* cli_cannot_read_stdin = "quorlix: cannot read standard input: %s\n";
inline constexpr const char* cli_cannot_read_list = "quorlix: cannot read the file list %s: %s\n";
inline constexpr const char* cli_output_dir_not_directory =
    "quorlix: the output directory %s exists and is not a directory\n%s";
inline constexpr const char* cli_output_dir_is_site =
    "quorlix: the output directory is the website directory itself\n%s";
inline constexpr const char* cli_cannot_create_output_dir =
    "quorlix: cannot create the output directory %s: %s\n";
inline constexpr const char* cli_no_such_directory = "quorlix: no such directory: %s\n%s";
inline constexpr const char* cli_cannot_create_log = "quorlix: cannot create the log file %s: %s\n";
inline constexpr const char* cli_cannot_write_log =
    "quorlix: cannot write the log to %s: %s\nNo further page was started.\n";
inline constexpr const char* cli_log_file = "the log file ";
inline constexpr const char* cli_standard_output = "standard output";

// --help. The longest class prefix (max_class_prefix_length in
// base/options.h) is written out in it.
inline constexpr const char* cli_usage =
    "Usage: quorlix [OPTIONS] FILE...\n"
    "       quorlix [OPTIONS] --site DIR\n"
    "Convert XHTML 1.0 pages to HTML5, in place. Each original is kept as FILE.bak.\n"
    "\n"
    "      --site DIR           convert every matching file of the website tree DIR\n"
    "  -e, --ext EXT            extension to convert in website mode, without the\n"
    "                           dot; repeatable (default: html)\n"
    "  -x, --exclude DIR        subdirectory not to enter, relative to the website\n"
    "                           directory or absolute; repeatable\n"
    "      --files-from LIST    convert the files named in LIST, one a line ('-':\n"
    "                           standard input), after any FILE\n"
    "  -0, --null               names in LIST end with a NUL byte, not a line feed\n"
    "  -j, --jobs N             convert N files at the same time (default: one per\n"
    "                           processor); the log is the same for every N\n"
    "  -o, --output-dir DIR     write converted files into DIR instead (with --site,\n"
    "                           each page keeps its path below DIR)\n"
    "      --no-backup          do not keep the unconverted file as FILE.bak\n"
    "      --delete-img-border  delete a redundant border=\"0\" on img instead of\n"
    "                           converting it\n"
    "      --delete-td-scope    delete scope on td instead of failing the file\n"
    "      --standard-css-only  leave out the vendor-prefixed CSS fallbacks\n"
    "      --share-classes      elements with identical generated CSS share one\n"
    "                           class\n"
    "      --author-css-wins    the page's own style sheets override the generated\n"
    "                           CSS, as they overrode the presentational attributes\n"
    "      --to-utf8            transcode a page declared in another encoding\n"
    "                           (ISO-8859-1, windows-1252, ...) to UTF-8\n"
    "      --move-viewport-meta move a viewport meta to the top of the head\n"
    "      --drop-prev-next-links  treat rel prev/next like other obsolete links\n"
    "      --class-prefix PREFIX   prefix of generated class names: letters,\n"
    "                           digits, '-' and '_' (default quorlix_, at most\n"
    "                           63 characters)\n"
    "      --no-warn KIND       switch one warning off: element-replaced,\n"
    "                           name-to-id, frame-attribute, center-alignment,\n"
    "                           charset, all\n"
    "      --force              convert pages that are HTML5 already (by default\n"
    "                           they are skipped, so a run can be run again)\n"
    "      --dry-run            convert and report as usual, but change nothing\n"
    "      --restore            put each FILE.bak back in place of FILE instead\n"
    "                           of converting (the undo of a run)\n"
    "  -q, --quiet              no progress lines and no summary\n"
    "      --log FILE           save the conversion log to FILE as well\n"
    "  -h, --help               show this help\n"
    "  -V, --version            show the version\n"
    "\n"
    "Ctrl-C stops the run after the file being converted; a second Ctrl-C ends\n"
    "the command at once (that file is still converted completely).\n"
    "Exit status: 0 when every file was converted (or skipped), 1 when a file\n"
    "failed, the run was interrupted or its log could not be written, 2 for a\n"
    "usage error. A file that cannot be converted faithfully is left exactly as\n"
    "it was.\n";

}  // namespace quorlix::messages
