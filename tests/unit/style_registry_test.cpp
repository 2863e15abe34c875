#include "styles/style_registry.h"

#include "base/messages.h"
#include "rewriter/element_state.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

class StyleRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        styles.reset_style_text();
        styles.init_class_names();
    }

    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    StyleRegistry styles{options, diagnostics};
};

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

}  // namespace
}  // namespace quorlix
