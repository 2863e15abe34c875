#include "platform/transcode.h"

#include <windows.h>

#include <vector>

namespace quorlix::platform {

namespace {

// Text is converted in pieces that end after a line feed or a space (or at
// the end), bytes that no multi-byte character of these encodings contains,
// so that no character is cut; the wide buffer then stays small.
constexpr std::size_t piece_size = 1 << 16;

std::size_t piece_end(std::string_view text, std::size_t from) {
    if (text.size() - from <= piece_size) return text.size();
    std::size_t end = text.find_first_of("\n ", from + piece_size);
    return end == std::string_view::npos ? text.size() : end + 1;
}

// The UTF-16 of bytes, or false when the code page finds them invalid.
bool to_wide(unsigned code_page, const char* bytes, std::size_t size, std::vector<wchar_t>& wide) {
    const int n = static_cast<int>(size);
    int length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes, n, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes, n, wide.data(), length) == length;
}

void send_utf8(const std::vector<wchar_t>& wide, std::vector<char>& utf8, Utf8Sink sink, void* context) {
    const int n = static_cast<int>(wide.size());
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return;
    utf8.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), length, nullptr, nullptr);
    sink(context, utf8.data(), utf8.size());
}

}  // namespace

Transcoding convert_to_utf8(const Encoding& encoding, std::string_view text, Utf8Sink sink, void* context) {
    Transcoding result;
    const unsigned cp = encoding.code_page;
    if (cp == 0 || !IsValidCodePage(cp)) {
        result.outcome = Transcoding::Outcome::unsupported;
        return result;
    }
    std::vector<wchar_t> wide;
    std::vector<char> utf8;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = piece_end(text, from);
        if (to_wide(cp, text.data() + from, end - from, wide)) {
            send_utf8(wide, utf8, sink, context);
            from = end;
            continue;
        }
        // A piece with an invalid byte goes character by character: a
        // character is one byte, or a lead byte and up to three more.
        while (from < end) {
            std::size_t length = 0;
            for (std::size_t n = 1; n <= 4 && from + n <= end && length == 0; ++n) {
                if (to_wide(cp, text.data() + from, n, wide)) length = n;
            }
            const auto byte = static_cast<unsigned char>(text[from]);
            if (length == 0 && undefined_bytes_are_c1(encoding) && byte >= 0x80 && byte <= 0x9F) {
                const char c1[2] = {static_cast<char>(0xC2), static_cast<char>(byte)};
                sink(context, c1, sizeof c1);
                ++from;
                continue;
            }
            if (length == 0) {
                result.outcome = Transcoding::Outcome::invalid_byte;
                result.invalid_offset = from;
                return result;
            }
            send_utf8(wide, utf8, sink, context);
            from += length;
        }
    }
    return result;
}

}  // namespace quorlix::platform
