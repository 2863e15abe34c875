#include "output/table_pass.h"

#include "converter/messages.h"

#include <algorithm>

namespace quorlix {

std::size_t TablePass::read(char* buffer, std::size_t size) {
    std::size_t n = std::min({size, input_.size(), std::size_t{8192}});
    std::copy_n(input_.data(), n, buffer);
    input_.remove_prefix(n);
    return n;
}

int TablePass::pop_state() {
    if (states_.empty()) diagnostics_.error_internal(messages::state_stack_underflow);
    int condition = states_.back();
    states_.pop_back();
    return condition;
}

void TablePass::route_text(std::string_view text, int offset) {
    for (int i = depth_ + offset; i >= 0; --i) {
        if (tables_[i].in_tfoot) {
            tables_[i].footer.append(text);
            return;
        }
    }
    if (!file_.write(text.data(), text.size())) diagnostics_.error_plain(messages::write_error);
}

void TablePass::table_open() {
    if (depth_ + 1 >= max_depth) diagnostics_.error_plain(messages::tables_too_deep);
    Table& table = tables_[++depth_];
    table.in_tfoot = false;
    table.footer.reset();
}

void TablePass::table_close() {
    if (depth_ < 0) diagnostics_.error_plain(messages::table_end_without_table);
    Table& table = tables_[depth_];
    if (table.footer.has_content()) route_text(table.footer.view(), -1);
    table.footer.reset();
    table.in_tfoot = false;
    --depth_;
}

void TablePass::tfoot_open() {
    if (depth_ < 0) diagnostics_.error_plain(messages::tfoot_outside_table);
    tables_[depth_].in_tfoot = true;
}

void TablePass::tfoot_close() {
    if (depth_ < 0 || !tables_[depth_].in_tfoot) diagnostics_.error_plain(messages::tfoot_end_without_tfoot);
    tables_[depth_].in_tfoot = false;
}

void TablePass::flush_open_tables() {
    while (depth_ >= 0) table_close();
}

}  // namespace quorlix
