#include "converter/paths.h"
#include "converter/pipeline.h"
#include "platform/replace.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>


namespace quorlix {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

TEST(Pipeline, ConvertsWithCrLfAndKeepsTheOriginalAsBackup) {
    auto result = testing::convert_text("<p>a</p>\n<p>b</p>\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "<p>a</p>\r\n<p>b</p>\r\n");
    EXPECT_FALSE(result.temporary_left);
}

TEST(Pipeline, AFileThatIsTooBigForOneBufferConvertsWhole) {
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "<p>line " + std::to_string(i) + "</p>\r\n";
    big += "<!--" + std::string(100000, '-') + " -->\r\n";
    auto result = testing::convert_text(big);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, big);
}

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

TEST(Pipeline, AnOutputDirectoryThatDoesNotExistRefusesTheTemporaryFile) {
    ScratchDir dir;
    std::string page = dir.file("page.html");
    testing::write_file(page, "<p>x</p>\n");
    ConversionOptions options;
    options.output_dir = dir.file("missing");
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    EXPECT_EQ(convert_file(page, options, diagnostics), -1);
    EXPECT_EQ(log.text(), "quorlix: Error: cannot create temporary filename for " + page + "\n");
    EXPECT_EQ(testing::read_file(page), "<p>x</p>\n");
}

TEST(Pipeline, AMissingInputCannotBeOpened) {
    ScratchDir dir;
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    std::string missing = dir.file("missing.html");
    EXPECT_EQ(convert_file(missing, options, diagnostics), -1);
    EXPECT_EQ(log.text(), "quorlix: Error: cannot open " + missing + "\n");
    EXPECT_TRUE(testing::temporary_files_in(dir.path()).empty());
}

TEST(Pipeline, OutputDirectoryModeNeedsAFileName) {
    ConversionOptions options;
    options.output_dir = "out";
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ConversionNames names;
    EXPECT_EQ(derive_names("site/", options, diagnostics, names), -1);
    EXPECT_EQ(log.text(), "quorlix: Error: missing filename in target.\n\n");
}

TEST(Pipeline, NamesOfOneConversion) {
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ConversionNames names;
    ASSERT_EQ(derive_names(std::string("web") + platform::path_separator + "page.html", options,
                           diagnostics, names), 0);
    const char s = platform::path_separator;
    EXPECT_EQ(names.target, std::string("web") + s + "page.html");
    EXPECT_EQ(names.temporary, std::string("web") + s + "qlxXXXXXX");
    EXPECT_EQ(names.backup, std::string("web") + s + "page.html.bak");
    options.output_dir = "out";
    ASSERT_EQ(derive_names(std::string("web") + s + "page.html", options, diagnostics, names), 0);
    EXPECT_EQ(names.target, std::string("out") + s + "page.html");
    EXPECT_EQ(names.temporary, std::string("out") + s + "qlxXXXXXX");
}

TEST(Pipeline, AFailedBackupKeepsTheOriginalAndTheConvertedFile) {
    ScratchDir dir;
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ConversionNames names{dir.file("page.html"), dir.file("qlx00001a"), dir.file("sub/page.html.bak")};
    testing::write_file(names.target, "old");
    testing::write_file(names.temporary, "new");
    EXPECT_EQ(replace_target(names, "page.html", options, diagnostics), -1);
    EXPECT_EQ(log.text(), "quorlix: Error: unable to back up the existing " + names.target +
                              " as\n" + names.backup +
                              "\nYour original file, page.html, remains untouched.\n"
                              "The converted file is saved as " + names.temporary +
                              ", which you can rename yourself.\n");
    EXPECT_EQ(testing::read_file(names.target), "old");
    EXPECT_EQ(testing::read_file(names.temporary), "new");
}

TEST(Pipeline, AFailedRenameSaysWhereBothFilesAre) {
    ScratchDir dir;
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    ConversionNames names{dir.file("page.html"), dir.file("gone"), dir.file("page.html.bak")};
    testing::write_file(names.target, "old");
    EXPECT_EQ(replace_target(names, "page.html", options, diagnostics), -1);
    EXPECT_EQ(log.text(), "quorlix: Error: unable to rename the output as " + names.target +
                              "\nAs such, you can find the original file (renamed, but otherwise "
                              "untouched) at\n" + names.backup + ", and its converted output at\n" +
                              names.temporary +
                              ".\nYou will have to rename it back to the correct name yourself.\n");
    EXPECT_EQ(testing::read_file(names.backup), "old");
    EXPECT_EQ(testing::read_file(names.target), "old") << "the page must never be missing";

    log.clear();
    options.no_backup = true;
    EXPECT_EQ(replace_target(names, "page.html", options, diagnostics), -1);
    EXPECT_EQ(log.text(), "quorlix: Error: unable to rename the output as " + names.target +
                              "\nThe converted file can be found at " + names.temporary +
                              ".\nYou will have to rename it back to the correct name yourself.\n");
}

TEST(Pipeline, TheBackupReplacesAnOlderOneAndLeavesThePage) {
    ScratchDir dir;
    std::string page = dir.file("page.html"), backup = dir.file("page.html.bak");
    testing::write_file(page, "current");
    testing::write_file(backup, "older");
    ASSERT_TRUE(platform::make_backup(page, backup));
    EXPECT_EQ(testing::read_file(page), "current");
    EXPECT_EQ(testing::read_file(backup), "current");
    // Replacing the page afterwards does not change the backup.
    testing::write_file(dir.file("qlx00001a"), "converted");
    ASSERT_TRUE(platform::replace_file(dir.file("qlx00001a"), page));
    EXPECT_EQ(testing::read_file(page), "converted");
    EXPECT_EQ(testing::read_file(backup), "current");
    EXPECT_TRUE(testing::temporary_files_in(dir.path()).empty());
}

// A progress stream that, when the converted file is complete and before the
// page is replaced ("Done." ends the progress line), lets something else
// happen to the page, as another program could at that moment.
class MeddlingProgress final : public OutputSink {
public:
    explicit MeddlingProgress(std::function<void()> meddle) : meddle_(std::move(meddle)) {}
    void write(std::string_view text) override {
        if (text.rfind("Done.", 0) == 0) meddle_();
    }

private:
    std::function<void()> meddle_;
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
        testing::write_file(page + ".bak", "older backup");
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
        EXPECT_EQ(testing::read_file(page + ".bak"), "older backup");
        EXPECT_TRUE(testing::temporary_files_in(dir.path()).empty());
    }
}

TEST(Pipeline, TemporaryFilesAreCreatedExclusively) {
    ScratchDir dir;
    std::string first = dir.file("qlxXXXXXX"), second = first;
    platform::File a(create_temp_file(first));
    platform::File b(create_temp_file(second));
    ASSERT_TRUE(a.is_open());
    ASSERT_TRUE(b.is_open());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), dir.file("qlx01234a").size());
}

}  // namespace
}  // namespace quorlix
