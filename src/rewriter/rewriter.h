// The rewriter: one scan over the document, in input order, into the output
// buffer of the Document.
#pragma once

#include "platform/text_stream.h"
#include "rewriter/document.h"

namespace quorlix {

// Scans the input from its current position to its end. Returns only when
// the whole input was read; fatal conditions are reported through the
// document's diagnostics and unwind with FileAbandoned.
void rewrite_document(Document& document, TextReader& input);

}  // namespace quorlix
