#include "rewriter/internal_subset.h"

#include "base/messages.h"

namespace quorlix {

namespace {

constexpr std::string_view xml_blanks = " \t\n\r";

bool is_name_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool is_name_byte(char c) {
    return is_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The XML name that starts at `at` (empty when none); `at` moves past it.
std::string_view read_name(std::string_view text, std::size_t& at) {
    std::size_t start = at;
    if (at < text.size() && is_name_start(text[at])) {
        while (at < text.size() && is_name_byte(text[at])) ++at;
    }
    return text.substr(start, at - start);
}

// Skips white space; false when there was none.
bool skip_blanks(std::string_view text, std::size_t& at) {
    std::size_t start = at;
    at = std::min(text.find_first_not_of(xml_blanks, at), text.size());
    return at > start;
}

// What a piece of text that is no declaration begins with, for the message.
std::string unreadable(std::string_view text, std::size_t at) {
    std::string_view rest = text.substr(at, 24);
    rest = rest.substr(0, rest.find('\n'));
    return std::string(messages::subset_unreadable) + std::string(rest);
}

// Reads "<!ENTITY" up to its ">" from `at` (just after the keyword); false
// with the problem set when it cannot be carried over.
bool read_entity(std::string_view text, std::size_t& at, InternalSubset& subset) {
    std::size_t start = at - 8;
    if (!skip_blanks(text, at)) {
        subset.problem = unreadable(text, start);
        return false;
    }
    if (at < text.size() && text[at] == '%') {
        ++at;
        skip_blanks(text, at);
        subset.problem = messages::subset_parameter_entity;
        subset.problem += read_name(text, at);
        return false;
    }
    std::string_view name = read_name(text, at);
    if (name.empty() || !skip_blanks(text, at) || at == text.size()) {
        subset.problem = unreadable(text, start);
        return false;
    }
    char quote = text[at];
    if (quote != '"' && quote != '\'') {
        if (text.substr(at, 6) == "SYSTEM" || text.substr(at, 6) == "PUBLIC") {
            subset.problem = std::string(messages::subset_external_entity) + std::string(name);
        } else {
            subset.problem = unreadable(text, start);
        }
        return false;
    }
    std::size_t end = text.find(quote, at + 1);
    if (end == std::string_view::npos) {
        subset.problem = unreadable(text, start);
        return false;
    }
    std::string_view value = text.substr(at + 1, end - at - 1);
    // A value with markup or references would need an XML parser's second
    // reading of the text; only plain text is carried over.
    if (value.find('<') != std::string_view::npos) {
        subset.problem = std::string(messages::subset_markup_value) + std::string(name);
        return false;
    }
    if (value.find('&') != std::string_view::npos) {
        subset.problem = std::string(messages::subset_reference_value) + std::string(name);
        return false;
    }
    if (std::size_t percent = value.find('%'); percent != std::string_view::npos) {
        ++percent;
        subset.problem = std::string(messages::subset_parameter_reference) +
                         std::string(read_name(value, percent)) + ";";
        return false;
    }
    at = end + 1;
    skip_blanks(text, at);
    if (at == text.size() || text[at] != '>') {
        subset.problem = unreadable(text, start);
        return false;
    }
    ++at;
    subset.entities.try_emplace(std::string(name), value);
    return true;
}

}  // namespace

InternalSubset read_internal_subset(std::string_view text) {
    InternalSubset subset;
    std::size_t at = 0;
    while (true) {
        skip_blanks(text, at);
        if (at == text.size()) return subset;
        std::string_view rest = text.substr(at);
        if (rest.starts_with("<!--")) {
            std::size_t end = text.find("-->", at + 4);
            if (end == std::string_view::npos) break;
            at = end + 3;
        } else if (rest.starts_with("<!ENTITY")) {
            at += 8;
            if (!read_entity(text, at, subset)) return subset;
        } else if (rest.starts_with("<!") && at + 2 < text.size() && is_name_start(text[at + 2])) {
            at += 2;
            subset.problem = messages::subset_declaration_1;
            subset.problem += read_name(text, at);
            subset.problem += messages::subset_declaration_2;
            return subset;
        } else if (rest.starts_with("<?")) {
            subset.problem = messages::subset_instruction;
            return subset;
        } else if (rest[0] == '%') {
            ++at;
            subset.problem = std::string(messages::subset_parameter_reference) +
                             std::string(read_name(text, at)) + ";";
            return subset;
        } else {
            break;
        }
    }
    subset.problem = unreadable(text, at);
    return subset;
}

namespace {

enum class Place { text, attribute_value, raw_text };

void append_replacement(std::string& out, std::string_view value, Place place) {
    for (char c : value) {
        switch (place) {
            case Place::raw_text:
                out.push_back(c);
                break;
            case Place::text:
                if (c == '\n' || c == '\r') {
                    out.append("&#10;");
                } else {
                    out.push_back(c);
                }
                break;
            case Place::attribute_value:
                switch (c) {
                    case '"': out.append("&quot;"); break;
                    case '\'': out.append("&#39;"); break;
                    case '>': out.append("&gt;"); break;
                    case '\n': case '\r': case '\t': out.push_back(' '); break;
                    default: out.push_back(c);
                }
                break;
        }
    }
}

class Expander {
public:
    Expander(std::string_view page, const std::unordered_map<std::string, std::string>& entities)
        : page_(page), entities_(entities) {
        out_.reserve(page.size() + page.size() / 8);
    }

