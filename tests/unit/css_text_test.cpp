#include "styles/css_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quorlix {
namespace {

struct Conversion {
    std::string_view value;
    std::string_view expected;
};

TEST(CssTextTest, ReferencesAreDecodedToUtf8) {
    const Conversion cases[] = {
        {"bg.png?a=1&amp;b=2", "bg.png?a=1&b=2"},
        {"Caf&#233;", "Caf\xC3\xA9"},
        {"&#xE9;&#XE9;&#xe9;", "\xC3\xA9\xC3\xA9\xC3\xA9"},
        {"&lt;&gt;&quot;&apos;&amp;", "<>\"'&"},
        {"&eacute;&nbsp;&euro;&hellip;&Omega;",
         "\xC3\xA9\xC2\xA0\xE2\x82\xAC\xE2\x80\xA6\xCE\xA9"},
        {"&#x1F600;", "\xF0\x9F\x98\x80"},
        {"&#65;&#0066;&#x43;", "ABC"},
        {"&#9;&#10;&#13;&#12;", "\t\n\r\f"},
        {"&amp;amp;", "&amp;"},
        // An "&" that starts no reference is a character of the value.
        {"a=1&b=2", "a=1&b=2"},
        {"AT&T", "AT&T"},
        {"& x", "& x"},
        {"&;", "&;"},
        {"end&amp", "end&amp"},
        // Literal bytes beyond ASCII and white space stay as they are.
        {"Caf\xE9 \t\n", "Caf\xE9 \t\n"},
        {"", ""},
    };
    for (const Conversion& c : cases) {
        SCOPED_TRACE(std::string(c.value));
        std::string decoded = "kept:";
        EXPECT_TRUE(css::decode_references(c.value, true, decoded));
        EXPECT_EQ(decoded, "kept:" + std::string(c.expected));
    }
}

// Values that both the background and the face conversion refuse.
const std::string_view refused_values[] = {
    std::string_view("a\0b", 3), "&#0;", "&#x0;", "\x01", "a\x08", "\x0B", "\x1F", "\x7F",
    "&#1;", "&#8;", "&#11;", "&#31;", "&#127;", "&#128;", "&#x9F;", "&#xD800;", "&#xDFFF;",
    "&#xFFFE;", "&#xFFFF;", "&#x110000;", "&#1114112;", "&#99999999999999999999;",
    "&#;", "&#x;", "&#233", "&#233 x", "&#12a;", "&#xG;", "&#", "&bogus;", "&AMP;",
    "&Amp;", "ok&nosuchname;",
};

TEST(CssTextTest, ValuesWithoutAFaithfulFormAreRefused) {
    for (std::string_view value : refused_values) {
        SCOPED_TRACE(testing::PrintToString(std::string(value)));
        std::string decoded;
        EXPECT_FALSE(css::decode_references(value, true, decoded));
        std::string url = "kept";
        EXPECT_FALSE(css::append_url(url, value, true));
        EXPECT_EQ(url, "kept");
        std::string family = "kept";
        EXPECT_FALSE(css::append_font_family(family, value, true));
        EXPECT_EQ(family, "kept");
    }
}

TEST(CssTextTest, OutsideUtf8OnlyReferencesToAsciiAreDecoded) {
    const Conversion decoded_cases[] = {
        {"a&amp;b", "a&b"},
        {"&#65;&quot;", "A\""},
        {"Caf\xE9", "Caf\xE9"},
    };
    for (const Conversion& c : decoded_cases) {
        SCOPED_TRACE(std::string(c.value));
        std::string decoded;
        EXPECT_TRUE(css::decode_references(c.value, false, decoded));
        EXPECT_EQ(decoded, c.expected);
    }
    for (std::string_view value : {"Caf&#233;", "&eacute;", "&nbsp;", "&#x80000;"}) {
        SCOPED_TRACE(std::string(value));
        std::string decoded;
        EXPECT_FALSE(css::decode_references(value, false, decoded));
        EXPECT_TRUE(css::decode_references(value, true, decoded));
    }
}

TEST(CssTextTest, BackgroundUrls) {
    const Conversion cases[] = {
        {"paper.png", "url(\"paper.png\")"},
        {"/img/a b.png", "url(\"/img/a b.png\")"},
        {"bg.png?a=1&amp;b=2", "url(\"bg.png?a=1&b=2\")"},
        {"bg.png?a=1&b=2", "url(\"bg.png?a=1&b=2\")"},
        {"a\"b", "url(\"a\\22 b\")"},
        {"a&quot;);x:url(&quot;b", "url(\"a\\22 );x:url(\\22 b\")"},
        {"x&#10;y&#13;z", "url(\"x\\a y\\d z\")"},
        {"a<b", "url(\"a\\3c b\")"},
        {"&lt;/style&gt;", "url(\"\\3c /style>\")"},
        {"c:\\img.png", "url(\"c:\\5c img.png\")"},
        {"caf&#xE9;.png", "url(\"caf\xC3\xA9.png\")"},
    };
    for (const Conversion& c : cases) {
        SCOPED_TRACE(std::string(c.value));
        std::string css = "background-image:";
        EXPECT_TRUE(css::append_url(css, c.value, true));
        EXPECT_EQ(css, "background-image:" + std::string(c.expected));
    }
}

TEST(CssTextTest, FontFamilies) {
    const Conversion cases[] = {
        // Nothing that acts in CSS: copied as it is, whatever CSS makes of it.
        {"Arial", "Arial"},
        {"Verdana, Arial, sans-serif", "Verdana, Arial, sans-serif"},
        {"Wingdings 2", "Wingdings 2"},
        {"", ""},
        {"A&B", "A&B"},
        {"Arial,,Helvetica", "Arial,,Helvetica"},
        {"Arial,\nHelvetica", "Arial,\nHelvetica"},
        // Quoted families that need no escape keep their quotes.
        {"Georgia, 'Times New Roman', serif", "Georgia, 'Times New Roman', serif"},
        {"\"Times New Roman\",serif", "\"Times New Roman\",serif"},
        {"'Foo, Bar' , Arial", "'Foo, Bar' , Arial"},
        {"&#x27;Foo&#x27;", "'Foo'"},
        // References decoded; a family quoted by references is one string.
        {"Caf&#233;, &quot;Times New Roman&quot;", "Caf\xC3\xA9, \"Times New Roman\""},
        {"Caf&eacute;", "Caf\xC3\xA9"},
        {"&quot;A&amp;B&quot;", "\"A&B\""},
        // Anything else that is no identifier becomes a string of its own.
        {"y;}</style><script>alert(3)</script>",
         "\"y;}\\3c /style>\\3c script>alert(3)\\3c /script>\""},
        {"x;} body{display:none} x{", "\"x;} body{display:none} x{\""},
        {"Times \"New\" Roman", "\"Times \\22 New\\22  Roman\""},
        {"Arial, x;y, Wingdings 2", "Arial, \"x;y\", \"Wingdings 2\""},
        {"Arial !important", "\"Arial !important\""},
        {"url(x)", "\"url(x)\""},
        {"a/*, b*/", "\"a/*\", \"b*/\""},
        {"x\\", "\"x\\5c \""},
        {"'Foo\\Bar'", "\"Foo\\5c Bar\""},
        {"'&lt;x'", "\"\\3c x\""},
        {"&quot;A&quot; B", "\"\\22 A\\22  B\""},
        {"'unclosed, Arial", "\"'unclosed\", Arial"},
        {"x&#10;y, z", "x\ny, z"},
        {"x&#10;y;", "\"x\\a y;\""},
        {"'a',", "'a',"},
        {" ( ", " \"(\" "},
    };
    for (const Conversion& c : cases) {
        SCOPED_TRACE(std::string(c.value));
        std::string css = "font-family:";
        EXPECT_TRUE(css::append_font_family(css, c.value, true));
        EXPECT_EQ(css, "font-family:" + std::string(c.expected));
    }
}

}  // namespace
}  // namespace quorlix
