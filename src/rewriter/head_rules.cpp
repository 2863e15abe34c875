#include "rewriter/head_rules.h"

#include "base/messages.h"
#include "base/text.h"
#include "rewriter/internal_subset.h"
#include "rewriter/rule_actions.h"
#include "rewriter/scanner_support.h"

#include <algorithm>

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

void end_head_tag(Document& d, std::string_view text) {
    end_converted_tag(d, text);
    d.out.mark_head_position();
}

void end_empty_head(Document& d, std::string_view text) {
    // The head's content goes between the start and end tags written here.
    end_head_tag(d, ">");
    d.out.mark_style_position();
    d.out.append("</head>");
    d.out.append(text.substr(text.find('>') + 1));
}

void begin_internal_subset(Document& d) { d.head_tags.internal_subset.clear(); }

bool end_internal_subset(Document& d, char next_byte, const char* at, const char* end) {
    InternalSubset subset = read_internal_subset(d.head_tags.internal_subset);
    if (!subset.problem.empty()) {
        subset.problem += messages::internal_subset_2;
        d.diagnostics.fatal_error(messages::internal_subset_1, subset.problem);
    }
    if (subset.entities.empty()) return false;
    std::string page;
    if (at < end) {
        page.push_back(next_byte);
        page.append(at + 1, end);
    }
    // Those newlines were counted when they were read; the new reader
    // gives them again.
    d.lines.newlines_read -= count_newlines(page.data(), page.size());
    char block[8192];
    long n;
    while ((n = d.input->read(block, sizeof block)) > 0) page.append(block, static_cast<std::size_t>(n));
    if (n < 0) d.diagnostics.fatal_error(messages::read_error);
    d.head_tags.expanded_page = expand_entities(page, subset.entities);
    d.head_tags.expanded_reader.emplace(std::string_view(d.head_tags.expanded_page));
    d.input = &*d.head_tags.expanded_reader;
    return true;
}

void end_html_tag(Document& d, std::string_view text) {
    d.head_tags.html_lang_given = d.markup.xml_lang_seen || d.markup.lang_given;
    emit_xml_lang(d);
    d.out.mark_html_tag_end();
    d.out.append(text);
}

std::string_view content_language(std::string_view content) {
    if (content.find(',') != std::string_view::npos) return {};
    if (content.find_first_not_of(html_spaces) == std::string_view::npos) return {};
    return content;
}

void begin_meta(Document& d) {
    d.head_tags.meta = HeadState::Meta{};
    d.begin_element();
    d.element.tag.append("<meta");
    d.push_echo(d.element.tag);
}

void meta_content_type(Document& d) {
    d.head_tags.meta.content_type = true;
    d.head_tags.meta.keep = false;
}

void meta_content_language(Document& d) {
    d.head_tags.meta.content_language = true;
    d.head_tags.meta.keep = false;
}

void begin_meta_content(Document& d, std::string_view text) {
    begin_buffered_attribute(d, text);
    d.head_tags.meta.content_begin = d.head_tags.meta.content_end = d.element.tag.size();
    d.head_tags.meta.content_quote = text.back();
    d.head_tags.meta.content_read_as_text = !d.head_tags.meta.content_type;
}

void meta_dropped(Document& d) { d.head_tags.meta.keep = false; }

void meta_viewport(Document& d, std::string_view text) {
    d.element.tag.append(text);
    d.head_tags.meta.viewport = true;
}

bool meta_charset_label(Document& d, std::string_view text) {
    d.element.tag.append(text);
    return d.head_tags.meta.content_type;
}

bool meta_content_quote(Document& d, std::string_view quote) {
    bool ends = d.is_saved_quote(quote[0]);
    if (ends) d.head_tags.meta.content_end = d.element.tag.size();
    if (!d.head_tags.meta.content_type) d.element.tag.append(quote);
    return ends;
}

void meta_content_text(Document& d, std::string_view text) {
    if (!d.head_tags.meta.content_type) d.element.tag.append(text);
}

void meta_charset_name(Document& d, std::string_view name) {
    if (d.head_tags.charset_declared) return;
    d.head_tags.charset_declared = true;
    if (equal_ignoring_case(name, "us-ascii")) {
        d.head.charset_declaration = "<meta charset=\"utf-8\">\n";
        return;
    }
    d.head.charset_declaration = "<meta charset=\"" + std::string(name) + "\">\n";
    if (!equal_ignoring_case(name, "utf-8")) {
        d.head_tags.page_in_utf8 = false;
        d.diagnostics.warning_charset(name);
    }
}

std::string_view charset_in_content(std::string_view content) {
    constexpr std::string_view keyword = "charset";
    for (std::size_t at = content.find(keyword); at != std::string_view::npos;
         at = content.find(keyword, at + 1)) {
        std::string_view rest = content.substr(at + keyword.size());
        rest.remove_prefix(std::min(rest.find_first_not_of(html_spaces), rest.size()));
        if (rest.empty() || rest[0] != '=') continue;
        rest.remove_prefix(1);
        rest.remove_prefix(std::min(rest.find_first_not_of(html_spaces), rest.size()));
        std::size_t length = 0;
        while (length < rest.size() && !is_html_space(rest[length]) && rest[length] != '"' &&
               rest[length] != '\'') {
            ++length;
        }
        if (length > 0) return rest.substr(0, length);
    }
    return {};
}

