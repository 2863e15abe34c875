#include "supervisor/converter_launch.h"

#include "base/messages.h"
#include "platform/process.h"

#include <algorithm>
#include <new>

namespace quorlix {

std::string converter_argument(std::int64_t handle) { return "-dch" + std::to_string(handle); }

namespace {

// A converter inherits the write end of its pipe. On Windows a process
// started meanwhile by another thread would inherit that write end as well
// and keep the pipe open after the converter ended: pipes are made and
// converters started one at a time.
std::mutex start_mutex;

}  // namespace

Result<std::unique_ptr<ConverterLauncher>> ConverterLauncher::prepare(
    const ConversionOptions& options, std::string program_path, unsigned jobs) {
    try {
        std::unique_ptr<ConverterLauncher> launcher(new ConverterLauncher(std::move(program_path)));
        launcher->slots_.reserve(std::max(jobs, 1u));
        for (unsigned i = 0; i < std::max(jobs, 1u); ++i) {
            auto block = SettingsBlock::create(options);
            if (!block) return failure(messages::cannot_create_block);
            std::string argument = converter_argument(block->handle());
            launcher->slots_.push_back({std::move(*block), std::move(argument)});
        }
        return launcher;
    } catch (const std::bad_alloc&) {
        return failure(messages::no_memory);
    }
}

ConverterLauncher::Slot& ConverterLauncher::acquire() {
    std::unique_lock lock(slots_mutex_);
    for (;;) {
        for (Slot& slot : slots_) {
            if (!slot.busy) {
                slot.busy = true;
                return slot;
            }
        }
        slot_freed_.wait(lock);
    }
}

void ConverterLauncher::release(Slot& slot) {
    {
        std::lock_guard lock(slots_mutex_);
        slot.busy = false;
    }
    slot_freed_.notify_one();
}

int ConverterLauncher::convert_one_file(const std::string& path, const std::string& output_dir,
                                        OutputSink& log) {
    Slot& slot = acquire();
    struct Release {
        ConverterLauncher& launcher;
        Slot& slot;
        ~Release() { launcher.release(slot); }
    } release{*this, slot};
    return run_converter(slot, path, output_dir, log);
}

int ConverterLauncher::run_converter(Slot& slot, const std::string& path,
                                     const std::string& output_dir, OutputSink& log) {
    SettingsBlock& block = slot.block;
    // Declared first so that, should the log throw, the pipe is closed
    // before the converter is waited for.
    std::optional<platform::ChildProcess> converter;
    if (!block.set_file(path)) {
        log.write(messages::filename_too_long);
        log.write(path);
        log.write("\n");
        return -1;
    }
    if (!block.set_output_dir(output_dir)) {
        log.write(messages::output_dir_too_long);
        log.write(output_dir);
        log.write("\n");
        return -1;
    }
    std::unique_lock start(start_mutex);
    auto pipe = platform::create_output_pipe();
    if (!pipe) {
        start.unlock();
        log.write(messages::no_pipe);
        return -1;
    }
    block.set_pipe(pipe->write_end.get());
    converter = platform::start_process(program_path_, slot.argument,
                                        {block.handle(), pipe->write_end.get()});
    // Without our own copy of the write end, the pipe ends when the
    // converter's copy closes.
    pipe->write_end.close();
    start.unlock();
    if (!converter) {
        log.write(messages::no_process);
        return -1;
    }
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
    if (status != exit_converted && status != exit_skipped && block.redirect_result() != 0) {
        log.write(messages::no_redirect);
    }
    // A converter exits with one of its own statuses; anything else means
    // it was ended from outside (or crashed) in the middle of its file,
    // without a word of its own, so the log says it here.
    if (status != exit_converted && status != exit_failed && status != exit_skipped) {
        if (line_open) log.write("\n");
        log.write(messages::ended_abnormally);
        log.write(std::to_string(status));
        log.write("\n");
    }
    return status;
}

}  // namespace quorlix
