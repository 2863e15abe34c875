// Keeps away files that cannot be XHTML in UTF-8 (images, PDF, UTF-16) by
// their first three bytes, and carries a UTF-8 byte-order mark over to the
// output so that the rewriter never sees it.
#pragma once

#include "base/diagnostics.h"
#include "base/result.h"
#include "platform/text_stream.h"

#include <cstddef>
#include <string_view>

namespace quorlix {

// Returns only when the file may be converted, with the input positioned
// where the rewriter must start; a refused file is a fatal diagnostic.
// Returns true when the input began with a UTF-8 byte-order mark (copied to
// the output, and not read again).
bool screen_input(TextReader& input, TextWriter& output, Diagnostics& diagnostics);

// The verdict on a document's first three bytes: ok when they are
// acceptable, otherwise the failure whose message refuses the file.
Status screening_verdict(const unsigned char first[3]);

// True when a document begins as an HTML5 page does: "<!DOCTYPE html>" in
// any letter case, or its "about:legacy-compat" form, after an optional
// UTF-8 byte-order mark, blanks and comments. head is the document's start;
// a doctype that head does not reach counts as none.
bool starts_as_html5(std::string_view head);

// How much of a document's start starts_as_html5 is given.
inline constexpr std::size_t html5_screening_length = 64 * 1024;

}  // namespace quorlix
