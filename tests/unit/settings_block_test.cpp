// The settings block is written by one process and read by another: every
// field must come back as it went in, next to fields that differ from it,
// and a block that is not this build's own is refused.
#include "settings_block/settings_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace quorlix {
namespace {

using Bytes = std::vector<unsigned char>;

template <typename T>
void set(Bytes& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// The switches in the order of their fields in the block.
using O = ConversionOptions;
constexpr bool O::*switches[] = {
    &O::warn_element_replaced, &O::warn_name_to_id,   &O::warn_frame_attribute, &O::warn_center_alignment,
    &O::warn_charset,          &O::verbose,           &O::drop_prev_next_links, &O::delete_img_border,
    &O::standard_css_only,     &O::delete_td_scope,   &O::move_viewport_meta,   &O::no_backup,
    &O::force,                 &O::dry_run,           &O::share_classes,        &O::author_css_wins,
    &O::to_utf8,
};

// Every switch differs from its neighbours, so that a field read from or
// written to a neighbour's place shows; flipped, every switch changes.
ConversionOptions distinct_options(bool on) {
    ConversionOptions o;
    for (std::size_t i = 0; i < std::size(switches); ++i) o.*switches[i] = (i % 2 == 0) == on;
    o.class_prefix = "site-";
    o.output_dir = "out/dir";
    o.extra_value = 0x1122334455667788;
    o.extra_int1 = -5;
    o.extra_int2 = 77;
    o.extra_data = {'x', 'y', 'z'};
    return o;
}

Bytes filled(const ConversionOptions& options, std::int64_t handle = 4242) {
    Bytes bytes(block::fixed_size + options.extra_data.size(), 0);
    block::fill(bytes, options, handle);
    return bytes;
}

TEST(SettingsBlock, EveryOptionRoundTripsBesideDifferingNeighbours) {
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        const ConversionOptions o = distinct_options(on);
        Bytes b = filled(o);
        block::store_pipe_handle(b, 19);
        const block::Contents c = block::read(b);
        const ConversionOptions& r = c.options;
        for (std::size_t i = 0; i < std::size(switches); ++i) EXPECT_EQ(r.*switches[i], o.*switches[i]) << i;
        EXPECT_EQ(r.class_prefix, o.class_prefix);
        EXPECT_EQ(r.output_dir, o.output_dir);
        EXPECT_EQ(r.extra_value, o.extra_value);
        EXPECT_EQ(r.extra_int1, o.extra_int1);
        EXPECT_EQ(r.extra_int2, o.extra_int2);
        EXPECT_EQ(r.extra_data, o.extra_data);
        EXPECT_EQ(c.pipe_handle, 19);
        EXPECT_TRUE(c.file_name.empty());
        EXPECT_FALSE(c.file_name_overflow || c.output_dir_overflow);
        EXPECT_TRUE(block::is_acceptable(b, 4242));
    }
}

TEST(SettingsBlock, TextFieldLimits) {
    // The class prefix is cut to 63 characters; longer paths are refused.
    for (std::size_t length : {0u, 1u, 63u, 64u, 70u}) {
        ConversionOptions o;
        o.class_prefix = std::string(length, 'c');
        EXPECT_EQ(block::read(filled(o)).options.class_prefix, std::string(std::min<std::size_t>(length, 63), 'c'));
    }
    for (std::size_t length : {0u, 259u, 260u, 400u}) {
        SCOPED_TRACE(length);
        ConversionOptions o;
        o.output_dir = std::string(length, 'd');
        block::Contents read = block::read(filled(o));
        EXPECT_EQ(read.output_dir_overflow, length > 259);
        if (length <= 259) {
            EXPECT_EQ(read.options.output_dir, o.output_dir);
        }

        Bytes b = filled(ConversionOptions{});
        ASSERT_TRUE(block::store_file_name(b, "first.html"));
        const std::string path(length == 0 ? 1 : length, 'p');
        const bool stored = block::store_file_name(b, path);
        EXPECT_EQ(stored, path.size() <= 259);
        EXPECT_EQ(block::read(b).file_name, stored ? path : "first.html");
        EXPECT_FALSE(block::read(b).file_name_overflow);
    }
    // Without their terminator the path fields count as overflow.
    Bytes b = filled(ConversionOptions{});
    std::memset(b.data() + block::at::file_name, 'f', block::path_field);
    EXPECT_TRUE(block::read(b).file_name_overflow);
    set<std::uint64_t>(b, block::at::output_dir_length, 5);
    std::memset(b.data() + block::at::output_dir, 'd', block::path_field);
    EXPECT_TRUE(block::read(b).output_dir_overflow);
}

TEST(SettingsBlock, TheOutputDirectoryChangesFromFileToFile) {
    Bytes b = filled(distinct_options(true));
    const struct {
        std::string dir;
        bool stored;
        std::string read;
    } steps[] = {
        {"out/news/2010", true, "out/news/2010"},
        {"", true, ""},
        {std::string(260, 'd'), false, ""},  // refused: the block keeps the last one
        {"out", true, "out"},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(block::store_output_dir(b, step.dir), step.stored);
        EXPECT_EQ(block::read(b).options.output_dir, step.read);
    }
}

TEST(SettingsBlock, HandleText) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const struct {
        const char* text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"123abc", 123}, {"  \t42", 42}, {"+7", 7}, {"-5", -5}, {"abc", 0}, {"", 0},
        {"9223372036854775807", max}, {"9223372036854775808", std::nullopt},
        {"-9223372036854775808", min}, {"-9223372036854775809", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(block::parse_handle(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(SettingsBlock, AcceptanceChecks) {
    struct Case {
        const char* name;
        void (*spoil)(Bytes&);
        bool accepted;
    };
    const Case cases[] = {
        {"as filled", [](Bytes&) {}, true},
        {"older version", [](Bytes& b) { set<std::int32_t>(b, block::at::version, block::format_version - 1); }, false},
        {"newer version", [](Bytes& b) { set<std::int32_t>(b, block::at::version, block::format_version + 1); }, false},
        {"another mapping handle", [](Bytes& b) { set<std::int64_t>(b, block::at::mapping_handle, 4243); }, false},
        {"wrong magic", [](Bytes& b) { b[3] = 'c'; }, false},
        {"total size below 8", [](Bytes& b) { set<std::uint64_t>(b, block::at::total_size, 7); }, false},
        {"extra data past the region", [](Bytes& b) { set<std::uint64_t>(b, block::at::extra_size, 4); }, false},
        {"extra data up to the region's end", [](Bytes& b) { set<std::uint64_t>(b, block::at::extra_size, 3); }, true},
        {"a region smaller than the block", [](Bytes& b) { b.resize(block::fixed_size - 1); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionOptions o;
        o.extra_data = {1, 2, 3};
        Bytes b = filled(o, 4242);
        c.spoil(b);
        EXPECT_EQ(block::is_acceptable(b, 4242), c.accepted);
    }
}

}  // namespace
}  // namespace quorlix
