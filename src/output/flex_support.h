// What the two flex scanners (the rewriter and the table pass) share: the
// stack of start conditions their rules push and pop, and the translation
// of flex's own fatal failures into diagnostics.
#pragma once

#include "base/diagnostics.h"

#include <string_view>
#include <vector>

namespace quorlix {

class StateStack {
public:
    explicit StateStack(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}

    void push(int condition) { conditions_.push_back(condition); }
    // The condition pushed last; popping an empty stack is an internal error.
    int pop();
    std::size_t depth() const { return conditions_.size(); }

private:
    Diagnostics& diagnostics_;
    std::vector<int> conditions_;
};

// A failure of generated scanner code (buffer overflow, no memory, an
// internal inconsistency): YY_FATAL_ERROR throws it out of the scanner, and
// the caller reports it in the user's terms.
struct FlexFailure {
    const char* message;
};
[[noreturn]] void report_flex_failure(Diagnostics& diagnostics, const FlexFailure& failure);

}  // namespace quorlix
