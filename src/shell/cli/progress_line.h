// The status line of a long run on a terminal: pages done (of how many, when
// known), pages a second, failures and the time so far, on standard error,
// redrawn a few times a second. When the log goes to the same terminal, it
// erases the line before each of its lines, and it is gone at the end, so
// that what the terminal keeps is the log alone.
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
    // total: the number of files when known; log_on_terminal: standard output
    // is a terminal too, so the log's lines and this one share the screen.
    ProgressLine(const RunProgress& progress, std::optional<int> total, bool log_on_terminal);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // A write of the log, done by `write`: when the log goes to the terminal
    // too, the line goes first and stays away while a log line is open (a
    // page whose "Done." is still to come). The line is not redrawn during the
    // write, so it never lands inside the log's text.
    template <typename Write>
    void log_write(bool line_open_after, Write&& write) {
        std::lock_guard lock(mutex_);
        if (log_on_terminal_) erase_locked();
        write();
        if (log_on_terminal_) log_line_open_ = line_open_after;
    }

private:
    void redraw_until_stopped();
    void erase_locked();

    const RunProgress& progress_;
    const std::optional<int> total_;
    const bool log_on_terminal_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::mutex mutex_;
    std::condition_variable stop_requested_;
    bool stopping_ = false;
    bool log_line_open_ = false;
    std::size_t shown_ = 0;  // characters of the line on the terminal
    std::thread thread_;
};

}  // namespace quorlix::cli
