#include "gui/gui_driver.h"

#include "shell/win32/app.h"
#include "shell/win32/resource_ids.h"

#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

namespace quorlix::gui_test {

namespace {

constexpr Duration poll_interval = 10ms;
constexpr int message_box_text_id = 0xFFFF;

BOOL CALLBACK collect_window(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

}  // namespace

void wait_until(const std::function<bool()>& ready, const std::string& what, Duration timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (ready()) return;
        if (std::chrono::steady_clock::now() > deadline) {
            throw StepTimeout("timed out waiting for " + what);
        }
        std::this_thread::sleep_for(poll_interval);
    }
}

std::string class_name(HWND window) {
    char name[256] = "";
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string text_of(HWND window) {
    int length = ::GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

HWND control(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    if (item == nullptr) {
        throw StepTimeout("no control " + std::to_string(id) + " in \"" + text_of(dialog) + "\"");
    }
    return item;
}

bool is_enabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }

HWND descendant(HWND window, const std::string& wanted_class, int id) {
    struct Search {
        const std::string& wanted_class;
        int id;
        HWND found = nullptr;
    } search{wanted_class, id};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (::GetDlgCtrlID(child) != s.id || class_name(child) != s.wanted_class) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        throw StepTimeout("no " + wanted_class + " " + std::to_string(id) + " in \"" + text_of(window) + "\"");
    }
    return search.found;
}

void set_text(HWND control, const std::string& text) {
    ::SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void post_click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void click_when_enabled(HWND button, const std::string& what) {
    wait_until([&] { return is_enabled(button) && ::IsWindowVisible(button); }, what + " enabled");
    post_click(button);
}

std::vector<HWND> thread_windows(DWORD thread) {
    std::vector<HWND> windows;
    ::EnumThreadWindows(thread, collect_window, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND focus_of(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::vector<std::string> list_entries(HWND list) {
    std::vector<std::string> entries;
    LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        LRESULT got = ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        entries.push_back(text);
    }
    return entries;
}

struct Session::Shared {
    std::atomic<DWORD> thread_id{0};
    std::atomic<bool> done{false};
    std::atomic<int> status{-1};
    std::thread thread;
};

Session::Session() : shared_(std::make_shared<Shared>()) {
    std::shared_ptr<Shared> shared = shared_;
    shared_->thread = std::thread([shared] {
        gui::app_instance = ::GetModuleHandleA(nullptr);
        shared->thread_id = ::GetCurrentThreadId();
        shared->status = gui::run_main_window(SW_SHOWNORMAL);
        shared->done = true;
    });
    wait_until([&] { return shared_->thread_id != 0; }, "the window thread");
}

Session::~Session() {
    if (!closed_) {
        try {
            close();
        } catch (const StepTimeout&) {
        }
    }
    if (shared_->done) {
        shared_->thread.join();
    } else {
        // Left to the end of the program; it holds its own state.
        shared_->thread.detach();
    }
}

DWORD Session::thread_id() const { return shared_->thread_id; }

HWND Session::main_window() const {
    HWND window = nullptr;
    wait_until(
        [&] {
            window = gui::main_window.load();
            return window != nullptr && ::IsWindowVisible(window);
        },
        "the main window");
    return window;
}

HWND Session::find_dialog(const std::string& title) const {
    for (HWND window : thread_windows(thread_id())) {
        if (class_name(window) == "#32770" && ::IsWindowVisible(window) && text_of(window) == title) {
            return window;
        }
    }
    return nullptr;
}

HWND Session::dialog(const std::string& title, Duration timeout) const {
    HWND found = nullptr;
    wait_until([&] { return (found = find_dialog(title)) != nullptr; },
               "the window \"" + title + "\"", timeout);
    return found;
}

bool Session::wizard_open() const {
    for (HWND window : thread_windows(thread_id())) {
        if (class_name(window) == "#32770" && ::GetDlgItem(window, IDC_SHEET_NEXT) != nullptr) {
            return true;
        }
    }
    return false;
}

HWND Session::wizard() const {
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND window : thread_windows(thread_id())) {
                if (class_name(window) == "#32770" && ::IsWindowVisible(window) &&
                    ::GetDlgItem(window, IDC_SHEET_NEXT) != nullptr) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        "the wizard");
    return found;
}

HWND Session::page_with(int id) const {
    HWND sheet = wizard();
    HWND page = nullptr;
    wait_until(
        [&] {
            page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            return page != nullptr && ::GetDlgItem(page, id) != nullptr && ::IsWindowVisible(page);
        },
        "the wizard page with control " + std::to_string(id));
    return page;
}

std::string Session::take_error_box() const {
    HWND box = dialog("Error");
    std::string text = text_of(control(box, message_box_text_id));
    post_click(control(box, IDOK));
    wait_until([&] { return !::IsWindow(box); }, "the error box to close");
    return text;
}

bool Session::no_error_box() const { return find_dialog("Error") == nullptr; }

int Session::close() {
    closed_ = true;
    if (!shared_->done) {
        if (HWND window = gui::main_window.load()) ::PostMessageA(window, WM_CLOSE, 0, 0);
        wait_until([&] { return shared_->done.load(); }, "the window thread to end", 10s);
    }
    return shared_->status;
}

HWND next_button(HWND wizard) { return control(wizard, IDC_SHEET_NEXT); }
HWND finish_button(HWND wizard) { return control(wizard, IDC_SHEET_FINISH); }
HWND cancel_button(HWND wizard) { return control(wizard, IDCANCEL); }
HWND back_button(HWND wizard) { return control(wizard, 12323); }

bool capture_window(HWND window, const std::string& bmp_path) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return false;
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    bool copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as BMP files have it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<char> pixels(stride * static_cast<std::size_t>(height));
    bool read = copied && ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                      reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == height;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!read) return false;

    BITMAPFILEHEADER file_header{};
    file_header.bfType = 0x4D42;  // "BM"
    file_header.bfOffBits = sizeof file_header + sizeof header;
    file_header.bfSize = static_cast<DWORD>(file_header.bfOffBits + pixels.size());
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    std::ofstream out(bmp_path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file_header), sizeof file_header);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

namespace {

// Far away, but not so far that the clocks' conversions overflow.
std::chrono::steady_clock::time_point idle_deadline() {
    return std::chrono::steady_clock::now() + std::chrono::hours(24);
}

struct Watchdog {
    std::mutex mutex;
    std::condition_variable changed;
    std::chrono::steady_clock::time_point deadline = idle_deadline();
    bool started = false;
};

Watchdog& watchdog() {
    static Watchdog* instance = new Watchdog;  // outlives every test
    return *instance;
}

BOOL CALLBACK collect_own_window(HWND window, LPARAM windows) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

[[noreturn]] void bite() {
    std::fprintf(stderr, "watchdog: the test hung; its windows:\n");
    std::vector<HWND> windows;
    ::EnumWindows(collect_own_window, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        // Read without sending a message: the window thread may be the one
        // that hangs.
        wchar_t title[256] = L"";
        ::InternalGetWindowText(window, title, 256);
        std::fprintf(stderr, "  %p class \"%s\" title \"%ls\"%s\n", static_cast<void*>(window),
                     class_name(window).c_str(), title, ::IsWindowVisible(window) ? "" : " (hidden)");
    }
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    for (;;) {
    }
}

}  // namespace

void arm_watchdog(Duration limit) {
    Watchdog& dog = watchdog();
    std::lock_guard<std::mutex> lock(dog.mutex);
    dog.deadline = std::chrono::steady_clock::now() + limit;
    if (!dog.started) {
        dog.started = true;
        std::thread([&dog] {
            std::unique_lock<std::mutex> lock(dog.mutex);
            for (;;) {
                if (dog.changed.wait_until(lock, dog.deadline) == std::cv_status::timeout &&
                    std::chrono::steady_clock::now() >= dog.deadline) {
                    bite();
                }
            }
        }).detach();
    }
    dog.changed.notify_all();
}

void disarm_watchdog() {
    Watchdog& dog = watchdog();
    std::lock_guard<std::mutex> lock(dog.mutex);
    dog.deadline = idle_deadline();
    dog.changed.notify_all();
}

}  // namespace quorlix::gui_test
