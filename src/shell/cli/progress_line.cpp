#include "shell/cli/progress_line.h"

#include <cstdio>

namespace quorlix::cli {

std::string progress_text(int done, std::optional<int> total, int failed, double seconds) {
    std::string text = std::to_string(done);
    if (total) text += " of " + std::to_string(*total);
    text += done == 1 && !total ? " page" : " pages";
    if (seconds > 0) {
        char rate[32];
        std::snprintf(rate, sizeof rate, ", %.1f a second", done / seconds);
        text += rate;
    }
    if (failed > 0) text += ", " + std::to_string(failed) + " failed";
    const long whole = static_cast<long>(seconds);
    char clock[32];
    std::snprintf(clock, sizeof clock, ", %ld:%02ld", whole / 60, whole % 60);
    return text + clock;
}

ProgressLine::ProgressLine(const RunProgress& progress, std::optional<int> total, bool log_on_terminal)
    : progress_(progress),
      total_(total),
      log_on_terminal_(log_on_terminal),
      thread_([this] { redraw_until_stopped(); }) {}

ProgressLine::~ProgressLine() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_requested_.notify_all();
    thread_.join();
    std::lock_guard lock(mutex_);
    erase_locked();
}

void ProgressLine::erase_locked() {
    if (shown_ == 0) return;
    std::string blank = "\r" + std::string(shown_, ' ') + "\r";
    std::fputs(blank.c_str(), stderr);
    std::fflush(stderr);
    shown_ = 0;
}

void ProgressLine::redraw_until_stopped() {
    using namespace std::chrono_literals;
    std::unique_lock lock(mutex_);
    // The first line after a moment: a short run shows none.
    while (!stop_requested_.wait_for(lock, 250ms, [&] { return stopping_; })) {
        if (log_line_open_) continue;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        std::string text = "quorlix: " + progress_text(progress_.done, total_, progress_.failed, seconds);
        std::string line = "\r" + text;
        if (text.size() < shown_) line += std::string(shown_ - text.size(), ' ');
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        shown_ = text.size();
    }
}

}  // namespace quorlix::cli
