#include "layout/frameset.h"

namespace quorlix {

SizeMix SizeList::mix() const {
    if (mix_) return *mix_;
    using enum SizeMix;
    if (entries_.size() < 2) return *(mix_ = one_kind);
    // Rows: the table chosen by the first entry's kind, then "mixed fixed";
    // columns: the next entry's kind.
    static constexpr SizeMix tables[4][3] = {
        {one_kind, fixed, relative},  // first entry pixels
        {fixed, one_kind, relative},  // first entry percent
        {relative, relative, one_kind},  // first entry relative
        {fixed, fixed, relative},     // mixed fixed
    };
    int table = static_cast<int>(entries_[0].kind);
    SizeMix result = one_kind;
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        result = tables[table][static_cast<int>(entries_[i].kind)];
        if (result == relative) break;
        if (result == fixed) table = 3;
    }
    return *(mix_ = result);
}

namespace {

std::string with_unit(const SizeEntry& e) {
    return e.text + (e.kind == SizeKind::percent ? "%" : "px");
}

// The texts of the entries that pass the filter, each shaped, joined.
template <typename Filter, typename Shape>
std::string join(const std::vector<SizeEntry>& entries, const char* separator, Filter keep,
                 Shape shape) {
    std::string result;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!keep(i)) continue;
        if (!result.empty()) result += separator;
        result += shape(entries[i]);
    }
    return result;
}

}  // namespace

std::string SizeList::formula(std::size_t i) const {
    const SizeEntry& x = entries_[i];
    auto text = [](const SizeEntry& e) { return e.text; };
    switch (mix()) {
        case SizeMix::one_kind:
            if (entries_.size() < 2) return "100%";
            return "calc((" + x.text + " / (" +
                   join(entries_, " + ", [](std::size_t) { return true; }, text) + ")) * 100%)";
        case SizeMix::fixed:
            if (x.kind == SizeKind::pixels) return x.text + "px";
            return "calc((100% - " +
                   join(entries_, " - ",
                        [&](std::size_t j) { return j != i && entries_[j].kind == SizeKind::pixels; },
                        with_unit) +
                   ") * (" + x.text + " / (" +
                   join(entries_, " + ",
                        [&](std::size_t j) { return entries_[j].kind == SizeKind::percent; }, text) +
                   ")))";
        case SizeMix::relative: break;
    }
    // Relative sizes mixed with fixed ones.
    if (x.kind != SizeKind::relative) return with_unit(x);
    return "calc(((100% - " +
           join(entries_, " - ",
                [&](std::size_t j) { return j != i && entries_[j].kind != SizeKind::relative; },
                with_unit) +
           ") / (" +
           join(entries_, " + ",
                [&](std::size_t j) { return entries_[j].kind == SizeKind::relative; }, text) +
           ")) * " + x.text + ")";
}

}  // namespace quorlix