void end_meta(Document& d, std::string_view text) {
    emit_xml_lang_into_tag(d);
    const HeadState::Meta& meta = d.head_tags.meta;
    if (meta.content_language) {
        // Browsers give a page without a language of its own the one of
        // this pragma (the last one that names one), the content as it is,
        // blanks included; the html start tag says it in HTML5. The meta
        // goes with its line.
        std::string_view content = d.element.tag.view().substr(
            meta.content_begin, meta.content_end - meta.content_begin);
        std::string_view language = content_language(content);
        if (!language.empty() && !d.head_tags.html_lang_given) {
            d.head.html_attribute = std::string(" lang=") + meta.content_quote + std::string(language) +
                                    meta.content_quote;
        }
        if (!text.empty() && text.back() == '\n') d.out.drop_line_indent();
    } else if (meta.content_type) {
        // Browsers take the character set whatever the order of the two
        // attributes. A content read after http-equiv had its character set
        // taken as it went; one read before it is in the tag buffer.
        if (meta.content_read_as_text) {
            const std::string_view name = charset_in_content(d.element.tag.view().substr(
                meta.content_begin, meta.content_end - meta.content_begin));
            // A warning names the line of the tag's end, not the one after
            // the line feed that the end's match took with it.
            const long line_feed = !text.empty() && text.back() == '\n' ? 1 : 0;
            d.lines.newlines_read -= line_feed;
            if (!name.empty()) meta_charset_name(d, name);
            d.lines.newlines_read += line_feed;
        }
        // Before the head start tag the declaration takes the meta's place,
        // and then it must not be written a second time after <head>.
        if (!d.out.head_position_set() && d.head.charset_declaration) {
            d.out.append(*d.head.charset_declaration);
            d.head.charset_declaration.reset();
        }
    } else if (d.options.move_viewport_meta && d.head_tags.meta.viewport && d.out.head_position_set()) {
        d.head.viewport_element = std::string(d.element.tag.view()) + ">\n";
    } else if (d.head_tags.meta.keep) {
        write_rebuilt_tag(d, text);
    }
    d.pop_echo();
}

void begin_link(Document& d) {
    d.head_tags.link = HeadState::Link{};
    d.begin_element();
    d.element.tag.append("<link");
    d.push_echo(d.element.tag);
}

void begin_link_relation(Document& d, std::string_view text) {
    d.head_tags.link.obsolete_relation = false;
    d.head_tags.link.relation_given = true;
    d.head_tags.link_relation.reset();
    d.save_quote(text.back());
    d.push_echo(d.head_tags.link_relation);
}

void link_relation_word(Document& d, std::string_view word) {
    if (d.head_tags.link_relation.has_content()) d.head_tags.link_relation.append_char(' ');
    d.head_tags.link_relation.append(word);
}

void link_style_sheet(Document& d) {
    d.head_tags.link.style_sheet = true;
    link_relation_word(d, "stylesheet");
}

void link_default_type(Document& d) { d.head_tags.link.default_type = true; }
void link_made_by(Document& d) { d.head_tags.link.made_by = true; }
void link_other_meaning(Document& d) { d.head_tags.link.other_meaning = true; }

void link_obsolete_relation(Document& d) { d.head_tags.link.obsolete_relation = true; }

void link_sequence_relation(Document& d, std::string_view word) {
    if (d.options.drop_prev_next_links) {
        link_obsolete_relation(d);
    } else {
        link_relation_word(d, word);
    }
}

void end_link_relation(Document& d, std::string_view quote) {
    if (!d.is_saved_quote(quote[0])) d.diagnostics.error_quote_mismatch("rel");
    if (d.head_tags.link_relation.has_content()) {
        d.element.tag.append("rel=\"");
        d.element.tag.append(d.head_tags.link_relation.view());
        d.element.tag.append_char('"');
    } else if (d.head_tags.link.obsolete_relation) {
        d.head_tags.link.keep = false;
    } else {
        d.element.tag.append("rel=\"\"");
    }
    d.pop_echo();
}

void end_link(Document& d, std::string_view text) {
    emit_xml_lang_into_tag(d);
    // rev="made" names the page's author; without a relation of its own (or
    // a meaning given by itemprop or property) a link has none in HTML5.
    if (!d.head_tags.link.relation_given) {
        if (d.head_tags.link.made_by) {
            d.element.tag.append(" rel=\"author\"");
        } else if (!d.head_tags.link.other_meaning) {
            d.head_tags.link.keep = false;
            if (!text.empty() && text.back() == '\n') d.out.drop_line_indent();
        }
    }
    if (d.head_tags.link.default_type && !d.head_tags.link.style_sheet) d.element.tag.append(" type=\"text/css\"");
    if (d.head_tags.link.style_sheet) d.out.mark_style_position();
    if (d.head_tags.link.keep) write_rebuilt_tag(d, text);
    d.pop_echo();
}

void begin_style_body(Document& d, std::string_view text) {
    begin_embedded_body(d, text);
    d.markup.style_body_start = d.out.length();
}

void end_style_body(Document& d, std::string_view text) {
    check_page_style_sheet(d, d.markup.style_body_start);
    embedded_end_tag(d, text, "style");
}

void empty_title(Document& d, std::string_view text) {
    d.out.append("<title></title>");
    d.out.append(text.substr(text.find('>') + 1));
    d.out.mark_title_end();
}

void begin_body(Document& d, std::string_view text) {
    d.out.mark_style_position();
    begin_copied_tag(d, text);
    d.head_tags.body_seen = true;
}

void begin_margin_value(Document& d, std::string_view text, const char* attribute,
                        const char* property) {
    begin_element_value(d, text, attribute);
    d.value.property = property;
}

void read_margin(Document& d, std::string_view text) {
    read_pixels(d, text, d.value.property, nullptr);
}

}  // namespace quorlix::rules
