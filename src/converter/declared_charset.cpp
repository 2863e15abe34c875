#include "converter/declared_charset.h"

#include "base/text.h"

#include <optional>

namespace quorlix {

namespace {

bool starts_with_ignoring_case(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && equal_ignoring_case(text.substr(0, word.size()), word);
}

// The quoted value that follows "=" (blanks around it allowed) at the start
// of text, and the text after its closing quote; none without one.
std::optional<std::string_view> quoted_value(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && is_html_space(text[i])) ++i;
    if (i == text.size() || text[i] != '=') return std::nullopt;
    ++i;
    while (i < text.size() && is_html_space(text[i])) ++i;
    if (i == text.size() || (text[i] != '"' && text[i] != '\'')) return std::nullopt;
    const std::size_t end = text.find(text[i], i + 1);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view value = text.substr(i + 1, end - i - 1);
    text.remove_prefix(end + 1);
    return value;
}

// The charset label of a content-type meta tag (text after "<meta"), when it
// declares one: http-equiv="content-type" and a content holding "charset="
// and the label, in either order, as browsers read them.
std::string_view meta_charset_label(std::string_view tag) {
    bool content_type = false;
    std::optional<std::string_view> content;
    while (!tag.empty() && tag[0] != '>') {
        std::size_t name_end = 0;
        while (name_end < tag.size() && !is_html_space(tag[name_end]) && tag[name_end] != '=' &&
               tag[name_end] != '>') {
            ++name_end;
        }
        if (name_end == 0) {
            tag.remove_prefix(1);
            continue;
        }
        const std::string_view name = tag.substr(0, name_end);
        tag.remove_prefix(name_end);
        const std::optional<std::string_view> value = quoted_value(tag);
        if (!value) continue;
        if (name == "http-equiv" && equal_ignoring_case(*value, "content-type")) content_type = true;
        if (name == "content" && !content) content = value;
    }
    if (!content_type || !content) return {};
    const std::size_t at = content->find("charset");
    if (at == std::string_view::npos) return {};
    std::string_view rest = content->substr(at + 7);
    while (!rest.empty() && is_html_space(rest[0])) rest.remove_prefix(1);
    if (rest.empty() || rest[0] != '=') return {};
    rest.remove_prefix(1);
    while (!rest.empty() && is_html_space(rest[0])) rest.remove_prefix(1);
    std::size_t length = 0;
    // Browsers end the label at a semicolon too.
    while (length < rest.size() && !is_html_space(rest[length]) && rest[length] != ';') ++length;
    return rest.substr(0, length);
}

}  // namespace

std::string_view declared_charset(std::string_view page) {
    std::string_view xml_label;
    if (page.starts_with("<?xml")) {
        std::string_view declaration = page.substr(0, page.find("?>"));
        std::size_t at = declaration.find("encoding");
        if (at != std::string_view::npos) {
            declaration.remove_prefix(at + 8);
            xml_label = quoted_value(declaration).value_or(std::string_view());
        }
    }
    for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1)) {
        const std::string_view rest = page.substr(at);
        const char* skip_to = rest.starts_with("<!--")                          ? "-->"
                              : starts_with_ignoring_case(rest, "<script")      ? "</script"
                              : starts_with_ignoring_case(rest, "<style")       ? "</style"
                                                                                : nullptr;
        if (skip_to != nullptr) {
            // A script or style written as an empty-element tag has no text.
            const std::size_t tag_end = skip_to[0] == '<' ? page.find('>', at) : std::string_view::npos;
            if (tag_end != std::string_view::npos && page[tag_end - 1] == '/') {
                at = tag_end;
                continue;
            }
            at = page.find(skip_to, at + 1);
            if (at == std::string_view::npos) break;
            continue;
        }
        if (rest.starts_with("<meta") && rest.size() > 5 && (is_html_space(rest[5]) || rest[5] == '/')) {
            std::string_view label = meta_charset_label(rest.substr(5));
            if (!label.empty()) return label;
        }
    }
    return xml_label;
}

}  // namespace quorlix
