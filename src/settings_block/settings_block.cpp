#include "settings_block/settings_block.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quorlix::block {

namespace {

template <typename T>
void put(std::span<unsigned char> block, std::size_t offset, T value) {
    std::memcpy(block.data() + offset, &value, sizeof value);
}

template <typename T>
T get(std::span<const unsigned char> block, std::size_t offset) {
    T value;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

void put_flag(std::span<unsigned char> block, std::size_t offset, bool on) {
    put<std::int32_t>(block, offset, on ? 1 : 0);
}

bool get_flag(std::span<const unsigned char> block, std::size_t offset) {
    return get<std::int32_t>(block, offset) != 0;
}

// The text of a NUL-terminated field; none when the field holds no NUL.
std::optional<std::string> get_text(std::span<const unsigned char> block, std::size_t offset,
                                    std::size_t field) {
    const unsigned char* begin = block.data() + offset;
    const unsigned char* end = std::find(begin, begin + field, '\0');
    if (end == begin + field) return std::nullopt;
    return std::string(begin, end);
}

// The switches of the options that are an int32 each, 1 or 0: fill and
// read both walk this table.
struct FlagField {
    std::size_t offset;
    bool ConversionOptions::*option;
};

constexpr FlagField flag_fields[] = {
    {at::warn_element_replaced, &ConversionOptions::warn_element_replaced},
    {at::warn_name_to_id, &ConversionOptions::warn_name_to_id},
    {at::warn_frame_attribute, &ConversionOptions::warn_frame_attribute},
    {at::warn_center_alignment, &ConversionOptions::warn_center_alignment},
    {at::warn_charset, &ConversionOptions::warn_charset},
    {at::verbose, &ConversionOptions::verbose},
    {at::drop_prev_next_links, &ConversionOptions::drop_prev_next_links},
    {at::delete_img_border, &ConversionOptions::delete_img_border},
    {at::standard_css_only, &ConversionOptions::standard_css_only},
    {at::delete_td_scope, &ConversionOptions::delete_td_scope},
    {at::move_viewport_meta, &ConversionOptions::move_viewport_meta},
    {at::no_backup, &ConversionOptions::no_backup},
};

// The bits of the run_switches word.
struct SwitchBit {
    std::uint32_t bit;
    bool ConversionOptions::*option;
};

constexpr SwitchBit switch_bits[] = {
    {switch_force, &ConversionOptions::force},
    {switch_dry_run, &ConversionOptions::dry_run},
    {switch_share_classes, &ConversionOptions::share_classes},
    {switch_author_css_wins, &ConversionOptions::author_css_wins},
    {switch_to_utf8, &ConversionOptions::to_utf8},
};

}  // namespace

void fill(std::span<unsigned char> block, const ConversionOptions& options,
          std::int64_t mapping_handle) {
    const std::uint64_t extra_size = options.extra_data.size();
    std::memcpy(block.data() + at::magic, magic, sizeof magic);
    put<std::int32_t>(block, at::version, format_version);
    put<std::uint64_t>(block, at::total_size, fixed_size + extra_size);
    put<std::int64_t>(block, at::mapping_handle, mapping_handle);

    for (const FlagField& field : flag_fields) put_flag(block, field.offset, options.*field.option);
    std::uint32_t switches = 0;
    for (const SwitchBit& s : switch_bits) {
        if (options.*s.option) switches |= s.bit;
    }
    put<std::uint32_t>(block, at::run_switches, switches);

    // A prefix longer than the field arrives cut to the longest one.
    std::size_t prefix = std::min(options.class_prefix.size(), class_prefix_field - 1);
    std::memcpy(block.data() + at::class_prefix, options.class_prefix.data(), prefix);
    block[at::class_prefix + prefix] = '\0';
    block[at::class_prefix + class_prefix_field - 1] = '\0';

    const std::size_t dir_length = options.output_dir.size();
    put<std::uint64_t>(block, at::output_dir_length, dir_length);
    block[at::output_dir] = '\0';
    put<std::int32_t>(block, at::output_dir_overflow, 0);
    if (dir_length >= path_field) {
        put<std::int32_t>(block, at::output_dir_overflow, 1);
    } else if (dir_length > 0) {
        std::memcpy(block.data() + at::output_dir, options.output_dir.c_str(), dir_length + 1);
    }

    put<std::int64_t>(block, at::pipe_handle, -1);
    block[at::file_name] = '\0';
    put<std::int32_t>(block, at::file_name_overflow, 0);
    put<std::int32_t>(block, at::redirect_result, 0);

    put<std::uint64_t>(block, at::extra_size, extra_size);
    put<std::int64_t>(block, at::extra_value, options.extra_value);
    put<std::int32_t>(block, at::extra_int1, options.extra_int1);
    put<std::int32_t>(block, at::extra_int2, options.extra_int2);
    if (extra_size > 0) {
        std::memcpy(block.data() + at::extra_data, options.extra_data.data(), extra_size);
    }
}

bool store_file_name(std::span<unsigned char> block, std::string_view path) {
    if (path.size() >= path_field) return false;
    std::memcpy(block.data() + at::file_name, path.data(), path.size());
    block[at::file_name + path.size()] = '\0';
    return true;
}

bool store_output_dir(std::span<unsigned char> block, std::string_view path) {
    if (path.size() >= path_field) return false;
    put<std::uint64_t>(block, at::output_dir_length, path.size());
    std::memcpy(block.data() + at::output_dir, path.data(), path.size());
    block[at::output_dir + path.size()] = '\0';
    put<std::int32_t>(block, at::output_dir_overflow, 0);
    return true;
}

void store_pipe_handle(std::span<unsigned char> block, std::int64_t handle) {
    put<std::int64_t>(block, at::pipe_handle, handle);
}

std::int64_t pipe_handle(std::span<const unsigned char> block) {
    return get<std::int64_t>(block, at::pipe_handle);
}

std::int32_t redirect_result(std::span<const unsigned char> block) {
    return get<std::int32_t>(block, at::redirect_result);
}

void store_redirect_result(std::span<unsigned char> block, std::int32_t result) {
    put<std::int32_t>(block, at::redirect_result, result);
}

std::optional<std::int64_t> parse_handle(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate as a negative number so that the smallest value fits.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value < (lowest + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative) return value;
    if (value == lowest) return std::nullopt;
    return -value;
}

bool is_acceptable(std::span<const unsigned char> region, std::int64_t handle) {
    if (region.size() < fixed_size) return false;
    if (std::memcmp(region.data() + at::magic, magic, sizeof magic) != 0) return false;
    if (get<std::int32_t>(region, at::version) != format_version) return false;
    if (get<std::uint64_t>(region, at::total_size) < 8) return false;
    if (get<std::int64_t>(region, at::mapping_handle) != handle) return false;
    // The extra data must lie inside what is mapped.
    return get<std::uint64_t>(region, at::extra_size) <= region.size() - fixed_size;
}

Contents read(std::span<const unsigned char> region) {
    Contents c;
    ConversionOptions& o = c.options;
    for (const FlagField& field : flag_fields) o.*field.option = get_flag(region, field.offset);
    const auto switches = get<std::uint32_t>(region, at::run_switches);
    for (const SwitchBit& s : switch_bits) o.*s.option = (switches & s.bit) != 0;
    c.pipe_handle = get<std::int64_t>(region, at::pipe_handle);

    const unsigned char* prefix = region.data() + at::class_prefix;
    o.class_prefix.assign(prefix, std::find(prefix, prefix + class_prefix_field - 1, '\0'));

    // A path field without its NUL did not fit either.
    if (get<std::uint64_t>(region, at::output_dir_length) != 0) {
        auto dir = get_text(region, at::output_dir, path_field);
        c.output_dir_overflow = get_flag(region, at::output_dir_overflow) || !dir;
        if (dir) o.output_dir = std::move(*dir);
    }
    if (region[at::file_name] != '\0') {
        auto name = get_text(region, at::file_name, path_field);
        c.file_name_overflow = get_flag(region, at::file_name_overflow) || !name;
        if (name) c.file_name = std::move(*name);
    }

    const std::uint64_t extra_size = get<std::uint64_t>(region, at::extra_size);
    o.extra_value = get<std::int64_t>(region, at::extra_value);
    o.extra_int1 = get<std::int32_t>(region, at::extra_int1);
    o.extra_int2 = get<std::int32_t>(region, at::extra_int2);
    const unsigned char* extra = region.data() + at::extra_data;
    o.extra_data.assign(extra, extra + extra_size);
    return c;
}

}  // namespace quorlix::block

namespace quorlix {

std::optional<SettingsBlock> SettingsBlock::create(const ConversionOptions& options) {
    const std::size_t size = block::fixed_size + options.extra_data.size();
    auto memory = platform::SharedMemory::create(size);
    if (!memory) return std::nullopt;
    SettingsBlock settings(std::move(*memory), size);
    block::fill(settings.bytes(), options, settings.handle());
    return settings;
}

}  // namespace quorlix
