// The settings block: the record through which the supervisor hands one
// conversion job to each converter process. A fixed part of 720 bytes in
// native byte order, followed by extra_size bytes of extra data, in shared
// memory that the converter process inherits. One block serves a whole run;
// before each launch only file_name and pipe_handle change.
#pragma once

#include "base/options.h"
#include "platform/process.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorlix::block {

inline constexpr std::size_t fixed_size = 720;
inline constexpr std::int32_t format_version = 10;
inline constexpr char magic[4] = {'t', 'a', 'm', 'b'};

// Byte offsets of the fields.
namespace at {
inline constexpr std::size_t magic = 0;
inline constexpr std::size_t version = 4;
inline constexpr std::size_t total_size = 8;
inline constexpr std::size_t mapping_handle = 16;
inline constexpr std::size_t warn_element_replaced = 24;
inline constexpr std::size_t warn_name_to_id = 28;
inline constexpr std::size_t warn_frame_attribute = 32;
inline constexpr std::size_t warn_center_alignment = 36;
inline constexpr std::size_t warn_charset = 40;
inline constexpr std::size_t verbose = 44;
// Switches of the command line that the wizard never sets (zero there):
// bit 0 force, bit 1 dry run, bit 2 shared classes, bit 3 author CSS wins,
// bit 4 transcoding to UTF-8.
inline constexpr std::size_t run_switches = 48;
inline constexpr std::size_t class_prefix = 52;
inline constexpr std::size_t drop_prev_next_links = 116;
inline constexpr std::size_t delete_img_border = 120;
inline constexpr std::size_t standard_css_only = 124;
inline constexpr std::size_t delete_td_scope = 128;
inline constexpr std::size_t move_viewport_meta = 132;
inline constexpr std::size_t no_backup = 136;
inline constexpr std::size_t output_dir_length = 144;
inline constexpr std::size_t output_dir = 152;
inline constexpr std::size_t output_dir_overflow = 412;
inline constexpr std::size_t file_name = 416;
inline constexpr std::size_t file_name_overflow = 676;
inline constexpr std::size_t pipe_handle = 680;
inline constexpr std::size_t redirect_result = 688;
inline constexpr std::size_t extra_size = 696;
inline constexpr std::size_t extra_value = 704;
inline constexpr std::size_t extra_int1 = 712;
inline constexpr std::size_t extra_int2 = 716;
inline constexpr std::size_t extra_data = 720;
}  // namespace at

inline constexpr std::uint32_t switch_force = 1;
inline constexpr std::uint32_t switch_dry_run = 2;
inline constexpr std::uint32_t switch_share_classes = 4;
inline constexpr std::uint32_t switch_author_css_wins = 8;
inline constexpr std::uint32_t switch_to_utf8 = 16;

// The longest prefix and its NUL.
inline constexpr std::size_t class_prefix_field = max_class_prefix_length + 1;
inline constexpr std::size_t path_field = 260;         // 259 characters and the NUL

// Writes a new job into zero-filled memory of at least fixed_size plus the
// extra data's size: header, options, no file, no pipe.
void fill(std::span<unsigned char> block, const ConversionOptions& options,
          std::int64_t mapping_handle);

// Stores the path of the next file; false (block unchanged) when it has 260
// characters or more.
bool store_file_name(std::span<unsigned char> block, std::string_view path);
void store_pipe_handle(std::span<unsigned char> block, std::int64_t handle);
// Stores the output directory of the next file; false (block unchanged) when
// it has 260 characters or more. Empty: in place.
bool store_output_dir(std::span<unsigned char> block, std::string_view path);
std::int64_t pipe_handle(std::span<const unsigned char> block);
std::int32_t redirect_result(std::span<const unsigned char> block);
void store_redirect_result(std::span<unsigned char> block, std::int32_t result);

// The handle text of a converter's command line: a signed decimal number
// after optional blanks and a sign, anything after the digits ignored. Text
// without digits reads as 0; a number out of range is refused.
std::optional<std::int64_t> parse_handle(std::string_view text);

// The checks of a mapped block before anything in it is trusted: magic,
// version, sizes and the handle it was created with. The span is the whole
// mapped region, so a block whose extra data would lie beyond it is refused.
bool is_acceptable(std::span<const unsigned char> region, std::int64_t handle);

// What a converter process takes from an accepted block.
struct Contents {
    ConversionOptions options;
    std::int64_t pipe_handle = -1;
    bool output_dir_overflow = false;  // an output directory that did not fit
    bool file_name_overflow = false;   // a file name that did not fit
    std::string file_name;             // empty when the block names no file
};
Contents read(std::span<const unsigned char> region);

}  // namespace quorlix::block

namespace quorlix {

// The supervisor's block for one run: created once, rewritten per file,
// unmapped and closed when it goes.
class SettingsBlock {
public:
    // None when the shared memory cannot be created.
    static std::optional<SettingsBlock> create(const ConversionOptions& options);

    std::int64_t handle() const { return memory_.handle(); }
    bool set_file(std::string_view path) { return block::store_file_name(bytes(), path); }
    void set_pipe(std::int64_t handle) { block::store_pipe_handle(bytes(), handle); }
    bool set_output_dir(std::string_view path) { return block::store_output_dir(bytes(), path); }
    std::int32_t redirect_result() const { return block::redirect_result(bytes()); }

    std::span<unsigned char> bytes() const { return {memory_.data(), size_}; }

private:
    SettingsBlock(platform::SharedMemory memory, std::size_t size)
        : memory_(std::move(memory)), size_(size) {}

    platform::SharedMemory memory_;
    std::size_t size_;
};

}  // namespace quorlix
