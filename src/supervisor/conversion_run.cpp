#include "supervisor/conversion_run.h"

#include "converter/paths.h"
#include "platform/process.h"

#include <new>
#include <set>

namespace quorlix {

namespace {

bool same_directory_name(const std::string& a, const std::string& b) {
    if (native_path_style == PathStyle::posix) return a == b;
    return equal_ignoring_case(a, b);
}

class Run {
public:
    Run(const ConversionJob& job, OutputSink& log, const RunSettings& settings,
        FileConverter& converter)
        : job_(job), log_(log), settings_(settings), converter_(converter) {}

    RunCounts counts;

    bool abort_requested() const {
        return settings_.abort_flag != nullptr && *settings_.abort_flag != 0;
    }

    void interrupted() {
        log_.write(interrupted_message);
        log_.flush();
        counts.interrupted = true;
    }

    void convert(const std::string& path) {
        ++counts.total;
        if (converter_.convert_one_file(path, log_) == 0) {
            ++counts.converted;
        } else {
            ++counts.failed;
        }
        log_.flush();
    }

    // Converts the directory's own files, extension by extension, then
    // walks its subdirectories; false when the walk stopped early.
    bool walk(const std::string& dir) {
        // A page found again by a later pattern (the same extension twice,
        // or in another letter case) is not converted again: a second
        // conversion would replace the backup of the original.
        std::set<std::string> taken;
        for (const std::string& extension : job_.extensions) {
            std::string pattern = *join_path(dir, "*", extension);
            if (pattern.size() > max_pattern_length) {
                log_.write(too_deep_message);
                log_.write(dir);
                log_.write("\n");
                counts.stopped = true;
                return false;
            }
            // The search is complete before the first file is converted, so
            // that a converted file, written anew under its old name, is
            // never found a second time.
            for (const platform::DirectoryEntry& entry : platform::find_entries(pattern)) {
                if (entry.is_directory || !taken.insert(entry.name).second) continue;
                std::string path = *join_path(dir, entry.name, std::nullopt);
                if (abort_requested()) {
                    interrupted();
                    return false;
                }
                convert(path);
            }
        }
        for (const platform::DirectoryEntry& entry :
             platform::find_entries(*join_path(dir, "*", std::nullopt))) {
            if (!entry.is_directory || entry.name == "." || entry.name == "..") continue;
            std::string sub = *join_path(dir, entry.name, std::nullopt);
            if (is_excluded_directory(sub, job_.excluded_dirs)) {
                if (settings_.verbose) {
                    log_.write(sub);
                    log_.write(skipped_directory_message);
                }
                continue;
            }
            if (!walk(sub)) return false;
        }
        return true;
    }

    void convert_files() {
        for (const std::string& file : job_.files) {
            if (abort_requested()) {
                interrupted();
                return;
            }
            convert(file);
        }
        log_summary(log_, counts, settings_.verbose);
    }

    void convert_site() {
        if (walk(job_.site_directory)) log_summary(log_, counts, settings_.verbose);
    }

private:
    const ConversionJob& job_;
    OutputSink& log_;
    const RunSettings& settings_;
    FileConverter& converter_;
};

}  // namespace

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

bool is_excluded_directory(const std::string& path, const std::vector<std::string>& excluded) {
    for (const std::string& entry : excluded) {
        if (same_directory_name(path, entry)) return true;
    }
    return false;
}

RunCounts perform_conversion_run(const ConversionJob& job, OutputSink& log,
                                 const RunSettings& settings, const PrepareConverter& prepare) {
    if (settings.banner) write_banner(log);
    log.flush();
    std::string message;
    std::unique_ptr<FileConverter> converter = prepare(message);
    if (!converter) {
        log.write(message);
        log.write("\n");
        log.flush();
        RunCounts counts;
        counts.stopped = true;
        return counts;
    }
    Run run(job, log, settings, *converter);
    try {
        if (!job.site_directory.empty()) {
            run.convert_site();
        } else {
            run.convert_files();
        }
    } catch (const std::bad_alloc&) {
        log.write(no_memory_message);
        run.counts.stopped = true;
    }
    log.flush();
    return run.counts;
}

void CrLfSink::write(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n' && !after_cr_) out += '\r';
        out += c;
        after_cr_ = c == '\r';
    }
    target_.write(out);
}

}  // namespace quorlix
