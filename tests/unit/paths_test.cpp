#include "base/paths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace quorlix {
namespace {

using std::nullopt;

struct JoinCase {
    PathStyle style;
    std::optional<std::string_view> base, name, extension;
    std::optional<std::string> expected;
};

TEST(JoinPath, JoinsAsTheSiteWalkAndPipelineExpect) {
    const PathStyle W = PathStyle::windows, P = PathStyle::posix;
    const JoinCase cases[] = {
        {W, "C:\\web", "page.html", nullopt, "C:\\web\\page.html"},
        {W, "C:\\web\\\\/", "page.html", nullopt, "C:\\web\\page.html"},  // trailing slashes go
        {W, "C:", "page.html", nullopt, "C:page.html"},                    // drive: nothing between
        {W, "C:\\", "qlxXXXXXX", nullopt, "C:\\qlxXXXXXX"},
        {W, "", "page.html", nullopt, "page.html"},                        // empty base: name alone
        {W, "C:\\web\\page.html", nullopt, "bak", "C:\\web\\page.html.bak"},
        {W, "C:\\web", "*", "html", "C:\\web\\*.html"},
        {W, "dir", nullopt, nullopt, "dir"},
        {W, nullopt, "page.html", nullopt, nullopt},                       // no base: none
        {P, "/srv/www", "page.html", nullopt, "/srv/www/page.html"},
        {P, "/srv/www//", "page.html", nullopt, "/srv/www/page.html"},
        {P, "/", "qlxXXXXXX", nullopt, "/qlxXXXXXX"},                      // the root stays the root
        {P, "a:", "b", nullopt, "a:/b"},                                   // no drives on POSIX
        {P, "dir\\", "b", nullopt, "dir\\/b"},                             // a backslash is a name byte
        {P, "page.html", nullopt, "bak", "page.html.bak"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(join_path(c.base, c.name, c.extension, c.style), c.expected)
            << "base " << c.base.value_or("<none>") << " name " << c.name.value_or("<none>");
    }
}

// A stand-in for the file system: names that exist, and an optional error.
struct FakeFiles {
    std::set<std::string> existing;
    std::vector<std::string> tried;
    int error_after = -1;  // fail with EACCES at this attempt
    int next_fd = 3;

    CreateExclusive creator() {
        return [this](const std::string& name) {
            tried.push_back(name);
            if (error_after >= 0 && static_cast<int>(tried.size()) > error_after) {
                errno = EACCES;
                return -1;
            }
            if (existing.count(name)) {
                errno = EEXIST;
                return -1;
            }
            existing.insert(name);
            return next_fd++;
        };
    }
};

TEST(CreateTempFile, FirstNameComesFromTheCalendarSeconds) {
    FakeFiles files;
    std::string name = "dir/qlxXXXXXX";
    EXPECT_EQ(create_temp_file(name, 1701234, files.creator()), 3);
    EXPECT_EQ(name, "dir/qlx01234a");
}

TEST(CreateTempFile, TriesThe38CharactersThenTheNextNumber) {
    FakeFiles files;
    for (char c : temp_name_characters) files.existing.insert(std::string("qlx09999") + c);
    std::string name = "qlxXXXXXX";
    EXPECT_EQ(create_temp_file(name, 9999, files.creator()), 3);
    EXPECT_EQ(name, "qlx00000a");  // the number wraps to 0
    ASSERT_EQ(files.tried.size(), 39u);
    EXPECT_EQ(files.tried[1], "qlx09999b");
    EXPECT_EQ(files.tried[37], "qlx09999-");
}

TEST(CreateTempFile, GivesUpAfterEveryNumberWasTried) {
    FakeFiles files;
    auto always_taken = [&](const std::string& name) {
        files.tried.push_back(name);
        errno = EEXIST;
        return -1;
    };
    std::string name = "qlxXXXXXX";
    EXPECT_EQ(create_temp_file(name, 42, always_taken), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(files.tried.size(), 10000u * 38u);
    EXPECT_EQ(files.tried.back(), "qlx00041-");
}

TEST(CreateTempFile, StopsAtTheFirstErrorThatIsNotExists) {
    FakeFiles files;
    files.error_after = 0;
    std::string name = "qlxXXXXXX";
    EXPECT_EQ(create_temp_file(name, 5, files.creator()), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(files.tried.size(), 1u);
}

TEST(CreateTempFile, RefusesATemplateWithoutSixXs) {
    for (std::string bad : {"qlxXXXXX", "XXXXX", "qlxXXXXXXy", ""}) {
        FakeFiles files;
        errno = 0;
        EXPECT_EQ(create_temp_file(bad, 5, files.creator()), -1) << bad;
        EXPECT_EQ(errno, EINVAL);
        EXPECT_TRUE(files.tried.empty()) << "the file system was touched for " << bad;
    }
}

}  // namespace
}  // namespace quorlix
