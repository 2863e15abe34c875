#include "shell/cli/cli_options.h"

#include "base/paths.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace quorlix::cli {

namespace {

constexpr std::size_t max_class_prefix = 63;

bool set_warning_off(ConversionOptions& o, const std::string& kind) {
    if (kind == "element-replaced") o.warn_element_replaced = false;
    else if (kind == "name-to-id") o.warn_name_to_id = false;
    else if (kind == "frame-attribute") o.warn_frame_attribute = false;
    else if (kind == "center-alignment") o.warn_center_alignment = false;
    else if (kind == "charset") o.warn_charset = false;
    else if (kind == "all") {
        o.warn_element_replaced = o.warn_name_to_id = o.warn_frame_attribute = false;
        o.warn_center_alignment = o.warn_charset = false;
    } else {
        return false;
    }
    return true;
}

// Switches without a value.
struct Flag {
    const char* long_name;
    char short_name;
    bool ConversionOptions::*field;
};

constexpr Flag flags[] = {
    {"no-backup", 0, &ConversionOptions::no_backup},
    {"delete-img-border", 0, &ConversionOptions::delete_img_border},
    {"delete-td-scope", 0, &ConversionOptions::delete_td_scope},
    {"standard-css-only", 0, &ConversionOptions::standard_css_only},
    {"share-classes", 0, &ConversionOptions::share_classes},
    {"move-viewport-meta", 0, &ConversionOptions::move_viewport_meta},
    {"drop-prev-next-links", 0, &ConversionOptions::drop_prev_next_links},
    {"force", 0, &ConversionOptions::force},
    {"dry-run", 0, &ConversionOptions::dry_run},
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool parse_command_line(const std::vector<std::string>& arguments, CommandLine& result,
                        std::string& error) {
    bool options_ended = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            result.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        // Split "--name=value"; short options take their value attached
        // ("-j4") or as the next word.
        std::string name = arg;
        std::optional<std::string> inline_value;
        if (arg.rfind("--", 0) == 0) {
            std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inline_value = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2 && std::string_view("oexj").find(arg[1]) != std::string_view::npos) {
            name = arg.substr(0, 2);
            inline_value = arg.substr(2);
        }
        auto value = [&](std::string& out) {
            if (inline_value) {
                out = *inline_value;
                return true;
            }
            if (i + 1 >= arguments.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };

        bool matched_flag = false;
        for (const Flag& flag : flags) {
            if (name == std::string("--") + flag.long_name) {
                if (inline_value) {
                    error = "option " + name + " takes no value";
                    return false;
                }
                result.options.*flag.field = true;
                matched_flag = true;
            }
        }
        if (matched_flag) continue;

        if (name == "-h" || name == "--help") {
            result.show_help = true;
        } else if (name == "-V" || name == "--version") {
            result.show_version = true;
        } else if (name == "-q" || name == "--quiet") {
            result.quiet = true;
            result.options.verbose = false;
        } else if (name == "-o" || name == "--output-dir") {
            if (!value(result.options.output_dir)) return false;
            if (result.options.output_dir.empty()) {
                error = "the output directory is empty";
                return false;
            }
        } else if (name == "-j" || name == "--jobs") {
            std::string count;
            if (!value(count)) return false;
            unsigned long jobs = 0;
            bool digits = !count.empty() && count.size() <= 4 &&
                          count.find_first_not_of("0123456789") == std::string::npos;
            if (digits) jobs = std::stoul(count);
            if (!digits || jobs < 1 || jobs > max_jobs) {
                error = "the number of jobs must be a number from 1 to " + std::to_string(max_jobs) +
                        ", not '" + count + "'";
                return false;
            }
            result.jobs = static_cast<unsigned>(jobs);
        } else if (name == "--files-from") {
            if (!value(result.files_from)) return false;
            if (result.files_from.empty()) {
                error = "the file list is empty";
                return false;
            }
        } else if (name == "-0" || name == "--null") {
            if (inline_value) {
                error = "option " + name + " takes no value";
                return false;
            }
            result.null_separated = true;
        } else if (name == "--restore") {
            if (inline_value) {
                error = "option " + name + " takes no value";
                return false;
            }
            result.restore = true;
        } else if (name == "--class-prefix") {
            if (!value(result.options.class_prefix)) return false;
            if (!is_valid_class_prefix(result.options.class_prefix)) {
                error = "invalid class prefix '" + result.options.class_prefix +
                        "': give 1 to 63 ASCII letters, digits, '-' or '_', not starting with a "
                        "digit, '--' or '-' and a digit";
                return false;
            }
        } else if (name == "--no-warn") {
            std::string kind;
            if (!value(kind)) return false;
            if (!set_warning_off(result.options, kind)) {
                error = "unknown warning '" + kind + "' for --no-warn";
                return false;
            }
        } else if (name == "--log") {
            if (!value(result.log_file)) return false;
        } else if (name == "--site") {
            if (!result.site_directory.empty()) {
                error = "only one --site can be given";
                return false;
            }
            if (!value(result.site_directory)) return false;
            if (result.site_directory.empty()) {
                error = "the website directory is empty";
                return false;
            }
        } else if (name == "-e" || name == "--ext") {
            std::string extension;
            if (!value(extension)) return false;
            if (extension.empty()) {
                error = "an extension is empty";
                return false;
            }
            result.extensions.push_back(extension);
        } else if (name == "-x" || name == "--exclude") {
            std::string directory;
            if (!value(directory)) return false;
            if (directory.empty()) {
                error = "an excluded directory is empty";
                return false;
            }
            result.excluded_dirs.push_back(directory);
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (result.show_help || result.show_version) return true;
    if (result.null_separated && result.files_from.empty()) {
        error = "--null needs --files-from";
        return false;
    }
    if (std::find(result.files.begin(), result.files.end(), "-") != result.files.end()) {
        if (result.files.size() > 1 || !result.site_directory.empty() || !result.files_from.empty() ||
            result.restore || !result.options.output_dir.empty()) {
            error = "'-' (a page from standard input) goes alone, without other files, --site, "
                    "--files-from, --restore or --output-dir";
            return false;
        }
        result.filter = true;
        return true;
    }
    if (result.restore && !result.options.output_dir.empty()) {
        error = "--restore puts backups back in place and cannot be used with --output-dir";
        return false;
    }
    if (!result.site_directory.empty()) {
        if (!result.files.empty() || !result.files_from.empty()) {
            error = "give either files or --site, not both";
            return false;
        }
        if (result.extensions.empty()) result.extensions.push_back("html");
        return true;
    }
    if (!result.extensions.empty() || !result.excluded_dirs.empty()) {
        error = "--ext and --exclude need --site";
        return false;
    }
    if (result.files.empty() && result.files_from.empty()) {
        error = "no file to convert";
        return false;
    }
    return true;
}

namespace {

std::string without_trailing_separators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == platform::path_separator)) {
        path.pop_back();
    }
    return path;
}

bool is_absolute(const std::string& path) {
    if (native_path_style == PathStyle::posix) return !path.empty() && path[0] == '/';
    // A drive with its root, or a path from the root of the current drive.
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
    return path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::string full_directory(const std::string& path) {
    return without_trailing_separators(platform::full_path(path).value_or(path));
}

}  // namespace

bool is_valid_class_prefix(std::string_view prefix) {
    if (prefix.empty() || prefix.size() > max_class_prefix) return false;
    for (char c : prefix) {
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !is_digit(c) && c != '-' && c != '_') return false;
    }
    if (is_digit(prefix[0])) return false;
    // A lone '-' would make "-1", a '-' and a digit, of the first class.
    return !(prefix[0] == '-' && (prefix.size() == 1 || prefix[1] == '-' || is_digit(prefix[1])));
}

std::vector<std::string> split_file_list(std::string_view text, bool null_separated) {
    const char separator = null_separated ? '\0' : '\n';
    std::vector<std::string> names;
    while (!text.empty()) {
        std::size_t end = text.find(separator);
        std::string_view name = text.substr(0, end);
        if (!name.empty()) names.emplace_back(name);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return names;
}

ConversionJob make_job(const CommandLine& command) {
    ConversionJob job;
    job.create_output_dirs = !command.options.dry_run;
    if (command.site_directory.empty()) {
        job.files = command.files;
        job.output_dir = command.options.output_dir;
        return job;
    }
    job.site_directory = full_directory(command.site_directory);
    if (!command.options.output_dir.empty()) job.output_dir = full_directory(command.options.output_dir);
    job.extensions = command.extensions;
    for (const std::string& excluded : command.excluded_dirs) {
        std::string path = is_absolute(excluded)
                               ? excluded
                               : *join_path(job.site_directory, excluded, std::nullopt);
        job.excluded_dirs.push_back(full_directory(path));
    }
    return job;
}

const char* usage_text() {
    return "Usage: quorlix [OPTIONS] FILE...\n"
           "       quorlix [OPTIONS] --site DIR\n"
           "Convert XHTML 1.0 pages to HTML5, in place. Each original is kept as FILE.bak.\n"
           "\n"
           "      --site DIR           convert every matching file of the website tree DIR\n"
           "  -e, --ext EXT            extension to convert in website mode, without the\n"
           "                           dot; repeatable (default: html)\n"
           "  -x, --exclude DIR        subdirectory not to enter, relative to the website\n"
           "                           directory or absolute; repeatable\n"
           "      --files-from LIST    convert the files named in LIST, one a line ('-':\n"
           "                           standard input), after any FILE\n"
           "  -0, --null               names in LIST end with a NUL byte, not a line feed\n"
           "  -j, --jobs N             convert N files at the same time (default: one per\n"
           "                           processor); the log is the same for every N\n"
           "  -o, --output-dir DIR     write converted files into DIR instead (with --site,\n"
           "                           each page keeps its path below DIR)\n"
           "      --no-backup          do not keep the unconverted file as FILE.bak\n"
           "      --delete-img-border  delete a redundant border=\"0\" on img instead of\n"
           "                           converting it\n"
           "      --delete-td-scope    delete scope on td instead of failing the file\n"
           "      --standard-css-only  leave out the vendor-prefixed CSS fallbacks\n"
           "      --share-classes      elements with identical generated CSS share one\n"
           "                           class\n"
           "      --move-viewport-meta move a viewport meta to the top of the head\n"
           "      --drop-prev-next-links  treat rel prev/next like other obsolete links\n"
           "      --class-prefix PREFIX   prefix of generated class names: letters,\n"
           "                           digits, '-' and '_' (default quorlix_, at most\n"
           "                           63 characters)\n"
           "      --no-warn KIND       switch one warning off: element-replaced,\n"
           "                           name-to-id, frame-attribute, center-alignment,\n"
           "                           charset, all\n"
           "      --force              convert pages that are HTML5 already (by default\n"
           "                           they are skipped, so a run can be run again)\n"
           "      --dry-run            convert and report as usual, but change nothing\n"
           "      --restore            put each FILE.bak back in place of FILE instead\n"
           "                           of converting (the undo of a run)\n"
           "  -q, --quiet              no progress lines and no summary\n"
           "      --log FILE           save the conversion log to FILE as well\n"
           "  -h, --help               show this help\n"
           "  -V, --version            show the version\n"
           "\n"
           "Ctrl-C stops the run after the file being converted; a second Ctrl-C ends\n"
           "the command at once (that file is still converted completely).\n"
           "Exit status: 0 when every file was converted (or skipped), 1 when a file\n"
           "failed, the run was interrupted or its log could not be written, 2 for a\n"
           "usage error. A file that cannot be converted faithfully is left exactly as\n"
           "it was.\n";
}

}  // namespace quorlix::cli
