#include "gui/gui_test_support.h"

#include "shell/win32/resource_ids.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>

namespace quorlix::gui_test {

namespace {

BOOL CALLBACK find_tree(HWND window, LPARAM found) {
    if (class_name(window) == "SysTreeView32") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

const std::string& gui_program() {
    static const std::string program = [] {
        std::string path = QUORLIX_GUI_PROGRAM;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        return path;
    }();
    return program;
}

void make_files(const fs::path& root,
                const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, content] : files) {
        fs::path path = root / name;
        fs::create_directories(path.parent_path());
        testing::write_file(path, content);
    }
}

std::string native(const fs::path& path) {
    std::string text = path.string();
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text;
}

std::string wait_for_run_end(const Session& session, HWND log_page) {
    // Finish shows enabled for a moment when the run starts; Save log
    // becomes enabled only at its end.
    HWND finish = finish_button(session.wizard());
    HWND save = control(log_page, IDC_SAVE_LOG);
    wait_until([&] { return is_enabled(save) && is_enabled(finish) && ::IsWindowVisible(finish); },
               "the end of the run (Save log and Finish enabled)", 60s);
    return text_of(control(log_page, IDC_LOG));
}

void set_options(const Session& session, HWND page, const std::vector<int>& boxes) {
    post_click(control(page, IDC_OPTIONS));
    HWND options = session.dialog("Options");
    for (int box : boxes) {
        post_click(control(options, box));
        wait_until([&] { return ::IsDlgButtonChecked(options, box) == BST_CHECKED; },
                   "option " + std::to_string(box) + " ticked");
    }
    post_click(control(options, IDOK));
    wait_until([&] { return !::IsWindow(options); }, "the Options dialog to close");
}

HWND wait_for_folder_browser(const Session& session) {
    HWND browser = nullptr;
    wait_until(
        [&] {
            for (HWND window : thread_windows(session.thread_id())) {
                HWND tree = nullptr;
                if (class_name(window) == "#32770" && ::IsWindowVisible(window)) {
                    ::EnumChildWindows(window, find_tree, reinterpret_cast<LPARAM>(&tree));
                }
                if (tree != nullptr) {
                    browser = window;
                    return true;
                }
            }
            return false;
        },
        "the folder browser");
    return browser;
}

namespace {

std::string item_text(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = "";
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    if (!::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return {};
    return text;
}

HTREEITEM child_named(HWND tree, HTREEITEM parent, const std::string& name) {
    for (auto item = reinterpret_cast<HTREEITEM>(
             ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         item != nullptr;
         item = reinterpret_cast<HTREEITEM>(
             ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        if (item_text(tree, item) == name) return item;
    }
    return nullptr;
}

}  // namespace

void choose_folder(HWND browser, const std::string& path) {
    HWND tree = nullptr;
    ::EnumChildWindows(browser, find_tree, reinterpret_cast<LPARAM>(&tree));
    std::vector<std::string> names;
    for (std::size_t from = 0; from <= path.size();) {
        std::size_t to = path.find('\\', from);
        if (to == std::string::npos) to = path.size();
        names.push_back(path.substr(from, to - from));
        from = to + 1;
    }
    // The tree starts at the browser's root folder, one of the path's
    // folders; from there the user opens folder after folder.
    HTREEITEM item = nullptr;
    std::string root;
    wait_until(
        [&] {
            item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
            return item != nullptr && !(root = item_text(tree, item)).empty();
        },
        "the browser's folder tree");
    auto at = std::find(names.rbegin(), names.rend(), root);
    if (at == names.rend()) throw StepTimeout("the browser starts at " + root + ", outside " + path);
    for (auto name = at.base(); name != names.end(); ++name) {
        ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        HTREEITEM parent = item;
        wait_until([&] { return (item = child_named(tree, parent, *name)) != nullptr; },
                   "the folder " + *name + " in the browser");
    }
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    post_click(control(browser, IDOK));
    wait_until([&] { return !::IsWindow(browser); }, "the folder browser to close");
}

HWND walk_website_wizard(const Session& session, const WebsiteSteps& steps,
                         const std::function<void(const char*, HWND)>& on_page) {
    auto shown = [&](const char* name, HWND window) {
        if (on_page) on_page(name, window);
    };
    HWND main = session.main_window();
    shown("main-window", main);
    post_click(control(main, IDC_CONVERT_WEBSITE));
    HWND sheet = session.wizard();
    HWND next = next_button(sheet);
    wait_until([&] { return is_enabled(next); }, "Next on the welcome page");
    shown("website-1-welcome", sheet);
    post_click(next);

    HWND directory_page = session.page_with(IDC_DIRECTORY);
    wait_until([&] { return !is_enabled(next); }, "Next disabled while no directory is given");
    set_text(control(directory_page, IDC_DIRECTORY), steps.directory);
    if (!steps.options.empty()) set_options(session, directory_page, steps.options);
    wait_until([&] { return is_enabled(next); }, "Next enabled by the directory");
    shown("website-2-directory", sheet);
    post_click(next);

    HWND excluded_page = session.page_with(IDC_EXCLUDED_LIST);
    HWND excluded_list = control(excluded_page, IDC_EXCLUDED_LIST);
    for (const std::string& directory : steps.excluded) {
        std::size_t before = list_entries(excluded_list).size();
        post_click(control(excluded_page, IDC_ADD));
        HWND browser = wait_for_folder_browser(session);
        shown("website-3-folder-browser", browser);
        choose_folder(browser, directory);
        wait_until([&] { return list_entries(excluded_list).size() == before + 1; },
                   "the excluded directory in the list");
    }
    wait_until([&] { return is_enabled(next); }, "Next on the excluded-directories page");
    shown("website-3-excluded", sheet);
    post_click(next);

    HWND extensions_page = session.page_with(IDC_EXTENSION_LIST);
    HWND extension_list = control(extensions_page, IDC_EXTENSION_LIST);
    for (const std::string& extension : steps.add_extensions) {
        std::size_t before = list_entries(extension_list).size();
        set_text(control(extensions_page, IDC_EXTENSION), extension);
        post_click(control(extensions_page, IDC_ADD));
        wait_until([&] { return list_entries(extension_list).size() == before + 1; },
                   "the extension " + extension + " in the list");
    }
    wait_until([&] { return is_enabled(next); }, "Next on the extensions page");
    shown("website-4-extensions", sheet);
    post_click(next);

    HWND log_page = session.page_with(IDC_LOG);
    wait_until([&] { return is_enabled(next) && is_enabled(back_button(sheet)); },
               "Back and Next on the log page");
    return log_page;
}

HWND open_file_page(const Session& session) {
    post_click(control(session.main_window(), IDC_CONVERT_FILE));
    click_when_enabled(next_button(session.wizard()), "Next on the welcome page");
    return session.page_with(IDC_FILE);
}

void leave_wizard(const Session& session, HWND (*button)(HWND wizard)) {
    HWND sheet = session.wizard();
    post_click(button(sheet));
    wait_until([&] { return !::IsWindow(sheet); }, "the wizard to close");
}

void GuiTest::SetUp() { arm_watchdog(150s); }

void GuiTest::TearDown() { disarm_watchdog(); }

}  // namespace quorlix::gui_test
