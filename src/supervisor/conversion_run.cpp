#include "supervisor/conversion_run.h"

#include "base/messages.h"
#include "base/paths.h"
#include "platform/files.h"
#include "platform/process.h"
#include "supervisor/ordered_log.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <set>
#include <utility>
#include <thread>
#include <vector>

namespace quorlix {

namespace {

bool same_directory_name(const std::string& a, const std::string& b) {
    return platform::name_key(a) == platform::name_key(b);
}

// "Error: insufficient memory", the run's own.
std::string no_memory_line() {
    return std::string(messages::run_error) + messages::no_memory + "\n";
}

// The converter processes of a run: files are handed over in the order of
// the run, one at a time to the first free worker of a fixed pool, and each
// writes into its own entry of the ordered log. With one worker the run is
// a run of one file after another.
class Dispatcher {
public:
    Dispatcher(unsigned workers, FileConverter& converter, OrderedLog& log, RunCounts& counts,
               RunProgress* progress)
        : converter_(converter), log_(log), counts_(counts), progress_(progress) {
        for (unsigned i = 0; i < std::max(workers, 1u); ++i) threads_.emplace_back([this] { work(); });
    }
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;
    ~Dispatcher() { finish(); }

    // Waits until a worker is free, so that whatever is decided next (to
    // stop, or which file comes) is decided when the file can start.
    void wait_for_worker() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return has_free_worker(); });
    }

    // Waits until every file handed over has been converted.
    void wait_until_idle() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return busy_ == 0 && tasks_.empty(); });
    }

    // Hands the file to a free worker (waiting for one first if need be).
    void dispatch(const std::string& path, const std::string& output_dir) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return has_free_worker(); });
        ++counts_.total;
        tasks_.push_back({path, output_dir, &log_.open()});
        changed_.notify_all();
    }

    // Waits until every file handed over is converted; the workers end.
    void finish() {
        {
            std::lock_guard lock(mutex_);
            if (finishing_) return;
            finishing_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    // Adds to the counts under the lock the workers use.
    template <typename Change>
    void count(Change change) {
        std::lock_guard lock(mutex_);
        change(counts_);
    }

private:
    struct Task {
        std::string path;
        std::string output_dir;
        OrderedLog::Entry* entry;
    };

    // With the lock held.
    bool has_free_worker() const { return busy_ + tasks_.size() < threads_.size(); }

    void work() {
        for (;;) {
            Task task;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return !tasks_.empty() || finishing_; });
                if (tasks_.empty()) return;
                task = std::move(tasks_.front());
                tasks_.pop_front();
                ++busy_;
            }
            int status = exit_failed;
            bool no_memory = false;
            try {
                status = converter_.convert_one_file(task.path, task.output_dir, *task.entry);
            } catch (const std::bad_alloc&) {
                no_memory = true;
            }
            if (no_memory) task.entry->write(no_memory_line());
            log_.close(*task.entry);
            std::lock_guard lock(mutex_);
            --busy_;
            if (status == exit_converted) {
                ++counts_.converted;
            } else if (status == exit_skipped) {
                ++counts_.skipped;
            } else {
                ++counts_.failed;
            }
            if (no_memory) counts_.stopped = true;
            if (progress_ != nullptr) {
                progress_->done = counts_.converted + counts_.skipped + counts_.failed;
                progress_->failed = counts_.failed;
            }
            changed_.notify_all();
        }
    }

    FileConverter& converter_;
    OrderedLog& log_;
    RunCounts& counts_;
    RunProgress* progress_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    std::size_t busy_ = 0;
    bool finishing_ = false;
    std::vector<std::thread> threads_;
};

class Run {
public:
    Run(const ConversionJob& job, OutputSink& log, const RunSettings& settings,
        FileConverter& converter)
        : job_(job),
          log_(log),
          settings_(settings),
          ordered_(log),
          dispatcher_(std::max(settings.jobs, 1u), converter, ordered_, counts, settings.progress) {}

    RunCounts counts;

    // True when the run must not start another file: an abort, a log that
    // can no longer be written, or a worker out of memory. Asked when a
    // worker is free to take the next file.
    bool must_stop() {
        dispatcher_.wait_for_worker();
        if (ordered_.failed()) {
            dispatcher_.count([](RunCounts& c) { c.stopped = true; });
            return true;
        }
        if (settings_.abort_flag != nullptr && *settings_.abort_flag != 0) {
            interrupted_ = true;
            return true;
        }
        bool stopped = false;
        dispatcher_.count([&](RunCounts& c) { stopped = c.stopped; });
        return stopped;
    }

