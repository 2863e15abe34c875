// The log page (the last page of both wizards): the job's summary, then the
// conversion run with its Abort button, and Save log once the run is over.
// The run's worker thread hands every piece of log text to the page with
// SendMessageA, so the window thread does all the appending.
#include "platform/files.h"
#include "shell/win32/app.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/texts.h"
#include "shell/win32/win_handles.h"
#include "shell/win32/wizard.h"
#include "supervisor/converter_launch.h"

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>

namespace quorlix::gui {

namespace {

// Messages of the worker thread to the log page.
constexpr UINT MSG_APPEND_TO_LOG = WM_APP + 2;  // lParam: NUL-terminated text
constexpr UINT MSG_RUN_OVER = WM_APP + 3;

// What the worker thread needs; its own copies, so that nothing it reads can
// change under it.
struct RunRequest {
    HWND log_page;
    ConversionJob job;
    ConversionOptions options;
    std::string program;
    // Set by Abort, looked at by the run before each file.
    std::shared_ptr<const AbortFlag> abort_requested;
};

// The run's log on the page. A CR at the end of a piece is held back until
// the next piece, so that a CR LF split between two reads of the pipe still
// reaches the edit control as one line break.
class LogPageSink final : public OutputSink {
public:
    explicit LogPageSink(HWND page) : page_(page) {}

    void write(std::string_view text) override {
        if (text.empty()) return;
        std::string piece;
        if (cr_pending_) piece += '\r';
        piece.append(text);
        cr_pending_ = piece.back() == '\r';
        if (cr_pending_) piece.pop_back();
        send(piece);
    }

    // The end of the run: whatever was held back.
    void finish() {
        if (cr_pending_) send("\r");
        cr_pending_ = false;
    }

private:
    void send(const std::string& piece) {
        if (piece.empty()) return;
        ::SendMessageA(page_, MSG_APPEND_TO_LOG, 0, reinterpret_cast<LPARAM>(piece.c_str()));
    }

    HWND page_;
    bool cr_pending_ = false;
};

DWORD WINAPI conversion_worker(void* parameter) {
    std::unique_ptr<RunRequest> request(static_cast<RunRequest*>(parameter));
    LogPageSink page_log(request->log_page);
    try {
        CrLfSink log(page_log);
        RunSettings settings;
        settings.verbose = request->options.verbose;
        settings.abort_flag = request->abort_requested.get();
        // One converter per processor; the log reads as one file after another.
        settings.jobs = platform::processor_count();
        perform_conversion_run(
            request->job, log, settings, [&]() -> Result<std::unique_ptr<FileConverter>> {
                return ConverterLauncher::prepare(request->options, request->program, settings.jobs);
            });
        page_log.finish();
    } catch (const std::bad_alloc&) {
        page_log.finish();
        ::SendMessageA(request->log_page, MSG_APPEND_TO_LOG, 0,
                       reinterpret_cast<LPARAM>(texts::log_insufficient_memory));
    }
    ::PostMessageA(request->log_page, MSG_RUN_OVER, 0, 0);
    return 0;
}

// The end of a run (or of one that could not start): Save log and Finish
// for the user, the focus on Finish. Cancel stays disabled.
void hand_wizard_back(HWND page, WizardState& state) {
    state.run_going_on = false;
    ::EnableWindow(::GetDlgItem(page, IDC_SAVE_LOG), TRUE);
    ::EnableWindow(::GetDlgItem(page, IDC_ABORT), FALSE);
    HWND sheet = ::GetParent(page);
    ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
    HWND finish = sheet != nullptr ? ::GetDlgItem(sheet, IDC_SHEET_FINISH) : nullptr;
    if (finish != nullptr) {
        ::PostMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(finish), TRUE);
    }
}

void start_conversion(HWND page, WizardState& state) {
    if (::GetDlgItem(page, IDC_LOG) == nullptr) {
        show_error_box(page, texts::no_log_window);
        hand_wizard_back(page, state);
        return;
    }
    std::unique_ptr<RunRequest> request;
    try {
        request.reset(new RunRequest{page, conversion_job(state.job), state.job.options, state.program,
                                     state.abort_requested});
    } catch (const std::bad_alloc&) {
        show_out_of_memory_box(page);
        hand_wizard_back(page, state);
        return;
    }
    UniqueHandle worker(::CreateThread(nullptr, 0, conversion_worker, request.get(), 0, nullptr));
    if (!worker) {
        show_error_box(page, texts::no_conversion);
        hand_wizard_back(page, state);
        return;
    }
    request.release();  // the worker owns it now
    state.run_going_on = true;
}

void begin_run(HWND page, WizardState& state) {
    HWND sheet = ::GetParent(page);
    ::SendMessageA(sheet, PSM_SETFINISHTEXT, 0, reinterpret_cast<LPARAM>(texts::finish));
    ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_DISABLEDFINISH);
    *state.abort_requested = 0;
    ::EnableWindow(::GetDlgItem(page, IDC_ABORT), TRUE);
    ::EnableWindow(::GetDlgItem(sheet, IDCANCEL), FALSE);
    start_conversion(page, state);
}

