// Names outside ASCII through the platform layer: the program keeps names
// in UTF-8, and on Windows every file function must reach the file of that
// very name (not one of the system's code page, nor none at all).
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/replace.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quorlix::platform {
namespace {

std::string utf8_path(const testing::ScratchDir& scratch) {
    auto text = scratch.path().u8string();
    return std::string(text.begin(), text.end());
}

bool lists(const std::vector<DirectoryEntry>& entries, const std::string& name, bool directory) {
    return std::any_of(entries.begin(), entries.end(), [&](const DirectoryEntry& e) {
        return e.name == name && e.is_directory == directory;
    });
}

TEST(PlatformNames, FilesAndDirectoriesOutsideTheCodePageKeepTheirNames) {
    // Latin-1, Greek and Japanese: the first fits code page 1252, the
    // others do not.
    for (const std::string name : {"caf\xc3\xa9", "\xce\xb5\xce\xbb\xce\xbb\xce\xb7\xce\xbd",
                                   "\xe6\x97\xa5\xe6\x9c\xac"}) {
        SCOPED_TRACE(name);
        testing::ScratchDir scratch;
        const std::string dir = utf8_path(scratch) + path_separator;
        const std::string page = dir + name + ".html";
        const std::string text = "<p>" + name + "</p>\n";

        File created(create_exclusive(page));
        ASSERT_TRUE(created.is_open());
        ASSERT_TRUE(created.write_all(text.data(), text.size()));
        ASSERT_TRUE(created.close());
        EXPECT_EQ(create_exclusive(page), -1) << "a second exclusive create of the same name";

        EXPECT_TRUE(file_exists(page));
        EXPECT_EQ(file_kind(page), FileKind::regular);
        EXPECT_TRUE(identity_of(page).has_value());
        EXPECT_TRUE(file_mode(page).has_value());
        File reader = open_for_reading(page);
        ASSERT_TRUE(reader.is_open());
        std::string back(text.size() + 1, '\0');
        EXPECT_EQ(reader.read(back.data(), back.size()), static_cast<long>(text.size()));
        back.resize(text.size());
        EXPECT_EQ(back, text);
        reader.close();

        EXPECT_TRUE(lists(find_entries(dir + "*.html"), name + ".html", false));
        std::optional<std::string> full = full_path(page);
        ASSERT_TRUE(full.has_value());
        EXPECT_TRUE(full->size() >= page.size() &&
                    full->compare(full->size() - name.size() - 5, std::string::npos,
                                  name + ".html") == 0)
            << *full;

        const std::string backup = page + ".bak";
        EXPECT_TRUE(make_backup(page, backup));
        EXPECT_TRUE(same_file_on_disk(page, backup) || file_kind(backup) == FileKind::regular);
        EXPECT_FALSE(make_backup(page, backup)) << "an existing backup is never replaced";

        const std::string folder = dir + name;
        EXPECT_TRUE(make_directory(folder));
        EXPECT_TRUE(is_directory(folder));
        EXPECT_TRUE(lists(find_entries(dir + "*"), name, true));

        const std::string moved = folder + path_separator + name + ".bak";
        EXPECT_TRUE(replace_file(backup, moved));
        EXPECT_TRUE(file_exists(moved));
        EXPECT_FALSE(file_exists(backup));
        const std::string converted = folder + path_separator + name + ".new";
        File fresh(create_exclusive(converted));
        ASSERT_TRUE(fresh.is_open());
        ASSERT_TRUE(fresh.write_all("new", 3));
        ASSERT_TRUE(fresh.close());
        EXPECT_TRUE(replace_file(converted, page));
        EXPECT_FALSE(file_exists(converted));
        EXPECT_EQ(identity_of(page).value_or(FileIdentity{}).size, 3u);
        EXPECT_TRUE(remove_file(page));
        EXPECT_EQ(file_kind(page), FileKind::missing);

        const std::string log = dir + name + ".log";
        ASSERT_NE(create_log_file(log), nullptr);
        EXPECT_TRUE(file_exists(log));
    }
}

}  // namespace
}  // namespace quorlix::platform
