#include "supervisor/converter_launch.h"

#include "platform/process.h"

#include <new>

namespace quorlix {

std::string converter_argument(std::int64_t handle) { return "-dch" + std::to_string(handle); }

std::unique_ptr<ConverterLauncher> ConverterLauncher::prepare(const ConversionOptions& options,
                                                              std::string program_path,
                                                              std::string& message) {
    try {
        auto block = SettingsBlock::create(options);
        if (!block) {
            message = launch_messages::cannot_create_block;
            return nullptr;
        }
        return std::unique_ptr<ConverterLauncher>(
            new ConverterLauncher(std::move(*block), std::move(program_path)));
    } catch (const std::bad_alloc&) {
        message = launch_messages::insufficient_memory;
        return nullptr;
    }
}

int ConverterLauncher::convert_one_file(const std::string& path, const std::string& output_dir,
                                        OutputSink& log) {
    // Declared first so that, should the log throw, the pipe is closed
    // before the converter is waited for.
    std::optional<platform::ChildProcess> converter;
    if (!block_.set_file(path)) {
        log.write(launch_messages::filename_too_long);
        log.write(path);
        log.write("\n");
        return -1;
    }
    if (!block_.set_output_dir(output_dir)) {
        log.write(launch_messages::output_dir_too_long);
        log.write(output_dir);
        log.write("\n");
        return -1;
    }
    auto pipe = platform::create_output_pipe();
    if (!pipe) {
        log.write(launch_messages::no_pipe);
        return -1;
    }
    block_.set_pipe(pipe->write_end.get());
    converter = platform::start_process(program_path_, argument_,
                                        {block_.handle(), pipe->write_end.get()});
    if (!converter) {
        log.write(launch_messages::no_process);
        return -1;
    }
    // Without our own copy of the write end, the pipe ends when the
    // converter's copy closes.
    pipe->write_end.close();
    char piece[capture_piece + 1];
    bool line_open = false;
    for (;;) {
        long n = platform::read_pipe(pipe->read_end.get(), piece, capture_piece);
        if (n <= 0) break;
        log.write(std::string_view(piece, static_cast<std::size_t>(n)));
        log.flush();
        line_open = piece[n - 1] != '\n';
    }
    int status = converter->wait();
    if (status != exit_converted && status != exit_skipped && block_.redirect_result() != 0) {
        log.write(launch_messages::no_redirect);
    }
    // A converter exits with one of its own statuses; anything else means
    // it was ended from outside (or crashed) in the middle of its file,
    // without a word of its own, so the log says it here.
    if (status != exit_converted && status != exit_failed && status != exit_skipped) {
        if (line_open) log.write("\n");
        log.write(launch_messages::ended_abnormally);
        log.write(std::to_string(status));
        log.write("\n");
    }
    return status;
}

}  // namespace quorlix
