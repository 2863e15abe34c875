// The wizard process's start-up and main window: role selection, the single
// instance (a named semaphore and a watcher thread), the main window with
// its About and Help boxes, and the message loop of the window thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

namespace quorlix::gui {

// Asks the running wizard process to bring its main window forward; posted
// by the instance watcher.
inline constexpr UINT MSG_SHOW_INSTANCE = WM_APP + 1;

inline constexpr const char* main_class_name = "QuorlixW";

// The wizard process: made by program_entry (or by a test that runs the
// window thread itself) and handed to the main window as its dialog
// parameter, which keeps its address in DWLP_USER. The instance watcher's
// thread reads the two atomics.
struct App {
    // The program's module: dialogs and the icon are loaded from it.
    HINSTANCE instance = nullptr;
    // The executable that conversion runs start as their converter processes.
    std::string program_path;
    // The window thread, where the instance watcher's message goes.
    std::atomic<DWORD> main_thread_id{0};
    // The main window (dialog 100) while it exists.
    std::atomic<HWND> main_window{nullptr};
};

// An error box without title (the system's own) with the error icon.
void show_error_box(HWND owner, const char* text);
void show_out_of_memory_box(HWND owner);

// The whole program: the converter role when the argument text asks for it
// and its settings block is usable, the wizard process otherwise. Returns
// the exit status.
int program_entry(HINSTANCE instance, const char* argument_text, int show_command);

// The window thread from the main window class on: registers it, creates
// and shows the main window and runs the message loop until the window is
// destroyed. The calling thread becomes the window thread. Returns the exit
// status.
int run_main_window(App& app, int show_command);

// Where the Help box says the documentation is: README.md beside the program.
std::string documentation_path(const std::string& program_path);

}  // namespace quorlix::gui
