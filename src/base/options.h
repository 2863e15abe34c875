// The options of one conversion job. The command line and the wizard fill
// them; a converter process loads them from its settings block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorlix {

struct ConversionOptions {
    // Warnings, each switched off on its own.
    bool warn_element_replaced = true;
    bool warn_name_to_id = true;
    bool warn_frame_attribute = true;
    bool warn_center_alignment = true;
    bool warn_charset = true;
    // Per-file progress lines and the run's summary line.
    bool verbose = true;

    // Prefix of generated class names; empty means the default "quorlix_".
    std::string class_prefix;

    bool drop_prev_next_links = false;
    bool delete_img_border = false;
    bool standard_css_only = false;
    bool delete_td_scope = false;
    bool move_viewport_meta = false;
    // Elements whose generated declarations are identical share one
    // generated class.
    bool share_classes = false;
    // Generated rules have zero specificity (:where), so that the page's own
    // style sheets override them as they overrode the presentational
    // attributes.
    bool author_css_wins = false;
    // A page declared in a legacy encoding is transcoded to UTF-8.
    bool to_utf8 = false;
    bool no_backup = false;

    // Convert a page even when it is HTML5 already.
    bool force = false;
    // Convert and report as usual, but change nothing on the disk.
    bool dry_run = false;

    // Write converted files into this directory instead of in place; empty
    // means in place.
    std::string output_dir;

    // Extra data carried through the settings block untouched.
    std::int64_t extra_value = 0;
    std::int32_t extra_int1 = 0;
    std::int32_t extra_int2 = 0;
    std::vector<char> extra_data;
};

inline constexpr const char* default_class_prefix = "quorlix_";

// The longest class prefix, in bytes: what the command line accepts and the
// settings block carries.
inline constexpr std::size_t max_class_prefix_length = 63;

}  // namespace quorlix
