#include "settings_block/settings_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace quorlix {
namespace {

using Bytes = std::vector<unsigned char>;

template <typename T>
T at(const Bytes& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <typename T>
void set(Bytes& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

std::string text_at(const Bytes& bytes, std::size_t offset) {
    return reinterpret_cast<const char*>(bytes.data() + offset);
}

// Options in which every switch differs from its neighbours, so that a
// field written at the wrong offset shows; flipped, every switch changes.
ConversionOptions distinct_options(bool flipped = false) {
    ConversionOptions o;
    bool on = !flipped;
    o.warn_element_replaced = on;
    o.warn_name_to_id = !on;
    o.warn_frame_attribute = on;
    o.warn_center_alignment = !on;
    o.warn_charset = on;
    o.verbose = !on;
    o.class_prefix = "site-";
    o.drop_prev_next_links = on;
    o.delete_img_border = !on;
    o.standard_css_only = on;
    o.delete_td_scope = !on;
    o.move_viewport_meta = on;
    o.no_backup = !on;
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

TEST(SettingsBlock, EveryFieldIsAtItsOffset) {
    Bytes b = filled(distinct_options());
    Bytes flipped = filled(distinct_options(true));
    for (std::size_t offset = 24; offset <= 136; offset += 4) {
        if (offset == 48) offset = 116;  // the reserved word and the class prefix
        EXPECT_EQ(at<std::int32_t>(flipped, offset), 1 - at<std::int32_t>(b, offset)) << offset;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 4), "tamb");
    struct Int32Field {
        std::size_t offset;
        std::int32_t expected;
    };
    const Int32Field int32_fields[] = {
        {4, 10},  {24, 1}, {28, 0},  {32, 1},  {36, 0},  {40, 1},  {44, 0},
        {48, 0},  {116, 1}, {120, 0}, {124, 1}, {128, 0}, {132, 1}, {136, 0},
        {140, 0}, {412, 0}, {676, 0}, {688, 0}, {692, 0}, {712, -5}, {716, 77},
    };
    for (const auto& f : int32_fields) {
        EXPECT_EQ(at<std::int32_t>(b, f.offset), f.expected) << "offset " << f.offset;
    }
    EXPECT_EQ(at<std::uint64_t>(b, 8), 723u);
    EXPECT_EQ(at<std::int64_t>(b, 16), 4242);
    EXPECT_EQ(text_at(b, 52), "site-");
    EXPECT_EQ(at<std::uint64_t>(b, 144), 7u);
    EXPECT_EQ(text_at(b, 152), "out/dir");
    EXPECT_EQ(text_at(b, 416), "");
    EXPECT_EQ(at<std::int64_t>(b, 680), -1);
    EXPECT_EQ(at<std::uint64_t>(b, 696), 3u);
    EXPECT_EQ(at<std::int64_t>(b, 704), 0x1122334455667788);
    EXPECT_EQ(std::string(b.begin() + 720, b.end()), "xyz");
}

TEST(SettingsBlock, TheDefaultsMakeABlockOfExactly720Bytes) {
    Bytes b = filled(ConversionOptions{});
    EXPECT_EQ(b.size(), 720u);
    EXPECT_EQ(at<std::uint64_t>(b, 8), 720u);
    EXPECT_EQ(at<std::uint64_t>(b, 696), 0u);
    EXPECT_EQ(b[52], 0);
    EXPECT_EQ(at<std::int32_t>(b, 44), 1);
}

TEST(SettingsBlock, ClassPrefixLimit) {
    const struct {
        std::size_t length;
        std::size_t arrives;
    } cases[] = {{0, 0}, {1, 1}, {63, 63}, {64, 63}, {70, 63}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        ConversionOptions o;
        for (std::size_t i = 0; i < c.length; ++i) o.class_prefix += static_cast<char>('a' + i % 26);
        Bytes b = filled(o);
        EXPECT_EQ(text_at(b, 52), o.class_prefix.substr(0, c.arrives));
        EXPECT_EQ(b[115], 0);
        EXPECT_EQ(block::read(b).options.class_prefix, o.class_prefix.substr(0, c.arrives));
    }
}

TEST(SettingsBlock, OutputDirectoryLimit) {
    const struct {
        std::size_t length;
        bool overflow;
    } cases[] = {{0, false}, {259, false}, {260, true}, {400, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        ConversionOptions o;
        o.output_dir = std::string(c.length, 'd');
        Bytes b = filled(o);
        EXPECT_EQ(at<std::uint64_t>(b, 144), c.length);
        EXPECT_EQ(at<std::int32_t>(b, 412), c.overflow ? 1 : 0);
        block::Contents read = block::read(b);
        EXPECT_EQ(read.output_dir_overflow, c.overflow);
        if (!c.overflow) {
            EXPECT_EQ(read.options.output_dir, o.output_dir);
        }
    }
}

TEST(SettingsBlock, TheOutputDirectoryChangesFromFileToFile) {
    Bytes b = filled(distinct_options());
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
        SCOPED_TRACE(step.dir.size());
        EXPECT_EQ(block::store_output_dir(b, step.dir), step.stored);
        block::Contents c = block::read(b);
        EXPECT_EQ(c.options.output_dir, step.read);
        EXPECT_FALSE(c.output_dir_overflow);
    }
}

TEST(SettingsBlock, TheCommandLineSwitchesUseAWordTheWizardLeavesZero) {
    const struct {
        bool force, dry_run, share_classes;
        std::uint32_t word;
    } cases[] = {{false, false, false, 0}, {true, false, false, 1}, {false, true, false, 2},
                 {true, true, false, 3},   {false, false, true, 4},  {true, false, true, 5}};
    for (const auto& c : cases) {
        ConversionOptions o;
        o.force = c.force;
        o.dry_run = c.dry_run;
        o.share_classes = c.share_classes;
        Bytes b = filled(o);
        EXPECT_EQ(at<std::uint32_t>(b, 48), c.word);
        block::Contents read = block::read(b);
        EXPECT_EQ(read.options.force, c.force);
        EXPECT_EQ(read.options.dry_run, c.dry_run);
        EXPECT_EQ(read.options.share_classes, c.share_classes);
    }
}

TEST(SettingsBlock, AnOutputDirectoryOfLengthZeroIsNoneWhateverTheText) {
    Bytes b = filled(ConversionOptions{});
    std::memcpy(b.data() + 152, "left/over", 10);
    EXPECT_EQ(block::read(b).options.output_dir, "");
}

TEST(SettingsBlock, FileNameLimit) {
    for (std::size_t length : {1u, 259u, 260u, 300u}) {
        SCOPED_TRACE(length);
        Bytes b = filled(ConversionOptions{});
        ASSERT_TRUE(block::store_file_name(b, "first.html"));
        std::string path(length, 'p');
        bool stored = block::store_file_name(b, path);
        EXPECT_EQ(stored, length <= 259);
        EXPECT_EQ(block::read(b).file_name, stored ? path : "first.html");
        EXPECT_EQ(at<std::int32_t>(b, 676), 0);
    }
}

TEST(SettingsBlock, PathFieldsWithoutTheirTerminatorCountAsOverflow) {
    Bytes b = filled(ConversionOptions{});
    std::memset(b.data() + 416, 'f', 260);
    EXPECT_TRUE(block::read(b).file_name_overflow);
    set<std::uint64_t>(b, 144, 5);
    std::memset(b.data() + 152, 'd', 260);
    EXPECT_TRUE(block::read(b).output_dir_overflow);
    // A class prefix without a terminator stops at 63 characters.
    std::memset(b.data() + 52, 'c', 64);
    EXPECT_EQ(block::read(b).options.class_prefix, std::string(63, 'c'));
}

TEST(SettingsBlock, OptionsRoundTrip) {
    const ConversionOptions o = distinct_options();
    Bytes b = filled(o, 77);
    block::store_pipe_handle(b, 19);
    block::Contents c = block::read(b);
    const ConversionOptions& r = c.options;
    EXPECT_EQ(r.warn_element_replaced, o.warn_element_replaced);
    EXPECT_EQ(r.warn_name_to_id, o.warn_name_to_id);
    EXPECT_EQ(r.warn_frame_attribute, o.warn_frame_attribute);
    EXPECT_EQ(r.warn_center_alignment, o.warn_center_alignment);
    EXPECT_EQ(r.warn_charset, o.warn_charset);
    EXPECT_EQ(r.verbose, o.verbose);
    EXPECT_EQ(r.class_prefix, o.class_prefix);
    EXPECT_EQ(r.drop_prev_next_links, o.drop_prev_next_links);
    EXPECT_EQ(r.delete_img_border, o.delete_img_border);
    EXPECT_EQ(r.standard_css_only, o.standard_css_only);
    EXPECT_EQ(r.delete_td_scope, o.delete_td_scope);
    EXPECT_EQ(r.move_viewport_meta, o.move_viewport_meta);
    EXPECT_EQ(r.no_backup, o.no_backup);
    EXPECT_EQ(r.output_dir, o.output_dir);
    EXPECT_EQ(r.extra_value, o.extra_value);
    EXPECT_EQ(r.extra_int1, o.extra_int1);
    EXPECT_EQ(r.extra_int2, o.extra_int2);
    EXPECT_EQ(r.extra_data, o.extra_data);
    EXPECT_EQ(c.pipe_handle, 19);
    EXPECT_TRUE(c.file_name.empty());
    EXPECT_FALSE(c.file_name_overflow || c.output_dir_overflow);
}

TEST(SettingsBlock, HandleText) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const struct {
        const char* text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"123abc", 123},
        {"  \t42", 42},
        {"+7", 7},
        {"-5", -5},
        {"abc", 0},
        {"", 0},
        {"9223372036854775807", max},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775808", min},
        {"-9223372036854775809", std::nullopt},
        {"123456789012345678901234567890", std::nullopt},
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
        {"version 9", [](Bytes& b) { set<std::int32_t>(b, 4, 9); }, false},
        {"version 11", [](Bytes& b) { set<std::int32_t>(b, 4, 11); }, false},
        {"another mapping handle", [](Bytes& b) { set<std::int64_t>(b, 16, 4243); }, false},
        {"wrong magic", [](Bytes& b) { b[3] = 'c'; }, false},
        {"total size below 8", [](Bytes& b) { set<std::uint64_t>(b, 8, 7); }, false},
        {"extra data past the region", [](Bytes& b) { set<std::uint64_t>(b, 696, 4); }, false},
        {"extra data up to the region's end", [](Bytes& b) { set<std::uint64_t>(b, 696, 3); }, true},
        {"a region smaller than the block", [](Bytes& b) { b.resize(719); }, false},
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

TEST(SettingsBlock, SharedMemoryBlockOfARun) {
    ConversionOptions o;
    auto settings = SettingsBlock::create(o);
    ASSERT_TRUE(settings.has_value());
    Bytes copy(settings->bytes().begin(), settings->bytes().end());
    EXPECT_EQ(copy.size(), 720u);
    EXPECT_EQ(at<std::int64_t>(copy, 16), settings->handle());
    EXPECT_TRUE(block::is_acceptable(settings->bytes(), settings->handle()));
    EXPECT_TRUE(settings->set_file("page.html"));
    settings->set_pipe(31);
    EXPECT_EQ(block::read(settings->bytes()).file_name, "page.html");
    EXPECT_EQ(block::read(settings->bytes()).pipe_handle, 31);
    EXPECT_EQ(settings->redirect_result(), 0);
}

}  // namespace
}  // namespace quorlix
