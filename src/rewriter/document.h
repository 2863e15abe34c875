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
#include "platform/text_stream.h"
#include "styles/style_registry.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

class Document {
public:
    static constexpr std::size_t echo_stack_limit = 7;
    static constexpr std::size_t state_stack_step = 25;

    Document(const ConversionOptions& options, Diagnostics& diagnostics)
        : options(options), diagnostics(diagnostics), styles(options, diagnostics) {}

    // Per-document start and end: empty output, empty style text, fresh
    // class names. The input's size, when known, lets the buffers reserve
    // their room at once.
    void begin(std::uint64_t input_size = 0);
    void end();

    // The start-condition stack. push_state returns nothing: the scanner
    // switches to the new condition itself.
    void push_state(int current_condition);
    int pop_state();
    std::size_t state_depth() const { return state_stack_.size(); }
    std::size_t state_capacity() const { return state_stack_.capacity(); }

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
    void save_quote(char quote) { saved_quote = quote; }
    bool is_saved_quote(char c) const { return c == saved_quote; }

    // The per-element reset.
    void begin_element() { element.begin_element(); }

    const ConversionOptions& options;
    Diagnostics& diagnostics;
    OutputBuffer out;
    StyleRegistry styles;
    ElementState element;

    // Texts that the final write puts at the top of the head.
    HeadTexts head;
    // A table footer was copied: the final write runs the table section pass.
    bool table_footer_seen = false;

    // Document-wide buffers of the rule families.
    DeferredBuffer link_relation;
    DeferredBuffer font_face;
    DeferredBuffer form_accept_buffer;

    // Document-wide flags.
    bool body_seen = false;
    bool cell_alignment = false;
    bool is_header_cell = false;
    // The character set declaration was decided (by the first content-type
    // meta with a charset); later ones are ignored.
    bool charset_declared = false;
    // The page is in UTF-8 (or ASCII, or declares nothing): characters that
    // references in converted values stand for may be written as UTF-8.
    bool page_in_utf8 = true;

    // The attribute whose value is being read, for messages, and what a
    // converted value turns into.
    const char* value_attribute = "";
    const char* value_property = "";
    // A colour value becomes a rule of its own when it has a selector.
    const char* color_selector = nullptr;
    // A background or face value as it goes into the element's CSS.
    std::string css_value;

    // meta and link tags being rebuilt.
    struct MetaFlags {
        bool content_type = false;
        bool viewport = false;
        bool keep = true;
    } meta;
    struct LinkFlags {
        bool style_sheet = false;
        bool default_type = false;
        bool keep = true;
        bool obsolete_relation = false;
        bool relation_given = false;   // rel
        bool made_by = false;          // rev="made"
        bool other_meaning = false;    // itemprop or property
    } link;

    // A table start tag: which attributes were converted and what they say
    // about its borders.
    struct TableFlags {
        bool border_seen = false;
        bool border_zero = true;
        bool outer_sides_seen = false;
        int outer_sides_code = 0;
        bool rules_seen = false;
        int rules_code = 0;
        bool align_seen = false;
        bool spacing_seen = false;
        bool padding_seen = false;
    } table;
    // A colour value of bordercolor goes to the table and its cells and groups.
    bool color_spreads_to_table = false;
    // An hr whose colour was given: noshade adds no grey.
    bool hr_colour_given = false;

    // Forms: the open form and the accept list it hands to its file inputs.
    bool form_open = false;
    std::optional<std::string> form_accept;
    bool is_file_input = false;
    bool input_has_accept = false;
    // A border value belongs to an img (else to an object).
    bool border_is_image = false;

    // Open framesets and the rows and cols lists being read.
    Framesets framesets;

    // An obsolete element being replaced: its old and new names, and for a
    // renamed element whether compact is deleted (else refused).
    const char* old_element = "";
    const char* new_element = "";
    bool compact_allowed = false;

    char saved_quote = '"';

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
    std::vector<int> state_stack_;
    std::array<DeferredBuffer*, echo_stack_limit> echo_stack_{};
    std::size_t echo_depth_ = 0;
    bool echo_suppressed_ = false;
    bool identifier_capture_ = false;
};

}  // namespace quorlix
