// The rules for empty-element tags, foreign content, CDATA sections and
// namespace attributes, without the scanner.
#include "rewriter/document.h"
#include "rewriter/head_rules.h"
#include "rewriter/rule_actions.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlix {
namespace {

class MarkupRulesTest : public ::testing::Test {
protected:
    void SetUp() override { document.begin(); }
    std::string output() const { return std::string(document.out.view()); }
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    Document document{options, diagnostics};
};

TEST(EmptyElementEnd, VoidElementsAndNonElementsLoseOnlyTheSlash) {
    struct Case {
        const char* name;
        const char* end;
    };
    const Case cases[] = {
        {"br", ">"},           {"BR", ">"},          {"img", ">"},       {"input", ">"},
        {"meta", ">"},         {"link", ">"},        {"wbr", ">"},       {"source", ">"},
        {"basefont", ">"},     {"isindex", ">"},     {"keygen", ">"},    {"col", ">"},
        {"/p", ">"},           {"!x", ">"},          {"", ">"},          {"div", "></div>"},
        {"span", "></span>"},  {"SPAN", "></SPAN>"}, {"a", "></a>"},     {"iframe", "></iframe>"},
        {"textarea", "></textarea>"},                {"p", "></p>"},     {"h2", "></h2>"},
        {"colgroup", "></colgroup>"},                {"d:x", "></d:x>"}, {"brx", "></brx>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::empty_element_end(c.name), c.end) << c.name;
        EXPECT_EQ(rules::is_void_element(c.name), std::string(c.end) == ">" && c.name[0] != '/' &&
                                                      c.name[0] != '!' && c.name[0] != '\0')
            << c.name;
    }
}

TEST(CdataText, OnlyTheThreeMarkupCharactersAreEscaped) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"x < y & z > w", "x &lt; y &amp; z &gt; w"},
        {"&amp;", "&amp;amp;"},
        {"\"quoted\" 'text'\n", "\"quoted\" 'text'\n"},
        {"", ""},
        {"\xc3\xa9<", "\xc3\xa9&lt;"},
    };
    for (const Case& c : cases) {
        std::string out = "before:";
        rules::append_cdata_text(out, c.in);
        EXPECT_EQ(out, std::string("before:") + c.out) << c.in;
    }
}

TEST_F(MarkupRulesTest, BareMarkersGoCommentedOnesStayAndTheSectionIsFollowed) {
    rules::cdata_marker(document, "<![CDATA[", true, false);
    EXPECT_TRUE(document.markup.cdata_open);
    rules::cdata_marker(document, "]]>", false, false);
    EXPECT_FALSE(document.markup.cdata_open);
    rules::cdata_marker(document, "]]>", false, false);  // no section open: text
    rules::cdata_marker(document, "//<![CDATA[", true, true);
    EXPECT_TRUE(document.markup.cdata_open);
    rules::cdata_marker(document, "//]]>", false, true);
    EXPECT_FALSE(document.markup.cdata_open);
    // A section opened in a comment: a bare "]]>" in it is text and stays.
    rules::cdata_marker(document, "/*<![CDATA[*/", true, true);
    rules::cdata_marker(document, "]]>", false, false);
    EXPECT_FALSE(document.markup.cdata_open);
    EXPECT_EQ(output(), "]]>//<![CDATA[//]]>/*<![CDATA[*/]]>");
}

TEST_F(MarkupRulesTest, EndTagOfTheBodyInsideASectionIsRefused) {
    EXPECT_TRUE(rules::embedded_end_tag(document, "</style", "style"));
    EXPECT_EQ(output(), "</style");
    rules::script_end_tag_text(document, "</SCRIPT");
    EXPECT_EQ(output(), "</style</SCRIPT");
    rules::cdata_marker(document, "<![CDATA[", true, false);
    EXPECT_THROW(rules::script_end_tag_text(document, "</Script"), FileAbandoned);
    EXPECT_NE(log.text().find("The CDATA section of a <script> element contains </script"), std::string::npos);
    log.clear();
    EXPECT_THROW(rules::embedded_end_tag(document, "</style", "style"), FileAbandoned);
    EXPECT_NE(log.text().find("<style> element contains </style"), std::string::npos);
}