    void convert(const std::string& path, const std::string& output_dir) {
        // A directory's pages come one after another: its output directory
        // is made once, before the first of them.
        if (!output_dir.empty() && job_.create_output_dirs && output_dir != made_output_dir_) {
            platform::make_directories(output_dir);
            made_output_dir_ = output_dir;
        }
        dispatcher_.dispatch(path, output_dir);
    }

    // The output directory of the pages of dir: the same place relative to
    // the output directory as dir has relative to the website.
    std::string output_dir_for(const std::string& dir) const {
        if (job_.output_dir.empty()) return {};
        std::string relative = dir.substr(std::min(dir.size(), job_.site_directory.size()));
        std::size_t start = relative.find_first_not_of(platform::path_separators);
        if (start == std::string::npos) return job_.output_dir;
        return *join_path(job_.output_dir, std::string_view(relative).substr(start), std::nullopt);
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
                ordered_.write_entry(messages::too_deep + dir + "\n");
                dispatcher_.count([](RunCounts& c) { c.stopped = true; });
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
                    dispatcher_.count([](RunCounts& c) {
                        ++c.total;
                        ++c.skipped;
                    });
                    if (settings_.verbose) ordered_.write_entry(path + messages::skipped_link);
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
                if (settings_.verbose) ordered_.write_entry(sub + messages::skipped_directory);
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
        // A file named a second time (or through a link) is converted after
        // the first conversion has ended, as one file after another would.
        std::set<std::pair<std::uint64_t, std::uint64_t>> named;
        for (const std::string& file : job_.files) {
            if (auto identity = platform::identity_of(file)) {
                if (!named.insert({identity->device, identity->index}).second) {
                    dispatcher_.wait_until_idle();
                }
            }
            if (must_stop()) break;
            if (!job_.output_dir.empty()) {
                std::string target = *join_path(job_.output_dir, base_name_of(file), std::nullopt);
                if (!targets.insert(platform::name_key(target)).second) {
                    dispatcher_.count([](RunCounts& c) {
                        ++c.total;
                        ++c.failed;
                    });
                    ordered_.write_entry(messages::program_name + (messages::error_head + file) +
                                         messages::same_target_1 + target + messages::same_target_2);
                    continue;
                }
            }
            convert(file, job_.output_dir);
        }
        end();
    }

    void convert_site() {
        walk(job_.site_directory);
        end();
    }

    // Waits for the files under way; then the interrupt line and the
    // summary, unless the run stopped for another reason.
    void end() {
        dispatcher_.finish();
        ordered_.wait_until_written();
        if (interrupted_) {
            log_.write(messages::interrupted);
            counts.interrupted = true;
        }
        if (!counts.stopped) log_summary(log_, counts, settings_.verbose, settings_.summary_word);
        log_.flush();
    }

private:
    const ConversionJob& job_;
    OutputSink& log_;
    const RunSettings& settings_;
    OrderedLog ordered_;
    Dispatcher dispatcher_;
    std::string made_output_dir_;
    bool interrupted_ = false;
};

}  // namespace

void write_banner(OutputSink& log) {
    log.write(messages::banner_start);
    log.write(messages::product_banner_name);
    log.write(messages::banner_end);
}

void log_summary(OutputSink& log, const RunCounts& counts, bool verbose, const char* word) {
    if (!verbose) return;
    std::string line = std::string(word) + ": " + std::to_string(counts.converted);
    if (counts.failed > 0 || counts.skipped > 0) {
        if (counts.skipped > 0) line += messages::summary_skipped + std::to_string(counts.skipped);
        if (counts.failed > 0) line += messages::summary_failed + std::to_string(counts.failed);
        line += messages::summary_total + std::to_string(counts.total) + "\n";
    } else {
        line += messages::summary_of + std::to_string(counts.converted) + ".\n";
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
    Result<std::unique_ptr<FileConverter>> converter = prepare();
    if (!converter) {
        log.write(converter.message());
        log.write("\n");
        log.flush();
        RunCounts counts;
        counts.stopped = true;
        return counts;
    }
    RunCounts counts;
    try {
        Run run(job, log, settings, **converter);
        try {
            if (!job.site_directory.empty()) {
                run.convert_site();
            } else {
                run.convert_files();
            }
        } catch (const std::bad_alloc&) {
            // The files under way finish and are logged first.
            run.end();
            log.write(no_memory_line());
            run.counts.stopped = true;
        }
        counts = run.counts;
    } catch (const std::bad_alloc&) {
        log.write(no_memory_line());
        counts.stopped = true;
    }
    log.flush();
    return counts;
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
