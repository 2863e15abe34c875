#include "rewriter/attribute_values.h"

#include "base/text.h"

#include <array>
#include <climits>
#include <cstddef>

namespace quorlix::values {

namespace {

// The CSS named colours. The legacy rules take these as they are; any other
// word (a system colour, "currentcolor") goes through the hexadecimal rules.
constexpr std::string_view named_colours[] = {
    "aliceblue", "antiquewhite", "aqua", "aquamarine", "azure", "beige", "bisque", "black",
    "blanchedalmond", "blue", "blueviolet", "brown", "burlywood", "cadetblue", "chartreuse",
    "chocolate", "coral", "cornflowerblue", "cornsilk", "crimson", "cyan", "darkblue", "darkcyan",
    "darkgoldenrod", "darkgray", "darkgreen", "darkgrey", "darkkhaki", "darkmagenta",
    "darkolivegreen", "darkorange", "darkorchid", "darkred", "darksalmon", "darkseagreen",
    "darkslateblue", "darkslategray", "darkslategrey", "darkturquoise", "darkviolet", "deeppink",
    "deepskyblue", "dimgray", "dimgrey", "dodgerblue", "firebrick", "floralwhite", "forestgreen",
    "fuchsia", "gainsboro", "ghostwhite", "gold", "goldenrod", "gray", "green", "greenyellow",
    "grey", "honeydew", "hotpink", "indianred", "indigo", "ivory", "khaki", "lavender",
    "lavenderblush", "lawngreen", "lemonchiffon", "lightblue", "lightcoral", "lightcyan",
    "lightgoldenrodyellow", "lightgray", "lightgreen", "lightgrey", "lightpink", "lightsalmon",
    "lightseagreen", "lightskyblue", "lightslategray", "lightslategrey", "lightsteelblue",
    "lightyellow", "lime", "limegreen", "linen", "magenta", "maroon", "mediumaquamarine",
    "mediumblue", "mediumorchid", "mediumpurple", "mediumseagreen", "mediumslateblue",
    "mediumspringgreen", "mediumturquoise", "mediumvioletred", "midnightblue", "mintcream",
    "mistyrose", "moccasin", "navajowhite", "navy", "oldlace", "olive", "olivedrab", "orange",
    "orangered", "orchid", "palegoldenrod", "palegreen", "paleturquoise", "palevioletred",
    "papayawhip", "peachpuff", "peru", "pink", "plum", "powderblue", "purple", "rebeccapurple",
    "red", "rosybrown", "royalblue", "saddlebrown", "salmon", "sandybrown", "seagreen",
    "seashell", "sienna", "silver", "skyblue", "slateblue", "slategray", "slategrey", "snow",
    "springgreen", "steelblue", "tan", "teal", "thistle", "tomato", "turquoise", "violet",
    "wheat", "white", "whitesmoke", "yellow", "yellowgreen",
};

bool is_named_colour(std::string_view word) {
    for (std::string_view name : named_colours) {
        if (equal_ignoring_case(word, name)) return true;
    }
    return false;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_hex_digit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    return ascii_lower(c) - 'a' + 10;
}

bool all_hex_digits(std::string_view text) {
    for (char c : text) {
        if (!is_hex_digit(c)) return false;
    }
    return true;
}

std::string_view trim(std::string_view value) {
    std::size_t start = 0;
    while (start < value.size() && is_html_space(value[start])) ++start;
    std::size_t end = value.size();
    while (end > start && is_html_space(value[end - 1])) --end;
    return value.substr(start, end - start);
}

// The colour the hexadecimal rules make of a value that is no named colour.
Rgb hex_colour(std::string_view value) {
    if (value.size() == 4 && value[0] == '#' && all_hex_digits(value.substr(1))) {
        return {static_cast<std::uint8_t>(hex_value(value[1]) * 17),
                static_cast<std::uint8_t>(hex_value(value[2]) * 17),
                static_cast<std::uint8_t>(hex_value(value[3]) * 17)};
    }
    // Only the first 128 characters count, the "#" among them; every other
    // character that is not a hexadecimal digit stands for "0", and the
    // digits are padded with "0" to three equal components.
    value = value.substr(0, 128);
    if (!value.empty() && value[0] == '#') value.remove_prefix(1);
    std::array<char, 130> digits{};
    std::size_t size = 0;
    for (char c : value) digits[size++] = is_hex_digit(c) ? c : '0';
    while (size == 0 || size % 3 != 0) digits[size++] = '0';
    // Of each component, the last 8 digits; then leading zeros that all
    // three share go while more than 2 digits are left; then the first 2.
    std::size_t length = size / 3;
    std::size_t skip = length > 8 ? length - 8 : 0;
    auto digit = [&](int component, std::size_t i) { return digits[component * length + skip + i]; };
    while (length - skip > 2 && digit(0, 0) == '0' && digit(1, 0) == '0' && digit(2, 0) == '0') ++skip;
    auto component = [&](int c) {
        int value = hex_value(digit(c, 0));
        if (length - skip >= 2) value = value * 16 + hex_value(digit(c, 1));
        return static_cast<std::uint8_t>(value);
    };
    return {component(0), component(1), component(2)};
}

// Digits from position, as long as they stay within limit; nullopt when
// there are none or the number goes beyond the limit. Position moves past
// the digits.
std::optional<long long> read_digits(std::string_view value, std::size_t& position, long long limit) {
    std::size_t start = position;
    long long number = 0;
    while (position < value.size() && is_digit(value[position])) {
        number = number * 10 + (value[position] - '0');
        if (number > limit) return std::nullopt;
        ++position;
    }
    if (position == start) return std::nullopt;
    return number;
}

std::size_t skip_space(std::string_view value) {
    std::size_t position = 0;
    while (position < value.size() && is_html_space(value[position])) ++position;
    return position;
}

bool followed_by(std::string_view value, std::size_t position, char c) {
    return position < value.size() && value[position] == c;
}

}  // namespace

std::optional<LegacyColour> parse_legacy_colour(std::string_view value) {
    if (value.empty()) return std::nullopt;
    value = trim(value);
    if (equal_ignoring_case(value, "transparent")) return std::nullopt;
    if (is_named_colour(value)) return LegacyColour{value, {}};
    return LegacyColour{{}, hex_colour(value)};
}

bool colour_readable(std::string_view value) {
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '&' || byte >= 0x7F || (byte < 0x20 && !is_html_space(c))) return false;
    }
    std::string_view trimmed = trim(value);
    return !(trimmed.size() > 128 && trimmed[0] == '#');
}

