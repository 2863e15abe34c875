// What the GUI scenarios and the screenshot driver share: the test's
// fixture with its watchdog, small websites on disk, and the wizard steps
// that several scenarios walk through.
#pragma once

#include "gui/gui_driver.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quorlix::gui_test {

namespace fs = std::filesystem;

// The installed program, for the tests that start it as a process.
const std::string& gui_program();

// A page that converts, and what it becomes.
inline const std::string good_page = "<p>page</p>\n";
inline const std::string converted_page = "<p>page</p>\r\n";

// Writes each (relative path, content) under root, making folders.
void make_files(const fs::path& root, const std::vector<std::pair<std::string, std::string>>& files);

// The path as the program sees it: a string with backslashes.
std::string native(const fs::path& path);

// The log page's edit control text once the run is over (Finish enabled).
std::string wait_for_run_end(const Session& session, HWND log_page);

// Walks the website wizard to the log page: the directory typed, the
// excluded directories chosen in the browser, the extensions added. Returns
// the log page.
struct WebsiteSteps {
    std::string directory;
    std::vector<std::string> excluded;       // full paths, chosen in the browser
    std::vector<std::string> add_extensions;
    std::vector<int> options;                // check boxes to tick in the Options dialog
};
HWND walk_website_wizard(const Session& session, const WebsiteSteps& steps,
                         const std::function<void(const char* name, HWND window)>& on_page = {});

// Opens the single-file wizard and goes on to its file page.
HWND open_file_page(const Session& session);

// Ends the wizard with one of its buttons (Finish or Cancel) and waits
// until it is gone.
void leave_wizard(const Session& session, HWND (*button)(HWND wizard));

// Ticks the given boxes of the Options dialog opened from page, then OK.
void set_options(const Session& session, HWND page, const std::vector<int>& boxes);

// The browse-for-folder dialog, waited for; choosing a folder in it.
HWND wait_for_folder_browser(const Session& session);
void choose_folder(HWND browser, const std::string& path);

// The fixture: a watchdog for every test.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace quorlix::gui_test
