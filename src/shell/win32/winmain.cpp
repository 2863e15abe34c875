// quorlix.exe: the wizard process, or a converter process when started with
// "-dch" and the handle of a settings block.
#include "shell/win32/app.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR argument_text, int show_command) {
    return quorlix::gui::program_entry(instance, argument_text, show_command);
}
