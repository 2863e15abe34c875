// A conversion run: the banner, the preparation of the converter launch,
// one conversion per file (the named files, or every matching file of a
// website tree), the abort looked at between files, the summary line and the
// release of what was prepared. Everything the run says goes through one
// OutputSink with LF line ends; a log that wants CR LF wraps its sink in a
// CrLfSink.
#pragma once

#include "base/output_sink.h"
#include "base/result.h"
#include "converter/converter_entry.h"

#include "base/messages.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorlix {

// The product's name and version, as the banner shows it.
using messages::product_banner_name;

struct RunCounts {
    int total = 0;
    int converted = 0;
    int failed = 0;
    bool interrupted = false;  // the abort was seen
    bool stopped = false;      // the run ended early for another reason
    int skipped = 0;           // pages left alone on purpose, and links in a site
};

// One job.
struct ConversionJob {
    // Website mode when not empty: the tree to convert.
    std::string site_directory;
    // File mode: each file converted on its own, in order.
    std::vector<std::string> files;
    // Website mode: the extensions without the dot, in order, and the full
    // paths of the directories not to enter.
    std::vector<std::string> extensions;
    std::vector<std::string> excluded_dirs;
    // Where converted files go instead of in place (empty: in place). In
    // website mode each page keeps its path relative to the website there,
    // and the directory itself is never walked.
    std::string output_dir;
    // Whether the run creates the output directories that are missing (not
    // in a dry run).
    bool create_output_dirs = true;
};

// Converts one file, into output_dir when it is not empty; returns
// exit_converted, exit_skipped (left alone on purpose) or anything else for
// a failure. Whatever it has to say about the file goes to the log.
class FileConverter {
public:
    virtual ~FileConverter() = default;
    virtual int convert_one_file(const std::string& path, const std::string& output_dir,
                                 OutputSink& log) = 0;
};

// The preparation of a run: a converter, or the failure whose message goes
// to the log.
using PrepareConverter = std::function<Result<std::unique_ptr<FileConverter>>()>;

// The request to stop a run, set by a signal handler (the command line) or
// by the window's thread while the run goes on in another (the wizard): a
// lock-free atomic serves both.
using AbortFlag = std::atomic<int>;
static_assert(AbortFlag::is_always_lock_free);

// What a run has done so far, for a progress display on another thread.
struct RunProgress {
    std::atomic<int> done{0};
    std::atomic<int> failed{0};
};

struct RunSettings {
    bool banner = true;
    bool verbose = true;  // the skipped-directory lines and the summary
    // Set by Ctrl-C or an Abort button; looked at before each file.
    const AbortFlag* abort_flag = nullptr;
    // The first word of the summary line.
    const char* summary_word = messages::summary_converted;
    // How many files are converted at the same time; the log is the same
    // whatever the number.
    unsigned jobs = 1;
    // Counted as files end, when given.
    RunProgress* progress = nullptr;
};

// Longest search pattern that the site walk may build (the Windows path limit).
inline constexpr std::size_t max_pattern_length = 259;

void write_banner(OutputSink& log);

// "Converted: N of N." or "Converted: C. Failed: F. Total: T", with
// "Skipped: S. " before "Failed" when pages were skipped (and then always in
// the long form); nothing unless verbose. word replaces "Converted".
void log_summary(OutputSink& log, const RunCounts& counts, bool verbose,
                 const char* word = messages::summary_converted);

// True when path is one of the excluded directories: byte for byte on Linux,
// ASCII letters without regard to case on Windows.
bool is_excluded_directory(const std::string& path, const std::vector<std::string>& excluded);

// The whole run. The converter that prepare gives lives until the summary
// has been written.
RunCounts perform_conversion_run(const ConversionJob& job, OutputSink& log,
                                 const RunSettings& settings, const PrepareConverter& prepare);

// Writes everything on to another sink with every LF that is not already
// preceded by CR written as CR LF (the converter's own output on Windows
// has CR LF already).
class CrLfSink final : public OutputSink {
public:
    explicit CrLfSink(OutputSink& target) : target_(target) {}
    void write(std::string_view text) override;
    void flush() override { target_.flush(); }
    bool failed() const override { return target_.failed(); }

private:
    OutputSink& target_;
    bool after_cr_ = false;
};

}  // namespace quorlix
