// The command-line front end: parses the options, then performs a conversion
// run over the files named, printing the log as it is written.
#include "converter/diagnostics.h"
#include "converter/pipeline.h"
#include "shell/cli/cli_options.h"
#include "supervisor/conversion_run.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <cerrno>
#include <memory>

namespace {

volatile std::sig_atomic_t abort_requested = 0;

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
    std::vector<std::string> arguments(argv + 1, argv + argc);
    quorlix::cli::CommandLine command;
    std::string error;
    if (!quorlix::cli::parse_command_line(arguments, command, error)) {
        std::fprintf(stderr, "quorlix: %s\nTry 'quorlix --help' for more information.\n",
                     error.c_str());
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

    std::unique_ptr<std::FILE, FileCloser> log_copy;
    if (!command.log_file.empty()) {
        log_copy.reset(std::fopen(command.log_file.c_str(), "w"));
        if (!log_copy) {
            std::fprintf(stderr, "quorlix: cannot create the log file %s: %s\n",
                         command.log_file.c_str(), std::strerror(errno));
            return 2;
        }
    }

    std::signal(SIGINT, on_interrupt);
    LogSink log(log_copy.get());
    quorlix::Diagnostics diagnostics(command.options, log, log);
    if (!command.quiet) quorlix::write_banner(log);
    quorlix::RunCounts counts = quorlix::run_files(
        command.files,
        [&](const std::string& path) {
            return quorlix::convert_file(path, command.options, diagnostics);
        },
        log, command.options.verbose, &abort_requested);

    if (log_copy && (std::fflush(log_copy.get()) != 0 || std::ferror(log_copy.get()))) {
        std::fprintf(stderr, "quorlix: error writing the log file %s\n", command.log_file.c_str());
        return 1;
    }
    return counts.interrupted || counts.failed > 0 ? 1 : 0;
}
