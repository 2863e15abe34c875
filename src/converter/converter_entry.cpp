#include "converter/converter_entry.h"

#include "base/messages.h"
#include "converter/pipeline.h"
#include "platform/files.h"
#include "platform/process.h"
#include "settings_block/settings_block.h"

#include <cstdio>
#include <new>

namespace quorlix {

std::optional<std::string_view> find_converter_argument(std::string_view argument_text) {
    std::size_t i = 0;
    while (i < argument_text.size() && (argument_text[i] == ' ' || argument_text[i] == '\t')) ++i;
    std::string_view rest = argument_text.substr(i);
    constexpr std::string_view marker = "-dch";
    if (rest.size() <= marker.size() || rest.substr(0, marker.size()) != marker) {
        return std::nullopt;
    }
    return rest.substr(marker.size());
}

bool is_converter_argument(std::string_view argument) {
    constexpr std::string_view marker = "-dch";
    if (argument.size() <= marker.size() || argument.substr(0, marker.size()) != marker) return false;
    for (char c : argument.substr(marker.size())) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::optional<int> run_converter_process(std::string_view handle_text,
                                         const ConvertFunction& convert) {
    std::optional<std::int64_t> handle = block::parse_handle(handle_text);
    if (!handle) return std::nullopt;
    std::optional<platform::SharedMemory> memory =
        platform::SharedMemory::open_inherited(*handle, block::fixed_size);
    if (!memory) return std::nullopt;
    std::span<unsigned char> region(memory->data(), memory->size());
    // A refused block is unmapped and closed with nothing written into it.
    if (!block::is_acceptable(region, *handle)) return std::nullopt;

    platform::OwnedStream pipe_stream;
    const std::int64_t pipe = block::pipe_handle(region);
    if (pipe == -1) {
        block::store_redirect_result(region, 0);
    } else {
        pipe_stream = platform::open_pipe_stream(pipe);
        block::store_redirect_result(region, pipe_stream ? 0 : -1);
        // Nothing can be said without an output; the supervisor reads
        // redirect_result and reports it.
        if (!pipe_stream) return 1;
    }
    // Without a pipe (a converter started by hand) progress goes to standard
    // output, errors and warnings to standard error. Into the pipe both go
    // through one sink, which keeps their order by itself: a page with many
    // warnings then costs a write per buffer, not one per warning.
    FileSink progress(pipe_stream ? pipe_stream.get() : stdout);
    FileSink standard_error(stderr);
    FileSink& errors = pipe_stream ? progress : standard_error;
    const ConversionOptions defaults;
    Diagnostics loading(defaults, errors, progress);

    block::Contents contents;
    try {
        contents = block::read(region);
    } catch (const std::bad_alloc&) {
        memory.reset();
        loading.startup_no_memory();
        return exit_failed;
    }
    // The conversion runs with the block unmapped and its handle closed.
    memory.reset();
    // A path that did not fit ends the process with status 1.
    if (contents.output_dir_overflow || contents.file_name_overflow) {
        loading.startup_internal_error(contents.output_dir_overflow ? messages::output_dir_overflow
                                                                    : messages::filename_overflow);
        return exit_failed;
    }
    if (contents.file_name.empty()) return std::nullopt;

    platform::shield_converter_process();
    Diagnostics diagnostics(contents.options, errors, progress);
    const int result = convert(contents.file_name, contents.options, diagnostics);
    const int status = result == 0                    ? exit_converted
                       : result == conversion_skipped ? exit_skipped
                                                      : exit_failed;
    progress.flush();
    errors.flush();
    return status;
}

std::optional<int> run_converter_process(std::string_view handle_text) {
    return run_converter_process(
        handle_text, [](const std::string& file, const ConversionOptions& options,
                        Diagnostics& diagnostics) { return convert_file(file, options, diagnostics); });
}

}  // namespace quorlix
