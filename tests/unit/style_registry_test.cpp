#include "styles/style_registry.h"

#include "base/messages.h"
#include "rewriter/element_state.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class StyleRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    void start() {
        styles.reset_style_text();
        styles.init_class_names();
        out.reset();
        element.begin_element();
    }
    std::string text() const {
        return std::string(styles.style_text());
    }

    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    StyleRegistry styles{options, diagnostics};
    OutputBuffer out;
    ElementState element;
};

TEST_F(StyleRegistryTest, NoRuleMeansNoStyleText) {
    EXPECT_TRUE(styles.style_text().empty());
}

TEST_F(StyleRegistryTest, BuildersWriteTheRulesExactly) {
    std::string_view d2 = "b:2;", d3 = "c:3;";
    styles.add_class_rule("quorlix_1", "a:1;");
    styles.add_class_rule("quorlix_2", {"a:1;", d2, d3});
    styles.add_selector_rule("body", {"margin:0;", d2});
    styles.add_selector_declaration("a:link", "color:", "red");
    styles.add_cell_rule("quorlix_3", "padding:2px;");
    styles.add_group_rules("quorlix_3", "border:1px solid;", "border:2px solid;");
    EXPECT_EQ(text(),
              ".quorlix_1{a:1;}\n"
              ".quorlix_2{a:1;b:2;c:3;}\n"
              "body{margin:0;b:2;}\n"
              "a:link{color:red;}\n"
              ".quorlix_3>td,.quorlix_3>*>td,.quorlix_3>*>tr>td,"
              ".quorlix_3>th,.quorlix_3>*>th,.quorlix_3>*>tr>th{padding:2px;}\n"
              ".quorlix_3>colgroup{border:1px solid;}\n"
              ".quorlix_3>thead,.quorlix_3>tfoot,.quorlix_3>tbody{border:2px solid;}\n");
}

TEST_F(StyleRegistryTest, FixedClassesWriteTheirRuleOnce) {
    EXPECT_EQ(styles.fixed_class("center", {"text-align:center;", "x:1;"}), "quorlix_center");
    EXPECT_EQ(styles.fixed_class("big", {"font-size:larger;"}), "quorlix_big");
    EXPECT_EQ(styles.fixed_class("center", {"text-align:center;", "x:1;"}), "quorlix_center");
    EXPECT_EQ(text(), ".quorlix_center{text-align:center;x:1;}\n.quorlix_big{font-size:larger;}\n");
}

TEST(StyleRegistryPrefix, TheOptionsPrefixReplacesTheDefault) {
    ConversionOptions options;
    options.class_prefix = "site-";
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    StyleRegistry styles(options, diagnostics);
    styles.reset_style_text();
    styles.init_class_names();
    EXPECT_EQ(styles.next_class_name(), "site-1");
    EXPECT_EQ(styles.fixed_class("tt", {"font-family:monospace;"}), "site-tt");
}

TEST_F(StyleRegistryTest, ClassNamesCountUpAndStopAtTheLimit) {
    EXPECT_EQ(styles.next_class_name(), "quorlix_1");
    EXPECT_EQ(styles.next_class_name(), "quorlix_2");
    while (styles.class_counter() < StyleRegistry::class_limit - 2) styles.next_class_name();
    EXPECT_EQ(styles.next_class_name(), "quorlix_1048575");
    EXPECT_THROW(styles.next_class_name(), FileAbandoned);
    EXPECT_NE(log.text().find("Error: Too many CSS classes had to be generated.\n"),
              std::string::npos);
}

TEST_F(StyleRegistryTest, ReleaseStartsTheNumbersAgain) {
    styles.next_class_name();
    styles.fixed_class("big", {"font-size:larger;"});
    styles.release_class_names();
    styles.reset_style_text();
    EXPECT_EQ(styles.next_class_name(), "quorlix_1");
    styles.fixed_class("big", {"font-size:larger;"});
    EXPECT_EQ(text(), ".quorlix_big{font-size:larger;}\n");
}

TEST_F(StyleRegistryTest, ElementsDrawOneNumberEach) {
    element.ensure_class(styles);
    element.ensure_class(styles);
    EXPECT_EQ(element.element_class_name, "quorlix_1");
    element.begin_element();
    EXPECT_FALSE(element.element_class_name.has_value());
}

TEST_F(StyleRegistryTest, ClassAttributeMergesGeneratedAndOwnClasses) {
    const struct {
        bool draw;
        const char* css;
        const char* own;
        const char* attribute;
        const char* rule;
    } cases[] = {
        {true, "text-align:center;", "a b", " class=\"quorlix_1 a b\"", ".quorlix_1{text-align:center;}\n"},
        {true, "color:red;", "", " class=\"quorlix_2\"", ".quorlix_2{color:red;}\n"},
        {false, "", "intro", " class=\"intro\"", ""},
        {true, "", "", "", ""},  // a number drawn without CSS is never written
        {false, "", "", "", ""},
    };
    for (const auto& c : cases) {
        start();
        element.begin_element();
        if (c.draw) element.ensure_class(styles);
        element.element_css.append(c.css);
        element.class_value.append(c.own);
        element.write_class_attribute(out, styles);
        EXPECT_EQ(out.view(), c.attribute);
        EXPECT_EQ(styles.style_text(), c.rule);
    }
}

TEST_F(StyleRegistryTest, FixedClassAttributeKeepsOwnClasses) {
    element.class_value.append("note");
    element.write_fixed_class_attribute(out, styles.fixed_class("big", {"font-size:larger;"}));
    EXPECT_EQ(out.view(), " class=\"quorlix_big note\"");
}

TEST_F(StyleRegistryTest, NameBecomesId) {
    element.name_value.append("top");
    element.write_id_from_name(out, diagnostics);
    EXPECT_EQ(out.view(), " id=\"top\"");

    out.reset();
    element.id_seen = true;
    element.id_value.append("top");
    element.write_id_from_name(out, diagnostics);  // same value: the id already stands
    EXPECT_EQ(out.view(), "");

    element.id_value.append("2");
    EXPECT_THROW(element.write_id_from_name(out, diagnostics), FileAbandoned);
    EXPECT_NE(log.text().find("Error: The name and id attributes have different values.\n"),
              std::string::npos);
}

}  // namespace
}  // namespace quorlix
