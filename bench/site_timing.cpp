// The timing helper of the benchmark's site mode (bench/bench.py --site-pages):
//
//   site_timing convert LIST LOG
//       converts every page named in LIST (one path a line) in this one
//       process, in place with backups and without progress lines, as
//       "quorlix -q" does in its converter processes; their warnings and
//       errors go to LOG. Prints "PAGES CONVERTED SECONDS".
//
//   site_timing spawn N PROGRAM [ARGUMENT...]
//       starts PROGRAM N times, one after another, each with its outputs on
//       the null device, and waits for each. Prints "N SECONDS".
//
// The first gives the time of the conversions themselves, the second what
// starting and ending a process costs; bench.py sets them against the time
// of a real site run.
#include "base/diagnostics.h"
#include "converter/pipeline.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int convert(const char* list_path, const char* log_path) {
    std::ifstream list(list_path);
    std::vector<std::string> pages;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty()) pages.push_back(line);
    }
    std::FILE* log = std::fopen(log_path, "w");
    if (log == nullptr) {
        std::perror(log_path);
        return 2;
    }
    quorlix::FileSink sink(log);
    quorlix::ConversionOptions options;
    options.verbose = false;
    int converted = 0;
    auto start = std::chrono::steady_clock::now();
    for (const std::string& page : pages) {
        quorlix::Diagnostics diagnostics(options, sink, sink);
        if (quorlix::convert_file(page, options, diagnostics) == 0) ++converted;
        sink.flush();
    }
    double elapsed = seconds_since(start);
    std::fclose(log);
    std::printf("%zu %d %.6f\n", pages.size(), converted, elapsed);
    return 0;
}

int spawn(long count, char** argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) != 0) {
            std::perror(argv[0]);
            return 2;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    double elapsed = seconds_since(start);
    posix_spawn_file_actions_destroy(&actions);
    std::printf("%ld %.6f\n", count, elapsed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "convert" && argc == 4) return convert(argv[2], argv[3]);
    if (mode == "spawn" && argc >= 4) return spawn(std::atol(argv[2]), argv + 3);
    std::fprintf(stderr, "usage: site_timing convert LIST LOG\n"
                         "       site_timing spawn N PROGRAM [ARGUMENT...]\n");
    return 2;
}