void show_summary(HWND page, const WizardJob& job) {
    HWND sheet = ::GetParent(page);
    set_wizard_buttons(page, PSWIZB_BACK | PSWIZB_NEXT);
    ::EnableWindow(::GetDlgItem(page, IDC_SAVE_LOG), FALSE);
    ::EnableWindow(::GetDlgItem(page, IDC_ABORT), FALSE);
    write_summary(page, job);
    if (HWND next = ::GetDlgItem(sheet, IDC_SHEET_NEXT)) {
        ::PostMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
}

void save_log(HWND page) {
    FileDialog dialog{texts::log_filter, 1, texts::save_log_title, texts::log_extension,
                      OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN};
    std::optional<std::string> file = choose_file(page, dialog, true);
    if (!file) return;
    if (const char* error = write_log_file(::GetDlgItem(page, IDC_LOG), file->c_str())) {
        show_error_box(page, error);
    }
}

}  // namespace

void append_to_log(HWND edit, const char* text) {
    // A click into the log moves the caret; the text goes after the end
    // whatever the user did.
    int end = ::GetWindowTextLengthA(edit);
    ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    ::SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

const char* write_log_file(HWND edit, const char* path) {
    if (edit == nullptr) return texts::no_log_window;
    int length = ::GetWindowTextLengthA(edit);
    if (length <= 0) return texts::log_unreadable;
    if (length == INT_MAX) return texts::log_too_long;
    std::string text;
    try {
        text.resize(static_cast<std::size_t>(length) + 1);
    } catch (const std::bad_alloc&) {
        return texts::insufficient_memory;
    }
    int got = ::GetWindowTextA(edit, text.data(), length + 1);
    if (got == 0) return texts::log_unreadable;
    text.resize(static_cast<std::size_t>(got));

    platform::OwnedStream file = platform::create_log_file(path);
    // Not silently: the user must not take the log for saved.
    if (!file) return texts::log_write_error;
    bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    // Closing flushes the last of the text; its failure loses it as well.
    if (std::fclose(file.release()) != 0) written = false;
    return written ? nullptr : texts::log_write_error;
}

INT_PTR CALLBACK log_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    WizardState* state = page_state(page, message, lparam);
    if (state == nullptr) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        state->run_going_on = false;
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
        case PSN_SETACTIVE:
            show_summary(page, state->job);
            return notification_result(page, 0);
        case PSN_WIZNEXT:
            begin_run(page, *state);
            return notification_result(page, -1);
        case PSN_QUERYCANCEL:
            // Escape and the close box ask too; no way out while files
            // are being converted.
            return notification_result(page, state->run_going_on ? TRUE : FALSE);
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_SAVE_LOG) {
            save_log(page);
        } else if (LOWORD(wparam) == IDC_ABORT) {
            *state->abort_requested = 1;
        }
        return TRUE;
    case MSG_APPEND_TO_LOG:
        append_to_log(::GetDlgItem(page, IDC_LOG), reinterpret_cast<const char*>(lparam));
        return TRUE;
    case MSG_RUN_OVER:
        hand_wizard_back(page, *state);
        return TRUE;
    }
    return FALSE;
}

}  // namespace quorlix::gui
