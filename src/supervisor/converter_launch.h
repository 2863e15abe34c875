// Converter launch and output capture: once per run the settings block and
// the converter's argument are prepared; then each file gets its own pipe
// and its own converter process, whose output is copied into the log piece
// by piece as it arrives, and whose exit status says whether the file was
// converted.
#pragma once

#include "base/output_sink.h"
#include "base/result.h"
#include "supervisor/conversion_run.h"
#include "settings_block/settings_block.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quorlix {

// "-dch" and the block's handle in decimal: the converter's argument.
std::string converter_argument(std::int64_t handle);

// The output of a converter is read in pieces of at most this many bytes.
inline constexpr std::size_t capture_piece = 1023;

class ConverterLauncher final : public FileConverter {
public:
    // The preparation of a run: one settings block filled from the options
    // for each converter that may run at the same time (jobs), and the
    // argument of every converter process; the failure's message is the
    // log's.
    static Result<std::unique_ptr<ConverterLauncher>> prepare(const ConversionOptions& options,
                                                              std::string program_path,
                                                              unsigned jobs = 1);

    // Runs one converter process for path, with a settings block of its
    // own: the converter's exit status, or -1 when none could be run (the
    // reason is in the log then). Safe to call from several threads, at
    // most jobs at a time.
    int convert_one_file(const std::string& path, const std::string& output_dir,
                         OutputSink& log) override;

    // The first settings block (the only one of a run of one file at a time).
    SettingsBlock& block() { return slots_.front().block; }
    const std::string& program_path() const { return program_path_; }

private:
    struct Slot {
        SettingsBlock block;
        std::string argument;
        bool busy = false;
    };

    explicit ConverterLauncher(std::string program_path) : program_path_(std::move(program_path)) {}
    Slot& acquire();
    void release(Slot& slot);
    int run_converter(Slot& slot, const std::string& path, const std::string& output_dir,
                      OutputSink& log);

    std::string program_path_;
    std::vector<Slot> slots_;
    std::mutex slots_mutex_;
    std::condition_variable slot_freed_;
};

}  // namespace quorlix
