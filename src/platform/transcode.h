// Transcoding a page from the legacy encoding it declares into UTF-8, as a
// browser decodes it: the declared label names the encoding that browsers
// use for it (iso-8859-1, latin1 and us-ascii all mean windows-1252).
// iconv on Linux, the system's code pages on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorlix::platform {

// An encoding as browsers know it, and what the system calls it.
struct Encoding {
    const char* name;        // the browsers' name, such as "windows-1252"
    const char* iconv_name;  // nullptr: iconv is not asked
    unsigned code_page;      // 0: Windows has no code page for it
};

// The encoding that browsers decode a charset label in: ASCII letters in any
// case, blanks around the label ignored. Null for a label that names no
// encoding. A label of UTF-8 (or of UTF-16, which a page in bytes cannot be
// and which browsers then read as UTF-8) gives the UTF-8 entry; a label
// whose pages browsers refuse to decode gives an entry without iconv name
// or code page.
const Encoding* encoding_of_label(std::string_view label);

bool is_utf8(const Encoding& encoding);

struct Transcoding {
    enum class Outcome { converted, invalid_byte, unsupported };
    Outcome outcome = Outcome::converted;
    std::size_t invalid_offset = 0;  // where the first invalid byte stands
};

// Replaces output by text, read in encoding, as UTF-8. The output is sized
// once, for exactly what it receives. An invalid byte or an encoding that
// the system cannot convert leaves output empty.
Transcoding transcode_to_utf8(const Encoding& encoding, std::string_view text, std::string& output);

// The system's part of transcode_to_utf8 (posix/ and win32/): hands the
// UTF-8 of text to sink piece by piece, in order. A byte in 0x80-0x9F that
// the system finds undefined in a Windows code page is the C1 control of
// that number, as browsers read it.
using Utf8Sink = void (*)(void* context, const char* piece, std::size_t size);
Transcoding convert_to_utf8(const Encoding& encoding, std::string_view text, Utf8Sink sink, void* context);

// True for the encodings whose undefined bytes 0x80-0x9F browsers read as C1
// controls (the Windows code pages).
bool undefined_bytes_are_c1(const Encoding& encoding);

}  // namespace quorlix::platform