TEST_F(MarkupRulesTest, ForeignContentEndsWithItsOutermostElement) {
    rules::begin_foreign(document, "<svg");
    rules::foreign_tag_end(document, ">");
    EXPECT_FALSE(rules::foreign_empty_end(document, "/>"));  // a rect's "/>"
    rules::foreign_open(document, "<svg");
    EXPECT_FALSE(rules::foreign_empty_end(document, "/>"));  // an empty nested svg
    rules::foreign_open(document, "<math");
    rules::foreign_tag_end(document, ">");
    EXPECT_FALSE(rules::foreign_close(document, "</math>"));
    EXPECT_TRUE(rules::foreign_close(document, "</svg>"));

    rules::begin_foreign(document, "<math");
    EXPECT_TRUE(rules::foreign_empty_end(document, "/>"));  // an empty outermost element
    EXPECT_EQ(output(), "<svg>/><svg/><math></math></svg><math/>");
}

TEST_F(MarkupRulesTest, GenericTagNameIsItsFirstPiece) {
    struct Case {
        const char* pieces[3];
        const char* out;
    };
    const Case cases[] = {
        {{"span", " ", "class=\"a\""}, "<span class=\"a\"></span>"},
        {{"/", "p", nullptr}, "</p>"},
        {{"base", " ", "href=\"x\""}, "<base href=\"x\">"},
        {{" ", "b", nullptr}, "< b>"},
    };
    for (const Case& c : cases) {
        document.out.reset();
        rules::begin_generic_tag(document, "<");
        for (const char* piece : c.pieces) {
            if (piece != nullptr) rules::generic_piece(document, piece);
        }
        rules::end_empty_generic_tag(document);
        EXPECT_EQ(output(), c.out);
    }
}

TEST_F(MarkupRulesTest, XmlLangBecomesLangUnlessTheTagHasOne) {
    // xml:lang alone, with either quote; then with a lang before or after it.
    rules::begin_xml_lang(document, " xml:lang='");
    EXPECT_FALSE(rules::read_xml_lang_value(document, "en\"x"));
    EXPECT_TRUE(rules::read_xml_lang_value(document, "'"));
    EXPECT_EQ(document.echo_depth(), 0u);
    rules::end_plain_tag(document, ">");
    EXPECT_EQ(output(), " lang='en\"x'>");

    document.out.reset();
    rules::begin_xml_lang(document, " xml:lang=\"");
    rules::read_xml_lang_value(document, "fr");
    rules::read_xml_lang_value(document, "\"");
    rules::lang_attribute(document);
    rules::end_empty_generic_tag(document);
    EXPECT_EQ(output(), ">");

    // Nothing is left over for the next tag.
    document.out.reset();
    rules::end_plain_tag(document, ">");
    EXPECT_EQ(output(), ">");
}

TEST_F(MarkupRulesTest, EmptyTitleGetsItsEndTagAndKeepsTheBlanksAfterIt) {
    rules::empty_title(document, "<title />\n  ");
    EXPECT_EQ(output(), "<title></title>\n  ");
}

}  // namespace
}  // namespace quorlix

namespace quorlix {
namespace {

TEST(DropLineIndent, OnlyBlanksThatStartTheirLineAndHoldNoRecordedPosition) {
    struct Case {
        const char* before;
        bool mark_title_end_before_blanks;
        const char* after;
    };
    const Case cases[] = {
        {"<head>\n  \t", false, "<head>\n"},
        {"  ", false, ""},
        {"<title>T</title>  ", false, "<title>T</title>  "},  // text before them on the line
        {"<head>\n", false, "<head>\n"},
        {"<head>\n  ", true, "<head>\n"},
    };
    for (const Case& c : cases) {
        OutputBuffer out;
        out.reset();
        std::string_view text = c.before;
        if (c.mark_title_end_before_blanks) {
            std::size_t blanks = text.find_last_not_of(" \t") + 1;
            out.append(text.substr(0, blanks));
            out.mark_title_end();
            out.append(text.substr(blanks));
        } else {
            out.append(text);
        }
        out.drop_line_indent();
        EXPECT_EQ(out.view(), c.after) << c.before;
    }
    // A position recorded among the blanks keeps them.
    OutputBuffer out;
    out.reset();
    out.append("x\n ");
    out.mark_title_end();
    out.append(" ");
    out.drop_line_indent();
    EXPECT_EQ(out.view(), "x\n  ");
}

}  // namespace
}  // namespace quorlix
