#include "converter/declared_charset.h"
#include "rewriter/head_rules.h"

#include <gtest/gtest.h>

#include <string_view>

namespace quorlix {
namespace {

struct Declared {
    std::string_view page;
    std::string_view label;
};

// The label a page declares, found before the rewriter reads it.
TEST(DeclaredCharsetTest, TheFirstContentTypeMetaElseTheXmlDeclaration) {
    const Declared cases[] = {
        {R"(<head><meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1" /></head>)",
         "iso-8859-1"},
        // either order of the two attributes, as browsers read them
        {R"(<head><meta content="text/html; charset=windows-1252" http-equiv="content-type"/></head>)",
         "windows-1252"},
        {R"(<meta http-equiv='CONTENT-TYPE' content='text/html;charset = koi8-r;x' >)", "koi8-r"},
        // a meta that is no content-type declares nothing, however it reads
        {R"(<meta name="description" content="charset=iso-8859-2" />)", ""},
        {R"(<meta http-equiv="refresh" content="5; charset=iso-8859-2" />)", ""},
        {R"(<meta http-equiv="content-type" content="text/html" />)", ""},
        {R"(<meta http-equiv="content-type" content="charset=" />)", ""},
        // the first declaring meta wins; a later one is not read
        {R"(<meta http-equiv="content-type" content="text/html; charset=iso-8859-5"/>)"
         R"(<meta http-equiv="content-type" content="text/html; charset=utf-8"/>)",
         "iso-8859-5"},
        // the XML declaration counts only without a declaring meta
        {R"(<?xml version="1.0" encoding="iso-8859-7"?><html><head></head></html>)", "iso-8859-7"},
        {R"(<?xml version="1.0" encoding='iso-8859-7'?><meta http-equiv="content-type" content="text/html; charset=utf-8"/>)",
         "utf-8"},
        {R"(<?xml version="1.0"?><html/>)", ""},
        // comments, scripts and styles declare nothing; an empty script has
        // no text to skip
        {R"(<!-- <meta http-equiv="content-type" content="text/html; charset=big5"/> --><p/>)", ""},
        {R"(<script>"<meta http-equiv='content-type' content='text/html; charset=big5'/>"</script>)", ""},
        {R"(<STYLE>/* <meta http-equiv="content-type" content="charset=big5"/> */</STYLE>)", ""},
        {R"(<script src="a.js"/><meta http-equiv="content-type" content="text/html; charset=big5"/>)",
         "big5"},
        // an unterminated comment hides the rest
        {R"(<!-- <meta http-equiv="content-type" content="text/html; charset=big5"/>)", ""},
        // a meta's name must end where the tag name ends
        {R"(<metadata http-equiv="content-type" content="text/html; charset=big5"/>)", ""},
        // a page that ends inside the tag
        {R"(<meta http-equiv="content-type" content="text/html; charset=big5)", ""},
    };
    for (const Declared& c : cases) {
        EXPECT_EQ(declared_charset(c.page), c.label) << c.page;
    }
}

// The character set that the rewriter takes from a content-type meta whose
// content came before its http-equiv.
TEST(DeclaredCharsetTest, ContentReadAfterwardsAsTheScannerReadsIt) {
    const Declared cases[] = {
        {"text/html; charset=utf-8", "utf-8"},
        {"text/html;charset = ISO-8859-1 ", "ISO-8859-1"},
        {"charset=\tkoi8-r", "koi8-r"},
        // the name runs to a blank or a quote (a semicolon belongs to it,
        // as in the scanner's reading)
        {"text/html; charset=iso-8859-1; x", "iso-8859-1;"},
        {"text/html; charset=big5'x", "big5"},
        // no name after the first "charset" (a quote at once): the next one
        // is read
        {"charset='x'; charset=euc-jp", "euc-jp"},
        {"charset= ; charset=euc-jp", ";"},
        {"mycharset=gbk", "gbk"},
        {"text/html", ""},
        {"charset", ""},
        {"charset utf-8", ""},
        {"charset=", ""},
        {"CHARSET=utf-8", ""},
        {"", ""},
    };
    for (const Declared& c : cases) {
        EXPECT_EQ(rules::charset_in_content(c.page), c.label) << c.page;
    }
}

}  // namespace
}  // namespace quorlix
