#include "styles/css_text.h"

#include "base/text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace quorlix::css {

namespace {

struct NamedReference {
    std::string_view name;
    char32_t code;
};

// Every named character reference of XHTML 1.0, sorted by name in byte
// order for the binary search.
constexpr NamedReference named_references[] = {
    {"AElig", 198}, {"Aacute", 193}, {"Acirc", 194}, {"Agrave", 192}, {"Alpha", 913},
    {"Aring", 197}, {"Atilde", 195}, {"Auml", 196}, {"Beta", 914}, {"Ccedil", 199}, {"Chi", 935},
    {"Dagger", 8225}, {"Delta", 916}, {"ETH", 208}, {"Eacute", 201}, {"Ecirc", 202},
    {"Egrave", 200}, {"Epsilon", 917}, {"Eta", 919}, {"Euml", 203}, {"Gamma", 915},
    {"Iacute", 205}, {"Icirc", 206}, {"Igrave", 204}, {"Iota", 921}, {"Iuml", 207}, {"Kappa", 922},
    {"Lambda", 923}, {"Mu", 924}, {"Ntilde", 209}, {"Nu", 925}, {"OElig", 338}, {"Oacute", 211},
    {"Ocirc", 212}, {"Ograve", 210}, {"Omega", 937}, {"Omicron", 927}, {"Oslash", 216},
    {"Otilde", 213}, {"Ouml", 214}, {"Phi", 934}, {"Pi", 928}, {"Prime", 8243}, {"Psi", 936},
    {"Rho", 929}, {"Scaron", 352}, {"Sigma", 931}, {"THORN", 222}, {"Tau", 932}, {"Theta", 920},
    {"Uacute", 218}, {"Ucirc", 219}, {"Ugrave", 217}, {"Upsilon", 933}, {"Uuml", 220}, {"Xi", 926},
    {"Yacute", 221}, {"Yuml", 376}, {"Zeta", 918}, {"aacute", 225}, {"acirc", 226}, {"acute", 180},
    {"aelig", 230}, {"agrave", 224}, {"alefsym", 8501}, {"alpha", 945}, {"amp", 38}, {"and", 8743},
    {"ang", 8736}, {"apos", 39}, {"aring", 229}, {"asymp", 8776}, {"atilde", 227}, {"auml", 228},
    {"bdquo", 8222}, {"beta", 946}, {"brvbar", 166}, {"bull", 8226}, {"cap", 8745},
    {"ccedil", 231}, {"cedil", 184}, {"cent", 162}, {"chi", 967}, {"circ", 710}, {"clubs", 9827},
    {"cong", 8773}, {"copy", 169}, {"crarr", 8629}, {"cup", 8746}, {"curren", 164}, {"dArr", 8659},
    {"dagger", 8224}, {"darr", 8595}, {"deg", 176}, {"delta", 948}, {"diams", 9830},
    {"divide", 247}, {"eacute", 233}, {"ecirc", 234}, {"egrave", 232}, {"empty", 8709},
    {"emsp", 8195}, {"ensp", 8194}, {"epsilon", 949}, {"equiv", 8801}, {"eta", 951}, {"eth", 240},
    {"euml", 235}, {"euro", 8364}, {"exist", 8707}, {"fnof", 402}, {"forall", 8704},
    {"frac12", 189}, {"frac14", 188}, {"frac34", 190}, {"frasl", 8260}, {"gamma", 947},
    {"ge", 8805}, {"gt", 62}, {"hArr", 8660}, {"harr", 8596}, {"hearts", 9829}, {"hellip", 8230},
    {"iacute", 237}, {"icirc", 238}, {"iexcl", 161}, {"igrave", 236}, {"image", 8465},
    {"infin", 8734}, {"int", 8747}, {"iota", 953}, {"iquest", 191}, {"isin", 8712}, {"iuml", 239},
    {"kappa", 954}, {"lArr", 8656}, {"lambda", 955}, {"lang", 9001}, {"laquo", 171},
    {"larr", 8592}, {"lceil", 8968}, {"ldquo", 8220}, {"le", 8804}, {"lfloor", 8970},
    {"lowast", 8727}, {"loz", 9674}, {"lrm", 8206}, {"lsaquo", 8249}, {"lsquo", 8216}, {"lt", 60},
    {"macr", 175}, {"mdash", 8212}, {"micro", 181}, {"middot", 183}, {"minus", 8722}, {"mu", 956},
    {"nabla", 8711}, {"nbsp", 160}, {"ndash", 8211}, {"ne", 8800}, {"ni", 8715}, {"not", 172},
    {"notin", 8713}, {"nsub", 8836}, {"ntilde", 241}, {"nu", 957}, {"oacute", 243}, {"ocirc", 244},
    {"oelig", 339}, {"ograve", 242}, {"oline", 8254}, {"omega", 969}, {"omicron", 959},
    {"oplus", 8853}, {"or", 8744}, {"ordf", 170}, {"ordm", 186}, {"oslash", 248}, {"otilde", 245},
    {"otimes", 8855}, {"ouml", 246}, {"para", 182}, {"part", 8706}, {"permil", 8240},
    {"perp", 8869}, {"phi", 966}, {"pi", 960}, {"piv", 982}, {"plusmn", 177}, {"pound", 163},
    {"prime", 8242}, {"prod", 8719}, {"prop", 8733}, {"psi", 968}, {"quot", 34}, {"rArr", 8658},
    {"radic", 8730}, {"rang", 9002}, {"raquo", 187}, {"rarr", 8594}, {"rceil", 8969},
    {"rdquo", 8221}, {"real", 8476}, {"reg", 174}, {"rfloor", 8971}, {"rho", 961}, {"rlm", 8207},
    {"rsaquo", 8250}, {"rsquo", 8217}, {"sbquo", 8218}, {"scaron", 353}, {"sdot", 8901},
    {"sect", 167}, {"shy", 173}, {"sigma", 963}, {"sigmaf", 962}, {"sim", 8764}, {"spades", 9824},
    {"sub", 8834}, {"sube", 8838}, {"sum", 8721}, {"sup", 8835}, {"sup1", 185}, {"sup2", 178},
    {"sup3", 179}, {"supe", 8839}, {"szlig", 223}, {"tau", 964}, {"there4", 8756}, {"theta", 952},
    {"thetasym", 977}, {"thinsp", 8201}, {"thorn", 254}, {"tilde", 732}, {"times", 215},
    {"trade", 8482}, {"uArr", 8657}, {"uacute", 250}, {"uarr", 8593}, {"ucirc", 251},
    {"ugrave", 249}, {"uml", 168}, {"upsih", 978}, {"upsilon", 965}, {"uuml", 252},
    {"weierp", 8472}, {"xi", 958}, {"yacute", 253}, {"yen", 165}, {"yuml", 255}, {"zeta", 950},
    {"zwj", 8205}, {"zwnj", 8204},
};

// Control characters other than the white space that attribute values may
// hold. HTML keeps them and XML refuses them, and CSS cannot carry a NUL.
bool is_refused_control(char32_t c) {
    if (c < 0x20) return c != '\t' && c != '\n' && c != '\r' && c != '\f';
    return c == 0x7F;
}

// What a numeric reference may name. C1 controls are refused as well: HTML
// reads those references as windows-1252 characters, XML as the controls.
bool is_allowed_code_point(char32_t c) {
    if (is_refused_control(c)) return false;
    if (c >= 0x80 && c < 0xA0) return false;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    if (c == 0xFFFE || c == 0xFFFF) return false;
    return c <= 0x10FFFF;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int digit_value(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_alphanumeric(char c) { return is_ascii_letter(c) || (c >= '0' && c <= '9'); }

std::int32_t named_code(std::string_view name) {
    const NamedReference* end = std::end(named_references);
    const NamedReference* found = std::lower_bound(
        std::begin(named_references), end, name,
        [](const NamedReference& entry, std::string_view key) { return entry.name < key; });
    if (found == end || found->name != name) return -1;
    return static_cast<std::int32_t>(found->code);
}

// Reads the numeric reference that starts at value[at] ("&#"). Returns its
// length, or 0 when it is incomplete or names a character that is refused.
std::size_t numeric_reference(std::string_view value, std::size_t at, char32_t& code) {
    std::size_t i = at + 2;
    bool hex = i < value.size() && (value[i] == 'x' || value[i] == 'X');
    if (hex) ++i;
    const std::size_t digits = i;
    code = 0;
    for (int d; i < value.size() && (d = digit_value(value[i], hex)) >= 0; ++i) {
        // Held just above the largest code point, so that it cannot overflow.
        code = std::min<char32_t>(code * (hex ? 16 : 10) + static_cast<char32_t>(d), 0x110000);
    }
    if (i == digits || i == value.size() || value[i] != ';') return 0;
    if (!is_allowed_code_point(code)) return 0;
    return i + 1 - at;
}

// Characters that make a face value go through the family by family
// rewrite: they could end the declaration or the rule, open a block, a
// string, a comment or a function that swallows what follows, raise the
// declaration's importance, or end the style element.
bool acts_in_css(char c) {
    switch (c) {
        case '"': case '\'': case '\\': case '<': case ';': case '{': case '}':
        case '(': case ')': case '[': case ']': case '/': case '!':
            return true;
        default:
            return false;
    }
}

// Characters that append_string escapes, the quotes aside.
bool needs_escape_in_string(char c) {
    return c == '\\' || c == '\n' || c == '\r' || c == '\f' || c == '<';
}

bool is_identifier_start(char c) {
    return is_ascii_letter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool is_identifier_char(char c) {
    return is_identifier_start(c) || (c >= '0' && c <= '9') || c == '-';
}

bool is_identifier(std::string_view word) {
    std::size_t i = 0;
    if (word.size() >= 2 && word[0] == '-' && (word[1] == '-' || is_identifier_start(word[1]))) {
        i = 2;
    } else if (!word.empty() && is_identifier_start(word[0])) {
        i = 1;
    } else {
        return false;
    }
    return std::all_of(word.begin() + static_cast<std::ptrdiff_t>(i), word.end(), is_identifier_char);
}

std::size_t skip_white_space(std::string_view text, std::size_t i) {
    while (i < text.size() && is_html_space(text[i])) ++i;
    return i;
}

// One family of a list, from "at" (after its leading white space): written
// to css, followed by its trailing white space. Returns where the family's
// part of the list ends (at the separating comma or the end).
std::size_t append_family(std::string& css, std::string_view list, std::size_t at) {
    const char quote = at < list.size() ? list[at] : '\0';
    if (quote == '"' || quote == '\'') {
        std::size_t close = list.find(quote, at + 1);
        if (close != std::string_view::npos) {
            std::size_t after = skip_white_space(list, close + 1);
            if (after == list.size() || list[after] == ',') {
                std::string_view name = list.substr(at + 1, close - at - 1);
                if (std::any_of(name.begin(), name.end(), needs_escape_in_string)) {
                    append_string(css, name);
                } else {
                    css.append(list.substr(at, close + 1 - at));  // a string as it was
                }
                css.append(list.substr(close + 1, after - close - 1));
                return after;
            }
        }
    }
    std::size_t end = std::min(list.find(',', at), list.size());
    std::size_t last = end;
    while (last > at && is_html_space(list[last - 1])) --last;
    std::string_view family = list.substr(at, last - at);
    if (family.empty() || is_identifier_sequence(family)) {
        css.append(family);
    } else {
        append_string(css, family);
    }
    css.append(list.substr(last, end - last));
    return end;
}

bool has_refused_control(std::string_view value) {
    return std::any_of(value.begin(), value.end(),
                       [](char c) { return is_refused_control(static_cast<unsigned char>(c)); });
}

}  // namespace

bool decode_references(std::string_view value, bool utf8_page, std::string& decoded) {
    for (std::size_t i = 0; i < value.size();) {
        const char c = value[i];
        if (c != '&') {
            if (is_refused_control(static_cast<unsigned char>(c))) return false;
            decoded += c;
            ++i;
            continue;
        }
        char32_t code = 0;
        std::size_t length = 0;
        if (i + 1 < value.size() && value[i + 1] == '#') {
            length = numeric_reference(value, i, code);
            if (length == 0) return false;
        } else {
            std::size_t end = i + 1;
            while (end < value.size() && is_ascii_alphanumeric(value[end])) ++end;
            if (end == i + 1 || end == value.size() || value[end] != ';') {
                // No reference: the "&" is a character of the value.
                decoded += c;
                ++i;
                continue;
            }
            std::int32_t named = named_code(value.substr(i + 1, end - i - 1));
            if (named < 0) return false;
            code = static_cast<char32_t>(named);
            length = end + 1 - i;
        }
        if (code >= 0x80 && !utf8_page) return false;
        append_utf8(decoded, code);
        i += length;
    }
    return true;
}

void append_string(std::string& css, std::string_view text) {
    css += '"';
    for (char c : text) {
        switch (c) {
            case '"': css.append("\\22 "); break;
            case '\\': css.append("\\5c "); break;
            case '\n': css.append("\\a "); break;
            case '\r': css.append("\\d "); break;
            case '\f': css.append("\\c "); break;
            case '<': css.append("\\3c "); break;
            default: css += c; break;
        }
    }
    css += '"';
}

bool is_identifier_sequence(std::string_view text) {
    std::size_t i = skip_white_space(text, 0);
    if (i == text.size()) return false;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && !is_html_space(text[end])) ++end;
        if (!is_identifier(text.substr(i, end - i))) return false;
        i = skip_white_space(text, end);
    }
    return true;
}

bool append_url(std::string& css, std::string_view value, bool utf8_page) {
    std::string decoded;
    if (!decode_references(value, utf8_page, decoded)) return false;
    css.append("url(");
    append_string(css, decoded);
    css += ')';
    return true;
}

bool append_font_family(std::string& css, std::string_view value, bool utf8_page) {
    if (value.find('&') == std::string_view::npos) {
        if (has_refused_control(value)) return false;
        if (std::none_of(value.begin(), value.end(), acts_in_css)) {
            css.append(value);
            return true;
        }
    }
    std::string decoded;
    if (!decode_references(value, utf8_page, decoded)) return false;
    if (decoded == value && std::none_of(decoded.begin(), decoded.end(), acts_in_css)) {
        // Every "&" of the value started no reference.
        css.append(value);
        return true;
    }
    std::size_t i = 0;
    while (true) {
        std::size_t start = skip_white_space(decoded, i);
        css.append(std::string_view(decoded).substr(i, start - i));
        i = append_family(css, decoded, start);
        if (i == decoded.size()) return true;
        css += ',';
        ++i;
    }
}

}  // namespace quorlix::css
