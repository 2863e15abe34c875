#include "supervisor/conversion_run.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(ConversionRun, SummaryLines) {
    StringSink log;
    log_summary(log, {3, 2, 1, false}, true);
    log_summary(log, {0, 0, 0, false}, true);
    log_summary(log, {4, 4, 0, false}, true);
    log_summary(log, {4, 4, 0, false}, false);
    EXPECT_EQ(log.text(), "Converted: 2. Failed: 1. Total: 3\nConverted: 0 of 0.\nConverted: 4 of 4.\n");
}

TEST(ConversionRun, CountsEveryFileOnce) {
    StringSink log;
    std::vector<std::string> seen;
    RunCounts counts = run_files(
        {"a", "bad", "c"},
        [&](const std::string& path) {
            seen.push_back(path);
            return path == "bad" ? -1 : 0;
        },
        log, true, nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "bad", "c"}));
    EXPECT_EQ(counts.total, 3);
    EXPECT_EQ(counts.converted, 2);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(log.text(), "Converted: 2. Failed: 1. Total: 3\n");
}

TEST(ConversionRun, AbortStopsBetweenFilesWithoutSummary) {
    StringSink log;
    volatile std::sig_atomic_t abort_flag = 0;
    int converted = 0;
    RunCounts counts = run_files(
        {"a", "b", "c"},
        [&](const std::string&) {
            abort_flag = 1;  // Ctrl-C while the first file converts
            ++converted;
            return 0;
        },
        log, true, &abort_flag);
    EXPECT_EQ(converted, 1);
    EXPECT_TRUE(counts.interrupted);
    EXPECT_EQ(log.text(), "*** Interrupted by user. Aborting now.\n");
}

TEST(ConversionRun, BannerNamesTheProduct) {
    StringSink log;
    write_banner(log);
    EXPECT_EQ(log.text().substr(0, 20), "\n---\n\nQuorlix 1.0.0\n");
}

}  // namespace
}  // namespace quorlix
