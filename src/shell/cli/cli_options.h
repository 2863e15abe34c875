// The command line of the Linux front end (quorlix-cli.exe on Windows).
#pragma once

#include "converter/options.h"

#include <string>
#include <vector>

namespace quorlix::cli {

struct CommandLine {
    ConversionOptions options;
    std::vector<std::string> files;
    std::string log_file;
    bool quiet = false;
    bool show_help = false;
    bool show_version = false;
};

// Parses the arguments after the program name. Returns false with a one-line
// message in error when they are not usable.
bool parse_command_line(const std::vector<std::string>& arguments, CommandLine& result,
                        std::string& error);

const char* usage_text();

}  // namespace quorlix::cli
