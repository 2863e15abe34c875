// The state of one document's conversion: the output, the style registry and
// the rewriter's shared machinery (state stack, echo stack, echo suppression,
// saved quote, per-element buffers). The scanner reaches it as its extra data;
// the rule families' C++ functions take it as their first argument.
#pragma once

#include "base/diagnostics.h"
#include "base/options.h"
#include "layout/frameset.h"
#include "output/buffers.h"
#include "output/final_write.h"
#include "output/flex_support.h"
#include "platform/text_stream.h"
#include "rewriter/element_state.h"
#include "styles/style_registry.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

// The elements replaced by an element with a fixed class.
enum class FixedElement { big, center, nobr, tt };

// Tags as the generic rules read them: the element name, xml:lang held back
// until the end of the start tag, svg and math, CDATA sections.
struct MarkupState {
    // The name of the element whose start tag is being read (for the end tag
    // that an empty-element tag gets); a generic tag's name is its first piece.
    std::string tag_name;
    bool generic_name_pending = false;
    // xml:lang of the start tag being read and its quote; whether the tag
    // has a lang of its own.
    DeferredBuffer xml_lang;
    bool xml_lang_seen = false;
    char xml_lang_quote = '"';
    bool lang_given = false;
    // svg and math: nesting depth, and whether the start tag of one of them
    // is being read (its "/>" closes it).
    int foreign_depth = 0;
    bool foreign_start_tag = false;
    // A CDATA section is open in a script or style body, and whether its
    // marker was a bare one (which went) or one in a comment (which stayed).
    bool cdata_open = false;
    bool cdata_bare = false;
    // A class value that is copied as it is goes into the tag buffer (meta,
    // link) or the output, and is checked there when its quote ends it: where
    // it began. Where the text of a style element began in the output.
    bool class_into_tag = false;
    std::uint64_t class_value_start = 0;
    std::uint64_t style_body_start = 0;

    // The per-document reset (the buffers keep their room).
    void reset();
};

// The attribute value being converted to CSS.
struct ValueState {
    // The attribute, for messages, and the property it turns into.
    const char* attribute = "";
    const char* property = "";
    // A colour value becomes a rule of its own when it has a selector; a
    // bordercolor goes to the table and its cells and groups.
    const char* color_selector = nullptr;
    bool color_spreads_to_table = false;
    // align="char" is accepted here (on table rows, sections and cells).
    bool cell_alignment = false;
    // A background or face value as it goes into the element's CSS.
    std::string css;
};

// The head: meta and link tags being rebuilt, the page's character set.
struct HeadState {
    struct Meta {
        bool content_type = false;
        bool content_language = false;
        bool viewport = false;
        bool keep = true;
        // A content read before http-equiv: its text is in the tag buffer.
        bool content_read_as_text = false;
        // Where the content value lies in the tag buffer, and its quote.
        std::size_t content_begin = 0;
        std::size_t content_end = 0;
        char content_quote = '"';
    } meta;
    struct Link {
        bool style_sheet = false;
        bool default_type = false;
        bool keep = true;
        bool obsolete_relation = false;
        bool relation_given = false;   // rel
        bool made_by = false;          // rev="made"
        bool other_meaning = false;    // itemprop or property
    } link;
    DeferredBuffer link_relation;
    // The character set declaration was decided (by the first content-type
    // meta with a charset); later ones are ignored.
    bool charset_declared = false;
    // The page is in UTF-8 (or ASCII, or declares nothing): characters that
    // references in converted values stand for may be written as UTF-8.
    bool page_in_utf8 = true;
    bool body_seen = false;
    // The html start tag had lang or xml:lang: a Content-Language meta then
    // gives it none.
    bool html_lang_given = false;
    // The internal subset of the DOCTYPE as it is read; the rest of the page
    // with its entities expanded, and its reader, which then replaces the
    // page's.
    std::string internal_subset;
    std::string expanded_page;
    std::optional<TextReader> expanded_reader;
};

// Obsolete elements being replaced: their old and new names, for a renamed
// element whether compact is deleted (else refused), the fixed-class element
// whose start tag is being read, and a font's face value.
struct ObsoleteState {
    const char* old_element = "";
    const char* new_element = "";
    bool compact_allowed = false;
    FixedElement fixed = FixedElement::big;
    DeferredBuffer font_face;
};

// Forms: the open form and the accept list it hands to its file inputs; the
// input being read; whether a border value belongs to an img (else an object).
struct FormState {
    bool form_open = false;
    std::optional<std::string> form_accept;
    DeferredBuffer accept_value;
    DeferredBuffer input_type;
    bool is_file_input = false;
    bool input_has_accept = false;
    bool border_is_image = false;
};

