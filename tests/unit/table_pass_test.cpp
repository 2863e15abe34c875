#include "output/table_pass.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

struct PassResult {
    bool ok;
    std::string output;  // LF line ends, as the pass saw them
    std::string log;
};

PassResult run_pass(const std::string& text) {
    testing::ScratchDir dir;
    platform::File file(platform::create_exclusive(dir.file("out")));
    TextWriter writer(file);
    ConversionOptions options;
    options.verbose = false;
    StringSink log;
    Diagnostics diagnostics(options, log, log);
    PassResult result{true, "", ""};
    try {
        table_pass(text, writer, diagnostics);
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

}  // namespace
}  // namespace quorlix
