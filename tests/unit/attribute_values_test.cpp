// Attribute values read as browsers read them. The expected results were
// taken from Chromium (computed styles of the same attribute values).
#include "rewriter/attribute_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>

namespace quorlix::values {
namespace {

TEST(AttributeValues, LegacyColoursBecomeCssThatMeansTheSameColour) {
    const std::string zeros_then_12ab = std::string(127, '0') + "12ab";
    struct Case {
        std::string value;
        std::optional<std::string> css;
    } cases[] = {
        // CSS reads these as they are: kept, only the white space goes.
        {"#abc", "#abc"},
        {"#AbCdEf", "#AbCdEf"},
        {" #ff0000 ", "#ff0000"},
        {"Red", "Red"},
        {"\tLightGoldenRodYellow\n", "LightGoldenRodYellow"},
        {"grey", "grey"},
        {"rebeccapurple", "rebeccapurple"},
        // Everything else goes through the hexadecimal rules.
        {"#ff000", "#ff0000"},
        {"0000ff", "#0000ff"},
        {"chucknorris", "#c00000"},
        {"ABC", "#0a0b0c"},
        {"#ff00", "#ff0000"},       // CSS would read #rgba
        {"#ff000000", "#ff0000"},   // CSS would read #rrggbbaa
        {"#1234567", "#124570"},
        {"#123456789", "#124578"},
        {"#g00", "#000000"},
        {"#", "#000000"},
        {" ", "#000000"},
        {"Canvas", "#ca00a0"},        // system colours are no named colours here
        {"currentcolor", "#c0e000"},
        {"rgb(1,2,3)", "#001030"},
        {zeros_then_12ab, "#000010"},  // only 128 characters count
        // No colour at all.
        {"", std::nullopt},
        {"transparent", std::nullopt},
        {" TransParent ", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(css_colour(c.value), c.css) << '"' << c.value << '"';
    }
}

TEST(AttributeValues, ColoursWhoseBytesBrowsersMayReadOtherwiseAreNotRead) {
    EXPECT_TRUE(colour_readable(" red\n"));
    EXPECT_TRUE(colour_readable("#" + std::string(127, '1')));
    EXPECT_FALSE(colour_readable("#" + std::string(128, '1')));  // Chromium reads one more digit
    EXPECT_FALSE(colour_readable("ros\xc3\xa9"));
    EXPECT_FALSE(colour_readable("&#35;fff"));
    EXPECT_FALSE(colour_readable("\v#fff"));
}

struct NumberCase {
    std::string value;
    std::optional<std::string> text;
    bool percentage = false;
    bool relative = false;
};

void expect_numbers(std::optional<Number> (*parse)(std::string_view), std::span<const NumberCase> cases) {
    for (const NumberCase& c : cases) {
        std::optional<Number> number = parse(c.value);
        ASSERT_EQ(number.has_value(), c.text.has_value()) << '"' << c.value << '"';
        if (!number) continue;
        EXPECT_EQ(number->text, *c.text) << '"' << c.value << '"';
        EXPECT_EQ(number->percentage, c.percentage) << '"' << c.value << '"';
        EXPECT_EQ(number->relative, c.relative) << '"' << c.value << '"';
    }
}

TEST(AttributeValues, DimensionsAreReadUpToTheirFirstOtherCharacter) {
    static const NumberCase cases[] = {
        {" 200 ", "200"},   {"300px", "300"},   {"250.7", "250.7"},   {"250.", "250"},
        {"007", "007"},     {" \n 12", "12"},   {"1e3", "1"},         {"50 %", "50"},
        {"50%", "50", true}, {"50.%", "50", true}, {"12.5%", "12.5", true}, {"2*", "2", false, true},
        {"2147483647", "2147483647"},
        {"", std::nullopt}, {"abc", std::nullopt}, {"+5", std::nullopt}, {"-5", std::nullopt},
        {".5", std::nullopt}, {"2147483648", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    expect_numbers(parse_dimension, cases);
}

TEST(AttributeValues, NonNegativeIntegersTakeASignAndDropAFraction) {
    static const NumberCase cases[] = {
        {" 1 ", "1"},  {"3px", "3"}, {"2.7", "2"}, {"+2", "2"}, {"-0", "0"}, {"007", "007"},
        {"5%", "5", true}, {"2147483647", "2147483647"},
        {"", std::nullopt},  {"abc", std::nullopt}, {"-2", std::nullopt}, {"+", std::nullopt},
        {"-", std::nullopt}, {"2147483648", std::nullopt}, {"99999999999", std::nullopt},
    };
    expect_numbers(parse_non_negative_integer, cases);
}

TEST(AttributeValues, LegacyFontSizesAreRelativeToThreeAndClamped) {
    struct Case {
        std::string value;
        std::optional<int> size;
    } cases[] = {
        {"1", 1},  {"7", 7},  {"10", 7}, {"0", 1},  {"+0", 3},  {"-0", 3}, {"4.5", 4}, {" 5", 5},
        {"+1", 4}, {"-1", 2}, {"+9", 7}, {"-9", 1}, {" +2 ", 5}, {"3a", 3}, {"0003", 3},
        {"2147483644", 7},
        {"", std::nullopt},  {"+", std::nullopt},   {"-", std::nullopt}, {"a3", std::nullopt},
        {"+ 1", std::nullopt}, {"99999999999", std::nullopt}, {"+2147483645", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_legacy_font_size(c.value), c.size) << '"' << c.value << '"';
    }
}

}  // namespace
}  // namespace quorlix::values
