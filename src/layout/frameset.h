// Framesets become div layouts: each frameset a div, its rows and columns
// divs sized with calc() expressions, each frame an iframe filling its div,
// with 2-pixel separators imitating the borders between neighbouring frames.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

enum class SizeKind { pixels = 0, percent = 1, relative = 2 };

// How the kinds of a list's entries mix: all of one kind; pixels and
// percentages; relative sizes with fixed ones.
enum class SizeMix { one_kind, fixed, relative };

struct SizeEntry {
    SizeKind kind;
    std::string text;  // the number as written, without its unit
};

// A rows or cols list of a frameset start tag.
class SizeList {
public:
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    void clear() {
        entries_.clear();
        mix_.reset();
    }
    void add(SizeKind kind, std::string text) {
        entries_.push_back({kind, std::move(text)});
        mix_.reset();
    }
    const std::vector<SizeEntry>& entries() const { return entries_; }

    SizeMix mix() const;
    // The CSS size of entry i.
    std::string formula(std::size_t i) const;

private:
    std::vector<SizeEntry> entries_;
    mutable std::optional<SizeMix> mix_;
};

struct CellBorders {
    bool top = false;
    bool left = false;
};

// One open frameset: its layout items (row wrappers and cells) and the
// border pairs of its cells, consumed in order by frames, nested framesets
// and the structural writes.
struct FramesetRecord {
    std::vector<std::optional<std::string>> item_class;  // none: a row close item
    std::vector<bool> item_is_structural;
    std::size_t next_item = 0;
    std::vector<CellBorders> cell_borders;
    std::size_t next_cell = 0;
    bool row_open = false;  // a row wrapper was written and not closed yet
};

// The frameset state of a document.
struct Framesets {
    std::vector<FramesetRecord> stack;  // innermost last
    SizeList rows, cols;
    SizeList* current_list = nullptr;   // the list being read
    bool entry_ended = false;           // the list wants a comma before the next entry
    CellBorders frame_borders;          // of the frame being read
    bool frameborder_seen = false;
};

}  // namespace quorlix
