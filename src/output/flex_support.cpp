#include "output/flex_support.h"

#include "base/messages.h"

namespace quorlix {

int StateStack::pop() {
    if (conditions_.empty()) diagnostics_.error_internal(messages::state_stack_underflow);
    int condition = conditions_.back();
    conditions_.pop_back();
    return condition;
}

void report_flex_failure(Diagnostics& diagnostics, const FlexFailure& failure) {
    std::string_view message = failure.message != nullptr ? failure.message : "";
    auto says = [&](std::string_view words) { return message.find(words) != std::string_view::npos; };
    if (says("end of buffer missed")) diagnostics.fatal_error(messages::pointer_past_end);
    if (says("input buffer overflow") || says("enlarge")) diagnostics.fatal_error(messages::input_buffer_overflow);
    if (says("no action found")) diagnostics.fatal_error(messages::no_action_found);
    if (says("out of dynamic memory") || says("out of memory")) diagnostics.error_no_memory();
    diagnostics.error_internal(message);
}

}  // namespace quorlix
