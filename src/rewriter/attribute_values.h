// Presentational attribute values read the way browsers read them: legacy
// colours, dimensions, non-negative integers and legacy font sizes. These are
// pure functions of the value's bytes (without its quotes); the rules decide
// what CSS the result becomes. Views in the results point into the value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix::values {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A colour as browsers read a legacy colour attribute (bgcolor, color, ...):
// a CSS named colour (its name as written, white space around it removed),
// or the red, green and blue that the legacy rules make of anything else
// ("chucknorris" is #c00000). Only ASCII values: the caller refuses others.
struct LegacyColour {
    std::string_view name;  // empty when the colour is not a named one
    Rgb rgb;                // when it is not a named one
};

// nullopt: the value gives no colour (it is empty or "transparent").
std::optional<LegacyColour> parse_legacy_colour(std::string_view value);

// Whether browsers agree on what a colour value's bytes mean, so that it can
// be read here: printable ASCII and white space only (no character reference,
// whose meaning needs decoding; no byte whose character depends on the page's
// encoding), and not a "#" value so long that Chromium, which reads 128
// characters after the "#" where the standard reads 127, may differ.
bool colour_readable(std::string_view value);

// The CSS text of a colour value: the value itself, without surrounding white
// space, when CSS reads it as the same colour (a named colour, "#rgb",
// "#rrggbb"); otherwise the legacy colour as "#rrggbb" in lower case (CSS
// would read "#rgba" and "#rrggbbaa" with alpha, and "#ff000" not at all).
// nullopt: no colour.
std::optional<std::string> css_colour(std::string_view value);

// A number read from a value, as written: the integer digits, and for a
// dimension its fraction ("250.7"; "250." gives "250"). No sign, no white
// space, nothing of what follows.
struct Number {
    std::string_view text;
    bool percentage = false;  // directly followed by "%"
    bool relative = false;    // directly followed by "*" (dimensions only)
};

// The rules for parsing non-negative integers: white space, an optional sign,
// digits, then anything (" 6 ", "+6", "6px", "6.7" are 6; "-0" is 0).
// nullopt: no digits, a negative number, or one beyond 2147483647.
std::optional<Number> parse_non_negative_integer(std::string_view value);

// The rules for parsing dimension values: white space, digits (no sign), an
// optional fraction, then "%" for a percentage ("50.%" too), "*" for a
// relative length (which browsers ignore), or anything else (" 200 ", "300px"
// and "250.7" are lengths). nullopt: no digits, or an integer part beyond
// 2147483647.
std::optional<Number> parse_dimension(std::string_view value);

// The rules for parsing a legacy font size: white space, an optional sign
// (relative to 3), digits, anything; clamped to 1 ... 7 ("10" is 7, "0" is 1,
// "+0" is 3, "4.5" is 4). nullopt: no digits, or a number so big that
// browsers that compute in int differ from the standard's result.
std::optional<int> parse_legacy_font_size(std::string_view value);

}  // namespace quorlix::values
