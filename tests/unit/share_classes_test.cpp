// Generated classes shared by elements with identical declarations
// (ConversionOptions::share_classes), against the default of one class per
// element.
#include "rewriter/element_state.h"
#include "styles/style_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlix {
namespace {

struct Element {
    const char* css;        // generated declarations
    const char* own_class;  // the element's class attribute, or ""
    const char* cell_css;   // table cells' declarations, or ""
};

struct Result {
    std::vector<std::string> attributes;
    std::string style_text;
};

Result convert(bool share, const std::vector<Element>& elements) {
    ConversionOptions options;
    options.share_classes = share;
    StringSink log;
    Diagnostics diagnostics{options, log, log};
    StyleRegistry styles{options, diagnostics};
    styles.reset_style_text();
    styles.init_class_names();
    Result result;
    for (const Element& e : elements) {
        ElementState element;
        element.begin_element();
        element.ensure_class(styles);
        element.element_css.append(e.css);
        element.class_value.append(e.own_class);
        element.cell_css.append(e.cell_css);
        OutputBuffer out;
        out.reset();
        element.write_class_attribute(out, styles);
        result.attributes.emplace_back(out.view());
    }
    result.style_text = std::string(styles.style_text());
    styles.release_class_names();
    return result;
}

TEST(ShareClasses, IdenticalDeclarationsShareTheFirstClassAndNumbersStayWithoutGaps) {
    const std::vector<Element> page = {
        {"text-align:center;", "", ""},
        {"color:red;", "note", ""},
        {"text-align:center;", "", ""},
        {"color:red;", "", ""},
        {"text-align:right;", "", ""},
        {"text-align:center;", "x", ""},
    };
    Result shared = convert(true, page);
    EXPECT_EQ(shared.attributes,
              (std::vector<std::string>{" class=\"quorlix_1\"", " class=\"quorlix_2 note\"",
                                        " class=\"quorlix_1\"", " class=\"quorlix_2\"",
                                        " class=\"quorlix_3\"", " class=\"quorlix_1 x\""}));
    EXPECT_EQ(shared.style_text,
              ".quorlix_1{text-align:center;}\n.quorlix_2{color:red;}\n.quorlix_3{text-align:right;}\n");

    // Off (the default): one class per element, as before.
    Result separate = convert(false, page);
    EXPECT_EQ(separate.attributes[2], " class=\"quorlix_3\"");
    EXPECT_EQ(separate.attributes[5], " class=\"quorlix_6 x\"");
    EXPECT_EQ(separate.style_text,
              ".quorlix_1{text-align:center;}\n.quorlix_2{color:red;}\n.quorlix_3{text-align:center;}\n"
              ".quorlix_4{color:red;}\n.quorlix_5{text-align:right;}\n.quorlix_6{text-align:center;}\n");
}

TEST(ShareClasses, DeclarationsThatDifferOnlyInOrderOrByAByteAreNotShared) {
    Result result = convert(true, {{"a:1;b:2;", "", ""}, {"b:2;a:1;", "", ""}, {"a:1;b:2; ", "", ""}});
    EXPECT_EQ(result.attributes,
              (std::vector<std::string>{" class=\"quorlix_1\"", " class=\"quorlix_2\"", " class=\"quorlix_3\""}));
}

TEST(ShareClasses, TablesWithCellRulesKeepTheirOwnClass) {
    // The second table's cells get rules of its class, which must not reach
    // the first table; a later element with the same declarations shares
    // with the first.
    Result result = convert(true, {{"border:1px outset;", "", ""},
                                   {"border:1px outset;", "", "padding:2px;"},
                                   {"border:1px outset;", "", ""}});
    EXPECT_EQ(result.attributes,
              (std::vector<std::string>{" class=\"quorlix_1\"", " class=\"quorlix_2\"", " class=\"quorlix_1\""}));
    EXPECT_EQ(result.style_text, ".quorlix_1{border:1px outset;}\n.quorlix_2{border:1px outset;}\n");
}

}  // namespace
}  // namespace quorlix
