// The final write: the converted document goes to the output file in one
// pass, with the held-back head texts after the head start tag and the
// generated style element at its insertion point.
#pragma once

#include "base/diagnostics.h"
#include "output/buffers.h"
#include "platform/text_stream.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

struct HeadTexts {
    // An attribute for the html start tag (" lang=\"en-GB\"") that the head
    // gave after the tag was written.
    std::optional<std::string> html_attribute;
    std::optional<std::string> charset_declaration;
    std::optional<std::string> viewport_element;
};

// Writes the part of the document after the style element when a table
// footer was seen (the table section pass). Must report its own failures.
using RestWriter = void (*)(std::string_view rest, TextWriter& file, Diagnostics& diagnostics);

// Writes the document. Returns only on success: every failure is a fatal
// diagnostic. style_text is empty when no rule was generated; rest_writer
// is null when the rest is written as it is.
void write_document(TextWriter& file, const OutputBuffer& out, HeadTexts& head,
                    std::string_view style_text, RestWriter rest_writer,
                    Diagnostics& diagnostics);

}  // namespace quorlix
