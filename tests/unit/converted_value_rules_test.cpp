#include "rewriter/document.h"
#include "rewriter/element_rules.h"
#include "rewriter/head_rules.h"
#include "rewriter/rule_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quorlix {
namespace {

// The rule actions: the value is converted at its closing quote, and a
// refused value ends the conversion with the message for its attribute.
class ConvertedValueTest : public ::testing::Test {
protected:
    void SetUp() override { document.begin(); }

    std::string font_face(std::string_view value) {
        document.begin_element();
        rules::begin_font_face(document, "face=\"");
        EXPECT_FALSE(rules::read_font_face(document, value));
        EXPECT_TRUE(rules::read_font_face(document, "\""));
        return std::string(document.element.element_css.view());
    }

    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    Document document{options, diagnostics};
};

TEST_F(ConvertedValueTest, FaceValuesBecomeSafeDeclarations) {
    EXPECT_EQ(font_face("Arial, Helvetica"), "font-family:Arial, Helvetica;");
    EXPECT_EQ(font_face("a;}b"), "font-family:\"a;}b\";");
    EXPECT_FALSE(document.echo_suppressed());
}

TEST_F(ConvertedValueTest, RefusedFaceNamesTheAttribute) {
    EXPECT_THROW(font_face("Arial&#0;"), FileAbandoned);
    EXPECT_NE(log.text().find("Missing quotation mark or invalid value for face."),
              std::string::npos);
}

TEST_F(ConvertedValueTest, BackgroundValuesBecomeEscapedUrls) {
    document.begin_element();
    rules::begin_background_value(document, "background=\"");
    for (std::string_view piece : {"a.png?x=1&amp;y=", "<", "2", "'"}) {
        EXPECT_FALSE(rules::read_background_value(document, piece));
    }
    EXPECT_TRUE(rules::read_background_value(document, "\""));
    EXPECT_EQ(document.element.element_css.view(),
              "background-image:url(\"a.png?x=1&y=\\3c 2'\");");
}

TEST_F(ConvertedValueTest, RefusedBackgroundNamesTheAttribute) {
    document.begin_element();
    rules::begin_background_value(document, "background=\"");
    EXPECT_FALSE(rules::read_background_value(document, "a&#x1;.png"));
    EXPECT_THROW(rules::read_background_value(document, "\""), FileAbandoned);
    EXPECT_NE(log.text().find("Missing quotation mark or invalid value for background."),
              std::string::npos);
}

TEST_F(ConvertedValueTest, PagesOutsideUtf8RefuseReferencesBeyondAscii) {
    EXPECT_EQ(font_face("Caf&#233;"), "font-family:Caf\xC3\xA9;");
    rules::meta_charset_name(document, "iso-8859-1");
    EXPECT_EQ(font_face("&#65;rial, A&amp;B"), "font-family:Arial, \"A&B\";");
    EXPECT_THROW(font_face("Caf&#233;"), FileAbandoned);
}

TEST_F(ConvertedValueTest, AsciiPagesBecomeUtf8AndKeepTheirReferences) {
    rules::meta_charset_name(document, "US-ASCII");
    EXPECT_EQ(font_face("Caf&#233;"), "font-family:Caf\xC3\xA9;");
}

}  // namespace
}  // namespace quorlix
