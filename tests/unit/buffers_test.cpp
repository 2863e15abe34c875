#include "output/buffers.h"

#include "base/messages.h"
#include "styles/style_registry.h"

#include <limits>

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(OutputBuffer, GrowthSteps) {
    const struct {
        std::uint64_t capacity, length, n, expected;
    } cases[] = {
        {65536, 65535, 1, 65536 + 32768},                  // a full buffer grows by one step
        {65536, 0, 32766, 65536 + 32768},                  // below the step: one step
        {65536, 40000, 32767, 65536 + 32768 + 32768},      // 32768 with terminator: room for it too
        {65536, 0, 100000, 65536 + 32768 + 100001},
        {1 << 24, (1 << 24) - 1, 1, (1 << 24) + (1 << 23)},  // large buffers grow by half
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutputBuffer::grown_capacity(c.capacity, c.length, c.n), c.expected)
            << c.capacity << " " << c.length << " " << c.n;
    }
    EXPECT_EQ(OutputBuffer::grown_capacity(~0ull - 10, ~0ull - 20, 30), 0u) << "overflow";
}

TEST(OutputBuffer, NeverFillsTheLastByteAndKeepsEveryByte) {
    OutputBuffer out;
    out.reset();
    EXPECT_EQ(out.capacity(), 65536u);
    std::string text;
    for (int i = 0; i < 65534; ++i) text += static_cast<char>(i % 251);  // NULs included
    out.append(text);
    EXPECT_EQ(out.capacity(), 65536u);
    static const char zeros[16] = {};
    out.append(std::string_view(zeros, 1));  // length + n + 1 == capacity: this one grows
    EXPECT_EQ(out.capacity(), 65536u + 32768u);
    out.append(std::string(200000, 'x'));
    text += '\0';
    text += std::string(200000, 'x');
    EXPECT_EQ(out.view(), text);
    EXPECT_GT(out.capacity(), out.length());
}

TEST(OutputBuffer, OneCharacterAppendsFillUpToTheTerminator) {
    OutputBuffer out;
    out.reset();
    out.append(std::string(65534, 'a'));
    out.append_char('b');  // length + 1 is below the capacity: stored directly
    EXPECT_EQ(out.capacity(), 65536u);
    out.append_char('c');  // now it is not
    EXPECT_EQ(out.capacity(), 65536u + 32768u);
    EXPECT_EQ(out.view().substr(65533), "abc");
}

TEST(OutputBuffer, RecordsPositionsAndResets) {
    OutputBuffer out;
    out.reset();
    out.append("<head>");
    out.mark_head_position();
    out.append("<style>");
    out.mark_style_position();
    out.append("</head>");
    out.mark_style_position();  // the first one wins
    out.mark_title_end();
    out.append("x");
    out.mark_title_end();  // the last one wins
    EXPECT_EQ(out.head_position(), 6u);
    EXPECT_EQ(out.style_position(), 13u);
    EXPECT_EQ(out.title_end_position(), 21u);
    EXPECT_TRUE(out.head_position_set());
    out.reset();
    EXPECT_EQ(out.length(), 0u);
    EXPECT_EQ(out.style_position() + out.title_end_position() + out.head_position(), 0u);
}

// A text that no buffer can hold: the growth fails before any allocation or
// copy, with the detail of the buffer that could not grow.
template <typename Append>
const char* growth_failure(Append append) {
    static const char bytes[32] = {'x'};
    append("abc");
    volatile std::size_t size = std::numeric_limits<std::size_t>::max() - 2;  // opaque to the compiler
    std::string_view impossible(bytes, size);
    try {
        append(impossible);
    } catch (const OutOfMemory& failure) {
        return failure.detail;
    }
    return "no failure";
}

TEST(GrowableText, AFailedGrowthNamesTheBuffer) {
    OutputBuffer out;
    out.reset();
    EXPECT_STREQ(growth_failure([&](std::string_view t) { out.append(t); }),
                 messages::to_expand_output);
    EXPECT_EQ(out.view(), "abc") << "a failed growth keeps the text";
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    StyleRegistry styles{options, diagnostics};
    EXPECT_STREQ(growth_failure([&](std::string_view t) { styles.append_style_text(t); }),
                 messages::to_allocate_styles);
    EXPECT_EQ(styles.style_text(), "abc");
}

TEST(GrowableText, StartsEmptyAndClearsWithoutLosingItsMemory) {
    GrowableText text(messages::to_allocate_styles);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text.view(), "");
    text += ".a";
    text += '{';
    text.append(std::string(100000, 'b'));
    EXPECT_EQ(text.length(), 100003u);
    std::uint64_t capacity = text.capacity();
    text.clear();
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text.capacity(), capacity);
    text += "c";
    EXPECT_EQ(text.view(), "c");
}

TEST(GrowableText, CopiesEveryLengthExactly) {
    std::string source;
    for (int i = 0; i < 64; ++i) source += static_cast<char>('A' + i % 50);
    for (std::size_t n = 0; n <= 40; ++n) {
        for (std::size_t offset = 0; offset < 3; ++offset) {
            std::string target(48, '.');
            copy_bytes(target.data() + offset, source.data() + offset, n);
            std::string expected(48, '.');
            expected.replace(offset, n, source, offset, n);
            EXPECT_EQ(target, expected) << n << " " << offset;
        }
    }
}

TEST(DeferredBuffer, CollectsAndEmpties) {
    DeferredBuffer buffer;
    buffer.reset();
    EXPECT_FALSE(buffer.has_content());
    buffer.append("color:");
    buffer.append_char('\0');
    buffer.append(std::string(10000, 'r'));
    EXPECT_EQ(buffer.size(), 6u + 1u + 10000u);
    EXPECT_EQ(buffer.view().substr(0, 7), std::string_view("color:\0", 7));
    buffer.reset();
    EXPECT_FALSE(buffer.has_content());
}

}  // namespace
}  // namespace quorlix
