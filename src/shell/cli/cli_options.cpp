#include "shell/cli/cli_options.h"

#include "base/messages.h"
#include "base/paths.h"
#include "platform/platform.h"

#include <getopt.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace quorlix::cli {

namespace {

Status set_warning_off(ConversionOptions& o, const std::string& kind) {
    if (kind == "element-replaced") o.warn_element_replaced = false;
    else if (kind == "name-to-id") o.warn_name_to_id = false;
    else if (kind == "frame-attribute") o.warn_frame_attribute = false;
    else if (kind == "center-alignment") o.warn_center_alignment = false;
    else if (kind == "charset") o.warn_charset = false;
    else if (kind == "all") {
        o.warn_element_replaced = o.warn_name_to_id = o.warn_frame_attribute = false;
        o.warn_center_alignment = o.warn_charset = false;
    } else {
        return failure(messages::cli_unknown_warning_1 + kind + messages::cli_unknown_warning_2);
    }
    return {};
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A value that must not be empty.
Status set_text(std::string& field, const std::string& value, const char* empty_message) {
    if (value.empty()) return failure(empty_message);
    field = value;
    return {};
}

// One option of the command line: its names, whether it takes a value,
// and what it does. A switch of the conversion options needs no function.
struct OptionSpec {
    const char* long_name;
    char short_name;  // 0: a long name only
    bool takes_value;
    bool ConversionOptions::*flag;
    Status (*apply)(CommandLine& c, const std::string& value);
};

constexpr OptionSpec option_table[] = {
    {"help", 'h', false, nullptr, [](CommandLine& c, const std::string&) -> Status {
         c.show_help = true;
         return {};
     }},
    {"version", 'V', false, nullptr, [](CommandLine& c, const std::string&) -> Status {
         c.show_version = true;
         return {};
     }},
    {"quiet", 'q', false, nullptr, [](CommandLine& c, const std::string&) -> Status {
         c.quiet = true;
         c.options.verbose = false;
         return {};
     }},
    {"output-dir", 'o', true, nullptr, [](CommandLine& c, const std::string& v) {
         return set_text(c.options.output_dir, v, messages::cli_empty_output_dir);
     }},
    {"jobs", 'j', true, nullptr, [](CommandLine& c, const std::string& v) -> Status {
         unsigned long jobs = 0;
         bool digits = !v.empty() && v.size() <= 4 && v.find_first_not_of("0123456789") == std::string::npos;
         if (digits) jobs = std::stoul(v);
         if (!digits || jobs < 1 || jobs > max_jobs) {
             return failure(messages::cli_bad_jobs_1 + std::to_string(max_jobs) + messages::cli_bad_jobs_2 +
                            v + "'");
         }
         c.jobs = static_cast<unsigned>(jobs);
         return {};
     }},
    {"files-from", 0, true, nullptr, [](CommandLine& c, const std::string& v) {
         return set_text(c.files_from, v, messages::cli_empty_file_list);
     }},
    {"null", '0', false, nullptr, [](CommandLine& c, const std::string&) -> Status {
         c.null_separated = true;
         return {};
     }},
    {"restore", 0, false, nullptr, [](CommandLine& c, const std::string&) -> Status {
         c.restore = true;
         return {};
     }},
    {"class-prefix", 0, true, nullptr, [](CommandLine& c, const std::string& v) -> Status {
         c.options.class_prefix = v;
         if (is_valid_class_prefix(v)) return {};
         return failure(messages::cli_bad_prefix_1 + v + messages::cli_bad_prefix_2 +
                        std::to_string(max_class_prefix_length) + messages::cli_bad_prefix_3);
     }},
    {"no-warn", 0, true, nullptr, [](CommandLine& c, const std::string& v) {
         return set_warning_off(c.options, v);
     }},
    {"log", 0, true, nullptr, [](CommandLine& c, const std::string& v) -> Status {
         c.log_file = v;
         return {};
     }},
    {"site", 0, true, nullptr, [](CommandLine& c, const std::string& v) -> Status {
         if (!c.site_directory.empty()) return failure(messages::cli_second_site);
         return set_text(c.site_directory, v, messages::cli_empty_site);
     }},
    {"ext", 'e', true, nullptr, [](CommandLine& c, const std::string& v) -> Status {
         if (v.empty()) return failure(messages::cli_empty_extension);
         c.extensions.push_back(v);
         return {};
     }},
    {"exclude", 'x', true, nullptr, [](CommandLine& c, const std::string& v) -> Status {
         if (v.empty()) return failure(messages::cli_empty_exclude);
         c.excluded_dirs.push_back(v);
         return {};
     }},
    {"no-backup", 0, false, &ConversionOptions::no_backup, nullptr},
    {"delete-img-border", 0, false, &ConversionOptions::delete_img_border, nullptr},
    {"delete-td-scope", 0, false, &ConversionOptions::delete_td_scope, nullptr},
    {"standard-css-only", 0, false, &ConversionOptions::standard_css_only, nullptr},
    {"share-classes", 0, false, &ConversionOptions::share_classes, nullptr},
    {"author-css-wins", 0, false, &ConversionOptions::author_css_wins, nullptr},
    {"to-utf8", 0, false, &ConversionOptions::to_utf8, nullptr},
    {"move-viewport-meta", 0, false, &ConversionOptions::move_viewport_meta, nullptr},
    {"drop-prev-next-links", 0, false, &ConversionOptions::drop_prev_next_links, nullptr},
    {"force", 0, false, &ConversionOptions::force, nullptr},
    {"dry-run", 0, false, &ConversionOptions::dry_run, nullptr},
};

constexpr int option_count = static_cast<int>(std::size(option_table));

// What getopt_long returns for an option: its short name, or a number past
// every character for a long name only.
int code_of(int index) {
    const char short_name = option_table[index].short_name;
    return short_name != 0 ? static_cast<unsigned char>(short_name) : 256 + index;
}

const OptionSpec* spec_of_code(int code) {
    for (int i = 0; i < option_count; ++i) {
        if (code_of(i) == code) return &option_table[i];
    }
    return nullptr;
}

// The long option that a word "--name[=value]" names: the one of that
// name, or the only one that it abbreviates; none when it is unknown or
// ambiguous.
const OptionSpec* spec_of_long_word(std::string_view name) {
    const OptionSpec* found = nullptr;
    for (const OptionSpec& spec : option_table) {
        std::string_view long_name = spec.long_name;
        if (long_name == name) return &spec;
        if (long_name.substr(0, name.size()) == name) {
            if (found != nullptr) return nullptr;
            found = &spec;
        }
    }
    return found;
}

// The message of a word that getopt_long refused: an unknown option, a
// missing value or a value given to a switch. c is the character getopt
// looked at in a word of short options.
std::string refusal(const std::string& word, int c) {
    if (word.rfind("--", 0) == 0) {
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionSpec* spec = spec_of_long_word(std::string_view(name).substr(2));
        if (spec != nullptr && spec->takes_value && equals == std::string::npos) {
            return messages::cli_option + name + messages::cli_needs_value;
        }
        if (spec != nullptr && !spec->takes_value && equals != std::string::npos) {
            return messages::cli_option + name + messages::cli_takes_no_value;
        }
        std::string candidates;
        for (const OptionSpec& other : option_table) {
            std::string_view long_name = other.long_name;
            if (name.size() > 2 && long_name.substr(0, name.size() - 2) == std::string_view(name).substr(2)) {
                candidates += (candidates.empty() ? "--" : ", --") + std::string(long_name);
            }
        }
        if (spec == nullptr && candidates.find(',') != std::string::npos) {
            return messages::cli_option + name + messages::cli_ambiguous + candidates;
        }
        return messages::cli_unknown_option + word + "'";
    }
    const OptionSpec* spec = c > 0 && c < 256 ? spec_of_code(c) : nullptr;
    const std::string name = std::string("-") + static_cast<char>(c);
    if (spec != nullptr && spec->takes_value) return messages::cli_option + name + messages::cli_needs_value;
    // An unknown first letter names the whole word, as in "-dch5.html".
    if (word.size() > 1 && word[1] == c) return messages::cli_unknown_option + word + "'";
    return messages::cli_unknown_option + name + "'";
}

// The checks of a whole command line, after every option has been taken.
Status check_combination(CommandLine& result) {
    if (result.show_help || result.show_version) return {};
    if (result.null_separated && result.files_from.empty()) return failure(messages::cli_null_alone);
    if (std::find(result.files.begin(), result.files.end(), "-") != result.files.end()) {
        if (result.files.size() > 1 || !result.site_directory.empty() || !result.files_from.empty() ||
            result.restore || !result.options.output_dir.empty()) {
            return failure(messages::cli_filter_alone);
        }
        result.filter = true;
        return {};
    }
    if (result.restore && !result.options.output_dir.empty()) return failure(messages::cli_restore_output_dir);
    if (!result.site_directory.empty()) {
        if (!result.files.empty() || !result.files_from.empty()) return failure(messages::cli_files_and_site);
        if (result.extensions.empty()) result.extensions.push_back("html");
        return {};
    }
    if (!result.extensions.empty() || !result.excluded_dirs.empty()) {
        return failure(messages::cli_site_options_alone);
    }
    if (result.files.empty() && result.files_from.empty()) return failure(messages::cli_no_file);
    return {};
}

}  // namespace

Result<CommandLine> parse_command_line(const std::vector<std::string>& arguments) {
    // getopt_long: options in any order among the files (each file is
    // returned where it stands), short options combined ("-qV") and with
    // their values attached ("-j4"), long options abbreviated to any
    // unambiguous prefix and given their values as "--name=value" or as
    // the next word, "--" ending the options. Its own messages are off;
    // refused words get the messages of this program.
    std::string short_options = "-";
    std::vector<option> long_options;
    for (int i = 0; i < option_count; ++i) {
        const OptionSpec& spec = option_table[i];
        if (spec.short_name != 0) {
            short_options += spec.short_name;
            if (spec.takes_value) short_options += ':';
        }
        long_options.push_back({spec.long_name, spec.takes_value ? required_argument : no_argument,
                                nullptr, code_of(i)});
    }
    long_options.push_back({nullptr, 0, nullptr, 0});

    // getopt_long works on a C argument vector, with the program's name first.
    std::vector<std::string> words;
    words.reserve(arguments.size() + 1);
    words.push_back(messages::program_name);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    CommandLine result;
    opterr = 0;
    optind = 0;  // starts a new scan
    for (;;) {
        // The word being looked at: getopt_long moves on to the next word
        // only once it has taken every option of this one.
        const int at = std::max(optind, 1);
        const int code = getopt_long(argc, argv.data(), short_options.c_str(), long_options.data(), nullptr);
        if (code == -1) break;
        if (code == 1) {
            result.files.emplace_back(optarg);
            continue;
        }
        const OptionSpec* spec = code == '?' || code == ':' ? nullptr : spec_of_code(code);
        if (spec == nullptr) return failure(refusal(at < argc ? words[at] : std::string(), optopt));
        if (spec->flag != nullptr) {
            result.options.*spec->flag = true;
            continue;
        }
        Status applied = spec->apply(result, spec->takes_value ? std::string(optarg) : std::string());
        if (!applied) return failure(applied.message());
    }
    // What follows "--" is files only.
    for (int i = std::max(optind, 1); i < argc; ++i) result.files.push_back(words[i]);

    if (Status combined = check_combination(result); !combined) return failure(combined.message());
    return result;
}

namespace {

std::string without_trailing_separators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == platform::path_separator)) {
        path.pop_back();
    }
    return path;
}

std::string full_directory(const std::string& path) {
    return without_trailing_separators(platform::full_path(path).value_or(path));
}

}  // namespace

bool is_valid_class_prefix(std::string_view prefix) {
    if (prefix.empty() || prefix.size() > max_class_prefix_length) return false;
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
        std::string path = platform::is_absolute_path(excluded)
                               ? excluded
                               : *join_path(job.site_directory, excluded, std::nullopt);
        job.excluded_dirs.push_back(full_directory(path));
    }
    return job;
}

const char* usage_text() { return messages::cli_usage; }

}  // namespace quorlix::cli
