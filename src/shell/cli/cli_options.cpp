#include "shell/cli/cli_options.h"

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
    {"move-viewport-meta", 0, &ConversionOptions::move_viewport_meta},
    {"drop-prev-next-links", 0, &ConversionOptions::drop_prev_next_links},
};

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
        // Split "--name=value"; short options take their value as the next word.
        std::string name = arg;
        std::optional<std::string> inline_value;
        if (arg.rfind("--", 0) == 0) {
            std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inline_value = arg.substr(eq + 1);
            }
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
        } else if (name == "--class-prefix") {
            if (!value(result.options.class_prefix)) return false;
            if (result.options.class_prefix.size() > max_class_prefix) {
                error = "the class prefix is longer than 63 characters";
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
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (!result.show_help && !result.show_version && result.files.empty()) {
        error = "no file to convert";
        return false;
    }
    return true;
}

const char* usage_text() {
    return "Usage: quorlix [OPTIONS] FILE...\n"
           "Convert XHTML 1.0 pages to HTML5, in place. Each original is kept as FILE.bak.\n"
           "\n"
           "  -o, --output-dir DIR     write converted files into DIR instead\n"
           "      --no-backup          do not keep the unconverted file as FILE.bak\n"
           "      --delete-img-border  delete a redundant border=\"0\" on img instead of\n"
           "                           converting it\n"
           "      --delete-td-scope    delete scope on td instead of failing the file\n"
           "      --standard-css-only  leave out the vendor-prefixed CSS fallbacks\n"
           "      --move-viewport-meta move a viewport meta to the top of the head\n"
           "      --drop-prev-next-links  treat rel prev/next like other obsolete links\n"
           "      --class-prefix PREFIX   prefix of generated class names\n"
           "                           (default quorlix_, at most 63 characters)\n"
           "      --no-warn KIND       switch one warning off: element-replaced,\n"
           "                           name-to-id, frame-attribute, center-alignment,\n"
           "                           charset, all\n"
           "  -q, --quiet              no progress lines and no summary\n"
           "      --log FILE           save the conversion log to FILE as well\n"
           "  -h, --help               show this help\n"
           "  -V, --version            show the version\n"
           "\n"
           "Exit status: 0 when every file was converted, 1 when a file failed or the\n"
           "run was interrupted, 2 for a usage error. A file that cannot be converted\n"
           "faithfully is left exactly as it was.\n";
}

}  // namespace quorlix::cli
