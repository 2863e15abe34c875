#include "shell/cli/cli_options.h"

#include <gtest/gtest.h>

namespace quorlix::cli {
namespace {

CommandLine parse_ok(std::vector<std::string> arguments) {
    CommandLine command;
    std::string error;
    EXPECT_TRUE(parse_command_line(arguments, command, error)) << error;
    return command;
}

std::string parse_error(std::vector<std::string> arguments) {
    CommandLine command;
    std::string error;
    EXPECT_FALSE(parse_command_line(arguments, command, error));
    return error;
}

TEST(CommandLine, OptionsMapOntoTheConversionOptions) {
    CommandLine c = parse_ok({"--no-backup", "--delete-img-border", "--delete-td-scope",
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
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(c.files, (std::vector<std::string>{"a.html", "b.html"}));
}

TEST(CommandLine, DefaultsAreTheResetValues) {
    CommandLine c = parse_ok({"page.html"});
    const ConversionOptions& o = c.options;
    EXPECT_TRUE(o.warn_element_replaced && o.warn_name_to_id && o.warn_frame_attribute &&
                o.warn_center_alignment && o.warn_charset && o.verbose);
    EXPECT_FALSE(o.no_backup || o.delete_img_border || o.delete_td_scope || o.standard_css_only ||
                 o.move_viewport_meta || o.drop_prev_next_links);
    EXPECT_TRUE(o.class_prefix.empty() && o.output_dir.empty());
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
    EXPECT_EQ(parse_error({"a.html", "-o"}), "option -o needs a value");
    EXPECT_EQ(parse_error({"--no-warn", "loud", "a.html"}), "unknown warning 'loud' for --no-warn");
    EXPECT_EQ(parse_error({"--class-prefix", std::string(64, 'p'), "a.html"}),
              "the class prefix is longer than 63 characters");
    EXPECT_EQ(parse_error({"--no-backup=yes", "a.html"}), "option --no-backup takes no value");
    parse_ok({"--class-prefix", std::string(63, 'p'), "a.html"});
    EXPECT_TRUE(parse_ok({"--help"}).show_help);
    EXPECT_TRUE(parse_ok({"-V"}).show_version);
}

}  // namespace
}  // namespace quorlix::cli
