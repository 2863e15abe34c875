// The command-line front end. Started as "quorlix -dchN" it is a converter
// process of a running conversion; otherwise it parses its options and
// performs a conversion run through converter processes (copies of itself),
// printing the log as it arrives.
#include "base/diagnostics.h"
#include "base/messages.h"
#include "converter/converter_entry.h"
#include "converter/pipeline.h"
#include "converter/restore.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "shell/cli/cli_options.h"
#include "shell/cli/progress_line.h"
#include "shell/cli/version.h"
#include "supervisor/conversion_run.h"
#include "supervisor/converter_launch.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

namespace messages = quorlix::messages;

quorlix::AbortFlag abort_requested{0};

extern "C" void on_interrupt(int) {
    abort_requested = 1;
    // A second Ctrl-C ends the command at once.
    std::signal(SIGINT, SIG_DFL);
}

// Standard output, and the log file when one was asked for. The first write
// that fails is remembered (which stream, and why), and the run stops.
class LogSink final : public quorlix::OutputSink {
public:
    explicit LogSink(std::FILE* copy) : copy_(copy) {}
    void write(std::string_view text) override {
        if (text.empty()) return;
        if (progress_ == nullptr) return put_everywhere(text);
        progress_->log_write(text.back() != '\n', [&] {
            put_everywhere(text);
            std::fflush(stdout);
        });
    }
    // The status line on the terminal, which the log's lines displace.
    void show_progress(quorlix::cli::ProgressLine* progress) { progress_ = progress; }
    void flush() override {
        check(stdout, std::fflush(stdout) == 0);
        if (copy_ != nullptr) check(copy_, std::fflush(copy_) == 0);
    }
    bool failed() const override { return failed_stream_ != nullptr; }
    // Which log failed: standard output or the log file.
    bool log_file_failed() const { return failed_stream_ != nullptr && failed_stream_ == copy_; }
    int error() const { return error_; }

private:
    void put_everywhere(std::string_view text) {
        put(stdout, text);
        if (copy_ != nullptr) put(copy_, text);
    }
    void put(std::FILE* stream, std::string_view text) {
        check(stream, std::fwrite(text.data(), 1, text.size(), stream) == text.size());
    }
    void check(std::FILE* stream, bool ok) {
        if (ok || failed_stream_ != nullptr) return;
        failed_stream_ = stream;
        error_ = errno;
    }

    std::FILE* copy_;
    quorlix::cli::ProgressLine* progress_ = nullptr;
    std::FILE* failed_stream_ = nullptr;
    int error_ = 0;
};

// Writes text to standard output and makes sure it got there (for --help
// and --version): 0, or 1 after a message on standard error.
int print_and_check(const char* text) {
    std::fputs(text, stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, messages::cli_cannot_write_stdout, std::strerror(errno));
        return 1;
    }
    return 0;
}

// Puts each page's backup back in its place, in the run's own process.
class BackupRestorer final : public quorlix::FileConverter {
public:
    BackupRestorer(bool dry_run, bool verbose) : dry_run_(dry_run), verbose_(verbose) {}
    int convert_one_file(const std::string& path, const std::string&, quorlix::OutputSink& log) override {
        switch (quorlix::restore_page(path, dry_run_, verbose_, log)) {
        case quorlix::RestoreResult::restored: return quorlix::exit_converted;
        case quorlix::RestoreResult::no_backup: return quorlix::exit_skipped;
        case quorlix::RestoreResult::failed: break;
        }
        return quorlix::exit_failed;
    }

private:
    bool dry_run_;
    bool verbose_;
};

// Reads a whole stream of bytes; false on a read error.
bool read_all(std::FILE* stream, std::string& text) {
    char buffer[1 << 16];
    for (;;) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, stream);
        text.append(buffer, n);
        if (n < sizeof buffer) return !std::ferror(stream);
    }
}

// "quorlix -": one page from standard input to standard output, with the
// bytes an in-place conversion would write; nothing on standard output for
// a refused page. Diagnostics go to standard error.
int run_filter(const quorlix::cli::CommandLine& command) {
    quorlix::platform::set_binary_mode(stdin);
    quorlix::platform::set_binary_mode(stdout);
    std::string input;
    if (!read_all(stdin, input)) {
        std::fprintf(stderr, messages::cli_cannot_read_stdin, std::strerror(errno));
        return 1;
    }
    quorlix::ConversionOptions options = command.options;
    options.verbose = false;
    quorlix::FileSink errors(stderr);
    quorlix::Diagnostics diagnostics(options, errors, errors);
    std::string output;
    if (quorlix::convert_text(input, output, options, diagnostics) < 0) return 1;
    if (std::fwrite(output.data(), 1, output.size(), stdout) != output.size() ||
        std::fflush(stdout) != 0) {
        std::fprintf(stderr, messages::cli_cannot_write_stdout, std::strerror(errno));
        return 1;
    }
    return 0;
}

// Adds the names of the --files-from list to the files: 0, or the exit
// status after a message.
int read_file_list(quorlix::cli::CommandLine& command) {
    if (command.files_from.empty()) return 0;
    std::string text;
    bool ok;
    if (command.files_from == "-") {
        quorlix::platform::set_binary_mode(stdin);
        ok = read_all(stdin, text);
    } else {
        quorlix::platform::OwnedStream list(std::fopen(command.files_from.c_str(), "rb"));
        ok = list && read_all(list.get(), text);
    }
    if (!ok) {
        std::fprintf(stderr, messages::cli_cannot_read_list, command.files_from.c_str(),
                     std::strerror(errno));
        return 2;
    }
    for (std::string& name : quorlix::cli::split_file_list(text, command.null_separated)) {
        command.files.push_back(std::move(name));
    }
    return 0;
}

