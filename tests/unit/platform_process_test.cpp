#include "platform/platform.h"
#include "platform/process.h"

#include <gtest/gtest.h>

namespace quorlix::platform {
namespace {

TEST(PlatformProcess, WildcardMatching) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.html", "page.html", true},   {"*.html", "PAGE.HTML", true},
        {"*.html", ".html", true},       {"*.html", "page.htm", false},
        {"*.htm", "page.html", false},   {"*.html", "page.html.bak", false},
        {"*.html", "a.b.html", true},    {"*.ht?l", "page.html", true},
        {"*.ht?l", "page.htl", false},   {"*", "anything", true},
        {"*", "", true},                 {"*.*.html", "a.b.html", true},
        {"*..html", "page..html", true}, {"*..html", "page.html", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(PlatformProcess, TheProgramPathStaysOneWordOnTheCommandLine) {
    EXPECT_EQ(command_line_for("C:\\q\\quorlix.exe", "-dch12"), "C:\\q\\quorlix.exe -dch12");
    EXPECT_EQ(command_line_for("C:\\Program Files\\Q\\quorlix.exe", "-dch12"),
              "\"C:\\Program Files\\Q\\quorlix.exe\" -dch12");
    EXPECT_EQ(command_line_for("/opt/my\tapps/quorlix", "-dch3"), "\"/opt/my\tapps/quorlix\" -dch3");
}

TEST(PlatformProcess, APipeDeliversItsBytesAndThenItsEnd) {
    auto pipe = create_output_pipe();
    ASSERT_TRUE(pipe.has_value());
    OwnedStream stream = open_pipe_stream(duplicate_handle(pipe->write_end.get()));
    ASSERT_NE(stream, nullptr);
    std::fputs("one\ntwo", stream.get());
    stream.reset();
    pipe->write_end.close();
    std::string got;
    char piece[3];
    long n;
    while ((n = read_pipe(pipe->read_end.get(), piece, sizeof piece)) > 0) got.append(piece, n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(got, path_separator == '\\' ? "one\r\ntwo" : "one\ntwo");
}

}  // namespace
}  // namespace quorlix::platform
