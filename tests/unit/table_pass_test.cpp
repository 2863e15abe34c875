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
