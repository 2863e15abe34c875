#include "shell/cli/progress_line.h"

#include <gtest/gtest.h>

namespace quorlix::cli {
namespace {

TEST(ProgressLine, Text) {
    const struct {
        int done;
        std::optional<int> total;
        int failed;
        double seconds;
        const char* expected;
    } cases[] = {
        {12, 40, 0, 1.5, "12 of 40 pages, 8.0 a second, 0:01"},
        {1, std::nullopt, 0, 0.5, "1 page, 2.0 a second, 0:00"},
        {300, std::nullopt, 3, 125.0, "300 pages, 2.4 a second, 3 failed, 2:05"},
        {0, 5, 0, 0.0, "0 of 5 pages, 0:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(progress_text(c.done, c.total, c.failed, c.seconds), c.expected);
    }
}

}  // namespace
}  // namespace quorlix::cli
