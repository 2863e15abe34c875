// The screenshot tool: walks through the main window, both wizards with a
// run each, the Options dialog, About and Help, driving the real dialogs as
// the GUI tests do, and leaves a BMP picture of each window in the folder
// given (scripts/screenshots.sh turns them into PNG files):
//
//   screenshots.exe --screenshots FOLDER
#include "gui/gui_driver.h"

#include "shell/win32/resource_ids.h"
#include "support/test_support.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <tuple>

namespace quorlix::gui_test {

namespace {

// The window's picture as it is on the screen, as a 24-bit BMP file.
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

class Camera {
public:
    explicit Camera(std::string folder) : folder_(std::move(folder)) {}

    void operator()(const char* name, HWND window) {
        // Painted and settled before the picture.
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        std::this_thread::sleep_for(300ms);
        std::string path = folder_ + "\\" + name + ".bmp";
        if (capture_window(window, path)) {
            std::printf("%s\n", path.c_str());
            ++taken_;
        } else {
            std::fprintf(stderr, "screenshots: could not capture %s\n", name);
            ++failed_;
        }
    }

    int taken() const { return taken_; }
    int failed() const { return failed_; }

private:
    std::string folder_;
    int taken_ = 0;
    int failed_ = 0;
};

void run_and_finish(const Session& session, HWND log_page, Camera& shoot, const char* summary_name,
                    const char* log_name) {
    HWND sheet = session.wizard();
    shoot(summary_name, sheet);
    click_when_enabled(next_button(sheet), "Next on the log page");
    wait_for_run_end(session, log_page);
    shoot(log_name, sheet);
    click_and_wait_closed(finish_button(sheet), sheet, "the wizard");
}

int take_screenshots(const std::string& folder) {
    arm_watchdog(120s);
    Camera shoot(folder);
    try {
        testing::ScratchDir scratch;
        const fs::path site = scratch.path() / "example-site";
        make_files(site, {{"index.html", good_page},
                          {"contact.htm", good_page},
                          {"news/2009.html", "GIF89a, not a page"},
                          {"news/2010.html", good_page},
                          {"drafts/todo.html", good_page}});
        const std::string dir = native(site);
        Session session;

        HWND log_page = walk_website_wizard(
            session, {dir, {dir + "\\drafts"}, {"htm"}, {IDC_DELETE_TD_SCOPE}}, std::ref(shoot));
        run_and_finish(session, log_page, shoot, "website-5-summary", "website-6-log");

        HWND main = session.main_window();
        HWND file_page = open_wizard_at(session, IDC_CONVERT_FILE, IDC_FILE);
        HWND sheet = session.wizard();
        set_text(control(file_page, IDC_FILE), native(site / "index.html"));
        post_click(control(file_page, IDC_OPTIONS));
        HWND options = session.dialog("Options");
        ::SendMessageA(control(options, IDC_NO_BACKUP), BM_CLICK, 0, 0);
        shoot("options", options);
        click_and_wait_closed(control(options, IDOK), options, "the Options dialog");
        shoot("file-2-file", sheet);
        click_when_enabled(next_button(sheet), "Next on the file page");
        run_and_finish(session, session.page_with(IDC_LOG), shoot, "file-3-summary", "file-4-log");

        for (auto [button, title, name] : {std::tuple{IDC_SHOW_ABOUT, "About Quorlix", "about"},
                                           std::tuple{IDC_SHOW_HELP, "Help", "help"}}) {
            post_click(control(main, button));
            HWND box = session.dialog(title);
            shoot(name, box);
            click_and_wait_closed(control(box, IDOK), box, title);
        }
        session.close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "screenshots: %s\n", error.what());
        return 1;
    }
    disarm_watchdog();
    std::printf("%d pictures\n", shoot.taken());
    return shoot.failed() == 0 && shoot.taken() > 0 ? 0 : 1;
}

}  // namespace

}  // namespace quorlix::gui_test

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--screenshots") != 0) {
        std::fprintf(stderr, "usage: screenshots --screenshots FOLDER\n");
        return 2;
    }
    return quorlix::gui_test::take_screenshots(argv[2]);
}
