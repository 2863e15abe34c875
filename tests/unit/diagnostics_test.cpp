#include "base/diagnostics.h"

#include <gtest/gtest.h>

#include <functional>

namespace quorlix {
namespace {

class DiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        diagnostics.set_input_name("site/page.html");
        diagnostics.set_line_source([] { return 42; });
    }
    // Runs a fatal diagnostic and returns what it printed.
    std::string fatal(const std::function<void()>& raise) {
        log.clear();
        EXPECT_THROW(raise(), FileAbandoned);
        return log.text();
    }

    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
};

TEST_F(DiagnosticsTest, FatalErrorsShowTheLineOnlyWhileRewriting) {
    options.verbose = false;
    EXPECT_EQ(fatal([&] { diagnostics.error_plain("Not an XHTML file"); }),
              "quorlix: site/page.html:\nError: Not an XHTML file.\n"
              "Skipping file, which was not modified.\n");
    diagnostics.set_line_numbers_on(true);
    EXPECT_EQ(fatal([&] { diagnostics.error_bad_value("width"); }),
              "quorlix: site/page.html(line 42):\nError: Missing or invalid value for width.\n"
              "Skipping file, which was not modified.\n");
}

TEST_F(DiagnosticsTest, MessageTextsOfTheFatalFamily) {
    options.verbose = false;
    const struct {
        std::function<void()> raise;
        const char* text;
    } cases[] = {
        {[&] { diagnostics.error_no_memory(); }, "Insufficient memory"},
        {[&] { diagnostics.error_no_memory(" to expand output buffer"); },
         "Insufficient memory to expand output buffer"},
        {[&] { diagnostics.error_internal("echo stack overflow"); },
         "Internal error: echo stack overflow"},
        {[&] { diagnostics.error_null_pointer(); }, "Internal error: null pointer"},
        {[&] { diagnostics.error_percent_value("100%"); }, "Unable to convert % values for 100%"},
        {[&] { diagnostics.error_asterisk_units("cols"); },
         "Unable to convert * (asterisk) units for cols"},
        {[&] { diagnostics.error_invalid_attribute("frame"); }, "Invalid attribute: frame"},
        {[&] { diagnostics.error_quote_mismatch("name"); },
         "Mismatched or missing quotation mark for name"},
        {[&] { diagnostics.error_quote_or_value("align"); },
         "Missing quotation mark or invalid value for align"},
        {[&] { diagnostics.error_frameset_size(); }, "Too many rows or columns in <frameset>"},
        {[&] { diagnostics.error_unsupported_element("marquee"); },
         "Unsupported element: marquee"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fatal(c.raise), std::string("quorlix: site/page.html:\nError: ") + c.text +
                                      ".\nSkipping file, which was not modified.\n");
    }
}

TEST_F(DiagnosticsTest, ObjectErrorsExplainWhyNothingWasDeleted) {
    options.verbose = false;
    std::string text = fatal([&] { diagnostics.error_object_attribute("archive"); });
    EXPECT_EQ(text.substr(0, 62),
              "quorlix: site/page.html:\nError: The archive attribute of <obje");
    EXPECT_NE(text.find("<object>\nis no longer valid in HTML5 but it cannot be automatically\n"),
              std::string::npos);
    EXPECT_NE(text.find("HTML5-compatible <object> code.\nSkipping file, which was not modified.\n"),
              std::string::npos);
    EXPECT_NE(fatal([&] { diagnostics.error_param_element(); }).find("Error: The <param> element\n"),
              std::string::npos);
}

TEST_F(DiagnosticsTest, AnOpenProgressLineIsEndedOnce) {
    log.write("site/page.html... ");
    diagnostics.warning_name_to_id("a");
    diagnostics.warning_element_replaced("acronym", "abbr");
    EXPECT_TRUE(diagnostics.progress_line_broken());
    EXPECT_EQ(log.text(),
              "site/page.html... \n"
              "quorlix: site/page.html(line 42):\nWarning: The name attribute of <a>, no longer "
              "valid in HTML5, has been\nreplaced with an id attribute of the same value. If you "
              "have any\ncode (eg, JavaScript, CSS) that relies on the name attribute,\nmodify it "
              "to use an id instead.\n"
              "quorlix: site/page.html(line 42):\nWarning: <acronym> (no longer valid in HTML5) has "
              "been replaced with <abbr>.\nBe sure to update any code (eg, CSS, JavaScript) that "
              "depends on that element\nbeing a <acronym>.\n");
}

TEST_F(DiagnosticsTest, WarningsFollowTheirSwitches) {
    options.verbose = false;
    options.warn_charset = false;
    options.warn_name_to_id = false;
    options.warn_element_replaced = false;
    options.warn_frame_attribute = false;
    diagnostics.warning_charset("iso-8859-1");
    diagnostics.warning_name_to_id("a");
    diagnostics.warning_element_replaced("tt", "span");
    diagnostics.warning_frame_attribute("frame", "scrolling");
    diagnostics.warning_center_alignment("center");  // needs standard_css_only too
    EXPECT_EQ(log.text(), "");
    options.standard_css_only = true;
    diagnostics.warning_center_alignment("center");
    EXPECT_EQ(log.text(),
              "quorlix: site/page.html(line 42):\nWarning: <center> encountered. The CSS "
              "replacement for this\nobsolete feature does not align child block elements as the "
              "original did,\nalthough it will align normal text correctly. If this is not "
              "acceptable,\ndo not disable vendor-specific CSS.\n");
}

TEST_F(DiagnosticsTest, FrameAndCharsetWarningTexts) {
    options.verbose = false;
    diagnostics.warning_frame_attribute("frame", "scrolling");
    diagnostics.warning_charset("iso-8859-1");
    EXPECT_EQ(log.text(),
              "quorlix: site/page.html(line 42):\nWarning: The scrolling attribute of <frame> (now "
              "obsolete) was deleted,\nbut not replaced with CSS because the equivalent CSS rule "
              "needs to be added\nto all child pages loaded by <frame src=\"...\"> and not the "
              "current\npage. You will have to add the CSS rule yourself, if needed.\n"
              "quorlix: site/page.html(line 42):\nWarning: The \"iso-8859-1\" charset specified in "
              "the <meta> tag is\nnot valid for HTML5, since the latter only accepts UTF-8. Even "
              "if the resulting\npage displays correctly in a browser, it will not validate as "
              "error-free HTML5.\n");
}

TEST_F(DiagnosticsTest, StartupErrorsPrintAndReturn) {
    diagnostics.startup_internal_error("filename is an empty string");
    diagnostics.startup_internal_error();
    diagnostics.startup_no_memory();
    diagnostics.report_error("missing filename in target.\n");
    EXPECT_EQ(log.text(), "quorlix: Internal error: filename is an empty string\n"
                          "quorlix: Internal error\nquorlix: Error: insufficient memory\n"
                          "quorlix: Error: missing filename in target.\n\n");
}

}  // namespace
}  // namespace quorlix