// The outer sides of a table that frame keeps, and the borders that rules
// draws between its cells (inset: those of a bordered table without rules).
enum class TableFrame { void_sides, above, below, hsides, vsides, lhs, rhs, box };
enum class TableRules { none, groups, rows, cols, all, inset };

// A table start tag: which attributes were converted and what they say about
// its borders; and whether the cell being read is a header cell.
struct TableState {
    struct StartTag {
        bool border_seen = false;
        bool border_zero = true;
        bool frame_seen = false;
        bool border_after_frame = false;  // the border width wins over frame's thin one
        std::optional<TableFrame> frame;  // nullopt: no frame, or frame=""
        bool rules_seen = false;
        std::optional<TableRules> rules = TableRules::none;  // nullopt: rules=""
        bool align_seen = false;
        bool spacing_seen = false;
        bool padding_seen = false;
    } tag;
    bool header_cell = false;
};

// An hr's colour and noshade decide its border and background at the end of
// its start tag: a colour wins over noshade's grey.
struct HrState {
    bool colour_given = false;
    bool noshade = false;
};

class Document {
public:
    static constexpr std::size_t echo_stack_limit = 7;

    Document(const ConversionOptions& options, Diagnostics& diagnostics)
        : options(options), diagnostics(diagnostics), styles(options, diagnostics),
          states(diagnostics) {}

    // Per-document start and end: empty output, empty style text, fresh
    // class names. The input's size, when known, lets the buffers reserve
    // their room at once.
    void begin(std::uint64_t input_size = 0);
    void end();

    // The echo stack: where processing instructions and server includes go
    // while a tag or value is being collected.
    void push_echo(DeferredBuffer& buffer);
    void pop_echo();
    std::size_t echo_depth() const { return echo_depth_; }
    void suppress_echo() { echo_suppressed_ = true; }
    void resume_echo() { echo_suppressed_ = false; }
    bool echo_suppressed() const { return echo_suppressed_; }

    // Drops the text while echo is suppressed, appends it to the echo
    // destination when there is one; false when neither applies and the
    // caller must write it to the output.
    bool echo_text(std::string_view text);
    // echo_text, falling back to the output buffer.
    void echo_or_output(std::string_view text) {
        if (!echo_text(text)) out.append(text);
    }

    // The identifier capture: server code inside an id value is kept in
    // id_value too.
    void set_identifier_capture(bool on) { identifier_capture_ = on; }

    // The quote that opened the value being read.
    void save_quote(char quote) { saved_quote_ = quote; }
    bool is_saved_quote(char c) const { return c == saved_quote_; }

    // The per-element reset.
    void begin_element() { element.begin_element(); }

    const ConversionOptions& options;
    Diagnostics& diagnostics;
    OutputBuffer out;
    StyleRegistry styles;
    ElementState element;
    // The start-condition stack: the scanner pushes the current condition
    // and switches to the new one itself.
    StateStack states;

    // What the final write needs: the texts it puts at the top of the head,
    // and whether a table footer was copied (it then runs the table pass).
    HeadTexts head;
    bool table_footer_seen = false;

    // The state of each rule family, changed by that family's functions.
    MarkupState markup;      // rule_actions: tag names, xml:lang, svg/math, CDATA
    ValueState value;        // rule_actions: the converted value being read
    HeadState head_tags;     // head_rules: meta, link, the character set, body
    ObsoleteState obsolete;  // element_rules: replaced and renamed elements, font
    FormState forms;         // form_rules: forms, inputs, img and object borders
    TableState tables;       // table_rules: the table start tag, cells
    HrState hr;              // table_rules: horizontal rules
    Framesets framesets;     // frameset_rules: open framesets, rows and cols

    // The document being read (set by rewrite_document), and the count of
    // its newlines for line numbers.
    TextReader* input = nullptr;
    struct LineCount {
        long newlines_read = 0;
        bool refilling = false;
        long unmatched_while_refilling = 0;
        long refills = 0;
        // The last count of unmatched newlines: from where, up to where, in
        // which refill. A later question in the same buffer counts only the
        // text matched since, so that many warnings cost no more than one
        // pass over the buffer.
        const char* memo_from = nullptr;
        const char* memo_end = nullptr;
        long memo_refills = -1;
        long memo_unmatched = 0;
    } lines;

private:
    char saved_quote_ = '"';
    std::array<DeferredBuffer*, echo_stack_limit> echo_stack_{};
    std::size_t echo_depth_ = 0;
    bool echo_suppressed_ = false;
    bool identifier_capture_ = false;
};

}  // namespace quorlix
