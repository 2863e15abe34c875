#include "gui/gui_driver.h"

#include "platform/win32/wide_names.h"
#include "shell/win32/app.h"
#include "shell/win32/resource_ids.h"
#include "support/test_support.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace quorlix::gui_test {

using Clock = std::chrono::steady_clock;

void wait_until(const std::function<bool()>& ready, const std::string& what, Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!ready()) {
        if (Clock::now() > deadline) throw StepTimeout("timed out waiting for " + what);
        std::this_thread::sleep_for(10ms);
    }
}

namespace {

// Polls get() until it gives a non-null value, which it returns.
template <typename Get>
auto wait_for(const Get& get, const std::string& what) {
    decltype(get()) found{};
    wait_until([&] { return (found = get()) != decltype(found){}; }, what);
    return found;
}

using Search = std::pair<const WindowMatch*, HWND>;

BOOL CALLBACK check_window(HWND window, LPARAM data) {
    auto& [match, found] = *reinterpret_cast<Search*>(data);
    if ((*match)(window)) found = window;
    return found == nullptr;
}

HWND find_window(const WindowMatch& match) {
    const WindowMatch visible = [&](HWND w) { return ::IsWindowVisible(w) && match(w); };
    Search search{&visible, nullptr};
    ::EnumWindows(check_window, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// A child of window at any depth.
HWND find_child(HWND window, const WindowMatch& match) {
    Search search{&match, nullptr};
    ::EnumChildWindows(window, check_window, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// A dialog of thread for which match holds.
WindowMatch dialog_that(DWORD thread, const WindowMatch& match) {
    return [=](HWND w) {
        return ::GetWindowThreadProcessId(w, nullptr) == thread && class_name(w) == "#32770" && match(w);
    };
}

bool is_tree(HWND window) { return class_name(window) == "SysTreeView32"; }

// The item's first child (TVGN_CHILD) or next sibling (TVGN_NEXT), or the
// root (TVGN_ROOT), with its text.
std::pair<HTREEITEM, std::string> tree_item(HWND tree, UINT which, HTREEITEM item) {
    item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(item)));
    wchar_t text[MAX_PATH] = L"";
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    if (item == nullptr || !::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return {item, ""};
    return {item, platform::to_utf8(text)};
}

// Chooses the folder in the folder browser as a user does: the tree starts
// at the browser's root, one of the path's folders, and from there the user
// opens folder after folder.
void choose_folder(HWND browser, const std::string& path) {
    HWND tree = find_child(browser, is_tree);
    std::vector<std::string> names;
    for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
        to = path.find('\\', from);
        names.push_back(path.substr(from, to - from));
    }
    auto [item, root] = wait_for([&] {
        auto root = tree_item(tree, TVGN_ROOT, nullptr);
        return root.second.empty() ? decltype(root){} : root;
    }, "the browser's folder tree");
    auto at = std::find(names.rbegin(), names.rend(), root);
    if (at == names.rend()) throw StepTimeout("the browser starts at " + root + ", outside " + path);
    for (auto name = at.base(); name != names.end(); ++name) {
        ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        item = wait_for([&, parent = item] {
            auto child = tree_item(tree, TVGN_CHILD, parent);
            while (child.first != nullptr && child.second != *name) child = tree_item(tree, TVGN_NEXT, child.first);
            return child.first;
        }, "the folder " + *name + " in the browser");
    }
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    click_and_wait_closed(control(browser, IDOK), browser, "the folder browser");
}

std::atomic<Clock::time_point> watchdog_deadline{Clock::time_point::max()};

BOOL CALLBACK print_own_window(HWND window, LPARAM) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId()) return TRUE;
    // Read without sending a message: the window thread may be the one
    // that hangs.
    wchar_t title[256] = L"";
    ::InternalGetWindowText(window, title, 256);
    std::fprintf(stderr, "  %p class \"%s\" title \"%ls\"%s\n", static_cast<void*>(window),
                 class_name(window).c_str(), title, ::IsWindowVisible(window) ? "" : " (hidden)");
    return TRUE;
}

}  // namespace

const std::string& gui_program() {
    static const std::string program = native(QUORLIX_GUI_PROGRAM);
    return program;
}

