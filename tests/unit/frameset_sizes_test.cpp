#include "layout/frameset.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

SizeList list_of(std::initializer_list<std::pair<SizeKind, const char*>> entries) {
    SizeList list;
    for (auto& [kind, text] : entries) list.add(kind, text);
    return list;
}

constexpr SizeKind px = SizeKind::pixels, pc = SizeKind::percent, rel = SizeKind::relative;
constexpr SizeMix one = SizeMix::one_kind, fixed = SizeMix::fixed, relative = SizeMix::relative;

TEST(FramesetSizes, ClassifiesTheMixOfKinds) {
    const struct {
        SizeList list;
        SizeMix mix;
    } cases[] = {
        {list_of({}), one},
        {list_of({{rel, "1"}}), one},
        {list_of({{px, "1"}, {px, "2"}}), one},
        {list_of({{pc, "1"}, {pc, "2"}}), one},
        {list_of({{rel, "1"}, {rel, "2"}}), one},
        {list_of({{px, "1"}, {pc, "2"}}), fixed},
        {list_of({{pc, "1"}, {px, "2"}, {pc, "3"}}), fixed},
        {list_of({{px, "1"}, {pc, "2"}, {px, "3"}}), fixed},  // mixed fixed stays fixed
        {list_of({{px, "1"}, {rel, "2"}}), relative},
        {list_of({{rel, "1"}, {pc, "2"}}), relative},
        {list_of({{pc, "1"}, {px, "2"}, {rel, "1"}}), relative},
    };
    for (const auto& c : cases) EXPECT_EQ(c.list.mix(), c.mix) << c.list.size() << " entries";
}

TEST(FramesetSizes, Formulas) {
    const struct {
        SizeList list;
        std::vector<std::string> formulas;
    } cases[] = {
        {list_of({{rel, "1"}}), {"100%"}},
        {list_of({{px, "200"}, {px, "300"}}),
         {"calc((200 / (200 + 300)) * 100%)", "calc((300 / (200 + 300)) * 100%)"}},
        {list_of({{rel, "1"}, {rel, "2"}}),
         {"calc((1 / (1 + 2)) * 100%)", "calc((2 / (1 + 2)) * 100%)"}},
        {list_of({{pc, "25"}, {pc, "75"}}),
         {"calc((25 / (25 + 75)) * 100%)", "calc((75 / (25 + 75)) * 100%)"}},
        {list_of({{px, "100"}, {pc, "20"}, {pc, "80"}}),
         {"100px", "calc((100% - 100px) * (20 / (20 + 80)))",
          "calc((100% - 100px) * (80 / (20 + 80)))"}},
        {list_of({{pc, "10"}, {px, "200"}, {rel, "1"}}),
         {"10%", "200px", "calc(((100% - 10% - 200px) / (1)) * 1)"}},
        {list_of({{px, "200"}, {rel, "1"}, {rel, "2"}}),
         {"200px", "calc(((100% - 200px) / (1 + 2)) * 1)", "calc(((100% - 200px) / (1 + 2)) * 2)"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.list.size(), c.formulas.size());
        for (std::size_t i = 0; i < c.formulas.size(); ++i) {
            EXPECT_EQ(c.list.formula(i), c.formulas[i]);
        }
    }
}

}  // namespace
}  // namespace quorlix
