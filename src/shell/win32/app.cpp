#include "shell/win32/app.h"

#include "converter/converter_entry.h"
#include "platform/process.h"
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

void show_error_box(HWND owner, const char* text) {
    ::MessageBoxA(owner, text, nullptr, MB_ICONERROR);
}

void show_out_of_memory_box(HWND owner) { show_error_box(owner, texts::insufficient_memory); }

namespace {

// Marks the running wizard process, and watches for later starts of the
// program: each one releases the semaphore, which wakes the watcher's
// thread. Ending the watcher stops its thread and waits for it.
class InstanceWatcher {
public:
    explicit InstanceWatcher(App& app) : app_(app) {}
    ~InstanceWatcher() {
        if (thread_) {
            ::SetEvent(stop_.get());
            ::WaitForSingleObject(thread_.get(), INFINITE);
        }
    }
    InstanceWatcher(const InstanceWatcher&) = delete;
    InstanceWatcher& operator=(const InstanceWatcher&) = delete;

    // 0 when this process may go on as the wizard process; -1 when it must
    // end (another one runs and was asked to come forward, or the semaphore
    // or the watcher thread could not be had, which has been reported).
    int claim() {
        std::string name = texts::instance_name;
        name.front() = '[';
        name.back() = ']';
        semaphore_.reset(::CreateSemaphoreA(nullptr, 0, 1, name.c_str()));
        if (!semaphore_) {
            show_error_box(nullptr, texts::no_resources);
            return -1;
        }
        if (::GetLastError() == ERROR_ALREADY_EXISTS) {
            // Wakes the other process's watcher.
            ::ReleaseSemaphore(semaphore_.get(), 1, nullptr);
            return -1;
        }
        stop_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!stop_) {
            show_error_box(nullptr, texts::no_resources);
            return -1;
        }
        thread_.reset(::CreateThread(nullptr, 0, watch, this, 0, nullptr));
        if (!thread_) {
            show_error_box(nullptr, texts::no_thread);
            return -1;
        }
        return 0;
    }

private:
    static DWORD WINAPI watch(void* parameter) {
        auto& self = *static_cast<InstanceWatcher*>(parameter);
        const HANDLE events[] = {self.stop_.get(), self.semaphore_.get()};
        while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            // A thread message would be lost while a modal window (the
            // wizard, a message box, About) runs its own message loop; a
            // message to the main window is dispatched by any loop. Before
            // the main window exists the main loop takes the thread message.
            HWND window = self.app_.main_window.load();
            if (window == nullptr || !::PostMessageA(window, MSG_SHOW_INSTANCE, 0, 0)) {
                ::PostThreadMessageA(self.app_.main_thread_id.load(), MSG_SHOW_INSTANCE, 0, 0);
            }
        }
        return 0;
    }

    App& app_;
    UniqueHandle semaphore_;
    UniqueHandle stop_;
    UniqueHandle thread_;
};

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

void bring_main_window_forward(const App& app) {
    HWND window = app.main_window.load();
    if (window == nullptr) return;
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(active_window_of(window));
}

int register_main_class(HINSTANCE instance) {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = ::DefDlgProcA;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = instance;
    window_class.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUORLIX));
    window_class.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = main_class_name;
    window_class.hIconSm = nullptr;
    return ::RegisterClassExA(&window_class) != 0 ? 0 : -1;
}

INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK help_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace

int run_main_window(App& app, int show_command) {
    app.main_thread_id = ::GetCurrentThreadId();
    if (register_main_class(app.instance) != 0) {
        show_error_box(nullptr, texts::no_class);
        return 1;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    ComApartment apartment;

    HWND window = ::CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                       main_dialog_proc, reinterpret_cast<LPARAM>(&app));
    if (window == nullptr) {
        show_error_box(nullptr, texts::no_main_window);
        ::UnregisterClassA(main_class_name, app.instance);
        return 1;
    }
    app.main_window = window;
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
            bring_main_window_forward(app);
            continue;
        }
        if (!::IsDialogMessageA(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    app.main_window = nullptr;
    ::UnregisterClassA(main_class_name, app.instance);
    return status;
}

int program_entry(HINSTANCE instance, const char* argument_text, int show_command) {
    App app;
    app.instance = instance;
    app.main_thread_id = ::GetCurrentThreadId();
    std::optional<std::string> path = platform::executable_path();
    if (!path && __argv != nullptr && __argc > 0 && __argv[0] != nullptr && *__argv[0] != '\0') {
        path = __argv[0];
    }
    if (!path) {
        show_error_box(nullptr, texts::unexpected_startup_error);
        return 1;
    }
    app.program_path = std::move(*path);

    if (auto handle_text = find_converter_argument(argument_text != nullptr ? argument_text : "")) {
        if (std::optional<int> status = run_converter_process(*handle_text)) return *status;
        // The block was refused or names no file: an ordinary start.
    }
    InstanceWatcher watcher(app);
    if (watcher.claim() != 0) return 1;
    return run_main_window(app, show_command);
}

namespace {

INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrA(window, DWLP_USER, lparam);
    auto* app = reinterpret_cast<App*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (app == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_CONVERT_WEBSITE:
        case IDC_CONVERT_FILE:
            if (run_wizard(app->instance, app->program_path, LOWORD(wparam), window) == -1) {
                show_error_box(window, texts::no_wizard);
            }
            break;
        case IDC_SHOW_ABOUT:
            ::DialogBoxParamA(app->instance, MAKEINTRESOURCEA(IDD_ABOUT), window, about_dialog_proc, 0);
            break;
        case IDC_SHOW_HELP:
            ::DialogBoxParamA(app->instance, MAKEINTRESOURCEA(IDD_HELP), window, help_dialog_proc,
                              reinterpret_cast<LPARAM>(&app->program_path));
            break;
        case IDC_EXIT:
            ::PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
        break;
    case MSG_SHOW_INSTANCE:
        bring_main_window_forward(*app);
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

}  // namespace

std::string documentation_path(const std::string& program_path) {
    std::size_t folder_end = program_path.find_last_of("\\/");
    return (folder_end == std::string::npos ? std::string() : program_path.substr(0, folder_end + 1)) +
           texts::documentation_file;
}

namespace {

// The dialog's lParam is the program's path.
INT_PTR CALLBACK help_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lparam);
        const auto& program_path = *reinterpret_cast<const std::string*>(lparam);
        ::SetDlgItemTextW(window, IDC_DOCUMENTATION_PATH,
                          platform::to_wide(documentation_path(program_path)).c_str());
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
        const auto& program_path =
            *reinterpret_cast<const std::string*>(::GetWindowLongPtrA(window, DWLP_USER));
        std::wstring path = platform::to_wide(documentation_path(program_path));
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

}  // namespace

}  // namespace quorlix::gui
