// Frameset rules: a frameset's start tag, its rows and cols lists, its frames
// and nested framesets become the div layout of layout/frameset.h; iframes
// lose their frameborder.
#pragma once

#include "rewriter/document.h"

#include <string_view>

namespace quorlix {

namespace rules {

void begin_frameset(Document& d);
void begin_size_list(Document& d, std::string_view text, bool rows);
void add_size(Document& d, SizeKind kind, std::string_view text);
void size_separator(Document& d);
void end_size_list(Document& d, std::string_view quote);
void build_frameset_layout(Document& d);
void end_frameset(Document& d);

void begin_frame(Document& d);
// frameborder: true when this is the first one (its value is then read).
bool frame_border_attribute(Document& d, std::string_view text);
void frame_border(Document& d, std::string_view text, bool on);
void frame_obsolete_attribute(Document& d, std::string_view text, const char* element);
void end_frame(Document& d);

void begin_iframe(Document& d, std::string_view text);
void iframe_border(Document& d, std::string_view text, bool on);

}  // namespace rules
}  // namespace quorlix
