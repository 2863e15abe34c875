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

// The program's module: dialogs and the icon are loaded from it.
extern HINSTANCE app_instance;
// The window thread, where the instance watcher's message goes.
extern std::atomic<DWORD> main_thread_id;
// The executable that conversion runs start as their converter processes.
extern std::string program_path;
// The main window (dialog 100) while it exists; read by the watcher thread.
extern std::atomic<HWND> main_window;

// An error box without title (the system's own) with the error icon.
void show_error_box(HWND owner, const char* text);
void show_out_of_memory_box(HWND owner);

// The whole program: the converter role when the argument text asks for it
// and its settings block is usable, the wizard process otherwise. Returns
// the exit status.
int program_entry(HINSTANCE instance, const char* argument_text, int show_command);

// The executable's path; fallback when the system cannot give it.
std::optional<std::string> get_program_path(const char* fallback);

// 0 when this process may go on as the wizard process; -1 when it must end
// (another one runs and was asked to come forward, or the semaphore or the
// watcher thread could not be had, which has been reported).
int claim_single_instance();

void bring_main_window_forward();

int register_main_class();

// The window thread from the main window class on: registers it, creates
// and shows the main window and runs the message loop until the window is
// destroyed. The calling thread becomes the window thread. Returns the exit
// status.
int run_main_window(int show_command);

INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Where the Help box says the documentation is: README.md beside the program.
std::string documentation_path();

INT_PTR CALLBACK help_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace quorlix::gui
