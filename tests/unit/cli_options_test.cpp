#include "base/paths.h"
#include "platform/platform.h"
#include "shell/cli/cli_options.h"

#include <gtest/gtest.h>

namespace quorlix::cli {
namespace {

CommandLine parse_ok(std::vector<std::string> arguments) {
    Result<CommandLine> parsed = parse_command_line(arguments);
    EXPECT_TRUE(parsed.ok()) << parsed.message();
    return parsed.ok() ? *parsed : CommandLine();
}

std::string parse_error(std::vector<std::string> arguments) {
    Result<CommandLine> parsed = parse_command_line(arguments);
    EXPECT_FALSE(parsed.ok());
    return parsed.ok() ? std::string() : parsed.message();
}

TEST(CommandLine, OptionsMapOntoTheConversionOptions) {
    CommandLine c = parse_ok({"--force", "--dry-run", "--share-classes", "--author-css-wins", "--to-utf8", "--no-backup", "--delete-img-border", "--delete-td-scope",
                              "--standard-css-only", "--move-viewport-meta",
                              "--drop-prev-next-links", "--class-prefix", "site-", "-o", "out",
                              "--no-warn", "charset", "--no-warn=name-to-id", "a.html", "b.html"});
    const ConversionOptions& o = c.options;
    EXPECT_TRUE(o.no_backup && o.delete_img_border && o.delete_td_scope && o.standard_css_only &&
                o.move_viewport_meta && o.drop_prev_next_links);
    EXPECT_EQ(o.class_prefix, "site-");
    EXPECT_EQ(o.output_dir, "out");
    EXPECT_FALSE(o.warn_charset);
    EXPECT_FALSE(o.warn_name_to_id);
    EXPECT_TRUE(o.warn_element_replaced && o.warn_frame_attribute && o.warn_center_alignment);
    EXPECT_TRUE(o.verbose && o.force && o.dry_run && o.share_classes && o.author_css_wins && o.to_utf8);
    EXPECT_FALSE(c.restore);
    EXPECT_TRUE(parse_ok({"--restore", "--site", "web"}).restore);
    EXPECT_EQ(c.files, (std::vector<std::string>{"a.html", "b.html"}));
}

TEST(CommandLine, QuietAllWarningsAndTheEndOfOptions) {
    CommandLine c = parse_ok({"-q", "--no-warn", "all", "--", "-odd-name.html"});
    EXPECT_FALSE(c.options.verbose);
    EXPECT_TRUE(c.quiet);
    EXPECT_FALSE(c.options.warn_element_replaced || c.options.warn_name_to_id ||
                 c.options.warn_frame_attribute || c.options.warn_center_alignment ||
                 c.options.warn_charset);
    EXPECT_EQ(c.files, std::vector<std::string>{"-odd-name.html"});
}

TEST(CommandLine, UsageErrors) {
    EXPECT_EQ(parse_error({}), "no file to convert");
    EXPECT_EQ(parse_error({"--frobnicate", "a.html"}), "unknown option '--frobnicate'");
    EXPECT_EQ(parse_error({"--no-warn", "loud", "a.html"}), "unknown warning 'loud' for --no-warn");
    EXPECT_EQ(parse_error({"-dch5.html"}), "unknown option '-dch5.html'");
    EXPECT_EQ(parse_error({"--restore", "-o", "out", "a.html"}),
              "--restore puts backups back in place and cannot be used with --output-dir");
    EXPECT_EQ(parse_error({"--no-backup=yes", "a.html"}), "option --no-backup takes no value");
    EXPECT_EQ(parse_error({"a.html", "--site", "web"}), "give either files or --site, not both");
    EXPECT_EQ(parse_error({"--ext", "htm", "a.html"}), "--ext and --exclude need --site");
    EXPECT_EQ(parse_error({"--site", "a", "--site", "b"}), "only one --site can be given");
    EXPECT_EQ(parse_error({"--site", "web", "--ext="}), "an extension is empty");
    EXPECT_TRUE(parse_ok({"--help"}).show_help);
    EXPECT_TRUE(parse_ok({"-V"}).show_version);
}

// Combined short options, attached values, long-option prefixes and
// "--name=value"; files stay in order wherever they stand.
TEST(CommandLine, ConventionsOfTheCommandLine) {
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> files;
        unsigned jobs;
    } accepted[] = {
        {{"-qj3", "a.html"}, {"a.html"}, 3},
        {{"a.html", "-qj", "3", "b.html"}, {"a.html", "b.html"}, 3},
        {{"--jo=2", "--qu", "a.html"}, {"a.html"}, 2},
        {{"-q", "--jobs", "2", "--", "-q", "--jobs"}, {"-q", "--jobs"}, 2},
    };
    for (const auto& c : accepted) {
        CommandLine command = parse_ok(c.arguments);
        EXPECT_EQ(command.files, c.files);
        EXPECT_EQ(command.jobs, c.jobs);
        EXPECT_TRUE(command.quiet);
    }
    EXPECT_EQ(parse_error({"-qZ", "a.html"}), "unknown option '-Z'");
    EXPECT_EQ(parse_error({"--no", "a.html"}), "option --no is ambiguous; it may be --no-warn, --no-backup");
    EXPECT_EQ(parse_error({"--no-b=1", "a.html"}), "option --no-b takes no value");
    EXPECT_EQ(parse_error({"a.html", "-qj"}), "option -j needs a value");
    CommandLine c = parse_ok({"-ehtm", "--ext=XHTML", "-xold", "--exclude", "/abs/tmp", "--site=web"});
    EXPECT_EQ(c.site_directory, "web");
    EXPECT_EQ(c.extensions, (std::vector<std::string>{"htm", "XHTML"}));
    EXPECT_EQ(c.excluded_dirs, (std::vector<std::string>{"old", "/abs/tmp"}));
    EXPECT_EQ(parse_ok({"--site", "web"}).extensions, std::vector<std::string>{"html"});
}

TEST(CommandLine, AClassPrefixMustStartAValidClassName) {
    const struct {
        std::string prefix;
        bool valid;
    } cases[] = {
        {"quorlix_", true},  {"q", true},          {"_x", true},     {"-x", true},
        {"a-1_B", true},     {"-", false},          {std::string(63, 'p'), true},
        {"", false},         {std::string(64, 'p'), false},          {"1bad", false},
        {"--x", false},      {"-1", false},        {"1 bad\"<", false}, {"a b", false},
        {"a.b", false},      {"caf\xC3\xA9", false}, {"a{", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        EXPECT_EQ(is_valid_class_prefix(c.prefix), c.valid);
        Result<CommandLine> parsed = parse_command_line({"--class-prefix", c.prefix, "a.html"});
        EXPECT_EQ(parsed.ok(), c.valid);
        if (!c.valid) {
            EXPECT_EQ(parsed.message().rfind("invalid class prefix '", 0), 0u) << parsed.message();
        }
    }
}

TEST(CommandLine, JobsFileListsAndStandardInput) {
    EXPECT_EQ(parse_ok({"-j", "4", "a.html"}).jobs, 4u);
    EXPECT_EQ(parse_ok({"--jobs=1", "a.html"}).jobs, 1u);
    EXPECT_EQ(parse_ok({"a.html"}).jobs, 0u) << "the default: one per processor";
    for (const char* bad : {"0", "-1", "x", "257", "4x", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(parse_error({"--jobs", bad, "a.html"}).rfind("the number of jobs must be", 0), 0u);
    }
    CommandLine listed = parse_ok({"--files-from", "-", "-0"});
    EXPECT_EQ(listed.files_from, "-");
    EXPECT_TRUE(listed.null_separated);
    EXPECT_EQ(parse_error({"-0", "a.html"}), "--null needs --files-from");
    EXPECT_EQ(parse_error({"--files-from", "list", "--site", "web"}),
              "give either files or --site, not both");
    EXPECT_TRUE(parse_ok({"-"}).filter);
    EXPECT_TRUE(parse_ok({"--force", "-"}).filter);
    EXPECT_FALSE(parse_ok({"--", "-x.html"}).filter);
    for (std::vector<std::string> bad : {std::vector<std::string>{"-", "a.html"},
                                         {"-", "--site", "web"}, {"-", "-o", "out"},
                                         {"-", "--restore"}, {"-", "--files-from", "l"}}) {
        EXPECT_EQ(parse_error(bad).rfind("'-' (a page from standard input) goes alone", 0), 0u);
    }
}

TEST(CommandLine, FileListsSplitOnLineFeedsOrNulBytes) {
    const struct {
        std::string text;
        bool null_separated;
        std::vector<std::string> names;
    } cases[] = {
        {"a.html\nb c.html\n", false, {"a.html", "b c.html"}},
        {"a.html\n\n\nb.html", false, {"a.html", "b.html"}},
        {"", false, {}},
        {std::string("a\nb.html\0-c.html\0", 18), true, {"a\nb.html", "-c.html"}},
        {std::string("\0\0x", 3), true, {"x"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_file_list(c.text, c.null_separated), c.names);
    }
}

TEST(CommandLine, TheJobOfAWebsiteHoldsFullPaths) {
    const std::string cwd = *platform::full_path(".");
    const std::string site = *join_path(cwd, "web", std::nullopt);
    const std::string sep(1, platform::path_separator);
    const std::string absolute = native_path_style == PathStyle::posix ? "/srv/old" : "C:\\srv\\old";
    const struct {
        std::string site_argument;
        std::string excluded;
        std::string expected;
    } cases[] = {
        {"web", "old", site + sep + "old"},
        {"web" + sep, "old" + sep, site + sep + "old"},
        {"web", "." + sep + "a" + sep + ".." + sep + "old", site + sep + "old"},
        {"web", "a" + sep + "b" + sep + sep, site + sep + "a" + sep + "b"},
        {"web", absolute, absolute},
        {"web", absolute + sep, absolute},
        {site, "old", site + sep + "old"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.site_argument + " " + c.excluded);
        CommandLine command = parse_ok({"--site", c.site_argument, "-x", c.excluded});
        ConversionJob job = make_job(command);
        EXPECT_EQ(job.site_directory, site);
        EXPECT_EQ(job.excluded_dirs, std::vector<std::string>{c.expected});
        EXPECT_EQ(job.extensions, std::vector<std::string>{"html"});
        EXPECT_TRUE(job.files.empty());
    }
    ConversionJob files = make_job(parse_ok({"a.html", "sub/b.html"}));
    EXPECT_EQ(files.files, (std::vector<std::string>{"a.html", "sub/b.html"}));
    EXPECT_TRUE(files.site_directory.empty());
}

}  // namespace
}  // namespace quorlix::cli
