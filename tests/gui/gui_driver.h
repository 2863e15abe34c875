// Drives the wizard process's real dialogs from inside a program (the GUI
// tests and the screenshot tool): one thread runs the application's window
// thread (its message loop, main window, wizard and dialogs), and the
// caller's thread finds the windows of that thread, reads their state and
// clicks, every step with a timeout. A watchdog ends the whole program when
// a step hangs. Texts go in and out as UTF-8.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorlix::gui_test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;
using WindowMatch = std::function<bool(HWND)>;

// A step that did not come about in time.
struct StepTimeout : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void wait_until(const std::function<bool()>& ready, const std::string& what, Duration timeout = 20s);

// The real quorlix.exe, the converter of the conversion runs.
const std::string& gui_program();

std::string class_name(HWND window);
std::string text_of(HWND window);
void set_text(HWND control, const std::string& text);
// The control, or StepTimeout when the window has none of that id.
HWND control(HWND dialog, int id);
bool is_enabled(HWND window);
// Returns at once: the click to use when it opens a modal window.
void post_click(HWND button);
void click_when_enabled(HWND button, const std::string& what);
void click_and_wait_closed(HWND button, HWND window, const std::string& what);
HWND focus_of(DWORD thread);
std::vector<std::string> list_entries(HWND list);
// A visible top-level window of any thread.
HWND wait_for_window(const WindowMatch& match, const std::string& what);

HWND next_button(HWND wizard);
HWND back_button(HWND wizard);
HWND finish_button(HWND wizard);
HWND cancel_button(HWND wizard);
HWND current_page(HWND wizard);

// The window thread of the application, run in this process.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    DWORD thread_id() const;
    HWND main_window() const;
    // A visible dialog (class #32770) of the window thread, waited for.
    HWND window(const WindowMatch& match, const std::string& what) const;
    HWND dialog(const std::string& title) const;
    HWND wizard() const;
    // The wizard's current page once it is the one that has control id.
    HWND page_with(int id) const;
    // The error message box's text; the box is closed.
    std::string take_error_box() const;
    bool no_error_box() const;
    // Closes the main window and waits for the window thread's exit status.
    int close();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

inline const std::string good_page = "<p>page</p>\n";
inline const std::string converted_page = "<p>page</p>\r\n";

// Writes each (relative path, content) under root, making folders.
void make_files(const fs::path& root, const std::vector<std::pair<std::string, std::string>>& files);
// UTF-8 with backslashes.
std::string native(const fs::path& path);

// Opens a wizard with the main window's button and presses Next until the
// page with control id shows (typing directory on the directory page).
HWND open_wizard_at(const Session& session, int button, int id, const std::string& directory = {});

// Walks the website wizard to its log page; on_page sees each window when
// it is ready.
struct WebsiteSteps {
    std::string directory;
    std::vector<std::string> excluded;  // full paths, chosen in the folder browser
    std::vector<std::string> add_extensions;
    std::vector<int> options;           // check boxes of the Options dialog
};
HWND walk_website_wizard(const Session& session, const WebsiteSteps& steps,
                         const std::function<void(const char* name, HWND window)>& on_page =
                             [](const char*, HWND) {});

// Ticks the given boxes of the Options dialog opened from page, then OK.
void set_options(const Session& session, HWND page, const std::vector<int>& boxes);
void choose_in_file_dialog(HWND dialog, const std::string& name);
// The log page's text once the run is over (Save log and Finish enabled).
std::string wait_for_run_end(const Session& session, HWND log_page);
void leave_wizard(const Session& session, HWND (*button)(HWND wizard));

// The program ends with status 3 and a list of its windows when the
// watchdog is not disarmed or rearmed within the limit.
void arm_watchdog(Duration limit);
void disarm_watchdog();

}  // namespace quorlix::gui_test
