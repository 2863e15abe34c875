#include "rewriter/table_rules.h"

#include <gtest/gtest.h>

#include <string_view>

namespace quorlix {
namespace {

struct Size {
    std::string_view value;
    std::string_view declarations;
};

// An hr's size becomes its height less the 2 pixels of its top and bottom
// borders; 1 or less leaves the top border alone.
TEST(HrSizeTest, SizesAreReadAsBrowsersReadThem) {
    const Size cases[] = {
        {"3", "height:1px;"},
        {"10", "height:8px;"},
        {"0010", "height:8px;"},
        {"2", "height:0;"},
        {"1", "height:0;border-bottom-width:0;"},
        {"0", "height:0;border-bottom-width:0;"},
        // leading white space and a plus sign are read; what follows the
        // digits is ignored
        {" \t\n\r\f7", "height:5px;"},
        {"+6", "height:4px;"},
        {"3px", "height:1px;"},
        {"4.9", "height:2px;"},
        {"12 34", "height:10px;"},
        // no digits, a negative size or one beyond the integer range count
        // as 0
        {"", "height:0;border-bottom-width:0;"},
        {"   ", "height:0;border-bottom-width:0;"},
        {"abc", "height:0;border-bottom-width:0;"},
        {"x5", "height:0;border-bottom-width:0;"},
        {"+", "height:0;border-bottom-width:0;"},
        {"-3", "height:0;border-bottom-width:0;"},
        {"- 3", "height:0;border-bottom-width:0;"},
        {"2147483647", "height:2147483645px;"},
        {"2147483648", "height:0;border-bottom-width:0;"},
        {"99999999999999999999999", "height:0;border-bottom-width:0;"},
    };
    for (const Size& c : cases) {
        EXPECT_EQ(rules::hr_size_declarations(c.value), c.declarations) << '"' << c.value << '"';
    }
}

}  // namespace
}  // namespace quorlix
