// The conversion wizard: a Wizard97 property sheet that collects one job (a
// website or a single file, and three options), shows its summary on the
// log page and runs it there.
#pragma once

#include "base/options.h"
#include "shell/win32/win_handles.h"
#include "supervisor/conversion_run.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::gui {

// The job of a wizard; pages store their part when Next is pressed on them.
struct WizardJob {
    std::optional<std::string> site_directory;  // website mode when set
    std::optional<std::string> single_file;     // file mode
    std::vector<std::string> extensions;        // without the dot, in list order
    std::vector<std::string> excluded_dirs;     // full paths, backslashes only
    ConversionOptions options;
};

// Everything one open wizard keeps: made afresh by run_wizard, which owns it
// until the property sheet closes. Each page finds it through its page
// record's lParam when it is created and keeps its address in DWLP_USER;
// the Options dialog gets the job's options the same way.
struct WizardState {
    HINSTANCE instance = nullptr;  // the module with the dialog templates
    std::string program;           // what the run starts as converter processes
    WizardJob job;

    // The excluded-directories page: the font its entries are measured
    // with, the widest entry so far plus margin, and the margin.
    UniqueFont list_font;
    int list_max_extent = 0;
    int list_extra_width = 0;

    // The log page. Abort sets the flag, which the run's worker thread
    // shares, so that it stays valid as long as the worker reads it.
    std::shared_ptr<AbortFlag> abort_requested = std::make_shared<AbortFlag>(0);
    // A run has been started and has not handed the wizard back yet.
    bool run_going_on = false;
};

// Opens the wizard for IDC_CONVERT_WEBSITE or IDC_CONVERT_FILE, owned by
// owner, with the dialogs of instance and program as the converter; returns
// when it is closed. -1 when it could not be created.
int run_wizard(HINSTANCE instance, const std::string& program, int button, HWND owner);

// The page's wizard state: at WM_INITDIALOG taken from the page record in
// lparam and kept in DWLP_USER, later read from there; null before.
WizardState* page_state(HWND page, UINT message, LPARAM lparam);

// Every slash becomes a backslash.
void to_backslashes(std::string& text);

// The run that the log page starts: the job as the conversion run takes it.
ConversionJob conversion_job(const WizardJob& wizard_job);

// The summary that the log page shows before the run, CR LF line ends.
std::string summary_text(const WizardJob& wizard_job);

// Empties the log page's edit control and fills it with the job's summary.
void write_summary(HWND log_page, const WizardJob& wizard_job);

// Appends text at the end of a multi-line edit control, wherever the user
// left the caret.
void append_to_log(HWND edit, const char* text);

// Writes the edit control's whole text to path, byte for byte: null, or the
// message to show.
const char* write_log_file(HWND edit, const char* path);

INT_PTR CALLBACK welcome_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK directory_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK excluded_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK extensions_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK file_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK log_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK options_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The common file dialog, to open (save false) or to save a file: the path
// chosen, or none when the user cancelled.
struct FileDialog {
    const char* filter;             // pairs of NUL-terminated name and pattern
    DWORD filter_index;             // the one preselected, from 1
    const char* title;
    const char* default_extension;  // added to a name typed without one; may be null
    DWORD flags;
};
std::optional<std::string> choose_file(HWND owner, const FileDialog& dialog, bool save);

// Helpers of the pages.
void set_wizard_buttons(HWND page, DWORD buttons);
INT_PTR notification_result(HWND page, LONG_PTR result);
// The text of a control; none when it cannot be read.
std::optional<std::string> control_text(HWND control);

}  // namespace quorlix::gui
