// The converter role within this process: a block made as a supervisor
// makes it, passed through a second handle that the entry may close as a
// converter process closes its inherited one.
#include "converter/converter_entry.h"
#include "converter/pipeline.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "settings_block/settings_block.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quorlix {
namespace {

using platform::NativeHandle;

struct PassedBlock {
    platform::SharedMemory memory;
    NativeHandle passed;
    std::span<unsigned char> bytes() const { return {memory.data(), memory.size()}; }
    std::string handle_text() const { return std::to_string(passed); }
};

PassedBlock make_block(const ConversionOptions& options, const std::string& file = "page.html") {
    auto memory = platform::SharedMemory::create(block::fixed_size + options.extra_data.size());
    EXPECT_TRUE(memory.has_value());
    NativeHandle passed = platform::duplicate_handle(memory->handle());
    EXPECT_NE(passed, platform::no_handle);
    PassedBlock b{std::move(*memory), passed};
    block::fill(b.bytes(), options, passed);
    if (!file.empty()) {
        EXPECT_TRUE(block::store_file_name(b.bytes(), file));
    }
    return b;
}

// A handle value that names nothing: one that was just closed.
NativeHandle closed_handle() {
    auto pipe = platform::create_output_pipe();
    NativeHandle value = platform::duplicate_handle(pipe->write_end.get());
    platform::OwnedHandle(value).close();
    return value;
}

struct FakeConversion {
    int calls = 0;
    std::string file;
    ConversionOptions options;
    int status = 0;
    ConvertFunction function() {
        return [this](const std::string& f, const ConversionOptions& o, Diagnostics& d) {
            ++calls;
            file = f;
            options = o;
            d.progress_stream().write("converting " + f + "\n");
            return status;
        };
    }
};

// Everything that reaches the pipe once the entry has closed its copy.
std::string drain(platform::Pipe& pipe) {
    pipe.write_end.close();
    std::string text;
    char piece[256];
    long n;
    while ((n = platform::read_pipe(pipe.read_end.get(), piece, sizeof piece)) > 0) {
        text.append(piece, static_cast<std::size_t>(n));
    }
    return text;
}

const char* const line_end = platform::path_separator == '\\' ? "\r\n" : "\n";

TEST(ConverterEntry, FindsTheConverterArgument) {
    const struct {
        const char* text;
        std::optional<std::string_view> expected;
    } cases[] = {
        {"-dch12", "12"},       {" \t-dch5", "5"},  {"-dch 7", " 7"}, {"-dch", std::nullopt},
        {"-DCH5", std::nullopt}, {"x-dch5", std::nullopt}, {"", std::nullopt},
        {"\n-dch5", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(find_converter_argument(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(ConverterEntry, LoadsTheJobAndWritesItsOutputIntoThePipe) {
    ConversionOptions options;
    options.class_prefix = "p-";
    options.no_backup = true;
    options.warn_charset = false;
    options.extra_data = {'e', 'x'};
    options.extra_int2 = 9;
    PassedBlock b = make_block(options, "dir/page.html");
    block::store_redirect_result(b.bytes(), 5);  // overwritten by an accepting converter
    auto pipe = platform::create_output_pipe();
    ASSERT_TRUE(pipe.has_value());
    block::store_pipe_handle(b.bytes(), platform::duplicate_handle(pipe->write_end.get()));

    FakeConversion fake;
    EXPECT_EQ(run_converter_process(b.handle_text(), fake.function()), 0);
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(fake.file, "dir/page.html");
    EXPECT_EQ(fake.options.class_prefix, "p-");
    EXPECT_TRUE(fake.options.no_backup);
    EXPECT_FALSE(fake.options.warn_charset);
    EXPECT_EQ(fake.options.extra_data, (std::vector<char>{'e', 'x'}));
    EXPECT_EQ(fake.options.extra_int2, 9);
    EXPECT_EQ(block::redirect_result(b.bytes()), 0);
    EXPECT_EQ(drain(*pipe), std::string("converting dir/page.html") + line_end);
}

// Without a pipe progress goes to standard output and no redirection is
// reported; the conversion's result becomes the exit status.
TEST(ConverterEntry, TheResultBecomesTheExitStatus) {
    const std::pair<int, int> cases[] = {{0, exit_converted}, {-1, exit_failed}, {conversion_skipped, exit_skipped}};
    for (auto [result, status] : cases) {
        PassedBlock b = make_block(ConversionOptions{});
        block::store_redirect_result(b.bytes(), 5);
        FakeConversion fake;
        fake.status = result;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(run_converter_process(b.handle_text(), fake.function()), status);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "converting page.html\n");
        EXPECT_EQ(block::redirect_result(b.bytes()), 0);
    }
}

TEST(ConverterEntry, APipeThatCannotBeAttachedEndsSilentlyWithStatusOne) {
    PassedBlock b = make_block(ConversionOptions{});
    block::store_pipe_handle(b.bytes(), closed_handle());
    FakeConversion fake;
    EXPECT_EQ(run_converter_process(b.handle_text(), fake.function()), 1);
    EXPECT_EQ(fake.calls, 0);
    EXPECT_NE(block::redirect_result(b.bytes()), 0);
}

TEST(ConverterEntry, HandleTextsThatNameNoBlock) {
    for (const char* text : {"abc", "99999999999999999999999", "-1"}) {
        SCOPED_TRACE(text);
        FakeConversion fake;
        EXPECT_EQ(run_converter_process(text, fake.function()), std::nullopt);
        EXPECT_EQ(fake.calls, 0);
    }
    FakeConversion fake;
    EXPECT_EQ(run_converter_process(std::to_string(closed_handle()), fake.function()),
              std::nullopt);
}

TEST(ConverterEntry, ABlockWithoutAFileFallsBackToAnOrdinaryStart) {
    PassedBlock b = make_block(ConversionOptions{}, "");
    block::store_redirect_result(b.bytes(), 5);
    FakeConversion fake;
    EXPECT_EQ(run_converter_process(b.handle_text(), fake.function()), std::nullopt);
    EXPECT_EQ(fake.calls, 0);
    EXPECT_EQ(block::redirect_result(b.bytes()), 0);  // the block was accepted
}

TEST(ConverterEntry, OverflowsAreReportedOnThePipe) {
    struct Case {
        const char* name;
        std::size_t flag_offset;
        std::string message;
    };
    const Case cases[] = {
        {"output directory", block::at::output_dir_overflow,
         "quorlix: Internal error: output directory buffer overflow"},
        {"file name", block::at::file_name_overflow, "quorlix: Internal error: filename buffer overflow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionOptions options;
        options.output_dir = "out";
        PassedBlock b = make_block(options);
        b.bytes()[c.flag_offset] = 1;
        auto pipe = platform::create_output_pipe();
        block::store_pipe_handle(b.bytes(), platform::duplicate_handle(pipe->write_end.get()));
        FakeConversion fake;
        EXPECT_EQ(run_converter_process(b.handle_text(), fake.function()), 1);
        EXPECT_EQ(fake.calls, 0);
        EXPECT_EQ(drain(*pipe), c.message + line_end);
    }
}

}  // namespace
}  // namespace quorlix