std::string class_name(HWND window) {
    char name[256] = "";
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string text_of(HWND window) {
    std::wstring text(static_cast<std::size_t>(std::max(::GetWindowTextLengthW(window), 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return platform::to_utf8(text);
}

void set_text(HWND control, const std::string& text) {
    ::SetWindowTextW(control, platform::to_wide(text).c_str());
}

HWND control(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    if (item == nullptr) throw StepTimeout("no control " + std::to_string(id) + " in \"" + text_of(dialog) + "\"");
    return item;
}

bool is_enabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }

void post_click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void click_when_enabled(HWND button, const std::string& what) {
    wait_until([&] { return is_enabled(button) && ::IsWindowVisible(button); }, what + " enabled");
    post_click(button);
}

void click_and_wait_closed(HWND button, HWND window, const std::string& what) {
    post_click(button);
    wait_until([&] { return !::IsWindow(window); }, what + " to close");
}

HWND focus_of(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::vector<std::string> list_entries(HWND list) {
    std::vector<std::string> entries;
    for (LRESULT i = 0, count = ::SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        entries.push_back(platform::to_utf8(text));
    }
    return entries;
}

HWND wait_for_window(const WindowMatch& match, const std::string& what) {
    return wait_for([&] { return find_window(match); }, what);
}

HWND next_button(HWND wizard) { return control(wizard, IDC_SHEET_NEXT); }
HWND back_button(HWND wizard) { return control(wizard, 12323); }
HWND finish_button(HWND wizard) { return control(wizard, IDC_SHEET_FINISH); }
HWND cancel_button(HWND wizard) { return control(wizard, IDCANCEL); }
HWND current_page(HWND wizard) {
    return reinterpret_cast<HWND>(::SendMessageA(wizard, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// The window thread holds its own reference: a thread left hanging by a
// failed test keeps what it uses until the program ends.
struct Session::Shared {
    gui::App app;
    std::atomic<bool> done{false};
    std::atomic<int> status{-1};
};

Session::Session() : shared_(std::make_shared<Shared>()) {
    shared_->app.instance = ::GetModuleHandleA(nullptr);
    shared_->app.program_path = gui_program();
    std::thread([shared = shared_] {
        shared->status = gui::run_main_window(shared->app, SW_SHOWNORMAL);
        shared->done = true;
    }).detach();
    wait_until([&] { return shared_->app.main_thread_id != 0; }, "the window thread");
}

Session::~Session() {
    try {
        close();
    } catch (const StepTimeout&) {
    }
}

DWORD Session::thread_id() const { return shared_->app.main_thread_id; }

HWND Session::main_window() const {
    return wait_for([&] {
        HWND window = shared_->app.main_window;
        return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
    }, "the main window");
}

HWND Session::window(const WindowMatch& match, const std::string& what) const {
    return wait_for_window(dialog_that(thread_id(), match), what);
}

HWND Session::dialog(const std::string& title) const {
    return window([&](HWND w) { return text_of(w) == title; }, "the window \"" + title + "\"");
}

HWND Session::wizard() const {
    return window([](HWND w) { return ::GetDlgItem(w, IDC_SHEET_NEXT) != nullptr; }, "the wizard");
}

HWND Session::page_with(int id) const {
    return wait_for([&, sheet = wizard()] {
        HWND page = current_page(sheet);
        return page != nullptr && ::GetDlgItem(page, id) && ::IsWindowVisible(page) ? page : nullptr;
    }, "the wizard page with control " + std::to_string(id));
}

std::string Session::take_error_box() const {
    HWND box = dialog("Error");
    std::string text = text_of(control(box, 0xFFFF));
    click_and_wait_closed(control(box, IDOK), box, "the error box");
    return text;
}

bool Session::no_error_box() const {
    return find_window(dialog_that(thread_id(), [](HWND w) { return text_of(w) == "Error"; })) == nullptr;
}

int Session::close() {
    if (HWND window = shared_->app.main_window) ::PostMessageA(window, WM_CLOSE, 0, 0);
    wait_until([&] { return shared_->done.load(); }, "the window thread to end", 10s);
    return shared_->status;
}

void make_files(const fs::path& root, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, content] : files) {
        fs::create_directories((root / name).parent_path());
        testing::write_file(root / name, content);
    }
}

std::string native(const fs::path& path) {
    std::string text = platform::to_utf8(path.wstring());
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

HWND open_wizard_at(const Session& session, int button, int id, const std::string& directory) {
    post_click(control(session.main_window(), button));
    HWND sheet = session.wizard();
    for (;;) {
        HWND page = current_page(sheet);
        if (page != nullptr && ::GetDlgItem(page, id) != nullptr) return session.page_with(id);
        if (page != nullptr && ::GetDlgItem(page, IDC_DIRECTORY) != nullptr) {
            set_text(control(page, IDC_DIRECTORY), directory);
        }
        click_when_enabled(next_button(sheet), "Next");
        wait_until([&] { return current_page(sheet) != page; }, "the next page");
    }
}

void set_options(const Session& session, HWND page, const std::vector<int>& boxes) {
    post_click(control(page, IDC_OPTIONS));
    HWND options = session.dialog("Options");
    for (int box : boxes) ::SendMessageA(control(options, box), BM_CLICK, 0, 0);
    click_and_wait_closed(control(options, IDOK), options, "the Options dialog");
}

void choose_in_file_dialog(HWND dialog, const std::string& name) {
    HWND field = find_child(dialog, [](HWND w) { return ::GetDlgCtrlID(w) == 1148 && class_name(w) == "Edit"; });
    if (field == nullptr) throw StepTimeout("no file name field in \"" + text_of(dialog) + "\"");
    set_text(field, name);
    click_and_wait_closed(control(dialog, IDOK), dialog, "the file dialog");
}

HWND walk_website_wizard(const Session& session, const WebsiteSteps& steps,
                         const std::function<void(const char*, HWND)>& on_page) {
    HWND main = session.main_window();
    on_page("main-window", main);
    post_click(control(main, IDC_CONVERT_WEBSITE));
    HWND sheet = session.wizard();
    HWND next = next_button(sheet);
    // Once Next is enabled, shows the page to on_page and goes on to the
    // page with control id.
    auto advance = [&](const char* name, int id) {
        wait_until([&] { return is_enabled(next); }, std::string("Next on ") + name);
        on_page(name, sheet);
        post_click(next);
        return session.page_with(id);
    };
    // Adds an entry to the page's list with add(), waiting until it is there.
    auto add_entry = [](HWND list, const std::function<void()>& add, const std::string& what) {
        std::size_t before = list_entries(list).size();
        add();
        wait_until([&] { return list_entries(list).size() == before + 1; }, what + " in the list");
    };
    HWND page = advance("website-1-welcome", IDC_DIRECTORY);
    wait_until([&] { return !is_enabled(next); }, "Next disabled while no directory is given");
    set_text(control(page, IDC_DIRECTORY), steps.directory);
    if (!steps.options.empty()) set_options(session, page, steps.options);

    page = advance("website-2-directory", IDC_EXCLUDED_LIST);
    for (const std::string& directory : steps.excluded) {
        add_entry(control(page, IDC_EXCLUDED_LIST), [&] {
            post_click(control(page, IDC_ADD));
            HWND browser = session.window([](HWND w) { return find_child(w, is_tree) != nullptr; }, "the folder browser");
            on_page("website-3-folder-browser", browser);
            choose_folder(browser, directory);
        }, directory);
    }
    page = advance("website-3-excluded", IDC_EXTENSION_LIST);
    for (const std::string& extension : steps.add_extensions) {
        add_entry(control(page, IDC_EXTENSION_LIST), [&] {
            set_text(control(page, IDC_EXTENSION), extension);
            post_click(control(page, IDC_ADD));
        }, "the extension " + extension);
    }
    page = advance("website-4-extensions", IDC_LOG);
    wait_until([&] { return is_enabled(next) && is_enabled(back_button(sheet)); }, "Back and Next on the log page");
    return page;
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

void leave_wizard(const Session& session, HWND (*button)(HWND wizard)) {
    HWND sheet = session.wizard();
    click_and_wait_closed(button(sheet), sheet, "the wizard");
}

void arm_watchdog(Duration limit) {
    watchdog_deadline = Clock::now() + limit;
    static std::once_flag started;
    std::call_once(started, [] {
        std::thread([] {
            while (Clock::now() < watchdog_deadline.load()) std::this_thread::sleep_for(100ms);
            std::fprintf(stderr, "watchdog: the test hung; its windows:\n");
            ::EnumWindows(print_own_window, 0);
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 3);
        }).detach();
    });
}

void disarm_watchdog() { watchdog_deadline = Clock::time_point::max(); }

}  // namespace quorlix::gui_test
