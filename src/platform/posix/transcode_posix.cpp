#include "platform/transcode.h"

#include <cerrno>
#include <iconv.h>

namespace quorlix::platform {

Transcoding convert_to_utf8(const Encoding& encoding, std::string_view text, Utf8Sink sink, void* context) {
    Transcoding result;
    if (encoding.iconv_name == nullptr) {
        result.outcome = Transcoding::Outcome::unsupported;
        return result;
    }
    iconv_t cd = iconv_open("UTF-8", encoding.iconv_name);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        result.outcome = Transcoding::Outcome::unsupported;
        return result;
    }
    char buffer[16384];
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    while (in_left > 0) {
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &in_left, &out, &out_left);
        const int error = errno;
        if (out != buffer) sink(context, buffer, static_cast<std::size_t>(out - buffer));
        if (done != static_cast<std::size_t>(-1) || error == E2BIG) continue;
        const auto byte = static_cast<unsigned char>(*in);
        if (error == EILSEQ && undefined_bytes_are_c1(encoding) && byte >= 0x80 && byte <= 0x9F) {
            const char c1[2] = {static_cast<char>(0xC2), static_cast<char>(byte)};
            sink(context, c1, sizeof c1);
            ++in;
            --in_left;
            continue;
        }
        // EILSEQ: a byte no character begins with; EINVAL: a character cut
        // off by the end of the text.
        result.outcome = Transcoding::Outcome::invalid_byte;
        result.invalid_offset = static_cast<std::size_t>(in - text.data());
        break;
    }
    if (result.outcome == Transcoding::Outcome::converted) {
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        iconv(cd, nullptr, nullptr, &out, &out_left);
        if (out != buffer) sink(context, buffer, static_cast<std::size_t>(out - buffer));
    }
    iconv_close(cd);
    return result;
}

}  // namespace quorlix::platform
