#include "output/final_write.h"

#include "base/messages.h"

namespace quorlix {

namespace {

void write_checked(TextWriter& file, std::string_view text, Diagnostics& diagnostics) {
    if (!file.write(text.data(), text.size())) diagnostics.fatal_error(messages::write_error);
}

}  // namespace

void write_document(TextWriter& file, const OutputBuffer& out, HeadTexts& head,
                    std::string_view style_text, RestWriter rest_writer,
                    Diagnostics& diagnostics) {
    std::string_view document = out.view();
    std::uint64_t written = 0;

    if (head.html_attribute && out.html_tag_end_position() != 0) {
        written = out.html_tag_end_position();
        write_checked(file, document.substr(0, written), diagnostics);
        write_checked(file, *head.html_attribute, diagnostics);
        head.html_attribute.reset();
    }

    if ((head.charset_declaration || head.viewport_element) && out.head_position() != 0) {
        if (out.head_position() < written) diagnostics.error_internal(messages::negative_offset);
        write_checked(file, document.substr(written, out.head_position() - written), diagnostics);
        written = out.head_position();
        if (head.charset_declaration) {
            write_checked(file, *head.charset_declaration, diagnostics);
            head.charset_declaration.reset();
        }
        if (head.viewport_element) {
            write_checked(file, *head.viewport_element, diagnostics);
            head.viewport_element.reset();
        }
    }

    if (!style_text.empty()) {
        std::uint64_t insertion = out.style_position() != 0 ? out.style_position()
                                                            : out.title_end_position();
        if (insertion == 0) diagnostics.fatal_error(messages::missing_title);
        if (insertion < written) diagnostics.error_internal(messages::negative_offset);
        write_checked(file, document.substr(written, insertion - written), diagnostics);
        write_checked(file, "<style>\n", diagnostics);
        write_checked(file, style_text, diagnostics);
        write_checked(file, "</style>\n", diagnostics);
        written = insertion;
    }

    std::string_view rest = document.substr(written);
    if (rest_writer != nullptr) {
        rest_writer(rest, file, diagnostics);
    } else {
        write_checked(file, rest, diagnostics);
    }
    if (!file.flush()) diagnostics.fatal_error(messages::write_error);
}

}  // namespace quorlix
