#include "output/table_pass.h"

#include "base/messages.h"

#include <algorithm>

namespace quorlix {

std::size_t TablePass::read(char* buffer, std::size_t size) {
    std::size_t n = std::min({size, input_.size(), std::size_t{8192}});
    std::copy_n(input_.data(), n, buffer);
    input_.remove_prefix(n);
    return n;
}

void TablePass::route_text(std::string_view text, int offset) {
    for (int i = depth_ + offset; i >= 0; --i) {
        if (tables_[i].in_tfoot) {
            tables_[i].footer.append(text);
            return;
        }
    }
    if (!file_.write(text.data(), text.size())) diagnostics_.fatal_error(messages::write_error);
}

void TablePass::table_open() {
    if (depth_ + 1 >= max_depth) diagnostics_.fatal_error(messages::tables_too_deep);
    Table& table = tables_[++depth_];
    table.in_tfoot = false;
    table.footer.reset();
}

void TablePass::table_close() {
    if (depth_ < 0) diagnostics_.fatal_error(messages::table_end_without_table);
    Table& table = tables_[depth_];
    if (table.footer.has_content()) route_text(table.footer.view(), -1);
    table.footer.reset();
    table.in_tfoot = false;
    --depth_;
}

void TablePass::tfoot_open() {
    if (depth_ < 0) diagnostics_.fatal_error(messages::tfoot_outside_table);
    tables_[depth_].in_tfoot = true;
}

void TablePass::tfoot_close() {
    if (depth_ < 0 || !tables_[depth_].in_tfoot) diagnostics_.fatal_error(messages::tfoot_end_without_tfoot);
    tables_[depth_].in_tfoot = false;
}

void TablePass::flush_open_tables() {
    while (depth_ >= 0) table_close();
}

namespace {

// Compared byte by byte: the prefixes are short and most differ at once.
bool starts_with_at(std::string_view text, std::size_t at, std::string_view prefix) {
    if (text.size() - at < prefix.size()) return false;
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        if (text[at + k] != prefix[k]) return false;
    }
    return true;
}

// Just past the first terminator at or after `from`; text.size() without one.
std::size_t past(std::string_view text, std::size_t from, std::string_view terminator) {
    std::size_t at = text.find(terminator, from);
    return at == std::string_view::npos ? text.size() : at + terminator.size();
}

}  // namespace

std::size_t find_table_tag(std::string_view text, std::size_t from) {
    // The scanner's start conditions that can be met outside tables.
    enum class Mode { text, comment, script_tag, script };
    Mode mode = Mode::text;
    std::size_t i = from;
    const std::size_t n = text.size();
    while (i < n) {
        std::size_t at = std::string_view::npos;
        switch (mode) {
        case Mode::text: at = text.find('<', i); break;
        case Mode::comment: at = text.find_first_of("-<", i); break;
        case Mode::script_tag: at = text.find_first_of("<>", i); break;
        case Mode::script: at = text.find('<', i); break;
        }
        if (at == std::string_view::npos) return n;
        i = at;
        if (text[i] == '<') {
            // Most tags are none of those looked for here.
            char second = i + 1 < n ? text[i + 1] : '\0';
            if (second != '?' && second != '!' && second != '/' && second != 't' && second != 's') {
                ++i;
                continue;
            }
            // Processing instructions and server includes are recognised in
            // every one of these modes and return to it.
            if (starts_with_at(text, i, "<?")) {
                i = past(text, i + 2, "?>");
                continue;
            }
            if (starts_with_at(text, i, "<!--#")) {
                i = past(text, i + 5, "-->");
                continue;
            }
        }
        switch (mode) {
        case Mode::text:
            if (starts_with_at(text, i, "</table>") || starts_with_at(text, i, "<tfoot")) {
                // The blanks before the tag, back to where the search began at
                // most (a comment, a script or a PI ends in ">", not a blank).
                while (i > from && (text[i - 1] == ' ' || text[i - 1] == '\t')) --i;
                return i;
            }
            if (starts_with_at(text, i, "<table") || starts_with_at(text, i, "</tfoot>")) return i;
            if (starts_with_at(text, i, "<!--")) {
                mode = Mode::comment;
                i += 4;
            } else if (starts_with_at(text, i, "<script")) {
                mode = Mode::script_tag;
                i += 7;
            } else {
                ++i;
            }
            break;
        case Mode::comment:
            if (starts_with_at(text, i, "-->")) {
                mode = Mode::text;
                i += 3;
            } else {
                ++i;
            }
            break;
        case Mode::script_tag:
            if (text[i] == '>') mode = Mode::script;
            ++i;
            break;
        case Mode::script:
            if (starts_with_at(text, i, "</script>")) {
                mode = Mode::text;
                i += 9;
            } else {
                ++i;
            }
            break;
        }
    }
    return n;
}

}  // namespace quorlix
