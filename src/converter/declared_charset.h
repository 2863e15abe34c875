// The character set that a page declares, found before the page is read by
// the rewriter (to transcode a page in a legacy encoding first).
#pragma once

#include <string_view>

namespace quorlix {

// The charset label that a page declares, as browsers and the rewriter read
// it: that of its first content-type meta (http-equiv and content in either
// order), else the encoding of its XML declaration. Empty when it declares
// none. Comments and the text of script and style elements declare nothing.
std::string_view declared_charset(std::string_view page);

}  // namespace quorlix
