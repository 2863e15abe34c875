// The --screenshots mode of the GUI test program: walks through the main
// window, both wizards with a run each, the Options dialog, About and Help,
// and leaves a BMP picture of each window in the folder given.
#include "gui/gui_test_support.h"

#include "shell/win32/resource_ids.h"

#include <cstdio>
#include <thread>

namespace quorlix::gui_test {

namespace {

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
    post_click(finish_button(sheet));
    wait_until([&] { return !::IsWindow(sheet); }, "the wizard to close");
}

}  // namespace

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
        post_click(control(main, IDC_CONVERT_FILE));
        HWND sheet = session.wizard();
        click_when_enabled(next_button(sheet), "Next on the welcome page");
        HWND file_page = session.page_with(IDC_FILE);
        set_text(control(file_page, IDC_FILE), native(site / "index.html"));
        post_click(control(file_page, IDC_OPTIONS));
        HWND options = session.dialog("Options");
        ::SendMessageA(control(options, IDC_NO_BACKUP), BM_CLICK, 0, 0);
        shoot("options", options);
        post_click(control(options, IDOK));
        wait_until([&] { return !::IsWindow(options); }, "the Options dialog to close");
        shoot("file-2-file", sheet);
        click_when_enabled(next_button(sheet), "Next on the file page");
        run_and_finish(session, session.page_with(IDC_LOG), shoot, "file-3-summary", "file-4-log");

        for (auto [button, title, name] : {std::tuple{IDC_SHOW_ABOUT, "About Quorlix", "about"},
                                           std::tuple{IDC_SHOW_HELP, "Help", "help"}}) {
            post_click(control(main, button));
            HWND box = session.dialog(title);
            shoot(name, box);
            post_click(control(box, IDOK));
            wait_until([&] { return !::IsWindow(box); }, std::string(title) + " to close");
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

}  // namespace quorlix::gui_test
