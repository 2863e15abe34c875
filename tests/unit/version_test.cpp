#include "shell/cli/version.h"
#include "supervisor/conversion_run.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace quorlix::cli {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(Version, HasTheUsualFormWithAndWithoutACommit) {
    struct Case {
        const char* commit;
        std::size_t line_count;
    };
    for (const Case& c : {Case{"", 5}, Case{"1a2b3c4", 6}}) {
        SCOPED_TRACE(c.commit);
        std::string text = version_text(c.commit);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        std::vector<std::string> lines = lines_of(text);
        ASSERT_EQ(lines.size(), c.line_count);
        EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(quorlix \(Quorlix\) \d+\.\d+\.\d+)")))
            << lines[0];
        std::size_t next = 1;
        if (*c.commit != '\0') {
            EXPECT_EQ(lines[next++], std::string("Built from commit ") + c.commit + ".");
        }
        EXPECT_EQ(lines[next++].rfind("Copyright (c) 2026 The Quorlix authors", 0), 0u);
        EXPECT_EQ(lines[next++].rfind("License MIT: ", 0), 0u);
        EXPECT_EQ(lines.back(), "There is NO WARRANTY, to the extent permitted by law.");
    }
}

TEST(Version, NamesTheVersionOfTheRunBanner) {
    // The banner of a run ("Quorlix 1.0.0") and --version tell the same
    // version.
    std::string first = lines_of(version_text()).front();
    std::string banner = product_banner_name;
    EXPECT_EQ(first.substr(first.rfind(' ')), banner.substr(banner.rfind(' ')));
}

}  // namespace
}  // namespace quorlix::cli
