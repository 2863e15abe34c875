// The status line of a long run on a terminal: pages done (of how many, when
// known), pages a second, failures and the time so far, on standard error,
// redrawn a few times a second. The log on standard output erases it before
// each of its lines and it is gone at the end, so that what the terminal
// keeps is the log alone.
#pragma once

#include "supervisor/conversion_run.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace quorlix::cli {

// The text of the line: "12 of 40 pages, 8.0 a second, 1 failed, 0:03".
std::string progress_text(int done, std::optional<int> total, int failed, double seconds);

class ProgressLine {
public:
    // total: the number of files when known.
    ProgressLine(const RunProgress& progress, std::optional<int> total);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Before the log writes: the line goes, and stays away while a log line
    // is open (a page whose "Done." is still to come).
    void before_log_write();
    void after_log_write(bool line_open);

private:
    void redraw_until_stopped();
    void erase_locked();

    const RunProgress& progress_;
    const std::optional<int> total_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::mutex mutex_;
    std::condition_variable stop_requested_;
    bool stopping_ = false;
    bool log_line_open_ = false;
    std::size_t shown_ = 0;  // characters of the line on the terminal
    std::thread thread_;
};

}  // namespace quorlix::cli
