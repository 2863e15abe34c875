// The command line of the Linux front end (quorlix-cli.exe on Windows).
#pragma once

#include "base/options.h"
#include "base/result.h"
#include "supervisor/conversion_run.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorlix::cli {

struct CommandLine {
    ConversionOptions options;
    std::vector<std::string> files;
    // Website mode: --site, --ext (html when none is given), --exclude.
    std::string site_directory;
    std::vector<std::string> extensions;
    std::vector<std::string> excluded_dirs;
    std::string log_file;
    bool quiet = false;
    // Put each page's backup back instead of converting.
    bool restore = false;
    // How many files are converted at the same time; 0: one per processor.
    unsigned jobs = 0;
    // A file (or "-", standard input) that lists more files to convert,
    // one a line or, with null_separated, each ended by a NUL byte.
    std::string files_from;
    bool null_separated = false;
    // "quorlix -": one page from standard input to standard output.
    bool filter = false;
    bool show_help = false;
    bool show_version = false;
};

// Parses the arguments after the program name; a failure's message is a
// one-line usage error.
Result<CommandLine> parse_command_line(const std::vector<std::string>& arguments);

const char* usage_text();

// The names of a file list (--files-from): separated by line feeds, or by
// NUL bytes; empty names are left out.
std::vector<std::string> split_file_list(std::string_view text, bool null_separated);

// The most files a run converts at the same time.
inline constexpr unsigned max_jobs = 256;

// True when a class prefix starts a valid CSS class name: 1 to
// max_class_prefix_length ASCII
// letters, digits, '-' and '_', not beginning with a digit, "--" or '-' and
// a digit.
bool is_valid_class_prefix(std::string_view prefix);

// The job of a parsed command line. In website mode the directory becomes a
// full path and so does each excluded directory (a relative one is taken
// relative to the website directory), without trailing separators, so that
// the walk can compare the paths it builds with them.
ConversionJob make_job(const CommandLine& command);

}  // namespace quorlix::cli
