#include "base/paths.h"
#include "supervisor/conversion_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quorlix {
namespace {

using testing::ScratchDir;
using testing::path_in;
namespace fs = std::filesystem;

// Records the files it is given; fails those whose name holds "bad", skips
// those whose name holds "html5"; can play a Ctrl-C while a file is being
// converted. With an output directory the log line names it too.
class FakeConverter final : public FileConverter {
public:
    explicit FakeConverter(std::vector<std::string>& seen) : seen(seen) {}
    int convert_one_file(const std::string& path, const std::string& output_dir,
                         OutputSink& log) override {
        seen.push_back(path);
        log.write("[" + path + (output_dir.empty() ? "" : " -> " + output_dir) + "]\n");
        if (abort_during != nullptr) *abort_during = 1;
        if (path.find("bad") != std::string::npos) return exit_failed;
        return path.find("html5") != std::string::npos ? exit_skipped : exit_converted;
    }
    std::vector<std::string>& seen;  // outlives the converter, which the run releases
    AbortFlag* abort_during = nullptr;
};

// A log that stops taking text after a number of writes, as a full disk does.
class FailingSink final : public OutputSink {
public:
    explicit FailingSink(int writes_that_succeed) : left_(writes_that_succeed) {}
    void write(std::string_view text) override {
        if (left_ > 0) {
            --left_;
            text_.append(text);
        } else {
            failed_ = true;
        }
    }
    bool failed() const override { return failed_; }
    const std::string& text() const { return text_; }

private:
    int left_;
    bool failed_ = false;
    std::string text_;
};

struct RunResult {
    RunCounts counts;
    std::string log;
    std::vector<std::string> seen;
};

RunResult run(const ConversionJob& job, AbortFlag* abort_flag = nullptr,
              bool abort_during_first = false, bool verbose = true) {
    RunSettings settings;
    settings.banner = false;
    settings.verbose = verbose;
    settings.abort_flag = abort_flag;
    StringSink log;
    RunResult result;
    result.counts = perform_conversion_run(job, log, settings, [&]() -> Result<std::unique_ptr<FileConverter>> {
        auto made = std::make_unique<FakeConverter>(result.seen);
        if (abort_during_first) made->abort_during = abort_flag;
        return std::unique_ptr<FileConverter>(std::move(made));
    });
    result.log = log.text();
    return result;
}


void make_files(const fs::path& root, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        fs::path path = root / fs::path(name);
        if (name.back() == '/') {
            fs::create_directories(path);
        } else {
            fs::create_directories(path.parent_path());
            testing::write_file(path, "<p>x</p>\n");
        }
    }
}

TEST(ConversionRun, TwoFilesForOneOutputNameRefuseTheSecond) {
    ConversionJob job;
    job.files = {"a/page.html", "b/page.html", "c/other.html"};
    job.output_dir = "out";
    job.create_output_dirs = false;
    RunResult r = run(job);
    const std::string out = *join_path("out", "page.html", std::nullopt);
    EXPECT_EQ(r.seen, (std::vector<std::string>{"a/page.html", "c/other.html"}));
    EXPECT_EQ(r.counts.failed, 1);
    EXPECT_EQ(r.counts.total, 3);
    EXPECT_NE(r.log.find("quorlix: Error: b/page.html would be written to " + out), std::string::npos);
}