std::optional<std::string> css_colour(std::string_view value) {
    std::optional<LegacyColour> colour = parse_legacy_colour(value);
    if (!colour) return std::nullopt;
    if (!colour->name.empty()) return std::string(colour->name);
    std::string_view trimmed = trim(value);
    if ((trimmed.size() == 4 || trimmed.size() == 7) && trimmed[0] == '#' && all_hex_digits(trimmed.substr(1))) {
        return std::string(trimmed);
    }
    static constexpr char hex[] = "0123456789abcdef";
    std::string css = "#";
    for (std::uint8_t c : {colour->rgb.red, colour->rgb.green, colour->rgb.blue}) {
        css.push_back(hex[c >> 4]);
        css.push_back(hex[c & 15]);
    }
    return css;
}

std::optional<Number> parse_non_negative_integer(std::string_view value) {
    std::size_t position = skip_space(value);
    bool negative = followed_by(value, position, '-');
    if (negative || followed_by(value, position, '+')) ++position;
    std::size_t start = position;
    std::optional<long long> number = read_digits(value, position, INT_MAX);
    if (!number || (negative && *number != 0)) return std::nullopt;
    return Number{value.substr(start, position - start), followed_by(value, position, '%'), false};
}

std::optional<Number> parse_dimension(std::string_view value) {
    std::size_t position = skip_space(value);
    std::size_t start = position;
    if (!read_digits(value, position, INT_MAX)) return std::nullopt;
    std::size_t end = position;
    if (followed_by(value, position, '.')) {
        ++position;
        while (position < value.size() && is_digit(value[position])) ++position;
        if (position > end + 1) end = position;
    }
    return Number{value.substr(start, end - start), followed_by(value, position, '%'),
                  followed_by(value, position, '*')};
}

std::optional<int> parse_legacy_font_size(std::string_view value) {
    std::size_t position = skip_space(value);
    char sign = position < value.size() ? value[position] : '\0';
    if (sign == '+' || sign == '-') ++position;
    // Browsers that add 3 to an int would overflow beyond this.
    std::optional<long long> number = read_digits(value, position, INT_MAX - 3);
    if (!number) return std::nullopt;
    long long size = sign == '+' ? 3 + *number : sign == '-' ? 3 - *number : *number;
    return static_cast<int>(size < 1 ? 1 : size > 7 ? 7 : size);
}

}  // namespace quorlix::values
