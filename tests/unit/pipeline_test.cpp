#include "base/paths.h"
#include "converter/pipeline.h"
#include "converter/screening.h"
#include "platform/replace.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorlix {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

#ifndef _WIN32
TEST(Pipeline, TheConvertedPageKeepsItsPermissionBits) {
    ScratchDir dir;
    std::string page = dir.file("page.html");
    testing::write_file(page, "<p>x</p>\n");
    fs::permissions(page, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ASSERT_EQ(convert_file(page, options, diagnostics), 0) << log.text();
    EXPECT_EQ(fs::status(page).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

#endif

TEST(Pipeline, AFailedBackupKeepsTheOriginalAndTheConvertedFile) {
    ScratchDir dir;
    ConversionOptions options;
    options.verbose = false;  // no progress line to end
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ConversionNames names{dir.file("page.html"), dir.file("qlx00001a"), dir.file("sub/page.html.bak")};
    testing::write_file(names.target, "old");
    testing::write_file(names.temporary, "new");
    Status replaced = replace_target(names, "page.html", options, diagnostics);
    ASSERT_FALSE(replaced.ok());
    EXPECT_EQ(replaced.message(), "unable to back up the existing " + names.target +
                                      " as\n" + names.backup +
                                      "\nYour original file, page.html, remains untouched.\n"
                                      "The converted file is saved as " + names.temporary +
                                      ", which you can rename yourself.");
    EXPECT_EQ(testing::read_file(names.target), "old");
    EXPECT_EQ(testing::read_file(names.temporary), "new");
}

TEST(Pipeline, AFailedRenameSaysWhereBothFilesAre) {
    ScratchDir dir;
    ConversionOptions options;
    options.verbose = false;  // no progress line to end
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ConversionNames names{dir.file("page.html"), dir.file("gone"), dir.file("page.html.bak")};
    testing::write_file(names.target, "old");
    Status replaced = replace_target(names, "page.html", options, diagnostics);
    ASSERT_FALSE(replaced.ok());
    EXPECT_EQ(replaced.message(), "unable to rename the output as " + names.target +
                                      "\nAs such, you can find the original file (renamed, but otherwise "
                                      "untouched) at\n" + names.backup + ", and its converted output at\n" +
                                      names.temporary +
                                      ".\nYou will have to rename it back to the correct name yourself.");
    EXPECT_EQ(testing::read_file(names.backup), "old");
    EXPECT_EQ(testing::read_file(names.target), "old") << "the page must never be missing";

    options.no_backup = true;
    replaced = replace_target(names, "page.html", options, diagnostics);
    ASSERT_FALSE(replaced.ok());
    EXPECT_EQ(replaced.message(), "unable to rename the output as " + names.target +
                                      "\nThe converted file can be found at " + names.temporary +
                                      ".\nYou will have to rename it back to the correct name yourself.");
    EXPECT_EQ(log.text(), "") << "the report is the caller's";
}

// A progress stream that, once the page has been opened and is being
// converted (its progress line begins), lets something else happen to the
// page, as another program could at any moment before it is replaced.
class MeddlingProgress final : public OutputSink {
public:
    explicit MeddlingProgress(std::function<void()> meddle) : meddle_(std::move(meddle)) {}
    void write(std::string_view text) override {
        text_.append(text);
        if (text.size() >= 4 && text.substr(text.size() - 4) == "... ") meddle_();
    }
    const std::string& text() const { return text_; }

private:
    std::function<void()> meddle_;
    std::string text_;
};

TEST(Pipeline, APageChangedOrRemovedDuringItsConversionIsLeftAsItIsNow) {
    const std::string original = "<p>original</p>\n";
    const std::string theirs = "<p>their new version, longer</p>\n";
    struct Case {
        const char* name;
        std::function<void(const std::string& page)> meddle;
        std::optional<std::string> page_after;  // none: the page is gone
    };
    const Case cases[] = {
#ifndef _WIN32
        // On Windows the open input can be neither replaced nor removed.
        {"replaced by another file",
         [&](const std::string& page) {
             testing::write_file(page + ".new", theirs);
             fs::rename(page + ".new", page);
         },
         theirs},
        {"removed", [](const std::string& page) { fs::remove(page); }, std::nullopt},
#endif
        {"rewritten in place",
         [&](const std::string& page) { testing::write_file(page, theirs); }, theirs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string page = dir.file("page.html");
        testing::write_file(page, original);
        ConversionOptions options;
        StringSink errors;
        MeddlingProgress progress([&] { c.meddle(page); });
        Diagnostics diagnostics(options, errors, progress);
        EXPECT_EQ(convert_file(page, options, diagnostics), -1);
        EXPECT_EQ(errors.text(), "quorlix: Error: " + page +
                                     " changed while it was being converted\n"
                                     "It is left as it is now; the converted file was removed.\n");
        if (c.page_after) {
            EXPECT_EQ(testing::read_file(page), *c.page_after);
        } else {
            EXPECT_FALSE(fs::exists(page));
        }
        EXPECT_FALSE(fs::exists(page + ".bak"));
        EXPECT_TRUE(testing::temporary_files_in(dir.path()).empty());
        // A failure is not preceded by a success.
        EXPECT_EQ(progress.text(), page + "... \n");
    }
}

TEST(Pipeline, PagesThatAreHtml5AlreadyAreRecognised) {
    const struct {
        const char* head;
        bool html5;
    } cases[] = {
        {"<!DOCTYPE html>\n<html>", true},
        {"<!doctype HTML>", true},
        {"\xEF\xBB\xBF<!DOCTYPE html>", true},
        {" \r\n\t<!-- made by hand -->\n<!---->  <!DOCTYPE html>", true},
        {"<!DOCTYPE html SYSTEM \"about:legacy-compat\">", true},
        {"<!doctype html system 'about:legacy-compat' >", true},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x.dtd\">", false},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE html>", false},
        {"<!DOCTYPE html SYSTEM \"about:legacy-compat'>", false},
        {"<!DOCTYPE htmlx>", false},
        {"<!DOCTYPE html", false},
        {"<!-- never closed <!DOCTYPE html>", false},
        {"", false},
        {"x<!DOCTYPE html>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(starts_as_html5(c.head), c.html5);
    }
}

// One page in a scratch folder, converted by convert_file with the options.
struct PageRun {
    ScratchDir dir;
    std::string page = dir.file("page.html");
    StringSink log;
    int convert(const ConversionOptions& options) {
        log.clear();
        Diagnostics diagnostics(options, log, log);
        return convert_file(page, options, diagnostics);
    }
};

TEST(Pipeline, ABackupThatIsACopyOfThePageMakesRoomForTheNewOne) {
    PageRun run;
    testing::write_file(run.page, "<p>a</p>\n");
    testing::write_file(run.page + ".bak", "<p>a</p>\n");
    ASSERT_EQ(run.convert(ConversionOptions{}), 0) << run.log.text();
    EXPECT_EQ(testing::read_file(run.page + ".bak"), "<p>a</p>\n");
    EXPECT_EQ(testing::read_file(run.page), "<p>a</p>\r\n");
}

TEST(Pipeline, ADirectoryNamedAsAPageIsReportedAsOne) {
    PageRun run;
    fs::create_directory(run.page);
    EXPECT_EQ(run.convert(ConversionOptions{}), -1);
    EXPECT_EQ(run.log.text(), "quorlix: Error: " + run.page + " is a directory, not a page\n");
}

#ifndef _WIN32
TEST(Pipeline, APipeIsNeitherReadNorReplaced) {
    {
        PageRun run;
        run.page = run.dir.file("fifo.html");
        ASSERT_EQ(::mkfifo(run.page.c_str(), 0600), 0);
        ConversionOptions options;
        options.no_backup = true;
        EXPECT_EQ(run.convert(options), -1);
        EXPECT_EQ(run.log.text(), "quorlix: Error: " + run.page +
                                      " is not a regular file (a device, a pipe or a socket)\n");
        struct stat st;
        ASSERT_EQ(::stat(run.page.c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
    }
}
#endif

#ifndef _WIN32
TEST(Pipeline, APageBehindALinkIsConvertedWhereItIs) {
    PageRun run;
    fs::create_directory(run.dir.path() / "real");
    const std::string target = run.dir.file("real/page.html");
    testing::write_file(target, "<p>a</p>\n");
    fs::create_symlink("real/page.html", run.page);
    ASSERT_EQ(run.convert(ConversionOptions{}), 0) << run.log.text();
    EXPECT_TRUE(fs::is_symlink(run.page));
    EXPECT_EQ(testing::read_file(target + ".bak"), "<p>a</p>\n");
    EXPECT_EQ(testing::read_file(target), "<p>a</p>\r\n");
    EXPECT_FALSE(fs::exists(run.page + ".bak"));
    EXPECT_TRUE(testing::temporary_files_in(run.dir.path()).empty());
    EXPECT_TRUE(testing::temporary_files_in(run.dir.path() / "real").empty());
}

TEST(Pipeline, TheConvertedPageKeepsItsOwnerWhenRunAsRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
    PageRun run;
    testing::write_file(run.page, "<p>a</p>\n");
    ASSERT_EQ(::chown(run.page.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(run.page.c_str(), 0640), 0);
    ASSERT_EQ(run.convert(ConversionOptions{}), 0) << run.log.text();
    struct stat st;
    ASSERT_EQ(::stat(run.page.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
#endif

}  // namespace
}  // namespace quorlix
