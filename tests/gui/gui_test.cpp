// The wizard process driven through its real dialogs under Wine: the main
// window, both wizards end to end with real converter processes, Abort,
// Save log, the refusals of Next, and a second start of the program.
#include "gui/gui_test_support.h"

#include "platform/win32/wide_names.h"
#include "shell/win32/app.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/wizard.h"

namespace quorlix::gui_test {
namespace {

using testing::ScratchDir;
using testing::read_file;

const std::string banner = "\r\n---\r\n\r\nQuorlix 1.0.0\r\nXHTML 1.0 to HTML5 conversion\r\n\r\n";

std::size_t count_of(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

bool has_lone_line_feed(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
    }
    return false;
}

// Clicks into the edit control near its top left corner, as a user does.
void click_into(HWND edit) {
    ::PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

TEST_F(GuiTest, WebsiteWizardConvertsASiteEndToEnd) {
    ScratchDir scratch;
    const fs::path site = scratch.path() / "site";
    // guide.html needs the scope option: converted, it shows that the option
    // reached the converter processes.
    const std::string scoped = "<table><tr><td scope=\"row\">x</td></tr></table>\n";
    make_files(site, {{"index.html", good_page},
                      {"page.htm", good_page},
                      {"notes.txt", good_page},
                      {"docs/guide.html", scoped},
                      {"docs/old/kept.html", good_page}});
    const std::string dir = native(site);

    Session session;
    HWND log_page = walk_website_wizard(
        session, {dir, {dir + "\\docs\\old"}, {"htm"}, {IDC_DELETE_TD_SCOPE}});
    HWND sheet = session.wizard();
    HWND log = control(log_page, IDC_LOG);

    const std::string summary =
        "Summary of action to be taken:\r\n\r\n"
        "Convert the website at:\r\n    " + dir + "\r\n"
        "Exclude these subdirectories:\r\n    " + dir + "\\docs\\old\r\n"
        "Only convert files with the following extensions:\r\n    htm\r\n    html\r\n"
        "Options:\r\n"
        "    Delete the scope attribute on <td>, instead of aborting with an error.\r\n"
        "    Back up original file(s) with a \".bak\" extension\r\n \r\n"
        "Click the Next button to begin conversion\r\n";
    EXPECT_EQ(text_of(log), summary);
    EXPECT_FALSE(is_enabled(control(log_page, IDC_SAVE_LOG)));
    EXPECT_FALSE(is_enabled(control(log_page, IDC_ABORT)));
    EXPECT_TRUE(is_enabled(cancel_button(sheet)));

    post_click(next_button(sheet));
    // A click into the log during the run moves the caret into the text;
    // what the run writes next must still go to the end.
    wait_until([&] { return text_of(log).find("page.htm... Done.") != std::string::npos; },
               "the first file done");
    click_into(log);
    std::string text = wait_for_run_end(session, log_page);
    EXPECT_EQ(text, summary + banner +
                        dir + "\\page.htm... Done.\r\n" +
                        dir + "\\index.html... Done.\r\n" +
                        dir + "\\docs\\guide.html... Done.\r\n" +
                        dir + "\\docs\\old (directory)... Skipped excluded directory\r\n"
                        "Converted: 3 of 3.\r\n");

    HWND finish = finish_button(sheet);
    wait_until([&] { return focus_of(session.thread_id()) == finish; }, "the focus on Finish");
    EXPECT_FALSE(is_enabled(cancel_button(sheet)));
    EXPECT_FALSE(::IsWindowVisible(next_button(sheet)));
    EXPECT_TRUE(is_enabled(control(log_page, IDC_SAVE_LOG)));
    EXPECT_FALSE(is_enabled(control(log_page, IDC_ABORT)));

    EXPECT_EQ(read_file(site / "page.htm"), converted_page);
    EXPECT_EQ(read_file(site / "page.htm.bak"), good_page);
    EXPECT_EQ(read_file(site / "index.html"), converted_page);
    EXPECT_EQ(read_file(site / "docs/guide.html"), "<table><tr><td>x</td></tr></table>\r\n");
    EXPECT_EQ(read_file(site / "notes.txt"), good_page);
    EXPECT_EQ(read_file(site / "docs/old/kept.html"), good_page);
    EXPECT_FALSE(fs::exists(site / "docs/old/kept.html.bak"));

    post_click(finish);
    wait_until([&] { return !::IsWindow(sheet); }, "the wizard to close");
    EXPECT_TRUE(session.no_error_box());
    EXPECT_EQ(session.close(), 0);
}

struct SingleFileCase {
    const char* name;
    std::string content;
    std::string after;      // the file after the run
    std::string log;        // what the run writes; {} stands for the file's path
};
void PrintTo(const SingleFileCase& c, std::ostream* out) { *out << c.name; }

std::string with_path(std::string text, const std::string& path) {
    for (std::size_t at = text.find("{}"); at != std::string::npos; at = text.find("{}", at + path.size())) {
        text.replace(at, 2, path);
    }
    return text;
}

class SingleFileWizard : public GuiTest, public ::testing::WithParamInterface<SingleFileCase> {};

TEST_P(SingleFileWizard, ConvertsTheChosenFile) {
    const SingleFileCase& c = GetParam();
    ScratchDir scratch;
    const fs::path file = scratch.path() / "one page.html";
    testing::write_file(file, c.content);
    const std::string path = native(file);

    Session session;
    HWND file_page = open_file_page(session);
    HWND sheet = session.wizard();
    set_text(control(file_page, IDC_FILE), path);
    click_when_enabled(next_button(sheet), "Next on the file page");

    HWND log_page = session.page_with(IDC_LOG);
    const std::string head = "Summary of action to be taken:\r\n\r\n"
                             "Convert the following file:\r\n    " + path + "\r\n"
                             "Options:\r\n";
    EXPECT_EQ(text_of(control(log_page, IDC_LOG)),
              head + "    Back up original file(s) with a \".bak\" extension\r\n \r\n"
                     "Click the Next button to begin conversion\r\n");

    // Back, an option, and Next again: the summary follows the change.
    click_when_enabled(back_button(sheet), "Back on the log page");
    file_page = session.page_with(IDC_FILE);
    set_options(session, file_page, {IDC_NO_BACKUP});
    click_when_enabled(next_button(sheet), "Next on the file page");
    log_page = session.page_with(IDC_LOG);
    const std::string summary = head + "    Don't save original file(s) with a \".bak\" extension.\r\n"
                                       "\r\nClick the Next button to begin conversion\r\n";
    EXPECT_EQ(text_of(control(log_page, IDC_LOG)), summary);

    click_when_enabled(next_button(sheet), "Next on the log page");
    EXPECT_EQ(wait_for_run_end(session, log_page), summary + banner + with_path(c.log, path));
    EXPECT_EQ(read_file(file), c.after);
    EXPECT_FALSE(fs::exists(path + ".bak"));
    EXPECT_FALSE(is_enabled(cancel_button(sheet)));

    leave_wizard(session, finish_button);
    EXPECT_EQ(session.close(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleFileWizard,
    ::testing::Values(
        SingleFileCase{"converted", good_page, converted_page,
                       "{}... Done.\r\nConverted: 1 of 1.\r\n"},
        SingleFileCase{"refused", "GIF89a....", "GIF89a....",
                       "{}... \r\nquorlix: {}:\r\nError: Not an XHTML file.\r\n"
                       "Skipping file, which was not modified.\r\n"
                       "Converted: 0. Failed: 1. Total: 1\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Goes through the single-file wizard to the log page.
HWND walk_file_wizard(const Session& session, const std::string& path) {
    set_text(control(open_file_page(session), IDC_FILE), path);
    HWND sheet = session.wizard();
    click_when_enabled(next_button(sheet), "Next on the file page");
    HWND log_page = session.page_with(IDC_LOG);
    wait_until([&] { return is_enabled(next_button(sheet)); }, "Next on the log page");
    return log_page;
}

TEST_F(GuiTest, AbortStopsTheRunBetweenFiles) {
    ScratchDir scratch;
    const fs::path site = scratch.path() / "site";
    const int pages = 8;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < pages; ++i) files.push_back({"p" + std::to_string(i) + ".html", good_page});
    make_files(site, files);

    Session session;
    HWND log_page = walk_website_wizard(session, {native(site), {}, {}, {}});
    HWND sheet = session.wizard();
    HWND log = control(log_page, IDC_LOG);
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
    // The interrupt line, then the summary with the counts of the run.
    const std::string end = "*** Interrupted by user. Aborting now.\r\nConverted: " +
                            std::to_string(done) + " of " + std::to_string(done) + ".\r\n";
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    std::size_t backups = 0;
    for (int i = 0; i < pages; ++i) {
        fs::path page = site / ("p" + std::to_string(i) + ".html");
        bool converted = fs::exists(page.string() + ".bak");
        backups += converted ? 1 : 0;
        EXPECT_EQ(read_file(page), converted ? converted_page : good_page) << page;
        EXPECT_EQ(text.find(native(page) + "... Done.") != std::string::npos, converted) << page;
        // Files are taken up in the walk's order, and the log keeps it
        // whatever order the converters ended in: the converted pages are
        // the first ones, logged one after another.
        EXPECT_EQ(converted, static_cast<std::size_t>(i) < done) << page;
        if (converted && i > 0) {
            EXPECT_LT(text.find(native(site / ("p" + std::to_string(i - 1) + ".html")) + "... Done."),
                      text.find(native(page) + "... Done."));
        }
    }
    EXPECT_EQ(backups, done);

    EXPECT_TRUE(is_enabled(control(log_page, IDC_SAVE_LOG)));
    EXPECT_FALSE(is_enabled(control(log_page, IDC_ABORT)));
    EXPECT_FALSE(is_enabled(cancel_button(sheet)));
    leave_wizard(session, finish_button);
    EXPECT_EQ(session.close(), 0);
}

TEST_F(GuiTest, SaveLogWritesTheLogByteForByte) {
    ScratchDir scratch;
    const fs::path file = scratch.path() / "page.html";
    testing::write_file(file, good_page);
    const std::string path = native(file);

    Session session;
    HWND log_page = walk_file_wizard(session, path);
    HWND sheet = session.wizard();
    click_when_enabled(next_button(sheet), "Next on the log page");
    const std::string shown = wait_for_run_end(session, log_page);
    const std::string expected =
        "Summary of action to be taken:\r\n\r\n"
        "Convert the following file:\r\n    " + path + "\r\n"
        "Options:\r\n"
        "    Back up original file(s) with a \".bak\" extension\r\n \r\n"
        "Click the Next button to begin conversion\r\n" + banner +
        path + "... Done.\r\nConverted: 1 of 1.\r\n";
    ASSERT_EQ(shown, expected);

    // Typed without an extension: the dialog adds "txt".
    post_click(control(log_page, IDC_SAVE_LOG));
    HWND dialog = session.dialog("Save Log As");
    constexpr int file_name_field = 1148;
    set_text(descendant(dialog, "Edit", file_name_field), native(scratch.path() / "saved"));
    post_click(control(dialog, IDOK));
    wait_until([&] { return !::IsWindow(dialog); }, "the save dialog to close");
    const fs::path saved = scratch.path() / "saved.txt";
    wait_until([&] { return fs::exists(saved) && fs::file_size(saved) == expected.size(); },
               "the saved log");
    const std::string bytes = read_file(saved);
    EXPECT_EQ(bytes, expected);
    EXPECT_FALSE(has_lone_line_feed(bytes));
    EXPECT_TRUE(session.no_error_box());

    leave_wizard(session, finish_button);
    EXPECT_EQ(session.close(), 0);
}

// The refusals of the pages, each with its error box; the page stays.
struct RefusalCase {
    const char* name;
    int button;                                  // the main window's button
    int page_control;                            // identifies the page
    std::function<void(HWND page)> prepare;      // what the user did on it
    std::function<void(HWND sheet, HWND page)> act;
    std::string message;
    bool next_enabled;                           // the page's Next button meanwhile
};
void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

void press_next(HWND sheet, HWND) {
    // Next may be disabled; the sheet's own "press Next" still asks the page.
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
}

void nothing(HWND) {}

std::function<void(HWND, HWND)> click(int id) {
    return [id](HWND, HWND page) { post_click(control(page, id)); };
}

void remove_html(HWND page) {
    HWND list = control(page, IDC_EXTENSION_LIST);
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
    ::SendMessageA(control(page, IDC_REMOVE), BM_CLICK, 0, 0);
}

class Refusals : public GuiTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, ShowTheirMessageAndKeepThePage) {
    const RefusalCase& c = GetParam();
    ScratchDir scratch;
    Session session;
    post_click(control(session.main_window(), c.button));
    HWND sheet = session.wizard();
    HWND next = next_button(sheet);
    // Walk to the page: the directory page gets a directory where it is
    // not the page under test.
    for (;;) {
        HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page != nullptr && ::GetDlgItem(page, c.page_control) != nullptr) break;
        if (page != nullptr && ::GetDlgItem(page, IDC_DIRECTORY) != nullptr) {
            set_text(control(page, IDC_DIRECTORY), native(scratch.path()));
        }
        HWND before = page;
        click_when_enabled(next, "Next");
        wait_until([&] { return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) != before; },
                   "the next page");
    }
    HWND page = session.page_with(c.page_control);
    c.prepare(page);
    wait_until([&] { return is_enabled(next) == c.next_enabled; }, "the state of Next");

    c.act(sheet, page);
    EXPECT_EQ(session.take_error_box(), c.message);
    EXPECT_EQ(reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), page);

    leave_wizard(session, cancel_button);
    EXPECT_EQ(session.close(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        RefusalCase{"EmptyDirectory", IDC_CONVERT_WEBSITE, IDC_DIRECTORY, nothing, press_next,
                    "Please choose a directory before continuing", false},
        RefusalCase{"EmptyFile", IDC_CONVERT_FILE, IDC_FILE, nothing, press_next,
                    "Please choose a file before continuing.", false},
        RefusalCase{"EmptyExtensionList", IDC_CONVERT_WEBSITE, IDC_EXTENSION_LIST, remove_html,
                    press_next, "Please add at least one extension before continuing", false},
        RefusalCase{"AddWithoutExtension", IDC_CONVERT_WEBSITE, IDC_EXTENSION_LIST, nothing,
                    click(IDC_ADD),
                    "Enter the extension into the empty field just above the \"Add\" button, "
                    "before clicking the latter",
                    true},
        RefusalCase{"RemoveWithoutExtension", IDC_CONVERT_WEBSITE, IDC_EXTENSION_LIST, nothing,
                    click(IDC_REMOVE), "Select an extension from the list before clicking Remove",
                    true},
        RefusalCase{"RemoveWithoutDirectory", IDC_CONVERT_WEBSITE, IDC_EXCLUDED_LIST, nothing,
                    click(IDC_REMOVE), "Select a directory from the list before clicking Remove",
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuiTest, ExtensionsAreKeptAsTypedAndTheExcludedListScrollsSideways) {
    ScratchDir scratch;
    const fs::path site = scratch.path() / "site";
    const std::string wide = "a_directory_whose_name_is_long_enough_to_need_sideways_scrolling";
    fs::create_directories(site / wide);
    const std::string dir = native(site);

    Session session;
    int extent_after_add = -1;
    auto on_page = [&](const char* name, HWND sheet) {
        if (std::string(name) != "website-3-excluded") return;
        HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        HWND list = control(page, IDC_EXCLUDED_LIST);
        EXPECT_EQ(list_entries(list), std::vector<std::string>{dir + "\\" + wide});
        RECT client{};
        ::GetClientRect(list, &client);
        extent_after_add = static_cast<int>(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
        EXPECT_GT(extent_after_add, client.right) << "the entry does not fit the list";
        // Removing the entry leaves the scrolling range as it was.
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        ::SendMessageA(control(page, IDC_REMOVE), BM_CLICK, 0, 0);
        EXPECT_TRUE(list_entries(list).empty());
        EXPECT_EQ(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), extent_after_add);
    };
    HWND log_page = walk_website_wizard(
        session, {dir, {dir + "\\" + wide}, {".htm", "htm", "htm"}, {IDC_DELETE_IMG_BORDER, IDC_NO_BACKUP}},
        on_page);
    EXPECT_GT(extent_after_add, 0);
    // No heading for an empty excluded list; the extensions as typed, in
    // the list's order.
    EXPECT_EQ(text_of(control(log_page, IDC_LOG)),
              "Summary of action to be taken:\r\n\r\n"
              "Convert the website at:\r\n    " + dir + "\r\n"
              "Only convert files with the following extensions:\r\n"
              "    .htm\r\n    htm\r\n    htm\r\n    html\r\n"
              "Options:\r\n"
              "    Delete redundant border=\"0\" for <img>, instead of converting it to its CSS equivalent.\r\n"
              "    Don't save original file(s) with a \".bak\" extension.\r\n"
              "\r\nClick the Next button to begin conversion\r\n");
    leave_wizard(session, cancel_button);
    EXPECT_EQ(session.close(), 0);
}

TEST_F(GuiTest, BrowseOnTheFilePageFillsInTheChosenFile) {
    ScratchDir scratch;
    const fs::path file = scratch.path() / "chosen.html";
    testing::write_file(file, good_page);
    Session session;
    HWND page = open_file_page(session);
    post_click(control(page, IDC_BROWSE));
    HWND dialog = session.dialog("Choose a file to convert");
    constexpr int file_name_field = 1148;
    set_text(descendant(dialog, "Edit", file_name_field), native(file));
    post_click(control(dialog, IDOK));
    wait_until([&] { return !::IsWindow(dialog); }, "the file dialog to close");
    wait_until([&] { return text_of(control(page, IDC_FILE)) == native(file); }, "the chosen file in the field");
    EXPECT_TRUE(is_enabled(next_button(session.wizard())));
    leave_wizard(session, cancel_button);
    EXPECT_EQ(session.close(), 0);
}

TEST_F(GuiTest, OptionsKeepTheirChoicesUntilTheNextWizard) {
    const int boxes[] = {IDC_DELETE_IMG_BORDER, IDC_DELETE_TD_SCOPE, IDC_NO_BACKUP};
    Session session;
    // Opens the Options dialog of the file page, reads the boxes, ticks
    // those asked for and leaves with OK or Cancel.
    auto options = [&](HWND page, std::vector<int> tick, int leave) {
        post_click(control(page, IDC_OPTIONS));
        HWND dialog = session.dialog("Options");
        std::vector<bool> checked;
        for (int box : boxes) checked.push_back(::IsDlgButtonChecked(dialog, box) == BST_CHECKED);
        for (int box : tick) ::SendMessageA(control(dialog, box), BM_CLICK, 0, 0);
        post_click(control(dialog, leave));
        wait_until([&] { return !::IsWindow(dialog); }, "the Options dialog to close");
        return checked;
    };

    HWND page = open_file_page(session);
    EXPECT_EQ(options(page, {IDC_DELETE_IMG_BORDER}, IDOK), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(options(page, {IDC_DELETE_TD_SCOPE}, IDCANCEL), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(options(page, {}, IDOK), (std::vector<bool>{true, false, false}));
    leave_wizard(session, cancel_button);

    // A new wizard starts with every box cleared.
    page = open_file_page(session);
    EXPECT_EQ(options(page, {}, IDOK), (std::vector<bool>{false, false, false}));
    leave_wizard(session, cancel_button);
    EXPECT_EQ(session.close(), 0);
}

TEST_F(GuiTest, MainWindowAboutHelpEscapeAndExit) {
    Session session;
    HWND main = session.main_window();
    EXPECT_EQ(text_of(main), "Quorlix");
    EXPECT_EQ(class_name(main), gui::main_class_name);

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
    post_click(ok);
    wait_until([&] { return !::IsWindow(about); }, "the About box to close");

    post_click(control(main, IDC_SHOW_HELP));
    HWND help = session.dialog("Help");
    EXPECT_TRUE(::IsWindow(control(help, IDC_OPEN_DOCUMENTATION)));
    // The README beside the program, wherever it was installed.
    std::string program = gui_program();
    EXPECT_EQ(text_of(control(help, IDC_DOCUMENTATION_PATH)),
              program.substr(0, program.find_last_of("\\/") + 1) + "README.md");
    post_click(control(help, IDOK));
    wait_until([&] { return !::IsWindow(help); }, "the Help box to close");

    post_click(control(main, IDC_EXIT));
    wait_until([&] { return !::IsWindow(main); }, "the main window to close");
    EXPECT_EQ(session.close(), 0);
}

// A second start of the program: it ends with status 1, and the running
// one comes forward, restored when it was minimised.
struct SecondStartCase {
    const char* name;
    std::string arguments;
    bool wizard_open;
};
void PrintTo(const SecondStartCase& c, std::ostream* out) { *out << c.name; }

class SecondStart : public GuiTest, public ::testing::WithParamInterface<SecondStartCase> {};

// A quorlix.exe of the test's own.
class Program {
public:
    explicit Program(const std::string& arguments) {
        std::string command = "\"" + gui_program() + "\"" + (arguments.empty() ? "" : " " + arguments);
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessA(gui_program().c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &info)) {
            throw StepTimeout("cannot start " + command);
        }
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    ~Program() {
        // One that is still there (a failed test) is ended.
        if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_, 99);
            ::WaitForSingleObject(process_, 10000);
        }
        ::CloseHandle(process_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The exit status; StepTimeout when it does not end in time.
    int wait(Duration timeout) {
        if (::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
            throw StepTimeout("the program to end");
        }
        DWORD status = 0;
        ::GetExitCodeProcess(process_, &status);
        return static_cast<int>(status);
    }

    // Its visible window of that class with control id, waited for.
    HWND window(const std::string& wanted_class, int id) const {
        struct Search {
            DWORD process;
            const std::string& wanted_class;
            int id;
            HWND found = nullptr;
        } search{id_, wanted_class, id};
        wait_until(
            [&] {
                ::EnumWindows(
                    [](HWND window, LPARAM data) -> BOOL {
                        auto& s = *reinterpret_cast<Search*>(data);
                        DWORD process = 0;
                        ::GetWindowThreadProcessId(window, &process);
                        if (process == s.process && ::IsWindowVisible(window) &&
                            class_name(window) == s.wanted_class && ::GetDlgItem(window, s.id)) {
                            s.found = window;
                            return FALSE;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            "a window " + wanted_class + " of the program");
        return search.found;
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

TEST_P(SecondStart, EndsAtOnceAndBringsTheFirstForward) {
    const SecondStartCase& c = GetParam();
    Program first("");
    HWND main = first.window(gui::main_class_name, IDC_EXIT);
    HWND forward = main;
    if (c.wizard_open) {
        post_click(control(main, IDC_CONVERT_FILE));
        forward = first.window("#32770", IDC_SHEET_NEXT);
    }
    ::ShowWindow(main, SW_MINIMIZE);
    wait_until([&] { return ::IsIconic(main) != FALSE; }, "the main window minimised");
    // Another program's window in front.
    std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> other(
        ::CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0,
                          300, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr),
        &::DestroyWindow);
    ::SetForegroundWindow(other.get());
    wait_until([&] { return ::GetForegroundWindow() == other.get(); }, "another window in front");

    Program second(c.arguments);
    EXPECT_EQ(second.wait(30s), 1);
    wait_until([&] { return !::IsIconic(main) && ::GetForegroundWindow() == forward; },
               "the first one forward");
    EXPECT_TRUE(::IsWindowVisible(forward));

    if (c.wizard_open) {
        post_click(cancel_button(forward));
        wait_until([&] { return !::IsWindow(forward); }, "the wizard to close");
    }
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.wait(20s), 0);
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

// Save log's writing, on an edit control of the test's own.
struct LogFileCase {
    const char* name;
    std::string text;         // the log's text
    bool to_directory;        // the chosen name is a folder: it cannot be opened
    const char* message;      // null: written
};
void PrintTo(const LogFileCase& c, std::ostream* out) { *out << c.name; }

class LogFile : public ::testing::TestWithParam<LogFileCase> {};

TEST_P(LogFile, IsWrittenByteForByteOrRefusedWithAMessage) {
    const LogFileCase& c = GetParam();
    ScratchDir scratch;
    HWND edit = ::CreateWindowExA(0, "EDIT", "", ES_MULTILINE | WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    set_text(edit, c.text);
    const std::string path = c.to_directory ? native(scratch.path()) : native(scratch.path() / "log.txt");
    const char* message = gui::write_log_file(edit, path.c_str());
    ::DestroyWindow(edit);
    if (c.message == nullptr) {
        EXPECT_EQ(message, nullptr) << message;
        EXPECT_EQ(read_file(path), c.text);
    } else {
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(message, c.message);
        EXPECT_FALSE(fs::exists(scratch.path() / "log.txt"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogFile,
    ::testing::Values(
        LogFileCase{"Written", "line one\r\n\r\nline three\r\n", false, nullptr},
        LogFileCase{"Empty", "", false, "Cannot get contents of log window."},
        // Not silently: a log that could not be saved says so.
        LogFileCase{"CannotBeOpened", "text\r\n", true, "Error writing the log to the file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogFile, WithoutTheEditControl) {
    EXPECT_STREQ(gui::write_log_file(nullptr, "x.txt"), "Cannot get handle to log window.");
}

// A page named outside the system's code page, typed into the file page:
// the summary and the log name it as it is, and it converts.
TEST_F(GuiTest, AFileNamedOutsideTheCodePageConvertsAndKeepsItsName) {
    ScratchDir scratch;
    const fs::path file = scratch.path() / L"\u65e5\u672c \u03b5\u03bb.html";
    testing::write_file(file, good_page);
    const std::string path = platform::to_utf8(file.wstring());

    Session session;
    HWND file_page = open_file_page(session);
    HWND sheet = session.wizard();
    ::SetWindowTextW(control(file_page, IDC_FILE), platform::to_wide(path).c_str());
    click_when_enabled(next_button(sheet), "Next on the file page");
    HWND log_page = session.page_with(IDC_LOG);
    click_when_enabled(next_button(sheet), "Next on the log page");
    wait_for_run_end(session, log_page);

    HWND log = control(log_page, IDC_LOG);
    std::wstring shown(static_cast<std::size_t>(::GetWindowTextLengthW(log)) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(::GetWindowTextW(log, shown.data(), static_cast<int>(shown.size()))));
    const std::string text = platform::to_utf8(shown);
    EXPECT_NE(text.find("Convert the following file:\r\n    " + path + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(path + "... Done.\r\nConverted: 1 of 1.\r\n"), std::string::npos) << text;
    EXPECT_EQ(read_file(file), converted_page);
    EXPECT_TRUE(fs::exists(fs::path(file).concat(L".bak")));

    leave_wizard(session, finish_button);
    EXPECT_EQ(session.close(), 0);
}

}  // namespace
}  // namespace quorlix::gui_test
