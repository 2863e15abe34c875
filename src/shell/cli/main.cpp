// The command-line front end. Started as "quorlix -dchN" it is a converter
// process of a running conversion; otherwise it parses its options and
// performs a conversion run through converter processes (copies of itself),
// printing the log as it arrives.
#include "converter/converter_entry.h"
#include "converter/diagnostics.h"
#include "converter/paths.h"
#include "platform/process.h"
#include "shell/cli/cli_options.h"
#include "supervisor/conversion_run.h"
#include "supervisor/converter_launch.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr const char* try_help = "Try 'quorlix --help' for more information.\n";

quorlix::AbortFlag abort_requested{0};

extern "C" void on_interrupt(int) {
    abort_requested = 1;
    // A second Ctrl-C ends the command at once.
    std::signal(SIGINT, SIG_DFL);
}

// Standard output, and the log file when one was asked for.
class LogSink final : public quorlix::OutputSink {
public:
    explicit LogSink(std::FILE* copy) : copy_(copy) {}
    void write(std::string_view text) override {
        if (text.empty()) return;
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (copy_ != nullptr) std::fwrite(text.data(), 1, text.size(), copy_);
    }
    void flush() override {
        std::fflush(stdout);
        if (copy_ != nullptr) std::fflush(copy_);
    }

private:
    std::FILE* copy_;
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        if (auto handle_text = quorlix::find_converter_argument(argv[1])) {
            if (auto status = quorlix::run_converter_process(*handle_text)) return *status;
            // The block was refused or names no file: an ordinary start, for
            // which -dch is no option.
            std::fprintf(stderr, "quorlix: %s names no usable conversion job\n%s", argv[1],
                         try_help);
            return 1;
        }
    }

    std::vector<std::string> arguments(argv + 1, argv + argc);
    quorlix::cli::CommandLine command;
    std::string error;
    if (!quorlix::cli::parse_command_line(arguments, command, error)) {
        std::fprintf(stderr, "quorlix: %s\n%s", error.c_str(), try_help);
        return 2;
    }
    if (command.show_help) {
        std::fputs(quorlix::cli::usage_text(), stdout);
        return 0;
    }
    if (command.show_version) {
        std::printf("%s\n", quorlix::product_banner_name);
        return 0;
    }
    if (!command.site_directory.empty() && !quorlix::platform::is_directory(command.site_directory)) {
        std::fprintf(stderr, "quorlix: no such directory: %s\n%s", command.site_directory.c_str(),
                     try_help);
        return 2;
    }

    std::unique_ptr<std::FILE, FileCloser> log_copy;
    if (!command.log_file.empty()) {
        log_copy.reset(quorlix::platform::create_log_file(command.log_file));
        if (!log_copy) {
            std::fprintf(stderr, "quorlix: cannot create the log file %s: %s\n",
                         command.log_file.c_str(), std::strerror(errno));
            return 2;
        }
    }
    std::string program_path = quorlix::platform::executable_path().value_or(argv[0]);

    std::signal(SIGINT, on_interrupt);
    LogSink log(log_copy.get());
    // The converters write the platform's line ends; so does the log.
    quorlix::platform::set_binary_mode(stdout);
    quorlix::CrLfSink crlf_log(log);
    quorlix::OutputSink& run_log =
        quorlix::native_path_style == quorlix::PathStyle::windows
            ? static_cast<quorlix::OutputSink&>(crlf_log)
            : static_cast<quorlix::OutputSink&>(log);

    quorlix::RunSettings settings;
    settings.banner = !command.quiet;
    settings.verbose = command.options.verbose;
    settings.abort_flag = &abort_requested;
    quorlix::RunCounts counts = quorlix::perform_conversion_run(
        quorlix::cli::make_job(command), run_log, settings,
        [&](std::string& message) -> std::unique_ptr<quorlix::FileConverter> {
            return quorlix::ConverterLauncher::prepare(command.options, program_path, message);
        });

    if (log_copy && (std::fflush(log_copy.get()) != 0 || std::ferror(log_copy.get()))) {
        std::fprintf(stderr, "quorlix: error writing the log file %s\n", command.log_file.c_str());
        return 1;
    }
    bool all_converted = !counts.interrupted && !counts.stopped && counts.failed == 0;
    return all_converted ? 0 : 1;
}
