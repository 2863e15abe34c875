#include "shell/win32/app.h"

#include "converter/converter_entry.h"
#include "platform/win32/wide_names.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/texts.h"
#include "shell/win32/win_handles.h"
#include "shell/win32/wizard.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace quorlix::gui {

HINSTANCE app_instance = nullptr;
std::atomic<DWORD> main_thread_id{0};
std::string program_path;
std::atomic<HWND> main_window{nullptr};

namespace {

// Marks the running wizard process. It lives as long as the process: the
// watcher thread waits on it until the end.
HANDLE instance_semaphore = nullptr;

DWORD WINAPI instance_watcher(void* parameter) {
    HANDLE semaphore = *static_cast<HANDLE*>(parameter);
    for (;;) {
        ::WaitForSingleObject(semaphore, INFINITE);
        // A thread message would be lost while a modal window (the wizard,
        // a message box, About) runs its own message loop; a message to the
        // main window is dispatched by any loop. Before the main window
        // exists the main loop takes the thread message.
        HWND window = main_window.load();
        if (window == nullptr || !::PostMessageA(window, MSG_SHOW_INSTANCE, 0, 0)) {
            ::PostThreadMessageA(main_thread_id.load(), MSG_SHOW_INSTANCE, 0, 0);
        }
    }
}

// The window that takes the user's input for the main window: a modal
// window open over it (the wizard, a dialog, a message box, the innermost
// when they nest), or the main window itself.
HWND active_window_of(HWND main) {
    struct Search {
        HWND main;
        HWND found = nullptr;
    } search{main};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (window == s.main || !::IsWindowVisible(window) || !::IsWindowEnabled(window)) {
                return TRUE;
            }
            for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr;
                 owner = ::GetWindow(owner, GW_OWNER)) {
                if (owner == s.main) {
                    s.found = window;
                    return FALSE;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr ? search.found : main;
}

}  // namespace

void show_error_box(HWND owner, const char* text) {
    ::MessageBoxA(owner, text, nullptr, MB_ICONERROR);
}

void show_out_of_memory_box(HWND owner) { show_error_box(owner, texts::insufficient_memory); }

std::optional<std::string> get_program_path(const char* fallback) {
    try {
        // In UTF-8, as every name inside the program.
        std::vector<wchar_t> buffer(32768);
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length != 0 && length < buffer.size()) {
            return platform::to_utf8(std::wstring_view(buffer.data(), length));
        }
        if (fallback != nullptr && *fallback != '\0') return std::string(fallback);
    } catch (const std::bad_alloc&) {
    }
    return std::nullopt;
}

int claim_single_instance() {
    std::string name = texts::instance_name;
    name.front() = '[';
    name.back() = ']';
    HANDLE semaphore = ::CreateSemaphoreA(nullptr, 0, 1, name.c_str());
    if (semaphore == nullptr) {
        show_error_box(nullptr, texts::no_resources);
        return -1;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Wakes the other process's watcher.
        ::ReleaseSemaphore(semaphore, 1, nullptr);
        ::CloseHandle(semaphore);
        return -1;
    }
    instance_semaphore = semaphore;
    UniqueHandle watcher(::CreateThread(nullptr, 0, instance_watcher, &instance_semaphore, 0, nullptr));
    if (!watcher) {
        show_error_box(nullptr, texts::no_thread);
        return -1;
    }
    return 0;
}

void bring_main_window_forward() {
    HWND window = main_window.load();
    if (window == nullptr) return;
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(active_window_of(window));
}

int register_main_class() {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = ::DefDlgProcA;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = app_instance;
    window_class.hIcon = ::LoadIconA(app_instance, MAKEINTRESOURCEA(IDI_QUORLIX));
    window_class.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = main_class_name;
    window_class.hIconSm = nullptr;
    return ::RegisterClassExA(&window_class) != 0 ? 0 : -1;
}