// Checks the output directory before anything is converted and creates it
// when it is missing (not in a dry run): 0, or the exit status after a
// message on standard error.
int prepare_output_dir(const quorlix::cli::CommandLine& command, const quorlix::ConversionJob& job) {
    const std::string& dir = command.options.output_dir;
    if (dir.empty()) return 0;
    if (quorlix::platform::file_exists(dir) && !quorlix::platform::is_directory(dir)) {
        std::fprintf(stderr, messages::cli_output_dir_not_directory, dir.c_str(),
                     messages::cli_try_help);
        return 2;
    }
    if (!job.site_directory.empty() && job.output_dir == job.site_directory) {
        std::fprintf(stderr, messages::cli_output_dir_is_site, messages::cli_try_help);
        return 2;
    }
    if (command.options.dry_run || quorlix::platform::is_directory(dir)) return 0;
    if (!quorlix::platform::make_directories(dir)) {
        std::fprintf(stderr, messages::cli_cannot_create_output_dir, dir.c_str(),
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A descriptor closed by whoever started us would be taken by the first
    // file opened (the settings block, the log file) and written into as if
    // it were standard output.
    quorlix::platform::ensure_standard_streams();
    if (argc >= 2 && quorlix::is_converter_argument(argv[1])) {
        if (auto handle_text = quorlix::find_converter_argument(argv[1])) {
            if (auto status = quorlix::run_converter_process(*handle_text)) return *status;
            // The block was refused or names no file: an ordinary start, for
            // which -dch is no option.
            std::fprintf(stderr, messages::cli_no_job, argv[1], messages::cli_try_help);
            return 1;
        }
    }

    std::vector<std::string> arguments(argv + 1, argv + argc);
    quorlix::Result<quorlix::cli::CommandLine> parsed = quorlix::cli::parse_command_line(arguments);
    if (!parsed) {
        std::fprintf(stderr, messages::cli_usage_error, parsed.message().c_str(), messages::cli_try_help);
        return 2;
    }
    quorlix::cli::CommandLine& command = *parsed;
    if (command.show_help) return print_and_check(quorlix::cli::usage_text());
    if (command.show_version) {
        return print_and_check(quorlix::cli::version_text().c_str());
    }
    if (command.filter) return run_filter(command);
    if (int status = read_file_list(command)) return status;
    if (!command.site_directory.empty() && !quorlix::platform::is_directory(command.site_directory)) {
        std::fprintf(stderr, messages::cli_no_such_directory, command.site_directory.c_str(),
                     messages::cli_try_help);
        return 2;
    }

    const quorlix::ConversionJob job = quorlix::cli::make_job(command);
    if (int status = prepare_output_dir(command, job)) return status;

    quorlix::platform::OwnedStream log_copy;
    if (!command.log_file.empty()) {
        log_copy = quorlix::platform::create_log_file(command.log_file);
        if (!log_copy) {
            std::fprintf(stderr, messages::cli_cannot_create_log, command.log_file.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }
    std::string program_path = quorlix::platform::executable_path().value_or(argv[0]);

    std::signal(SIGINT, on_interrupt);
#ifdef SIGPIPE
    // A log whose reader went away is a write error like any other.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    LogSink log(log_copy.get());
    // The converters write the platform's line ends; so does the log.
    quorlix::platform::set_binary_mode(stdout);
    quorlix::CrLfSink crlf_log(log);
    quorlix::OutputSink& run_log = quorlix::platform::log_lines_end_in_crlf()
                                       ? static_cast<quorlix::OutputSink&>(crlf_log)
                                       : static_cast<quorlix::OutputSink&>(log);

    quorlix::RunSettings settings;
    settings.banner = !command.quiet;
    settings.verbose = command.options.verbose;
    settings.abort_flag = &abort_requested;
    settings.jobs = command.jobs != 0 ? command.jobs : quorlix::platform::processor_count();
    if (command.restore) settings.summary_word = messages::summary_restored;
    // A status line for a long run, when standard error is a terminal.
    quorlix::RunProgress progress;
    std::optional<quorlix::cli::ProgressLine> progress_line;
    if (!command.quiet && quorlix::platform::is_terminal(stderr) &&
        (job.files.size() > 1 || !job.site_directory.empty())) {
        settings.progress = &progress;
        std::optional<int> total;
        if (job.site_directory.empty()) total = static_cast<int>(job.files.size());
        progress_line.emplace(progress, total, quorlix::platform::is_terminal(stdout));
        log.show_progress(&*progress_line);
    }
    quorlix::RunCounts counts = quorlix::perform_conversion_run(
        job, run_log, settings,
        [&]() -> quorlix::Result<std::unique_ptr<quorlix::FileConverter>> {
            if (command.restore) {
                return std::unique_ptr<quorlix::FileConverter>(std::make_unique<BackupRestorer>(
                    command.options.dry_run, command.options.verbose));
            }
            return quorlix::ConverterLauncher::prepare(command.options, program_path, settings.jobs);
        });

    log.flush();
    log.show_progress(nullptr);
    progress_line.reset();
    if (log.failed()) {
        std::string where = log.log_file_failed() ? messages::cli_log_file + command.log_file
                                                  : std::string(messages::cli_standard_output);
        std::fprintf(stderr, messages::cli_cannot_write_log, where.c_str(), std::strerror(log.error()));
        return 1;
    }
    bool all_converted = !counts.interrupted && !counts.stopped && counts.failed == 0;
    return all_converted ? 0 : 1;
}
