// quorlix-cli.exe's entry point. Windows hands a program its command line
// in UTF-16; the command line's main (compiled as quorlix_cli_main on
// Windows) takes its arguments in UTF-8 as on Linux, so that a file name
// outside the system's code page reaches it intact.
#include "platform/win32/wide_names.h"

#include <string>
#include <vector>

int quorlix_cli_main(int argc, char** argv);

extern "C" int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) arguments.push_back(quorlix::platform::to_utf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return quorlix_cli_main(argc, pointers.data());
}
