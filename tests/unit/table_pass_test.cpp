#include "output/table_pass.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace quorlix {
namespace {

struct PassResult {
    bool ok;
    std::string output;  // LF line ends, as the pass saw them
    std::string log;
};

PassResult run_pass(const std::string& text, bool copy_between_tags = true) {
    testing::ScratchDir dir;
    platform::File file(platform::create_exclusive(dir.file("out")));
    TextWriter writer(file);
    ConversionOptions options;
    options.verbose = false;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    PassResult result{true, "", ""};
    try {
        TablePass pass(writer, diagnostics);
        pass.run(text, copy_between_tags);
        writer.flush();
    } catch (const FileAbandoned&) {
        result.ok = false;
    }
    file.close();
    result.output = testing::read_file(dir.file("out"));
    std::string lf;
    for (std::size_t i = 0; i < result.output.size(); ++i) {
        if (result.output.compare(i, 2, "\r\n") == 0) continue;
        lf += result.output[i];
    }
    result.output = lf;
    result.log = log.text();
    return result;
}

TEST(TablePass, MovesEachFooterBeforeItsTableEnd) {
    const struct {
        const char* name;
        std::string input, output;
    } cases[] = {
        {"no footer", "<table>\n<tr><td>x</td></tr>\n</table>\n", "<table>\n<tr><td>x</td></tr>\n</table>\n"},
        {"worked case",
         "  <table>\n    <tfoot><tr><td>f</td></tr></tfoot>\n    <tbody><tr><td>b</td></tr></tbody>\n  </table>\nafter\n",
         "  <table>\n    <tbody><tr><td>b</td></tr></tbody>\n    <tfoot><tr><td>f</td></tr></tfoot>\n  </table>\nafter\n"},
        {"text after the footer's line stays",
         "<table><tfoot><tr><td>f</td></tr></tfoot> \nx<tbody></tbody></table>",
         "<table>x<tbody></tbody><tfoot><tr><td>f</td></tr></tfoot> \n</table>"},
        {"missing </tfoot>: collected up to </table>",
         "<table><tfoot><tr><td>f</td></tr><tbody></tbody></table>",
         "<table><tfoot><tr><td>f</td></tr><tbody></tbody></table>"},
        {"nested table inside a footer moves with it",
         "<table><tfoot><tr><td><table><tfoot>F2</tfoot><tbody>B2</tbody></table></td></tr></tfoot><tbody>B1</tbody></table>",
         "<table><tbody>B1</tbody><tfoot><tr><td><table><tbody>B2</tbody><tfoot>F2</tfoot></table></td></tr></tfoot></table>"},
        {"upper case, comments and scripts are left alone",
         "<table><TFOOT>u</TFOOT><!-- <tfoot> --><script>var s='<tfoot>';</script><tbody></tbody></table>",
         "<table><TFOOT>u</TFOOT><!-- <tfoot> --><script>var s='<tfoot>';</script><tbody></tbody></table>"},
        {"an end tag with blanks before > is ordinary text",
         "<table><tfoot>f</tfoot ><tbody></tbody></table>",
         "<table><tfoot>f</tfoot ><tbody></tbody></table>"},
        {"a footer left open at the end is written out",
         "<table><tbody>b</tbody><tfoot>f", "<table><tbody>b</tbody><tfoot>f"},
    };
    for (const auto& c : cases) {
        PassResult r = run_pass(c.input);
        EXPECT_TRUE(r.ok) << c.name << ": " << r.log;
        EXPECT_EQ(r.output, c.output) << c.name;
    }
}

TEST(TablePass, FiveNestedTablesAndNoMore) {
    std::string five = "<table><table><table><table><table><tfoot>f</tfoot>x</table></table></table></table></table>";
    PassResult ok = run_pass(five);
    EXPECT_TRUE(ok.ok) << ok.log;
    EXPECT_EQ(ok.output, "<table><table><table><table><table>x<tfoot>f</tfoot></table></table></table></table></table>");
    PassResult refused = run_pass("<table>" + five + "</table>");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.log, "quorlix: :\nError: Tables are nested too deep.\nSkipping file, which was not modified.\n");
}

