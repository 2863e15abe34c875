#include "output/final_write.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

using testing::ScratchDir;

class FinalWriteTest : public ::testing::Test {
protected:
    // Writes the document into a fresh file and returns the file's bytes.
    std::string write(std::string_view style) {
        platform::File file(platform::create_exclusive(dir.file("out.html")));
        EXPECT_TRUE(file.is_open());
        TextWriter writer(file);
        write_document(writer, out, head, style, nullptr, diagnostics);
        file.close();
        return testing::read_file(dir.file("out.html"));
    }

    ScratchDir dir;
    ConversionOptions options;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    OutputBuffer out;
    HeadTexts head;
};

TEST_F(FinalWriteTest, WithoutHeadPositionTheHeldTextsAreNotWritten) {
    out.reset();
    out.append("<p>x</p>\n");
    head.charset_declaration = "<meta charset=\"utf-8\">\n";
    EXPECT_EQ(write({}), "<p>x</p>\r\n");
}

TEST_F(FinalWriteTest, StyleWithoutTitleOrPositionFails) {
    options.verbose = false;
    out.reset();
    out.append("<p>x</p>");
    std::string style = ".a{b:c;}\n";
    EXPECT_THROW(write(style), FileAbandoned);
    EXPECT_EQ(log.text(),
              "quorlix: :\nError: Invalid XHTML 1.0: missing <title>...</title>.\n"
              "Skipping file, which was not modified.\n");
}

TEST_F(FinalWriteTest, InsertionBeforeTheHeadTextsIsAnInternalError) {
    out.reset();
    out.append("<style>");
    out.mark_style_position();  // before the head start tag that comes later
    out.append("<title>T</title>");
    out.mark_title_end();
    out.append("<head>");
    out.mark_head_position();
    head.charset_declaration = "<meta charset=\"utf-8\">\n";
    std::string style = ".a{b:c;}\n";
    EXPECT_THROW(write(style), FileAbandoned);
    EXPECT_NE(log.text().find("Error: Internal error: Computation error (negative offset).\n"),
              std::string::npos);
}

}  // namespace
}  // namespace quorlix
