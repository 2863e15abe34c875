// The GUI test program: GoogleTest's scenarios, or with
//   --screenshots FOLDER
// a walk through every window of the program that leaves a BMP picture of
// each in FOLDER (scripts/screenshots.sh turns them into PNG files).
#include "gui/gui_test_support.h"

#include "shell/win32/app.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quorlix::gui_test {
int take_screenshots(const std::string& folder);
}

int main(int argc, char** argv) {
    // Conversion runs start the real program as their converter processes.
    quorlix::gui::program_path = quorlix::gui_test::gui_program();
    if (argc == 3 && std::strcmp(argv[1], "--screenshots") == 0) {
        return quorlix::gui_test::take_screenshots(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
