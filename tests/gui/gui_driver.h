// Drives the wizard process's real dialogs from inside a test program: one
// thread runs the window thread of the application (its message loop, main
// window, wizard and dialogs), and the test's own thread finds the windows
// of that thread, reads their state and clicks, every step with a timeout.
// A watchdog ends the whole program when a test hangs.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorlix::gui_test {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

inline constexpr Duration step_timeout = 20s;

// A step that did not come about in time.
struct StepTimeout : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Polls until ready() holds; throws StepTimeout naming what was awaited.
void wait_until(const std::function<bool()>& ready, const std::string& what,
                Duration timeout = step_timeout);

std::string class_name(HWND window);
std::string text_of(HWND window);
// The control, or StepTimeout when the window has none of that id.
HWND control(HWND dialog, int id);
bool is_enabled(HWND window);
// A control of that class and id at any depth, or StepTimeout.
HWND descendant(HWND window, const std::string& class_name, int id);

// Sets a control's text (WM_SETTEXT: an edit control reports EN_CHANGE).
void set_text(HWND control, const std::string& text);
// A click that returns at once: the one to use when it opens a modal window.
void post_click(HWND button);
// Waits until the button is enabled, then posts the click.
void click_when_enabled(HWND button, const std::string& what);

// Top-level windows of a thread.
std::vector<HWND> thread_windows(DWORD thread);
// The window that has the keyboard focus in that thread.
HWND focus_of(DWORD thread);

// Entries of a list box, in list order.
std::vector<std::string> list_entries(HWND list);

// The window thread of the application, run by the test.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    DWORD thread_id() const;
    HWND main_window() const;

    // A top-level dialog (class #32770) of the window thread with that
    // title; waits for it.
    HWND dialog(const std::string& title, Duration timeout = step_timeout) const;
    // The dialog if one with that title is there now.
    HWND find_dialog(const std::string& title) const;

    // The wizard (its property sheet), waited for.
    HWND wizard() const;
    bool wizard_open() const;
    // Waits until the wizard's current page is the one that has control id
    // and returns that page.
    HWND page_with(int id) const;

    // Waits for an error message box, returns its text and closes it.
    std::string take_error_box() const;
    // True when no error box is open.
    bool no_error_box() const;

    // Ends the window thread: the main window is closed and the thread
    // waited for. The exit status of its message loop.
    int close();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    bool closed_ = false;
};

// The wizard buttons.
HWND next_button(HWND wizard);
HWND finish_button(HWND wizard);
HWND cancel_button(HWND wizard);
HWND back_button(HWND wizard);

// The window's picture as it is on the screen, as a 24-bit BMP file.
bool capture_window(HWND window, const std::string& bmp_path);

// Arms the watchdog: the program ends with status 3 and a list of its
// windows when it is not disarmed or rearmed within the limit.
void arm_watchdog(Duration limit);
void disarm_watchdog();

}  // namespace quorlix::gui_test
