#include "platform/text_stream.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using testing::ScratchDir;

// Reads a whole file through TextReader in reads of the given size.
std::string read_translated(const std::string& raw, std::size_t chunk) {
    ScratchDir dir;
    testing::write_file(dir.file("in"), raw);
    platform::File file = platform::open_for_reading(dir.file("in"));
    TextReader reader(file);
    std::string result;
    std::vector<char> buffer(chunk);
    for (;;) {
        long n = reader.read(buffer.data(), buffer.size());
        EXPECT_GE(n, 0);
        if (n <= 0) break;
        result.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return result;
}

TEST(TextReader, TranslatesLineEndsAndStopsAtCtrlZ) {
    const struct {
        std::string raw, text;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb\r", "a\rb\r"},                // a lone CR stays, also at the very end
        {"a\r\r\nb", "a\r\nb"},              // CR, then CR LF
        {"a\n\rb", "a\n\rb"},                // LF CR is not a pair
        {"ab\x1a" "cd\r\n", "ab"},           // Ctrl-Z ends the input
        {"\x1a", ""},
        {std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},  // NUL is a byte like others
        {"", ""},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {1u, 2u, 3u, 8192u}) {
            EXPECT_EQ(read_translated(c.raw, chunk), c.text) << "chunk " << chunk;
        }
    }
}

TEST(TextReader, PairsACrLfSplitBetweenTwoBlocks) {
    // The reader takes the file in 8 KiB blocks: put the CR last in the first.
    std::string raw(8191, 'x');
    raw += "\r\n";
    raw += std::string(9000, 'y') + "\r";
    std::string expected(8191, 'x');
    expected += "\n" + std::string(9000, 'y') + "\r";
    EXPECT_EQ(read_translated(raw, 100000), expected);
    EXPECT_EQ(read_translated(raw, 4096), expected);
}

TEST(TextReader, RewindStartsOverAfterCtrlZ) {
    ScratchDir dir;
    testing::write_file(dir.file("in"), "ab\x1a" "c");
    platform::File file = platform::open_for_reading(dir.file("in"));
    TextReader reader(file);
    char buffer[8];
    EXPECT_EQ(reader.read(buffer, sizeof buffer), 2);
    EXPECT_EQ(reader.read(buffer, sizeof buffer), 0);
    ASSERT_TRUE(reader.rewind());
    EXPECT_EQ(reader.read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'a');
}

TEST(TextWriter, WritesEveryLfAsCrLf) {
    ScratchDir dir;
    {
        platform::File file(platform::create_exclusive(dir.file("out")));
        ASSERT_TRUE(file.is_open());
        TextWriter writer(file);
        std::string big(100000, 'z');
        EXPECT_TRUE(writer.write_binary("\xEF\xBB\xBF", 3));
        EXPECT_TRUE(writer.write("a\nb\r\n", 5));
        EXPECT_TRUE(writer.write(big.data(), big.size()));
        EXPECT_TRUE(writer.write("\n", 1));
        EXPECT_TRUE(writer.flush());
    }
    EXPECT_EQ(testing::read_file(dir.file("out")),
              "\xEF\xBB\xBF" "a\r\nb\r\r\n" + std::string(100000, 'z') + "\r\n");
}

TEST(TextWriter, ReportsAFailedWrite) {
    ScratchDir dir;
    testing::write_file(dir.file("in"), "x");
    platform::File read_only = platform::open_for_reading(dir.file("in"));
    TextWriter writer(read_only);
    std::string big(200000, 'q');
    bool ok = writer.write(big.data(), big.size()) && writer.flush();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(writer.failed());
}

}  // namespace
}  // namespace quorlix
