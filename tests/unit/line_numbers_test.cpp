#include "rewriter/scanner_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>

namespace quorlix {
namespace {

// The line numbers of every diagnostic in a log.
std::vector<int> lines_in(const std::string& log) {
    std::vector<int> lines;
    static const std::regex header(R"(\(line ([0-9]+)\):)");
    for (std::sregex_iterator it(log.begin(), log.end(), header), end; it != end; ++it) {
        lines.push_back(std::stoi((*it)[1]));
    }
    return lines;
}

// Lines of filler text, numbered from first.
std::string filler(int first, int count, const char* line_end) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "<p>line " + std::to_string(first + i) + " of some ordinary text</p>" + line_end;
    }
    return text;
}

TEST(LineNumbers, CountEveryNewlineOnceAcrossBufferRefills) {
    ConversionOptions options;
    options.verbose = false;
    for (const char* line_end : {"\n", "\r\n"}) {
        // A warning at line 3000, one right after a comment of 3000 lines that
        // spans several buffers, and an error deep into a multi-line tag.
        std::string page = filler(1, 2999, line_end);
        page += std::string("<a name=\"w1\">x</a>") + line_end;                  // line 3000
        page += "<!--" + filler(3001, 3000, line_end) + "-->";                   // 3001-6001
        page += std::string("<a name=\"w2\">y</a>") + line_end;                  // still 6001
        page += filler(6002, 3000, line_end);                                    // 6002-9001
        page += std::string("<font") + line_end + "color=\"red\"" + line_end +  // 9002-9003
                "size=\"x\">z</font>" + line_end;                                 // 9004
        auto result = testing::convert_text(page, options);
        EXPECT_EQ(result.status, -1);
        EXPECT_EQ(lines_in(result.log), (std::vector<int>{3000, 6001, 9004})) << result.log;
    }
}

TEST(LineNumbers, NewlinesAreCountedExactlyAtAnyLengthAndOffset) {
    // Bytes close to a line feed in every bit: 0x0a with the top bit set,
    // with one bit off, NUL and 0xff.
    const char bytes[] = {'\n', '\x8a', '\x0b', '\x0e', '\x02', '\0', '\xff', 'a', '\r'};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(bytes) - 1);
    std::string text;
    for (int i = 0; i < 4096; ++i) text += bytes[pick(random)];
    for (std::size_t offset = 0; offset < 9; ++offset) {
        for (std::size_t size : {0, 1, 7, 8, 9, 15, 16, 17, 100, 4000}) {
            const char* start = text.data() + offset;
            EXPECT_EQ(count_newlines(start, size), std::count(start, start + size, '\n'))
                << offset << " " << size;
        }
    }
    EXPECT_EQ(count_newlines("\n\n\n\n\n\n\n\n\n", 9), 9);
}

TEST(LineNumbers, ManyWarningsInOneBufferEachHaveTheirLine) {
    ConversionOptions options;
    options.verbose = false;
    // Warnings close together, some on the same line, some after blank
    // lines, across a buffer refill: each count builds on the one before.
    std::string page;
    std::vector<int> expected;
    int line = 1;
    for (int i = 0; i < 1200; ++i) {
        // The warning comes at the ">", so the byte after it is sometimes a
        // line feed held aside by the scanner.
        page += "<a name=\"n" + std::to_string(i) + "\">";
        expected.push_back(line);
        if (i % 3 != 0) {
            page += std::string(i % 5 == 0 ? 3 : 1, '\n');
            line += i % 5 == 0 ? 3 : 1;
        }
        page += "x</a>";
    }
    auto result = testing::convert_text(page, options);
    EXPECT_EQ(lines_in(result.log), expected);
}

TEST(LineNumbers, TextGivenBackIsNotCountedTwice) {
    ConversionOptions options;
    options.verbose = false;
    // The applet's body gives back the newline after its parameters, and the
    // charset value gives back the white space that ends it.
    std::string page =
        "<applet code=\"a\">\n<param name=\"p\" value=\"1\" />\n\n<p>alt</p></applet>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=\n\"/>\n"
        "<font size=\"x\">x</font>\n";
    auto result = testing::convert_text(page, options);
    EXPECT_EQ(lines_in(result.log), std::vector<int>{7}) << result.log;
}

}  // namespace
}  // namespace quorlix