TEST(ConversionRun, ALogThatCannotBeWrittenStopsTheRunAfterThePageInProgress) {
    ConversionJob job;
    job.files = {"a", "b", "c"};
    std::vector<std::string> seen;
    RunSettings settings;
    settings.banner = false;
    FailingSink log(1);  // the first page's line gets through, the second's does not
    RunCounts counts = perform_conversion_run(job, log, settings, [&]() -> Result<std::unique_ptr<FileConverter>> {
        return std::unique_ptr<FileConverter>(std::make_unique<FakeConverter>(seen));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(counts.stopped);
    EXPECT_EQ(log.text(), "[a]\n");
}

TEST(ConversionRun, FileModeCountsEveryFileOnce) {
    ConversionJob job;
    job.files = {"a", "bad", "html5", "c"};
    RunResult r = run(job);
    EXPECT_EQ(r.seen, job.files);
    EXPECT_EQ(r.counts.total, 4);
    EXPECT_EQ(r.counts.converted, 2);
    EXPECT_EQ(r.counts.skipped, 1);
    EXPECT_EQ(r.counts.failed, 1);
    EXPECT_EQ(r.log, "[a]\n[bad]\n[html5]\n[c]\nConverted: 2. Skipped: 1. Failed: 1. Total: 4\n");
}

TEST(ConversionRun, AbortStopsBetweenFilesAndTheSummaryFollows) {
    struct Case {
        const char* name;
        bool set_before;
        bool set_during_first;
        std::vector<std::string> expect_seen;
    };
    const Case cases[] = {
        {"Ctrl-C while the first file converts", false, true, {"a"}},
        {"Ctrl-C before the run", true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AbortFlag flag{c.set_before ? 1 : 0};
        ConversionJob job;
        job.files = {"a", "b", "c"};
        RunResult r = run(job, &flag, c.set_during_first);
        EXPECT_EQ(r.seen, c.expect_seen);
        EXPECT_TRUE(r.counts.interrupted);
        EXPECT_EQ(r.counts.total, static_cast<int>(c.expect_seen.size()));
        std::string expected;
        for (const auto& f : c.expect_seen) expected += "[" + f + "]\n";
        EXPECT_EQ(r.log, expected + "*** Interrupted by user. Aborting now.\nConverted: " +
                             std::to_string(c.expect_seen.size()) + " of " +
                             std::to_string(c.expect_seen.size()) + ".\n");
    }
}

TEST(ConversionRun, AFailedPreparationConvertsNothing) {
    ConversionJob job;
    job.files = {"a"};
    StringSink log;
    RunSettings settings;
    RunCounts counts = perform_conversion_run(job, log, settings, []() -> Result<std::unique_ptr<FileConverter>> {
        return failure("failed to create process");
    });
    EXPECT_TRUE(counts.stopped);
    EXPECT_EQ(counts.total, 0);
    EXPECT_EQ(log.text().substr(0, 20), "\n---\n\nQuorlix 1.0.0\n");
    EXPECT_EQ(log.text().substr(log.text().size() - 26), "\nfailed to create process\n");
}

TEST(SiteWalk, OwnFilesByExtensionThenSubdirectories) {
    ScratchDir scratch;
    fs::path site = scratch.path() / "site";
    make_files(site, {"b.html", "a.HTML", "c.htm", "notes.txt", "sub/d.html", "sub/deeper/e.htm",
                      "sub/deeper/bad.htm",
                      "..x/f.html", ".hidden/g.html", "Skip/h.html", "Skip/inner/i.html",
                      "zz.html/", "x.htmlx"});
    ConversionJob job;
    job.site_directory = site.string();
    job.extensions = {"html", "htm"};
    job.excluded_dirs = {path_in(site, "Skip")};
    RunResult r = run(job);

    std::vector<std::string> expected = {
        path_in(site, "a.HTML"),     path_in(site, "b.html"),           path_in(site, "c.htm"),
        path_in(site, "..x/f.html"), path_in(site, ".hidden/g.html"),   path_in(site, "sub/d.html"),
        path_in(site, "sub/deeper/bad.htm"), path_in(site, "sub/deeper/e.htm")};
#ifdef _WIN32
    // The order is the directory search's; compare the files taken only.
    std::sort(expected.begin(), expected.end());
    std::sort(r.seen.begin(), r.seen.end());
#endif
    EXPECT_EQ(r.seen, expected);
    // A failure is counted and the walk goes on.
    EXPECT_NE(r.log.find(path_in(site, "Skip") + " (directory)... Skipped excluded directory\n"),
              std::string::npos);
    EXPECT_NE(r.log.find("Converted: 7. Failed: 1. Total: 8\n"), std::string::npos);
    // A trailing separator walks the same paths.
    job.site_directory += platform::path_separator;
    std::vector<std::string> again = run(job).seen;
    std::sort(again.begin(), again.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(again, expected);
    // The directory's own files come before those of its subdirectories.
    auto position = [&](const std::string& relative) {
        return std::find(r.seen.begin(), r.seen.end(), path_in(site, relative)) - r.seen.begin();
    };
#ifndef _WIN32
    EXPECT_LT(position("c.htm"), position("..x/f.html"));
#endif
    EXPECT_LT(position("sub/d.html"), position("sub/deeper/bad.htm"));
}

TEST(SiteWalk, APageFoundByTwoPatternsIsConvertedOnce) {
    const struct {
        std::vector<std::string> extensions;
        std::vector<std::string> expected;
    } cases[] = {
        {{"html", "HTML"}, {"a.html", "c.HTML"}},
        {{"htm", "html"}, {"b.htm", "a.html", "c.HTML"}},
        {{"h*", "html"}, {"a.html", "b.htm", "c.HTML"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extensions[0] + "," + c.extensions.back());
        ScratchDir scratch;
        make_files(scratch.path(), {"a.html", "b.htm", "c.HTML"});
        ConversionJob job;
        job.site_directory = scratch.path().string();
        job.extensions = c.extensions;
        RunResult r = run(job);
        std::vector<std::string> expected;
        for (const auto& name : c.expected) expected.push_back(path_in(scratch.path(), name));
        // Within one pattern the order is the search's.
        std::sort(expected.begin(), expected.end());
        std::sort(r.seen.begin(), r.seen.end());
        EXPECT_EQ(r.seen, expected);
    }
}

TEST(SiteWalk, ExcludedDirectoriesMatchTheWholePath) {
    struct Case {
        const char* name;
        std::string excluded;  // relative to the site
        bool verbose;
        bool skipped;
    };
    const bool windows = native_path_style == PathStyle::windows;
    const Case cases[] = {
        {"other letter case", "skip", true, windows},
        {"a nested directory", "Skip/inner", true, false},
        {"a prefix is not a match", "Sk", true, false},
        {"quiet skip", "Skip", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir scratch;
        fs::path site = scratch.path() / "site";
        make_files(site, {"Skip/a.html", "Skip/inner/b.html"});
        ConversionJob job;
        job.site_directory = site.string();
        job.extensions = {"html"};
        job.excluded_dirs = {path_in(site, c.excluded)};
        RunResult r = run(job, nullptr, false, c.verbose);
        const std::string skip_line =
            path_in(site, "Skip") + " (directory)... Skipped excluded directory\n";
        if (c.skipped) {
            EXPECT_TRUE(r.seen.empty());
            EXPECT_EQ(r.log, c.verbose ? skip_line + "Converted: 0 of 0.\n" : "");
        } else {
            EXPECT_EQ(r.seen.size(), c.excluded == "Skip/inner" ? 1u : 2u);
            EXPECT_EQ(r.log.find(skip_line), std::string::npos);
        }
    }
}

#ifndef _WIN32
TEST(SiteWalk, LinksToDirectoriesAreNotEnteredAndLoopsDoNotHang) {
    ScratchDir scratch;
    fs::path site = scratch.path() / "site";
    make_files(site, {"a.html", "sub/b.html"});
    fs::create_directory_symlink(site, site / "sub" / "loop");     // back to the top
    fs::create_directory_symlink(site / "sub", site / "alias");    // a second way in
    fs::create_symlink("self.html", site / "self.html");           // a link to itself
    fs::create_symlink("a.html", site / "link.html");              // a link to a page
    fs::create_symlink("missing.html", site / "dangling.html");
    ASSERT_EQ(::mkfifo((site / "pipe.html").c_str(), 0600), 0);    // would block a reader
    ConversionJob job;
    job.site_directory = site.string();
    job.extensions = {"html"};
    RunResult r = run(job);
    // A link to a page is not followed: it could bring a file from anywhere
    // into the site.
    EXPECT_EQ(r.seen, (std::vector<std::string>{path_in(site, "a.html"), path_in(site, "sub/b.html")}));
    EXPECT_NE(r.log.find(path_in(site, "link.html") + " (link)... Skipped symbolic link\n"),
              std::string::npos);
    EXPECT_EQ(r.counts.skipped, 1);
}
#endif

TEST(CrLfSink, WritesEveryLineEndAsCrLfOnce) {
    struct Case {
        std::vector<std::string> pieces;
        std::string expected;
    };
    const Case cases[] = {
        {{"a\nb\n"}, "a\r\nb\r\n"},
        {{"a\r\nb\r\n"}, "a\r\nb\r\n"},
        {{"a\r", "\nb\n"}, "a\r\nb\r\n"},
        {{"a\r", "b\n"}, "a\rb\r\n"},
        {{"\n\n", "", "x"}, "\r\n\r\nx"},
    };
    for (const Case& c : cases) {
        StringSink target;
        CrLfSink sink(target);
        for (const std::string& piece : c.pieces) sink.write(piece);
        EXPECT_EQ(target.text(), c.expected);
    }
}

}  // namespace
}  // namespace quorlix
