// The wizard process driven through its real dialogs under Wine: the main
// window, both wizards end to end with real converter processes, Abort,
// Save log, the refusals of the pages, and a second start of the program.
#include "gui/gui_driver.h"

#include "platform/process.h"
#include "shell/win32/app.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/wizard.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace quorlix::gui_test {
namespace {

using testing::read_file;
using testing::ScratchDir;

// Every test under a watchdog: a hung dialog ends the program with a list
// of its windows instead of waiting for ctest's timeout.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override { arm_watchdog(150s); }
    void TearDown() override { disarm_watchdog(); }
};

const std::string banner = "\r\n---\r\n\r\nQuorlix 1.0.0\r\nXHTML 1.0 to HTML5 conversion\r\n\r\n";
const std::string summary_head = "Summary of action to be taken:\r\n\r\n";
const std::string backup_and_next =
    "    Back up original file(s) with a \".bak\" extension\r\n \r\nClick the Next button to begin conversion\r\n";

// Leaves the wizard with button; the window thread then ends cleanly, no
// error box shown.
void end_session(Session& session, HWND (*button)(HWND wizard)) {
    leave_wizard(session, button);
    EXPECT_TRUE(session.no_error_box());
    EXPECT_EQ(session.close(), 0);
}

// Opens the Options dialog from page and checks its boxes (img border, td
// scope, no backup); a click on a box and Cancel then change nothing.
void expect_options(const Session& session, HWND page, const std::vector<bool>& expected) {
    post_click(control(page, IDC_OPTIONS));
    HWND options = session.dialog("Options");
    std::vector<bool> checked;
    for (int box : {IDC_DELETE_IMG_BORDER, IDC_DELETE_TD_SCOPE, IDC_NO_BACKUP}) {
        checked.push_back(::IsDlgButtonChecked(options, box) == BST_CHECKED);
    }
    EXPECT_EQ(checked, expected);
    ::SendMessageA(control(options, IDC_DELETE_TD_SCOPE), BM_CLICK, 0, 0);
    click_and_wait_closed(control(options, IDCANCEL), options, "the Options dialog");
}

