// Charset labels name the encoding browsers decode a page in, and the
// system's conversion gives the UTF-8 that they show, or refuses a byte
// that is not valid (where it stands) or an encoding it cannot convert.
#include "platform/transcode.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlix::platform {
namespace {

TEST(Transcode, LabelsNameTheEncodingThatBrowsersUse) {
    const struct {
        const char* label;
        const char* encoding;  // nullptr: no encoding
    } cases[] = {
        {"iso-8859-1", "windows-1252"},  {" Latin1\t", "windows-1252"},  {"US-ASCII", "windows-1252"},
        {"x-user-defined", "windows-1252"}, {"ISO-8859-9", "windows-1254"}, {"iso-8859-15", "iso-8859-15"},
        {"UTF8", "utf-8"},                {"utf-16le", "utf-8"},          {"Shift_JIS", "shift_jis"},
        {"ks_c_5601-1987", "euc-kr"},     {"hz-gb-2312", "replacement"},  {"latin-1", nullptr},
        {"iso-8859-1x", nullptr},         {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Encoding* e = encoding_of_label(c.label);
        if (c.encoding == nullptr) {
            EXPECT_EQ(e, nullptr);
        } else {
            ASSERT_NE(e, nullptr);
            EXPECT_STREQ(e->name, c.encoding);
        }
    }
    EXPECT_TRUE(is_utf8(*encoding_of_label("unicode-1-1-utf-8")));
    EXPECT_FALSE(is_utf8(*encoding_of_label("ascii")));
}

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

TEST(Transcode, TextBecomesUtf8OrIsRefusedWhereItIsInvalid) {
    using Outcome = Transcoding::Outcome;
    // Long enough to be converted in more than one piece.
    const std::string long_text = repeated("caf\xE9 ", 20000);
    const struct {
        const char* label;
        std::string text;
        Outcome outcome;
        std::string utf8;         // when converted
        std::size_t offset = 0;   // of the invalid byte
    } cases[] = {
        {"latin1", "", Outcome::converted, ""},
        {"latin1", "caf\xE9 \x80 \x93q\x94 \xFF", Outcome::converted,
         "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC3\xBF"},
        // The five bytes windows-1252 leaves undefined are C1 controls.
        {"windows-1252", "\x81\x8D\x8F\x90\x9D", Outcome::converted, "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"iso-8859-15", "\xA4", Outcome::converted, "\xE2\x82\xAC"},
        {"koi8-r", "\xC1", Outcome::converted, "\xD0\xB0"},
        {"shift_jis", "\x93\xFA\x96\x7B<", Outcome::converted, "\xE6\x97\xA5\xE6\x9C\xAC<"},
        {"shift_jis", "ab\x81 c", Outcome::invalid_byte, "", 2},
        {"shift_jis", "abc\x93", Outcome::invalid_byte, "", 3},
        {"replacement", "abc", Outcome::unsupported, ""},
        {"latin1", long_text, Outcome::converted, repeated("caf\xC3\xA9 ", 20000)},
        {"shift_jis", repeated("ab ", 40000) + "\x81 ", Outcome::invalid_byte, "", 120000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.label) + ": " + c.text.substr(0, 40));
        std::string output = "left over";
        const Transcoding result = transcode_to_utf8(*encoding_of_label(c.label), c.text, output);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(output, c.utf8);
        if (c.outcome == Outcome::invalid_byte) {
            EXPECT_EQ(result.invalid_offset, c.offset);
        }
    }
}

}  // namespace
}  // namespace quorlix::platform