int run_main_window(int show_command) {
    main_thread_id = ::GetCurrentThreadId();
    if (register_main_class() != 0) {
        show_error_box(nullptr, texts::no_class);
        return 1;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    ComApartment apartment;

    HWND window = ::CreateDialogParamA(app_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                       main_dialog_proc, 0);
    if (window == nullptr) {
        show_error_box(nullptr, texts::no_main_window);
        ::UnregisterClassA(main_class_name, app_instance);
        return 1;
    }
    main_window = window;
    ::ShowWindow(window, show_command);

    MSG message;
    int status = 1;
    for (;;) {
        BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            status = static_cast<int>(message.wParam);
            break;
        }
        if (message.hwnd == nullptr && message.message == MSG_SHOW_INSTANCE) {
            bring_main_window_forward();
            continue;
        }
        if (!::IsDialogMessageA(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    main_window = nullptr;
    ::UnregisterClassA(main_class_name, app_instance);
    return status;
}

int program_entry(HINSTANCE instance, const char* argument_text, int show_command) {
    app_instance = instance;
    main_thread_id = ::GetCurrentThreadId();
    std::optional<std::string> path =
        get_program_path(__argv != nullptr && __argc > 0 ? __argv[0] : nullptr);
    if (!path) {
        show_error_box(nullptr, texts::unexpected_startup_error);
        return 1;
    }
    program_path = std::move(*path);

    if (auto handle_text = find_converter_argument(argument_text != nullptr ? argument_text : "")) {
        if (std::optional<int> status = run_converter_process(*handle_text)) return *status;
        // The block was refused or names no file: an ordinary start.
    }
    if (claim_single_instance() != 0) return 1;
    return run_main_window(show_command);
}

INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_CONVERT_WEBSITE:
        case IDC_CONVERT_FILE:
            if (run_wizard(LOWORD(wparam), window) == -1) show_error_box(window, texts::no_wizard);
            break;
        case IDC_SHOW_ABOUT:
            ::DialogBoxParamA(app_instance, MAKEINTRESOURCEA(IDD_ABOUT), window, about_dialog_proc, 0);
            break;
        case IDC_SHOW_HELP:
            ::DialogBoxParamA(app_instance, MAKEINTRESOURCEA(IDD_HELP), window, help_dialog_proc, 0);
            break;
        case IDC_EXIT:
            ::PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
        break;
    case MSG_SHOW_INSTANCE:
        bring_main_window_forward();
        break;
    case WM_CLOSE:
        ::DestroyWindow(window);
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK about_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ::SetDlgItemTextA(window, IDC_LICENCE, texts::licence);
        ::SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(window, IDOK)),
                       TRUE);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            ::EndDialog(window, LOWORD(wparam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

std::string documentation_path() {
    std::size_t folder_end = program_path.find_last_of("\\/");
    return (folder_end == std::string::npos ? std::string() : program_path.substr(0, folder_end + 1)) +
           texts::documentation_file;
}

INT_PTR CALLBACK help_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) {
        ::SetDlgItemTextW(window, IDC_DOCUMENTATION_PATH,
                          platform::to_wide(documentation_path()).c_str());
        // The focus on the button, not on the path (which it would select).
        ::SendMessageA(window, WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetDlgItem(window, IDC_OPEN_DOCUMENTATION)), TRUE);
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wparam)) {
    case IDOK:
    case IDCANCEL:
        ::EndDialog(window, LOWORD(wparam));
        return TRUE;
    case IDC_OPEN_DOCUMENTATION: {
        // A .md file has no program of its own on most systems; Notepad
        // shows it as the text it is.
        std::wstring path = platform::to_wide(documentation_path());
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            show_error_box(window, texts::no_documentation);
            return TRUE;
        }
        std::wstring quoted = L"\"" + path + L"\"";
        ::ShellExecuteW(window, L"open", L"notepad.exe", quoted.c_str(), nullptr, SW_SHOWNORMAL);
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace quorlix::gui
