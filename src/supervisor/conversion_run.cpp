#include "supervisor/conversion_run.h"

#include "converter/paths.h"
#include "platform/process.h"

#include <algorithm>
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

    // True when the run must not start another file: an abort, or a log
    // that can no longer be written.
    bool must_stop() {
        if (log_.failed()) {
            counts.stopped = true;
            return true;
        }
        if (settings_.abort_flag != nullptr && *settings_.abort_flag != 0) {
            log_.write(interrupted_message);
            log_.flush();
            counts.interrupted = true;
            return true;
        }
        return false;
    }

    void convert(const std::string& path, const std::string& output_dir) {
        ++counts.total;
        if (!output_dir.empty() && job_.create_output_dirs) platform::make_directories(output_dir);
        const int status = converter_.convert_one_file(path, output_dir, log_);
        if (status == exit_converted) {
            ++counts.converted;
        } else if (status == exit_skipped) {
            ++counts.skipped;
        } else {
            ++counts.failed;
        }
        log_.flush();
    }

    // The output directory of the pages of dir: the same place relative to
    // the output directory as dir has relative to the website.
    std::string output_dir_for(const std::string& dir) const {
        if (job_.output_dir.empty()) return {};
        std::string relative = dir.substr(std::min(dir.size(), job_.site_directory.size()));
        std::size_t start = relative.find_first_not_of(separators());
        if (start == std::string::npos) return job_.output_dir;
        return *join_path(job_.output_dir, std::string_view(relative).substr(start), std::nullopt);
    }

    static const char* separators() {
        return native_path_style == PathStyle::posix ? "/" : "/\\";
    }

    // Converts the directory's own files, extension by extension, then
    // walks its subdirectories; false when the walk stopped early.
    bool walk(const std::string& dir) {
        const std::string output_dir = output_dir_for(dir);
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
                if (must_stop()) return false;
                if (entry.is_link) {
                    // A link planted in a website must not bring a file from
                    // elsewhere into it (or convert that file).
                    ++counts.total;
                    ++counts.skipped;
                    if (settings_.verbose) {
                        log_.write(path);
                        log_.write(skipped_link_message);
                    }
                    continue;
                }
                convert(path, output_dir);
            }
        }
        for (const platform::DirectoryEntry& entry :
             platform::find_entries(*join_path(dir, "*", std::nullopt))) {
            if (!entry.is_directory || entry.name == "." || entry.name == "..") continue;
            std::string sub = *join_path(dir, entry.name, std::nullopt);
            // The converted pages are not pages to convert.
            if (!job_.output_dir.empty() && same_directory_name(sub, job_.output_dir)) continue;
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
        // With an output directory, two files of the same name would be
        // written to the same place: the second one is refused.
        std::set<std::string> targets;
        for (const std::string& file : job_.files) {
            if (must_stop()) break;
            if (!job_.output_dir.empty()) {
                std::string target =
                    *join_path(job_.output_dir, base_name_of(file), std::nullopt);
                std::string key = target;
                if (native_path_style == PathStyle::windows) {
                    for (char& c : key) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
                }
                if (!targets.insert(key).second) {
                    ++counts.total;
                    ++counts.failed;
                    log_.write(std::string("quorlix: Error: ") + file + " would be written to " +
                               target + ",\nwhere another file of this run was written; it is skipped.\n");
                    continue;
                }
            }
            convert(file, job_.output_dir);
        }
        if (!counts.stopped) log_summary(log_, counts, settings_.verbose, settings_.summary_word);
    }

    void convert_site() {
        if (walk(job_.site_directory) || counts.interrupted) {
            log_summary(log_, counts, settings_.verbose, settings_.summary_word);
        }
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

void log_summary(OutputSink& log, const RunCounts& counts, bool verbose, const char* word) {
    if (!verbose) return;
    std::string line = std::string(word) + ": " + std::to_string(counts.converted);
    if (counts.failed > 0 || counts.skipped > 0) {
        if (counts.skipped > 0) line += ". Skipped: " + std::to_string(counts.skipped);
        if (counts.failed > 0) line += ". Failed: " + std::to_string(counts.failed);
        line += ". Total: " + std::to_string(counts.total) + "\n";
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
