// The table section pass: copies the end of the converted document to the
// output file unchanged, except that every tfoot section (with its
// indentation and the line break after it) is held back and written just
// before the end tag of its table, where HTML5 wants it.
#pragma once

#include "base/diagnostics.h"
#include "output/buffers.h"
#include "output/flex_support.h"
#include "platform/text_stream.h"

#include <array>
#include <string_view>

namespace quorlix {

class TablePass {
public:
    static constexpr int max_depth = 5;

    TablePass(TextWriter& file, Diagnostics& diagnostics)
        : file_(file), diagnostics_(diagnostics), states_(diagnostics) {}

    // Scans the text to its end; every failure is a fatal diagnostic.
    // copy_between_tags=false leaves all the text to the scanner, which
    // must give the same result (tests compare the two).
    void run(std::string_view text, bool copy_between_tags = true);

    // Where scanned text goes: to the innermost table (from depth + offset
    // down) that is collecting its footer, else to the file.
    void route_text(std::string_view text, int offset = 0);
    void table_open();
    void table_close();
    void tfoot_open();
    void tfoot_close();
    // At the end of the text: footers of tables left open go out in order.
    void flush_open_tables();

    // The scanner's saved start conditions.
    StateStack& states() { return states_; }

    // What the scanner reads: the text, in pieces.
    std::size_t read(char* buffer, std::size_t size);
    void count_scanned(std::size_t n) { scanned_ += n; }
    bool outside_tables() const { return depth_ < 0; }
    Diagnostics& diagnostics() { return diagnostics_; }

private:
    struct Table {
        bool in_tfoot = false;
        DeferredBuffer footer;
    };

    TextWriter& file_;
    Diagnostics& diagnostics_;
    std::array<Table, max_depth> tables_;
    int depth_ = -1;
    StateStack states_;
    std::string_view input_;
    std::size_t scanned_ = 0;  // bytes matched since the scanner took over
};

// Where the pass, started in text between tags at `from`, meets its first
// table or footer tag ("<table", "</table>", "<tfoot", "</tfoot>"), following
// comments, scripts, processing instructions and server includes exactly as
// the scanner does. The blanks before "</table>" and "<tfoot", which the
// scanner matches with the tag, are part of it. text.size() when there is
// no such tag.
std::size_t find_table_tag(std::string_view text, std::size_t from);

// The final write's hook for documents with a table footer.
void table_pass(std::string_view rest, TextWriter& file, Diagnostics& diagnostics);

}  // namespace quorlix