    std::string run() {
        while (at_ < page_.size()) {
            std::size_t next = page_.find_first_of("<&", at_);
            copy_to(next);
            if (next == std::string_view::npos) break;
            if (page_[at_] == '&') {
                reference(raw_element_.empty() ? Place::text : Place::raw_text);
            } else if (starts_with("<!--")) {
                copy_through("-->", 4);
            } else if (starts_with("<![CDATA[")) {
                copy_through("]]>", 9);
            } else if (starts_with("<?")) {
                copy_through("?>", 2);
            } else if (starts_with("<!")) {
                copy_through(">", 2);
            } else {
                tag();
            }
        }
        return std::move(out_);
    }

private:
    bool starts_with(std::string_view marker) const { return page_.substr(at_).starts_with(marker); }

    void copy_to(std::size_t end) {
        end = std::min(end, page_.size());
        out_.append(page_.substr(at_, end - at_));
        at_ = end;
    }

    // A construct in which nothing is expanded, up to and including its end.
    void copy_through(std::string_view end, std::size_t skip) {
        std::size_t found = page_.find(end, at_ + skip);
        copy_to(found == std::string_view::npos ? found : found + end.size());
    }

    // "&" at at_: a reference to a declared entity is replaced.
    void reference(Place place) {
        std::size_t end = at_ + 1;
        std::string_view name = read_name(page_, end);
        if (!name.empty() && end < page_.size() && page_[end] == ';') {
            if (auto entity = entities_.find(std::string(name)); entity != entities_.end()) {
                append_replacement(out_, entity->second, place);
                at_ = end + 1;
                return;
            }
        }
        copy_to(at_ + 1);
    }

    // A start or end tag: references are expanded in its attribute values.
    void tag() {
        std::size_t start = at_;
        std::size_t end = at_ + 1;
        bool closing = end < page_.size() && page_[end] == '/';
        if (closing) ++end;
        std::string_view name = read_name(page_, end);
        copy_to(end);
        char quote = 0;
        while (at_ < page_.size()) {
            char c = page_[at_];
            if (quote != 0 && c == '&') {
                reference(Place::attribute_value);
                continue;
            }
            copy_to(at_ + 1);
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        // The text of script and style is no text in HTML5: references
        // there would stay references.
        if (closing) {
            if (name == raw_element_) raw_element_ = {};
        } else if ((name == "script" || name == "style") && at_ - start >= 2 && page_[at_ - 2] != '/') {
            raw_element_ = name;
        }
    }

    std::string_view page_;
    const std::unordered_map<std::string, std::string>& entities_;
    std::string out_;
    std::size_t at_ = 0;
    std::string_view raw_element_;
};

}  // namespace

std::string expand_entities(std::string_view page,
                            const std::unordered_map<std::string, std::string>& entities) {
    return Expander(page, entities).run();
}

}  // namespace quorlix
