#include "rewriter/head_rules.h"

#include "base/paths.h"
#include "rewriter/rule_actions.h"

namespace quorlix::rules {

namespace {

// Writes a rebuilt tag: the tag buffer, ">" and the line feed that followed
// the original end, if any.
void write_rebuilt_tag(Document& d, std::string_view end) {
    d.out.append(d.element.tag.view());
    d.out.append_char('>');
    if (!end.empty() && end.back() == '\n') d.out.append_char('\n');
}

}  // namespace

void begin_meta(Document& d) {
    d.meta = Document::MetaFlags{};
    d.begin_element();
    d.element.tag.append("<meta");
    d.push_echo(d.element.tag);
}

bool meta_content_quote(Document& d, std::string_view quote) {
    if (!d.meta.content_type) d.element.tag.append(quote);
    return d.is_saved_quote(quote[0]);
}

void meta_content_text(Document& d, std::string_view text) {
    if (!d.meta.content_type) d.element.tag.append(text);
}

void meta_charset_name(Document& d, std::string_view name) {
    if (d.charset_declared) return;
    d.charset_declared = true;
    if (equal_ignoring_case(name, "us-ascii")) {
        d.head.charset_declaration = "<meta charset=\"utf-8\">\n";
        return;
    }
    d.head.charset_declaration = "<meta charset=\"" + std::string(name) + "\">\n";
    if (!equal_ignoring_case(name, "utf-8")) {
        d.page_in_utf8 = false;
        d.diagnostics.warning_charset(name);
    }
}

void end_meta(Document& d, std::string_view text) {
    if (d.meta.content_type) {
        // Before the head start tag the declaration takes the meta's place,
        // and then it must not be written a second time after <head>.
        if (!d.out.head_position_set() && d.head.charset_declaration) {
            d.out.append(*d.head.charset_declaration);
            d.head.charset_declaration.reset();
        }
    } else if (d.options.move_viewport_meta && d.meta.viewport && d.out.head_position_set()) {
        d.head.viewport_element = std::string(d.element.tag.view()) + ">\n";
    } else if (d.meta.keep) {
        write_rebuilt_tag(d, text);
    }
    d.pop_echo();
}

void begin_link(Document& d) {
    d.link = Document::LinkFlags{};
    d.begin_element();
    d.element.tag.append("<link");
    d.push_echo(d.element.tag);
}

void begin_link_relation(Document& d, std::string_view text) {
    d.link.obsolete_relation = false;
    d.link.relation_given = true;
    d.link_relation.reset();
    d.save_quote(text.back());
    d.push_echo(d.link_relation);
}

void link_relation_word(Document& d, std::string_view word) {
    if (d.link_relation.has_content()) d.link_relation.append_char(' ');
    d.link_relation.append(word);
}

void link_obsolete_relation(Document& d) { d.link.obsolete_relation = true; }

void link_sequence_relation(Document& d, std::string_view word) {
    if (d.options.drop_prev_next_links) {
        link_obsolete_relation(d);
    } else {
        link_relation_word(d, word);
    }
}

void end_link_relation(Document& d, std::string_view quote) {
    if (!d.is_saved_quote(quote[0])) d.diagnostics.error_quote_mismatch("rel");
    if (d.link_relation.has_content()) {
        d.element.tag.append("rel=\"");
        d.element.tag.append(d.link_relation.view());
        d.element.tag.append_char('"');
    } else if (d.link.obsolete_relation) {
        d.link.keep = false;
    } else {
        d.element.tag.append("rel=\"\"");
    }
    d.pop_echo();
}

void end_link(Document& d, std::string_view text) {
    // rev="made" names the page's author; without a relation of its own (or
    // a meaning given by itemprop or property) a link has none in HTML5.
    if (!d.link.relation_given) {
        if (d.link.made_by) {
            d.element.tag.append(" rel=\"author\"");
        } else if (!d.link.other_meaning) {
            d.link.keep = false;
            if (!text.empty() && text.back() == '\n') d.out.drop_line_indent();
        }
    }
    if (d.link.default_type && !d.link.style_sheet) d.element.tag.append(" type=\"text/css\"");
    if (d.link.style_sheet) d.out.mark_style_position();
    if (d.link.keep) write_rebuilt_tag(d, text);
    d.pop_echo();
}

void empty_title(Document& d, std::string_view text) {
    d.out.append("<title></title>");
    d.out.append(text.substr(text.find('>') + 1));
    d.out.mark_title_end();
}

void begin_body(Document& d, std::string_view text) {
    d.out.mark_style_position();
    begin_copied_tag(d, text);
    d.body_seen = true;
}

}  // namespace quorlix::rules