std::size_t count_of(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

TEST_F(GuiTest, WebsiteWizardConvertsASiteAndSavesItsLog) {
    ScratchDir scratch;
    const fs::path site = scratch.path() / "site";
    // guide.html needs the scope option: converted, it shows that the option
    // reached the converter processes. The excluded folder's name is too
    // long for its list, which must then scroll sideways (at 144 DPI too).
    const std::string wide = "a_directory_whose_name_is_long_enough_to_need_sideways_scrolling";
    make_files(site, {{"index.html", good_page},
                      {"page.htm", good_page},
                      {"notes.txt", good_page},
                      {"docs/picture.htm", "GIF89a...."},
                      {"docs/guide.html", "<table><tr><td scope=\"row\">x</td></tr></table>\n"},
                      {"docs/" + wide + "/kept.html", good_page}});
    const std::string dir = native(site);
    const std::string excluded = dir + "\\docs\\" + wide;

    Session session;
    auto check_excluded_list = [&](const char* name, HWND sheet) {
        if (std::string(name) != "website-3-excluded") return;
        HWND list = control(current_page(sheet), IDC_EXCLUDED_LIST);
        EXPECT_EQ(list_entries(list), std::vector<std::string>{excluded});
        RECT client{};
        ::GetClientRect(list, &client);
        EXPECT_GT(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right) << "no sideways scrolling";
    };
    HWND log_page =
        walk_website_wizard(session, {dir, {excluded}, {"htm"}, {IDC_DELETE_TD_SCOPE}}, check_excluded_list);
    HWND sheet = session.wizard();
    HWND log = control(log_page, IDC_LOG);

    const std::string summary = summary_head + "Convert the website at:\r\n    " + dir + "\r\n"
        "Exclude these subdirectories:\r\n    " + excluded + "\r\n"
        "Only convert files with the following extensions:\r\n    htm\r\n    html\r\n"
        "Options:\r\n"
        "    Delete the scope attribute on <td>, instead of aborting with an error.\r\n" + backup_and_next;
    EXPECT_EQ(text_of(log), summary);
    EXPECT_FALSE(is_enabled(control(log_page, IDC_SAVE_LOG)));
    EXPECT_FALSE(is_enabled(control(log_page, IDC_ABORT)));
    EXPECT_TRUE(is_enabled(cancel_button(sheet)));

    post_click(next_button(sheet));
    // A click into the log during the run moves the caret into the text;
    // what the run writes next must still go to the end.
    wait_until([&] { return text_of(log).find("page.htm... Done.") != std::string::npos; }, "the first file done");
    ::PostMessageA(log, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(log, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    const std::string picture = dir + "\\docs\\picture.htm";
    const std::string whole_log = summary + banner +
        dir + "\\page.htm... Done.\r\n" +
        dir + "\\index.html... Done.\r\n" +
        picture + "... \r\nquorlix: " + picture + ":\r\nError: Not an XHTML file.\r\n"
        "Skipping file, which was not modified.\r\n" +
        dir + "\\docs\\guide.html... Done.\r\n" +
        excluded + " (directory)... Skipped excluded directory\r\n"
        "Converted: 3. Failed: 1. Total: 4\r\n";
    EXPECT_EQ(wait_for_run_end(session, log_page), whole_log);

    HWND finish = finish_button(sheet);
    wait_until([&] { return focus_of(session.thread_id()) == finish; }, "the focus on Finish");
    EXPECT_FALSE(is_enabled(cancel_button(sheet)));
    EXPECT_FALSE(::IsWindowVisible(next_button(sheet)));
    EXPECT_FALSE(is_enabled(control(log_page, IDC_ABORT)));

    for (const auto& [name, content] : std::vector<std::pair<fs::path, std::string>>{
             {"page.htm", converted_page}, {"page.htm.bak", good_page}, {"index.html", converted_page},
             {"docs/guide.html", "<table><tr><td>x</td></tr></table>\r\n"}, {"docs/picture.htm", "GIF89a...."},
             {"notes.txt", good_page}, {fs::path("docs") / wide / "kept.html", good_page}}) {
        EXPECT_EQ(read_file(site / name), content) << name;
    }
    EXPECT_FALSE(fs::exists(site / "docs" / wide / "kept.html.bak"));

    // Save log, the name typed without an extension: the dialog adds
    // "txt", and the file holds the log byte for byte, CR LF and all.
    post_click(control(log_page, IDC_SAVE_LOG));
    choose_in_file_dialog(session.dialog("Save Log As"), native(scratch.path() / "saved"));
    const fs::path saved = scratch.path() / "saved.txt";
    wait_until([&] { return fs::exists(saved) && fs::file_size(saved) == whole_log.size(); }, "the saved log");
    EXPECT_EQ(read_file(saved), whole_log);

    end_session(session, finish_button);
}

// A page named outside the system's code page, chosen with Browse: the
// summary and the log name it as it is, and it converts. On the way the
// options change the summary, and a cancelled Options dialog changes
// nothing.
TEST_F(GuiTest, SingleFileWizardConvertsAFileNamedOutsideTheCodePage) {
    ScratchDir scratch;
    const fs::path file = scratch.path() / L"\u65e5\u672c \u03b5\u03bb.html";
    testing::write_file(file, good_page);
    const std::string path = native(file);

    Session session;
    HWND file_page = open_wizard_at(session, IDC_CONVERT_FILE, IDC_FILE);
    HWND sheet = session.wizard();
    post_click(control(file_page, IDC_BROWSE));
    choose_in_file_dialog(session.dialog("Choose a file to convert"), path);
    wait_until([&] { return text_of(control(file_page, IDC_FILE)) == path; }, "the chosen file in the field");
    click_when_enabled(next_button(sheet), "Next on the file page");

    HWND log_page = session.page_with(IDC_LOG);
    const std::string head = summary_head + "Convert the following file:\r\n    " + path + "\r\nOptions:\r\n";
    EXPECT_EQ(text_of(control(log_page, IDC_LOG)), head + backup_and_next);

    click_when_enabled(back_button(sheet), "Back on the log page");
    file_page = session.page_with(IDC_FILE);
    set_options(session, file_page, {IDC_DELETE_IMG_BORDER, IDC_NO_BACKUP});
    expect_options(session, file_page, {true, false, true});

    click_when_enabled(next_button(sheet), "Next on the file page");
    log_page = session.page_with(IDC_LOG);
    const std::string summary = head +
        "    Delete redundant border=\"0\" for <img>, instead of converting it to its CSS equivalent.\r\n"
        "    Don't save original file(s) with a \".bak\" extension.\r\n"
        "\r\nClick the Next button to begin conversion\r\n";
    EXPECT_EQ(text_of(control(log_page, IDC_LOG)), summary);

    click_when_enabled(next_button(sheet), "Next on the log page");
    EXPECT_EQ(wait_for_run_end(session, log_page), summary + banner + path + "... Done.\r\nConverted: 1 of 1.\r\n");
    EXPECT_EQ(read_file(file), converted_page);
    EXPECT_FALSE(fs::exists(fs::path(file).concat(L".bak")));
    EXPECT_FALSE(is_enabled(cancel_button(sheet)));
    leave_wizard(session, finish_button);

    // A new wizard starts with every option cleared.
    expect_options(session, open_wizard_at(session, IDC_CONVERT_FILE, IDC_FILE), {false, false, false});
    end_session(session, cancel_button);
}

TEST_F(GuiTest, AbortStopsTheRunBetweenFiles) {
    ScratchDir scratch;
    const fs::path site = scratch.path() / "site";
    const int pages = 8;
    auto page_path = [&](int i) { return site / ("p" + std::to_string(i) + ".html"); };
    fs::create_directories(site);
    for (int i = 0; i < pages; ++i) testing::write_file(page_path(i), good_page);
    const std::string dir = native(site);

    Session session;
    HWND log_page = walk_website_wizard(session, {dir, {}, {".htm", "htm"}, {}});
    HWND sheet = session.wizard();
    HWND log = control(log_page, IDC_LOG);
    // No heading for an empty excluded list; the extensions as typed, in
    // the list's order.
    EXPECT_EQ(text_of(log), summary_head + "Convert the website at:\r\n    " + dir + "\r\n"
                                "Only convert files with the following extensions:\r\n"
                                "    .htm\r\n    htm\r\n    html\r\nOptions:\r\n" + backup_and_next);
    post_click(next_button(sheet));

    wait_until([&] { return text_of(log).find("Done.") != std::string::npos; }, "the first file done");
    // Escape and the close box ask the wizard to cancel: not during a run.
    ::PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    // Pressing Abort again changes nothing.
    for (int i = 0; i < 3; ++i) post_click(control(log_page, IDC_ABORT));

    std::string text = wait_for_run_end(session, log_page);
    ASSERT_TRUE(::IsWindow(sheet)) << "the wizard closed during the run";
    EXPECT_EQ(count_of(text, "*** Interrupted"), 1u);

    // The wizard converts one file per processor at a time. The files
    // under way when Abort came finish; no further one starts, so the run
    // stops early (by a few files more when the machine stalled the click).
    std::size_t done = count_of(text, "... Done.\r\n");
    EXPECT_GE(done, 1u);
    EXPECT_LT(done, static_cast<std::size_t>(pages));
    const std::string end = "*** Interrupted by user. Aborting now.\r\nConverted: " + std::to_string(done) +
                            " of " + std::to_string(done) + ".\r\n";
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    // Files are taken up in the walk's order, and the log keeps it whatever
    // order the converters ended in: the converted pages are the first
    // ones, logged one after another.
    std::size_t logged_at = 0;
    for (int i = 0; i < pages; ++i) {
        bool converted = static_cast<std::size_t>(i) < done;
        EXPECT_EQ(read_file(page_path(i)), converted ? converted_page : good_page) << i;
        EXPECT_EQ(fs::exists(fs::path(page_path(i)).concat(".bak")), converted) << i;
        std::size_t at = text.find(native(page_path(i)) + "... Done.");
        EXPECT_EQ(at != std::string::npos, converted) << i;
        if (converted) {
            EXPECT_GT(at, logged_at) << i;
            logged_at = at;
        }
    }
    EXPECT_FALSE(is_enabled(control(log_page, IDC_ABORT)));
    EXPECT_FALSE(is_enabled(cancel_button(sheet)));
    end_session(session, finish_button);
}

// The refusals of the pages, each with its error box; the page stays.
struct RefusalCase {
    const char* name;
    int page_control;  // identifies the page (the file page's in the single-file wizard)
    void (*act)(HWND sheet, HWND page);
    const char* message;
};
void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

// Next may be disabled; the sheet's own "press Next" still asks the page.
void press_next(HWND sheet, HWND) { ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0); }
void press_add(HWND, HWND page) { post_click(control(page, IDC_ADD)); }
void press_remove(HWND, HWND page) { post_click(control(page, IDC_REMOVE)); }
void next_without_extension(HWND sheet, HWND page) {
    ::SendMessageA(control(page, IDC_EXTENSION_LIST), LB_SETCURSEL, 0, 0);
    ::SendMessageA(control(page, IDC_REMOVE), BM_CLICK, 0, 0);
    wait_until([&] { return !is_enabled(next_button(sheet)); }, "Next disabled by the empty list");
    press_next(sheet, page);
}

class Refusals : public GuiTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, ShowTheirMessageAndKeepThePage) {
    const RefusalCase& c = GetParam();
    ScratchDir scratch;
    Session session;
    const bool path_page = c.page_control == IDC_FILE || c.page_control == IDC_DIRECTORY;
    HWND page = open_wizard_at(session, c.page_control == IDC_FILE ? IDC_CONVERT_FILE : IDC_CONVERT_WEBSITE,
                               c.page_control, native(scratch.path()));
    HWND sheet = session.wizard();
    // An empty path field disables Next; the other pages start with it enabled.
    wait_until([&] { return is_enabled(next_button(sheet)) != path_page; }, "the state of Next");
    c.act(sheet, page);
    EXPECT_EQ(session.take_error_box(), c.message);
    EXPECT_EQ(current_page(sheet), page);
    end_session(session, cancel_button);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        RefusalCase{"EmptyDirectory", IDC_DIRECTORY, press_next, "Please choose a directory before continuing"},
        RefusalCase{"EmptyFile", IDC_FILE, press_next, "Please choose a file before continuing."},
        RefusalCase{"EmptyExtensionList", IDC_EXTENSION_LIST, next_without_extension,
                    "Please add at least one extension before continuing"},
        RefusalCase{"AddWithoutExtension", IDC_EXTENSION_LIST, press_add,
                    "Enter the extension into the empty field just above the \"Add\" button, before clicking "
                    "the latter"},
        RefusalCase{"RemoveWithoutExtension", IDC_EXTENSION_LIST, press_remove,
                    "Select an extension from the list before clicking Remove"},
        RefusalCase{"RemoveWithoutDirectory", IDC_EXCLUDED_LIST, press_remove,
                    "Select a directory from the list before clicking Remove"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuiTest, MainWindowAboutHelpEscapeAndExit) {
    Session session;
    HWND main = session.main_window();

    // Escape is no way out of the main window. The About box opening after
    // it shows that the Escape has been handled by then.
    ::PostMessageA(control(main, IDC_CONVERT_WEBSITE), WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(control(main, IDC_CONVERT_WEBSITE), WM_KEYUP, VK_ESCAPE, 0);
    post_click(control(main, IDC_SHOW_ABOUT));
    HWND about = session.dialog("About Quorlix");
    EXPECT_TRUE(::IsWindow(main));
    EXPECT_EQ(text_of(control(about, IDC_LICENCE)).rfind("Copyright (c) 2026 The Quorlix authors\r\n", 0), 0u);
    HWND ok = control(about, IDOK);
    wait_until([&] { return focus_of(session.thread_id()) == ok; }, "the focus on OK in the About box");
    click_and_wait_closed(ok, about, "the About box");

    // The README beside the program, wherever it was installed.
    post_click(control(main, IDC_SHOW_HELP));
    HWND help = session.dialog("Help");
    const std::string& program = gui_program();
    EXPECT_EQ(text_of(control(help, IDC_DOCUMENTATION_PATH)),
              program.substr(0, program.find_last_of("\\/") + 1) + "README.md");
    click_and_wait_closed(control(help, IDOK), help, "the Help box");

    click_and_wait_closed(control(main, IDC_EXIT), main, "the main window");
    EXPECT_EQ(session.close(), 0);
}

// A second start of the program: it ends with status 1, and the running
// one comes forward, restored when it was minimised.
struct SecondStartCase {
    const char* name;
    const char* arguments;
    bool wizard_open;
};
void PrintTo(const SecondStartCase& c, std::ostream* out) { *out << c.name; }

class SecondStart : public GuiTest, public ::testing::WithParamInterface<SecondStartCase> {};

TEST_P(SecondStart, EndsAtOnceAndBringsTheFirstForward) {
    const SecondStartCase& c = GetParam();
    // The test has no window of the main window's class of its own. A
    // process that hangs is the watchdog's.
    std::optional<platform::ChildProcess> first = platform::start_process(gui_program(), "", {});
    ASSERT_TRUE(first);
    HWND main = wait_for_window([](HWND w) { return class_name(w) == gui::main_class_name; }, "the main window");
    HWND forward = main;
    if (c.wizard_open) {
        post_click(control(main, IDC_CONVERT_FILE));
        forward = wait_for_window([&](HWND w) { return ::GetWindow(w, GW_OWNER) == main; }, "the wizard");
    }
    ::ShowWindow(main, SW_MINIMIZE);
    wait_until([&] { return ::IsIconic(main) != FALSE; }, "the main window minimised");
    // Another program's window in front.
    std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> other(
        ::CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 300, 100,
                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr),
        &::DestroyWindow);
    ::SetForegroundWindow(other.get());
    wait_until([&] { return ::GetForegroundWindow() == other.get(); }, "another window in front");

    std::optional<platform::ChildProcess> second = platform::start_process(gui_program(), c.arguments, {});
    ASSERT_TRUE(second);
    EXPECT_EQ(second->wait(), 1);
    wait_until([&] { return !::IsIconic(main) && ::GetForegroundWindow() == forward; }, "the first one forward");
    EXPECT_TRUE(::IsWindowVisible(forward));

    if (c.wizard_open) click_and_wait_closed(cancel_button(forward), forward, "the wizard");
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first->wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecondStart,
    ::testing::Values(SecondStartCase{"NoArgument", "", false},
                      SecondStartCase{"WhileTheWizardIsOpen", "", true},
                      // A converter argument whose block cannot be had, one in
                      // the wrong letter case, and "-dch" alone are all
                      // ordinary starts.
                      SecondStartCase{"RefusedSettingsBlock", "-dch999", false},
                      SecondStartCase{"UpperCaseArgument", "-DCH5", false},
                      SecondStartCase{"ConverterArgumentWithoutHandle", "-dch", false}),
    [](const auto& info) { return std::string(info.param.name); });

// Save log to a name that cannot be opened (a folder): not silently, the
// user must not take the log for saved. (The log written byte for byte is
// the website test's.)
TEST(SaveLog, ThatCannotWriteTheFileSaysSo) {
    ScratchDir scratch;
    HWND edit = ::CreateWindowExA(0, "EDIT", "text\r\n", ES_MULTILINE | WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_STREQ(gui::write_log_file(edit, native(scratch.path()).c_str()), "Error writing the log to the file");
    ::DestroyWindow(edit);
}

}  // namespace
}  // namespace quorlix::gui_test
