#include "converter/screening.h"

#include "base/messages.h"
#include "base/text.h"

namespace quorlix {

namespace {

struct Signature {
    unsigned char bytes[3];
    int length;  // how many of the bytes are compared
    const char* message;
};

// PDF, GIF, RIFF, TIFF (both byte orders), PNG, JPEG; UTF-16 marks; a zero
// first byte (UTF-16 or UTF-32 without a mark).
constexpr Signature signatures[] = {
    {{0x25, 0x50, 0x44}, 3, messages::not_xhtml},
    {{0x47, 0x49, 0x46}, 3, messages::not_xhtml},
    {{0x52, 0x49, 0x46}, 3, messages::not_xhtml},
    {{0x49, 0x49, 0x2A}, 3, messages::not_xhtml},
    {{0x4D, 0x4D, 0x00}, 3, messages::not_xhtml},
    {{0x89, 0x50, 0x4E}, 3, messages::not_xhtml},
    {{0xFF, 0xD8, 0xFF}, 3, messages::not_xhtml},
    {{0xFE, 0xFF, 0x00}, 2, messages::not_utf8},
    {{0xFF, 0xFE, 0x00}, 2, messages::not_utf8},
    {{0x00, 0x00, 0x00}, 1, messages::not_utf8},
};

// Consumes word at the front of text, in any letter case.
bool take_word(std::string_view& text, std::string_view word) {
    if (!equal_ignoring_case(text.substr(0, word.size()), word)) return false;
    text.remove_prefix(word.size());
    return true;
}

// Consumes blanks; true when there was at least one.
bool take_blanks(std::string_view& text) {
    std::size_t n = 0;
    while (n < text.size() && is_html_space(text[n])) ++n;
    text.remove_prefix(n);
    return n > 0;
}

}  // namespace

bool starts_as_html5(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
    for (;;) {
        take_blanks(head);
        if (head.substr(0, 4) != "<!--") break;
        std::size_t end = head.find("-->", 4);
        if (end == std::string_view::npos) return false;
        head.remove_prefix(end + 3);
    }
    if (!take_word(head, "<!doctype") || !take_blanks(head) || !take_word(head, "html")) {
        return false;
    }
    bool blank = take_blanks(head);
    if (blank && take_word(head, "system")) {
        if (!take_blanks(head) || head.empty() || (head[0] != '"' && head[0] != '\'')) return false;
        const char quote = head[0];
        head.remove_prefix(1);
        constexpr std::string_view legacy = "about:legacy-compat";
        if (head.substr(0, legacy.size()) != legacy || head.substr(legacy.size(), 1) != std::string_view(&quote, 1)) {
            return false;
        }
        head.remove_prefix(legacy.size() + 1);
        take_blanks(head);
    }
    return !head.empty() && head[0] == '>';
}

Status screening_verdict(const unsigned char first[3]) {
    for (const Signature& s : signatures) {
        bool match = true;
        for (int i = 0; i < s.length; ++i) match = match && first[i] == s.bytes[i];
        if (match) return failure(s.message);
    }
    return {};
}

bool screen_input(TextReader& input, TextWriter& output, Diagnostics& diagnostics) {
    char first[3];
    std::size_t got = 0;
    while (got < sizeof first) {
        long n = input.read(first + got, sizeof first - got);
        if (n <= 0) break;  // a read error counts as a short file
        got += static_cast<std::size_t>(n);
    }
    if (got == sizeof first) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(first);
        if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            output.write_binary(first, sizeof first);
            return true;
        }
        if (Status verdict = screening_verdict(bytes); !verdict) diagnostics.fatal_error(verdict.message());
    }
    // Starting anywhere but at the first byte would lose text.
    if (!input.rewind()) diagnostics.fatal_error(messages::read_error);
    return false;
}

}  // namespace quorlix
