// Every text that the wizard process shows in a message box, a list or a
// file dialog, or writes into the conversion log itself, in one place. The dialog texts are in the
// dialog templates (resources/quorlix.rc).
#pragma once

namespace quorlix::gui::texts {

// Start-up
inline constexpr const char* unexpected_startup_error = "Unexpected startup error";
inline constexpr const char* no_resources = "Unable to obtain resources";
inline constexpr const char* no_thread = "Unable to create thread";
inline constexpr const char* no_class = "Unable to register class";
inline constexpr const char* no_main_window = "Unable to create main window";
inline constexpr const char* no_wizard = "Unable to create the conversion wizard";
inline constexpr const char* insufficient_memory = "Insufficient memory";

// The single-instance semaphore's name, bracketed at start-up.
inline constexpr const char* instance_name = " quorlix ";

// Wizard pages
inline constexpr const char* no_edit_control = "Unable to obtain handle of edit control";
inline constexpr const char* choose_directory = "Please choose a directory before continuing";
inline constexpr const char* directory_unreadable = "Unable to obtain directory from edit control";
inline constexpr const char* choose_file = "Please choose a file before continuing.";
inline constexpr const char* filename_unreadable = "Unable to obtain filename from edit field";
inline constexpr const char* select_directory_to_remove =
    "Select a directory from the list before clicking Remove";
inline constexpr const char* enter_extension =
    "Enter the extension into the empty field just above the \"Add\" button, before clicking "
    "the latter";
inline constexpr const char* extension_unreadable = "Unable to obtain extension from edit field";
inline constexpr const char* select_extension_to_remove =
    "Select an extension from the list before clicking Remove";
inline constexpr const char* add_extension = "Please add at least one extension before continuing";
inline constexpr const char* too_many_extensions = "Too many extensions";
// The extensions page's list starts with it.
inline constexpr const char* default_extension = "html";

// Browse dialogs
inline constexpr const char* choose_directory_title = "Choose a directory";
inline constexpr const char* choose_file_title = "Choose a file to convert";
// Filters: pairs of NUL-terminated name and pattern, ended by an empty name.
inline constexpr char file_filter[] = "All\0*.*\0Web pages\0*.html;*.shtml;*.htm\0";
inline constexpr char log_filter[] = "All\0*.*\0";
inline constexpr const char* save_log_title = "Save Log As";
inline constexpr const char* log_extension = "txt";

// Wizard headers
inline constexpr const char* website_header = "Convert an entire website";
inline constexpr const char* file_header = "Convert selected file only";

// The job summary on the log page
inline constexpr const char* summary_heading = "Summary of action to be taken:\r\n\r\n";
inline constexpr const char* summary_website = "Convert the website at:\r\n    ";
inline constexpr const char* summary_excluded = "Exclude these subdirectories:\r\n";
inline constexpr const char* summary_extensions =
    "Only convert files with the following extensions:\r\n";
inline constexpr const char* summary_file = "Convert the following file:\r\n    ";
inline constexpr const char* summary_entry = "    ";
inline constexpr const char* summary_line_end = "\r\n";
inline constexpr const char* summary_options = "Options:\r\n";
inline constexpr const char* summary_delete_img_border =
    "    Delete redundant border=\"0\" for <img>, instead of converting it to its CSS "
    "equivalent.\r\n";
inline constexpr const char* summary_delete_td_scope =
    "    Delete the scope attribute on <td>, instead of aborting with an error.\r\n";
inline constexpr const char* summary_no_backup =
    "    Don't save original file(s) with a \".bak\" extension.\r\n";
inline constexpr const char* summary_backup =
    "    Back up original file(s) with a \".bak\" extension\r\n ";
inline constexpr const char* summary_next = "\r\nClick the Next button to begin conversion\r\n";

// Log page
inline constexpr const char* finish = "&Finish";
inline constexpr const char* no_log_window = "Cannot get handle to log window.";
inline constexpr const char* log_unreadable = "Cannot get contents of log window.";
inline constexpr const char* log_too_long =
    "Log is too long. Please copy and paste its content manually.";
inline constexpr const char* log_write_error = "Error writing the log to the file";
inline constexpr const char* no_conversion = "Unable to start conversion";
// Written into the log when the run's worker runs out of memory.
inline constexpr const char* log_insufficient_memory = "Error: insufficient memory\r\n";

// Help box
inline constexpr const char* documentation_file = "README.md";
inline constexpr const char* no_documentation =
    "The documentation file README.md is not in the program's folder. It comes with "
    "the program's installer and its zip file.";

// About box
inline constexpr const char* licence =
    "Copyright (c) 2026 The Quorlix authors\r\n"
    "\r\n"
    "Permission is hereby granted, free of charge, to any person\r\n"
    "obtaining a copy of this software and associated documentation\r\n"
    "files (the \"Software\"), to deal in the Software without\r\n"
    "restriction, including without limitation the rights to use,\r\n"
    "copy, modify, merge, publish, distribute, sublicense, and/or sell\r\n"
    "copies of the Software, and to permit persons to whom the\r\n"
    "Software is furnished to do so, subject to the following\r\n"
    "conditions:\r\n"
    "\r\n"
    "The above copyright notice and this permission notice shall be\r\n"
    "included in all copies or substantial portions of the Software.\r\n"
    "\r\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND,\r\n"
    "EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES\r\n"
    "OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND\r\n"
    "NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT\r\n"
    "HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY,\r\n"
    "WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING\r\n"
    "FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR\r\n"
    "OTHER DEALINGS IN THE SOFTWARE.\r\n";

}  // namespace quorlix::gui::texts
