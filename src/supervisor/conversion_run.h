// A conversion run: the banner, one conversion per file with the abort
// looked at between files, and the summary line.
#pragma once

#include "converter/diagnostics.h"

#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace quorlix {

struct RunCounts {
    int total = 0;
    int converted = 0;
    int failed = 0;
    bool interrupted = false;
};

// Converts one file; 0 when it was converted.
using ConvertOne = std::function<int(const std::string& path)>;

inline constexpr const char* product_banner_name = "Quorlix 1.0.0";
inline constexpr const char* interrupted_message = "*** Interrupted by user. Aborting now.\n";

void write_banner(OutputSink& log);

// "Converted: N of N." or "Converted: C. Failed: F. Total: T"; nothing unless
// verbose.
void log_summary(OutputSink& log, const RunCounts& counts, bool verbose);

// Converts the files in order. Before each file the abort flag is looked at;
// when it is set the run stops with the interruption line and no summary.
RunCounts run_files(const std::vector<std::string>& files, const ConvertOne& convert,
                    OutputSink& log, bool verbose, const volatile std::sig_atomic_t* abort_flag);

}  // namespace quorlix
