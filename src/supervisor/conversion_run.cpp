#include "supervisor/conversion_run.h"

namespace quorlix {

void write_banner(OutputSink& log) {
    log.write("\n---\n\n");
    log.write(product_banner_name);
    log.write("\nXHTML 1.0 to HTML5 conversion\n\n");
}

void log_summary(OutputSink& log, const RunCounts& counts, bool verbose) {
    if (!verbose) return;
    std::string line = "Converted: " + std::to_string(counts.converted);
    if (counts.failed > 0) {
        line += ". Failed: " + std::to_string(counts.failed) + ". Total: " +
                std::to_string(counts.total) + "\n";
    } else {
        line += " of " + std::to_string(counts.converted) + ".\n";
    }
    log.write(line);
}

RunCounts run_files(const std::vector<std::string>& files, const ConvertOne& convert,
                    OutputSink& log, bool verbose, const volatile std::sig_atomic_t* abort_flag) {
    RunCounts counts;
    for (const std::string& file : files) {
        if (abort_flag != nullptr && *abort_flag) {
            log.write(interrupted_message);
            counts.interrupted = true;
            log.flush();
            return counts;
        }
        ++counts.total;
        if (convert(file) == 0) {
            ++counts.converted;
        } else {
            ++counts.failed;
        }
        log.flush();
    }
    log_summary(log, counts, verbose);
    log.flush();
    return counts;
}

}  // namespace quorlix
