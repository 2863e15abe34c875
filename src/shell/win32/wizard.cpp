#include "shell/win32/wizard.h"

#include "platform/win32/wide_names.h"
#include "shell/win32/app.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/texts.h"
#include "shell/win32/win_handles.h"

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include <array>
#include <cstring>
#include <string_view>
#include <vector>
#include <new>

namespace quorlix::gui {

namespace {

static_assert(sizeof(PROPSHEETHEADERA) == 96, "the header with the Wizard97 bitmaps");

// The page record of the newest layout: the header's fields end with a
// header bitmap (unused here), which the system headers at hand lack.
struct WizardPage {
    PROPSHEETPAGEA page;
    HBITMAP header_bitmap;
};
static_assert(sizeof(WizardPage) == 104, "the page record with the header bitmap");

// What a page with one path field (the directory page and the file page)
// needs to know.
struct PathPage {
    int edit_id;
    const char* empty_message;
    const char* unreadable_message;
    std::optional<std::string> WizardJob::*target;
    void (*browse)(HWND page);
};

// The folder browser, showing root and what lies below it (everything
// when root is null): the chosen folder's path, or none.
std::optional<std::string> browse_for_folder(HWND owner, const ITEMIDLIST* root) {
    wchar_t display_name[MAX_PATH] = L"";
    std::wstring title = platform::to_wide(texts::choose_directory_title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.pszDisplayName = display_name;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    ItemList chosen(::SHBrowseForFolderW(&info));
    wchar_t path[MAX_PATH];
    if (!chosen || !::SHGetPathFromIDListW(chosen.get(), path)) return std::nullopt;
    return platform::to_utf8(path);
}

// Shows a UTF-8 text in a control.
void set_control_text(HWND page, int id, const std::string& text) {
    ::SetDlgItemTextW(page, id, platform::to_wide(text).c_str());
}

void browse_for_directory(HWND page) {
    if (auto path = browse_for_folder(page, nullptr)) {
        set_control_text(page, IDC_DIRECTORY, *path);
    }
}

void browse_for_file(HWND page) {
    FileDialog dialog{texts::file_filter, 2, texts::choose_file_title, nullptr,
                      OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST};
    if (auto file = choose_file(page, dialog, false)) set_control_text(page, IDC_FILE, *file);
}

const PathPage directory_page{IDC_DIRECTORY, texts::choose_directory, texts::directory_unreadable,
                              &WizardJob::site_directory, browse_for_directory};
const PathPage file_page{IDC_FILE, texts::choose_file, texts::filename_unreadable,
                         &WizardJob::single_file, browse_for_file};

void update_path_buttons(const PathPage& field, HWND page) {
    HWND edit = ::GetDlgItem(page, field.edit_id);
    bool has_text = edit != nullptr && ::GetWindowTextLengthA(edit) > 0;
    set_wizard_buttons(page, has_text ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

// Next on a path page: the text as typed becomes the job's path.
bool store_path(const PathPage& field, HWND page, WizardJob& job) {
    HWND edit = ::GetDlgItem(page, field.edit_id);
    if (edit == nullptr) {
        show_error_box(page, texts::no_edit_control);
        return false;
    }
    if (::GetWindowTextLengthA(edit) <= 0) {
        show_error_box(page, field.empty_message);
        return false;
    }
    try {
        std::optional<std::string> text = control_text(edit);
        if (!text) {
            show_error_box(page, field.unreadable_message);
            return false;
        }
        job.*field.target = std::move(*text);
    } catch (const std::bad_alloc&) {
        show_out_of_memory_box(page);
        return false;
    }
    return true;
}

INT_PTR path_page_proc(const PathPage& field, HWND page, UINT message, WPARAM wparam,
                       LPARAM lparam) {
    WizardState* state = page_state(page, message, lparam);
    if (state == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == field.edit_id && HIWORD(wparam) == EN_CHANGE) {
            update_path_buttons(field, page);
        } else if (LOWORD(wparam) == IDC_BROWSE) {
            field.browse(page);
        } else if (LOWORD(wparam) == IDC_OPTIONS) {
            ::DialogBoxParamA(state->instance, MAKEINTRESOURCEA(IDD_OPTIONS), page,
                              options_dialog_proc, reinterpret_cast<LPARAM>(&state->job.options));
        }
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
        case PSN_SETACTIVE:
            update_path_buttons(field, page);
            return notification_result(page, 0);
        case PSN_WIZNEXT:
            return notification_result(page, store_path(field, page, state->job) ? 0 : -1);
        }
        break;
    }
    return FALSE;
}

void add_excluded_directory(HWND page, WizardState& state) {
    ItemList root;
    if (state.job.site_directory) {
        std::wstring wide = platform::to_wide(*state.job.site_directory);
        ITEMIDLIST* list = nullptr;
        if (!wide.empty() && SUCCEEDED(::SHILCreateFromPath(wide.c_str(), &list, nullptr))) {
            root.reset(list);
        }
    }
    std::optional<std::string> path = browse_for_folder(page, root.get());
    if (!path) return;

    HWND list = ::GetDlgItem(page, IDC_EXCLUDED_LIST);
    std::wstring entry = platform::to_wide(*path);
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    // Widen the scrolling range so that the longest entry can be read.
    ScreenDc dc;
    if (dc.get() == nullptr) return;
    SelectedObject font(dc.get(), state.list_font.get());
    SIZE size{};
    if (::GetTextExtentPoint32W(dc.get(), entry.c_str(), static_cast<int>(entry.size()), &size)) {
        int width = size.cx + state.list_extra_width;
        if (width > state.list_max_extent) {
            state.list_max_extent = width;
            ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
        }
    }
}

void start_excluded_page(WizardState& state) {
    state.list_extra_width = ::GetSystemMetrics(SM_CXVSCROLL);
    ScreenDc dc;
    int pixels_per_inch = 96;
    if (dc.get() != nullptr) {
        TEXTMETRICA metrics{};
        if (::GetTextMetricsA(dc.get(), &metrics)) state.list_extra_width += metrics.tmMaxCharWidth;
        pixels_per_inch = ::GetDeviceCaps(dc.get(), LOGPIXELSY);
    }
    state.list_font.reset(::CreateFontA(-::MulDiv(8, pixels_per_inch, 72), 0, 0, 0, FW_NORMAL, 0, 0,
                                        0, 0, 0, 0, 0, 0, "MS Shell Dlg"));
    state.list_max_extent = 0;
}

// The text of one list entry; none when its length cannot be read.
std::optional<std::string> list_entry(HWND list, int index) {
    LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(text.data()));
    if (got == LB_ERR) return std::nullopt;
    text.resize(static_cast<std::size_t>(got));
    return platform::to_utf8(text);
}

int list_count(HWND list) {
    if (list == nullptr) return 0;
    LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

bool store_excluded_directories(HWND page, WizardJob& job) {
    job.excluded_dirs.clear();
    HWND list = ::GetDlgItem(page, IDC_EXCLUDED_LIST);
    try {
        for (int i = 0, count = list_count(list); i < count; ++i) {
            std::optional<std::string> entry = list_entry(list, i);
            if (!entry) continue;
            while (!entry->empty() && (entry->back() == '/' || entry->back() == '\\')) {
                entry->pop_back();
            }
            to_backslashes(*entry);
            job.excluded_dirs.push_back(std::move(*entry));
        }
    } catch (const std::bad_alloc&) {
        show_out_of_memory_box(page);
        return false;
    }
    return true;
}

void remove_selected(HWND page, int list_id, const char* message) {
    HWND list = ::GetDlgItem(page, list_id);
    LRESULT selected = list != nullptr ? ::SendMessageA(list, LB_GETCURSEL, 0, 0) : LB_ERR;
    if (selected == LB_ERR) {
        show_error_box(page, message);
        return;
    }
    ::SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
}

void update_extension_buttons(HWND page) {
    bool any = list_count(::GetDlgItem(page, IDC_EXTENSION_LIST)) > 0;
    set_wizard_buttons(page, any ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

void add_extension(HWND page) {
    HWND edit = ::GetDlgItem(page, IDC_EXTENSION);
    if (edit == nullptr) {
        show_error_box(page, texts::no_edit_control);
        return;
    }
    if (::GetWindowTextLengthA(edit) <= 0) {
        show_error_box(page, texts::enter_extension);
        return;
    }
    try {
        if (std::optional<std::string> text = control_text(edit)) {
            std::wstring entry = platform::to_wide(*text);
            ::SendDlgItemMessageW(page, IDC_EXTENSION_LIST, LB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(entry.c_str()));
        } else {
            show_error_box(page, texts::extension_unreadable);
        }
    } catch (const std::bad_alloc&) {
        show_out_of_memory_box(page);
    }
    ::SetWindowTextA(edit, "");
    update_extension_buttons(page);
}

bool store_extensions(HWND page, WizardJob& job) {
    job.extensions.clear();
    HWND list = ::GetDlgItem(page, IDC_EXTENSION_LIST);
    int count = list_count(list);
    if (count <= 0) {
        show_error_box(page, texts::add_extension);
        return false;
    }
    if (static_cast<std::size_t>(count) > job.extensions.max_size()) {
        show_error_box(page, texts::too_many_extensions);
        return false;
    }
    try {
        job.extensions.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            if (std::optional<std::string> entry = list_entry(list, i)) {
                job.extensions.push_back(std::move(*entry));
            }
        }
    } catch (const std::bad_alloc&) {
        job.extensions.clear();
        show_out_of_memory_box(page);
        return false;
    }
    return true;
}

}  // namespace

void to_backslashes(std::string& text) {
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
}

int run_wizard(HINSTANCE instance, const std::string& program, int button, HWND owner) {
    struct PageTemplate {
        int dialog;
        DLGPROC procedure;
    };
    static constexpr std::array<PageTemplate, 5> website_pages{{
        {IDD_WELCOME_PAGE, welcome_page_proc},
        {IDD_DIRECTORY_PAGE, directory_page_proc},
        {IDD_EXCLUDED_PAGE, excluded_page_proc},
        {IDD_EXTENSIONS_PAGE, extensions_page_proc},
        {IDD_LOG_PAGE, log_page_proc},
    }};
    static constexpr std::array<PageTemplate, 3> file_pages{{
        {IDD_WELCOME_PAGE, welcome_page_proc},
        {IDD_FILE_PAGE, file_page_proc},
        {IDD_LOG_PAGE, log_page_proc},
    }};

    WizardState state;
    state.instance = instance;
    state.program = program;
    bool website = button == IDC_CONVERT_WEBSITE;
    const PageTemplate* templates = website ? website_pages.data() : file_pages.data();
    std::size_t count = website ? website_pages.size() : file_pages.size();
    const char* header_title = website ? texts::website_header : texts::file_header;

    std::array<WizardPage, 5> pages{};
    for (std::size_t i = 0; i < count; ++i) {
        PROPSHEETPAGEA& page = pages[i].page;
        page.dwSize = sizeof(WizardPage);
        page.dwFlags = PSP_USEHEADERTITLE;
        page.hInstance = instance;
        page.pszTemplate = MAKEINTRESOURCEA(templates[i].dialog);
        page.pfnDlgProc = templates[i].procedure;
        page.lParam = reinterpret_cast<LPARAM>(&state);
        page.pszHeaderTitle = header_title;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD97 | PSH_PROPSHEETPAGE;
    header.hwndParent = owner;
    header.hInstance = instance;
    header.nPages = static_cast<UINT>(count);
    header.nStartPage = 0;
    // The pages follow each other at their dwSize.
    header.ppsp = &pages[0].page;
    return ::PropertySheetA(&header) == -1 ? -1 : 0;
}

std::optional<std::string> choose_file(HWND owner, const FileDialog& what, bool save) {
    // The filter's NUL-terminated strings end with an empty one.
    const char* filter_end = what.filter;
    while (*filter_end != '\0') filter_end += std::strlen(filter_end) + 1;
    std::wstring wide_filter = platform::to_wide(
        std::string_view(what.filter, static_cast<std::size_t>(filter_end - what.filter)));
    wide_filter.push_back(L'\0');
    std::wstring title = platform::to_wide(what.title);
    std::wstring extension =
        what.default_extension != nullptr ? platform::to_wide(what.default_extension) : L"";
    // The name may be as long as the system allows; the settings block
    // refuses what it cannot carry, with its own message.
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    static_assert(sizeof dialog == 152);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = wide_filter.c_str();
    dialog.nFilterIndex = what.filter_index;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = what.default_extension != nullptr ? extension.c_str() : nullptr;
    dialog.Flags = what.flags;
    bool chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen) return std::nullopt;
    return platform::to_utf8(file.data());
}

void set_wizard_buttons(HWND page, DWORD buttons) {
    ::PostMessageA(::GetParent(page), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

WizardState* page_state(HWND page, UINT message, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        LPARAM state = reinterpret_cast<const PROPSHEETPAGEA*>(lparam)->lParam;
        ::SetWindowLongPtrA(page, DWLP_USER, state);
        return reinterpret_cast<WizardState*>(state);
    }
    return reinterpret_cast<WizardState*>(::GetWindowLongPtrA(page, DWLP_USER));
}

INT_PTR notification_result(HWND page, LONG_PTR result) {
    ::SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

std::optional<std::string> control_text(HWND control) {
    int length = ::GetWindowTextLengthW(control);
    if (length < 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(control, text.data(), length + 1);
    if (got == 0 && length > 0) return std::nullopt;
    text.resize(static_cast<std::size_t>(got));
    return platform::to_utf8(text);
}

INT_PTR CALLBACK welcome_page_proc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == PSN_SETACTIVE) {
        set_wizard_buttons(page, PSWIZB_NEXT);
        return notification_result(page, 0);
    }
    return FALSE;
}

INT_PTR CALLBACK directory_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    return path_page_proc(directory_page, page, message, wparam, lparam);
}

INT_PTR CALLBACK file_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    return path_page_proc(file_page, page, message, wparam, lparam);
}

INT_PTR CALLBACK excluded_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    WizardState* state = page_state(page, message, lparam);
    if (state == nullptr) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        start_excluded_page(*state);
        return TRUE;
    case WM_DESTROY:
        state->list_font.reset();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_ADD) {
            add_excluded_directory(page, *state);
        } else if (LOWORD(wparam) == IDC_REMOVE) {
            remove_selected(page, IDC_EXCLUDED_LIST, texts::select_directory_to_remove);
        }
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
        case PSN_SETACTIVE:
            set_wizard_buttons(page, PSWIZB_BACK | PSWIZB_NEXT);
            return notification_result(page, 0);
        case PSN_WIZNEXT:
            return notification_result(page, store_excluded_directories(page, state->job) ? 0 : -1);
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK extensions_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    WizardState* state = page_state(page, message, lparam);
    if (state == nullptr) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        ::SendDlgItemMessageA(page, IDC_EXTENSION_LIST, LB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(texts::default_extension));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_ADD) {
            add_extension(page);
        } else if (LOWORD(wparam) == IDC_REMOVE) {
            remove_selected(page, IDC_EXTENSION_LIST, texts::select_extension_to_remove);
            update_extension_buttons(page);
        }
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
        case PSN_SETACTIVE:
            update_extension_buttons(page);
            return notification_result(page, 0);
        case PSN_WIZNEXT:
            return notification_result(page, store_extensions(page, state->job) ? 0 : -1);
        }
        break;
    }
    return FALSE;
}

