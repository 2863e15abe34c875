#include "rewriter/document.h"
#include "rewriter/rule_actions.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { document.begin(); }
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    Document document{options, diagnostics};
};

TEST_F(DocumentTest, StateStackPopsInReverseAndReportsUnderflow) {
    for (int i = 0; i < 26; ++i) document.states.push(i);
    for (int i = 25; i >= 0; --i) EXPECT_EQ(document.states.pop(), i);
    EXPECT_THROW(document.states.pop(), FileAbandoned);
    EXPECT_NE(log.text().find("Internal error: state stack underflow."), std::string::npos);
}

TEST_F(DocumentTest, SevenEchoDestinationsAndNoMore) {
    DeferredBuffer buffers[8];
    for (auto& b : buffers) b.reset();
    for (int i = 0; i < 7; ++i) document.push_echo(buffers[i]);
    EXPECT_THROW(document.push_echo(buffers[7]), FileAbandoned);
    EXPECT_NE(log.text().find("Internal error: echo stack overflow."), std::string::npos);
    for (int i = 0; i < 7; ++i) document.pop_echo();
    log.clear();
    EXPECT_THROW(document.pop_echo(), FileAbandoned);
    EXPECT_NE(log.text().find("Internal error: echo stack underflow."), std::string::npos);
}

TEST_F(DocumentTest, EchoFollowsTheDestination) {
    DeferredBuffer tag;
    tag.reset();
    EXPECT_FALSE(document.echo_text("<?a?>"));  // nothing collected: the caller writes it
    document.push_echo(tag);
    EXPECT_TRUE(document.echo_text("<?b?>"));
    document.suppress_echo();
    EXPECT_TRUE(document.echo_text("<?c?>"));  // dropped
    document.resume_echo();
    document.pop_echo();
    document.set_identifier_capture(true);
    document.echo_or_output("<?d?>");  // written, and kept in id_value too
    EXPECT_EQ(tag.view(), "<?b?>");
    EXPECT_EQ(document.out.view(), "<?d?>");
    EXPECT_EQ(document.element.id_value.view(), "<?d?>");
}

TEST_F(DocumentTest, SharedValuesEndOnlyAtTheSavedQuote) {
    document.save_quote('\'');
    EXPECT_FALSE(rules::read_copied_value(document, "a\"b"));
    EXPECT_FALSE(rules::read_copied_value(document, "\""));
    EXPECT_TRUE(rules::read_copied_value(document, "'"));
    EXPECT_EQ(document.out.view(), "a\"b\"'");

    document.save_quote('"');
    document.suppress_echo();
    EXPECT_FALSE(rules::read_dropped_value(document, "'"));
    EXPECT_TRUE(document.echo_suppressed());
    EXPECT_TRUE(rules::read_dropped_value(document, "\""));
    EXPECT_FALSE(document.echo_suppressed());
}

TEST_F(DocumentTest, ClassAndNameValuesCollectAndPopTheirDestination) {
    document.save_quote('"');
    document.push_echo(document.element.class_value);
    EXPECT_FALSE(rules::read_class_value(document, "intro 'x'"));
    EXPECT_TRUE(rules::read_class_value(document, "\""));
    EXPECT_EQ(document.echo_depth(), 0u);
    EXPECT_EQ(document.element.class_value.view(), "intro 'x'");

    document.push_echo(document.element.name_value);
    EXPECT_FALSE(rules::read_name_value(document, "top"));
    EXPECT_TRUE(document.element.name_seen);
    EXPECT_TRUE(rules::read_name_value(document, "\""));
    EXPECT_EQ(document.element.name_value.view(), "top");
    EXPECT_THROW(rules::read_name_value(document, " "), FileAbandoned);
    EXPECT_NE(log.text().find("Mismatched or missing quotation mark for name."), std::string::npos);
}

TEST_F(DocumentTest, IdValuesAreCopiedAndKept) {
    document.save_quote('"');
    document.set_identifier_capture(true);
    EXPECT_FALSE(rules::read_id_value(document, "main"));
    EXPECT_TRUE(rules::read_id_value(document, "\""));
    EXPECT_EQ(document.out.view(), "main\"");
    EXPECT_EQ(document.element.id_value.view(), "main");
    EXPECT_THROW(rules::read_id_value(document, "\t"), FileAbandoned);
    EXPECT_NE(log.text().find("Missing or invalid value for id."), std::string::npos);
}

TEST_F(DocumentTest, FinishQuotedValueChecksTheQuote) {
    document.save_quote('"');
    document.suppress_echo();
    rules::finish_quoted_value(document, "center\"", "align");
    EXPECT_FALSE(document.echo_suppressed());
    EXPECT_THROW(rules::finish_quoted_value(document, "center'", "align"), FileAbandoned);
    EXPECT_NE(log.text().find("Mismatched or missing quotation mark for align."),
              std::string::npos);
}

}  // namespace
}  // namespace quorlix