TEST(TablePass, StructureErrors) {
    const struct {
        std::string input;
        const char* message;
    } cases[] = {
        {"</table>", "</table> encountered without a matching <table>"},
        {"<tfoot>", "<tfoot> was encountered outside a <table>"},
        {"<table></tfoot>", "</tfoot> encountered without preceding <tfoot>"},
        {"</tfoot>", "</tfoot> encountered without preceding <tfoot>"},
    };
    for (const auto& c : cases) {
        PassResult r = run_pass(c.input);
        EXPECT_FALSE(r.ok) << c.input;
        EXPECT_NE(r.log.find(std::string("Error: ") + c.message + "."), std::string::npos) << r.log;
    }
}

TEST(TablePass, FindsTheFirstTableTagAsTheScannerMeetsIt) {
    const struct {
        const char* text;
        std::size_t expected;  // npos: none, the whole text is copied
    } cases[] = {
        {"abc <table>", 4},
        {"abc \t </table>", 3},  // the blanks go with the end tag
        {"x <tfoot>", 1},         // and with the footer tag
        {"x\n </tfoot>", 3},
        {"<!--c--> <tfoot>", 8},
        {"<?p?> </table>", 5},
        {"<p>x</p></table>", 8},
        {"a<tfoot", 1},
        {"a</tfoot>", 1},
        {"a</tfoot >b", std::string::npos},
        {"<TABLE><TFOOT>", std::string::npos},
        {"<tables", 0},
        {"<!-- <table> --><table>", 16},
        {"<!-- <?php --> ?> <table> --> x", std::string::npos},  // "-->" inside a PI does not end the comment
        {"<!-- <?php --> ?> --><table>", 21},
        {"<!--#include --> <table>", 17},
        {"<!--#include <table> --><tfoot>", 24},
        {"<!-->< table><table> -->x", std::string::npos},
        {"<!--- -- --->y<table>", 14},
        {"<script><table></script><table>", 24},
        {"<script src=\"<table>\"><table></script>", std::string::npos},
        {"<script <?x > ?>></script><table>", 26},
        {"<script><!-- </script> --><table>", 26},
        {"<script></SCRIPT><table>", std::string::npos},
        {"<?php echo '<table>'; ?><table>", 24},
        {"<?php <table>", std::string::npos},
        {"<!-- unterminated <table>", std::string::npos},
        {"", std::string::npos},
    };
    for (const auto& c : cases) {
        std::string_view text = c.text;
        std::size_t expected = c.expected == std::string::npos ? text.size() : c.expected;
        EXPECT_EQ(find_table_tag(text, 0), expected) << c.text;
    }
    EXPECT_EQ(find_table_tag("<table></table><table>", 7), 7u);
    EXPECT_EQ(find_table_tag("<table></table> <table>", 15), 16u);
    EXPECT_EQ(find_table_tag("</tfoot>  <tfoot>", 10), 10u) << "not before where it started";
}

// Routing the text between tags directly must change nothing: random
// documents made of the pieces that matter give the same output and the
// same diagnostics either way.
TEST(TablePass, RoutingTheTextBetweenTagsDirectlyChangesNothing) {
    const char* pieces[] = {
        "<table>", "</table>", "<table border=\"1\">", "  <tfoot>", "<tfoot class=\"x\">",
        "</tfoot>", "</tfoot>  \n", "<tbody>", "</tbody>", "<tr><td>c</td></tr>", "\n", "  ",
        "\t", "text", "<p>", "</p>", "<!--", "-->", "<!--#include virtual=\"a\" -->",
        "<?php", "?>", "<script>", "</script>", "<script type=\"t\">", "<", ">", "-", "?",
        "<TABLE>", "</ table>", "</table >", "<tablex>", "<!-- <table> -->", "\0",
    };
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 40);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int k = length(random); k > 0; --k) text += std::string_view(pieces[pick(random)]);
        PassResult direct = run_pass(text, true);
        PassResult scanned = run_pass(text, false);
        EXPECT_EQ(direct.ok, scanned.ok) << text;
        EXPECT_EQ(direct.log, scanned.log) << text;
        if (direct.ok) {
            EXPECT_EQ(direct.output, scanned.output) << text;
        } else {
            ++refused;
        }
    }
    // Both outcomes must be well represented for the comparison to mean much.
    EXPECT_GT(refused, 300);
    EXPECT_LT(refused, 2700);
}

}  // namespace
}  // namespace quorlix
