#include "rewriter/internal_subset.h"
#include "rewriter/rule_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quorlix {
namespace {

struct SubsetCase {
    std::string_view subset;
    std::string_view problem;  // empty: accepted
};

TEST(InternalSubsetTest, OnlyPlainTextEntitiesAndCommentsAreAccepted) {
    const SubsetCase cases[] = {
        {"", ""},
        {"\n  <!-- who ] wrote it -->\n  <!ENTITY me \"Jane\">\n", ""},
        {"<!ENTITY q '\"quoted\" > text'>", ""},
        {"<!ENTITY\tme\n\"Jane\"\n>", ""},
        {"<!ENTITY % local SYSTEM \"local.ent\">", "the parameter entity %local"},
        {"%local;", "a reference to the parameter entity %local;"},
        {"<!ENTITY me \"of %pe;\">", "a reference to the parameter entity %pe;"},
        {"<!ENTITY logo SYSTEM \"logo.gif\" NDATA gif>", "the external entity logo"},
        {"<!ENTITY foot PUBLIC \"-//X//Foot\" \"foot.xml\">", "the external entity foot"},
        {"<!ENTITY b \"<b>bold</b>\">", "markup in the value of the entity b"},
        {"<!ENTITY c \"&#169; 2004\">", "a reference in the value of the entity c"},
        {"<!ENTITY c \"&me;\">", "a reference in the value of the entity c"},
        {"<!ELEMENT x ANY>", "an <!ELEMENT declaration"},
        {"<!ATTLIST p note CDATA #IMPLIED>", "an <!ATTLIST declaration"},
        {"<!NOTATION gif SYSTEM \"image/gif\">", "an <!NOTATION declaration"},
        {"<?pi x?>", "a processing instruction"},
        {"<!-- not ended", "text that is no declaration: <!-- not ended"},
        {"<!ENTITY me \"Jane\"", "text that is no declaration: <!ENTITY me \"Jane\""},
        {"<!ENTITY me Jane>", "text that is no declaration: <!ENTITY me Jane>"},
        {"<!ENTITYme \"x\">", "text that is no declaration: <!ENTITYme \"x\">"},
        {"stray text", "text that is no declaration: stray text"},
    };
    for (const SubsetCase& c : cases) {
        SCOPED_TRACE(std::string(c.subset));
        InternalSubset subset = read_internal_subset(c.subset);
        EXPECT_EQ(subset.problem, c.problem);
    }
}

TEST(InternalSubsetTest, TheFirstDeclarationOfANameHolds) {
    InternalSubset subset =
        read_internal_subset("<!ENTITY me \"Jane\"><!ENTITY you 'Sam'><!ENTITY me \"John\">");
    ASSERT_EQ(subset.problem, "");
    EXPECT_EQ(subset.entities.size(), 2u);
    EXPECT_EQ(subset.entities.at("me"), "Jane");
    EXPECT_EQ(subset.entities.at("you"), "Sam");
}

struct ExpansionCase {
    std::string_view page;
    std::string_view expected;
};

TEST(InternalSubsetTest, EntitiesAreExpandedWhereAnXmlParserExpandsThem) {
    const std::unordered_map<std::string, std::string> entities = {
        {"me", "Jane"}, {"q", "say \"hi\" -> 'bye'"}, {"two", "a\nb\tc"}};
    const ExpansionCase cases[] = {
        {"<p>&me; &you; &amp; &#169; &me</p>", "<p>Jane &you; &amp; &#169; &me</p>"},
        {"<p title=\"&q;\" class='&me; x'>&q;</p>",
         "<p title=\"say &quot;hi&quot; -&gt; &#39;bye&#39;\" class='Jane x'>say \"hi\" -> 'bye'</p>"},
        {"<p title=\"&two;\">&two;</p>", "<p title=\"a b c\">a&#10;b\tc</p>"},
        {"<!-- &me; --><![CDATA[&me;]]><?php &me; ?>&me;", "<!-- &me; --><![CDATA[&me;]]><?php &me; ?>Jane"},
        // Script and style text is no text in HTML5: written as it is.
        {"<script>s = '&q;';</script>&q;", "<script>s = 'say \"hi\" -> 'bye'';</script>say \"hi\" -> 'bye'"},
        {"<style>&two;</style><script src=\"x\"/>&two;", "<style>a\nb\tc</style><script src=\"x\"/>a&#10;b\tc"},
        {"<a href=\"?x=1&amp;y\">&me;</a>", "<a href=\"?x=1&amp;y\">Jane</a>"},
        {"tail &me", "tail &me"},
    };
    for (const ExpansionCase& c : cases) {
        SCOPED_TRACE(std::string(c.page));
        EXPECT_EQ(expand_entities(c.page, entities), c.expected);
    }
}

struct ClassCase {
    std::string_view text;
    std::string_view prefix;
    std::string_view found;
};

TEST(GeneratedLookingClassTest, NumbersAndFixedWordsAfterThePrefixAreFound) {
    const ClassCase cases[] = {
        {"quorlix_1", "quorlix_", "quorlix_1"},
        {" note\tquorlix_1048575\n", "quorlix_", "quorlix_1048575"},
        {"quorlix_center quorlix_tt", "quorlix_", "quorlix_center"},
        {"quorlix_big", "quorlix_", "quorlix_big"},
        {"quorlix_nobr", "quorlix_", "quorlix_nobr"},
        {"quorlix_01 quorlix_0 quorlix_ quorlix_1a quorlix_centre Quorlix_1", "quorlix_", ""},
        {"quorlix_1", "x_", ""},
        {"x_7", "x_", "x_7"},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(rules::generated_looking_class(c.text, c.prefix), c.found);
    }
}

TEST(GeneratedLookingClassTest, ClassSelectorsOfAStyleSheetAreFound) {
    const ClassCase cases[] = {
        {"p.quorlix_2 { color: red }", "quorlix_", "quorlix_2"},
        {".note,.quorlix_center>a{}", "quorlix_", "quorlix_center"},
        {".quorlix_2x, .quorlix_02, .xquorlix_2 { } p { width: 1.5em }", "quorlix_", ""},
        {".quorlix_2-b {}", "quorlix_", ""},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(rules::generated_looking_selector(c.text, c.prefix), c.found);
    }
}

}  // namespace
}  // namespace quorlix