// The dialog's lParam is the job's options, which OK changes.
INT_PTR CALLBACK options_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    struct Box {
        int id;
        bool ConversionOptions::*field;
    };
    static constexpr Box boxes[] = {
        {IDC_DELETE_IMG_BORDER, &ConversionOptions::delete_img_border},
        {IDC_DELETE_TD_SCOPE, &ConversionOptions::delete_td_scope},
        {IDC_NO_BACKUP, &ConversionOptions::no_backup},
    };
    switch (message) {
    case WM_INITDIALOG: {
        const auto& options = *reinterpret_cast<const ConversionOptions*>(lparam);
        ::SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        for (const Box& box : boxes) {
            ::CheckDlgButton(dialog, box.id, options.*box.field ? BST_CHECKED : BST_UNCHECKED);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            auto& options = *reinterpret_cast<ConversionOptions*>(::GetWindowLongPtrA(dialog, DWLP_USER));
            for (const Box& box : boxes) {
                options.*box.field = ::IsDlgButtonChecked(dialog, box.id) == BST_CHECKED;
            }
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

ConversionJob conversion_job(const WizardJob& wizard_job) {
    ConversionJob run;
    if (wizard_job.site_directory) {
        run.site_directory = *wizard_job.site_directory;
        run.extensions = wizard_job.extensions;
        run.excluded_dirs = wizard_job.excluded_dirs;
    } else if (wizard_job.single_file) {
        run.files.push_back(*wizard_job.single_file);
    }
    return run;
}

std::string summary_text(const WizardJob& wizard_job) {
    std::string text = texts::summary_heading;
    auto list = [&](const char* heading, const std::vector<std::string>& entries) {
        if (entries.empty()) return;
        text += heading;
        for (const std::string& entry : entries) {
            text += texts::summary_entry;
            text += entry;
            text += texts::summary_line_end;
        }
    };
    if (wizard_job.site_directory) {
        text += texts::summary_website;
        text += *wizard_job.site_directory;
        text += texts::summary_line_end;
        list(texts::summary_excluded, wizard_job.excluded_dirs);
        list(texts::summary_extensions, wizard_job.extensions);
    } else {
        text += texts::summary_file;
        text += wizard_job.single_file.value_or("");
        text += texts::summary_line_end;
    }
    text += texts::summary_options;
    const ConversionOptions& options = wizard_job.options;
    if (options.delete_img_border) text += texts::summary_delete_img_border;
    if (options.delete_td_scope) text += texts::summary_delete_td_scope;
    text += options.no_backup ? texts::summary_no_backup : texts::summary_backup;
    text += texts::summary_next;
    return text;
}

void write_summary(HWND log_page, const WizardJob& job) {
    HWND edit = ::GetDlgItem(log_page, IDC_LOG);
    if (edit == nullptr) return;
    ::SetWindowTextA(edit, "");
    ::SendMessageA(edit, EM_LIMITTEXT, 2147483646, 0);
    try {
        append_to_log(edit, summary_text(job).c_str());
    } catch (const std::bad_alloc&) {
        show_out_of_memory_box(log_page);
    }
}

}  // namespace quorlix::gui
