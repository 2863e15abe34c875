#include "supervisor/ordered_log.h"

namespace quorlix {

void OrderedLog::Entry::write(std::string_view text) {
    if (text.empty()) return;
    std::unique_lock lock(owner_.mutex_);
    if (owner_.entries_.front().get() == this) {
        owner_.log_.write(text);
        return;
    }
    held_.append(text);
    // Beyond the limit the writer waits for its turn; by then advance()
    // has written what it held.
    owner_.turn_changed_.wait(lock, [&] {
        return held_.size() < owner_.hold_limit_ || owner_.entries_.front().get() == this;
    });
}

void OrderedLog::Entry::flush() {
    std::lock_guard lock(owner_.mutex_);
    if (owner_.entries_.front().get() == this) owner_.log_.flush();
}

bool OrderedLog::Entry::failed() const { return owner_.log_.failed(); }

OrderedLog::Entry& OrderedLog::open() {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::unique_ptr<Entry>(new Entry(*this)));
    return *entries_.back();
}

void OrderedLog::close(Entry& entry) {
    std::lock_guard lock(mutex_);
    entry.closed_ = true;
    advance();
}

void OrderedLog::write_entry(std::string_view text) {
    Entry& entry = open();
    entry.write(text);
    close(entry);
}

void OrderedLog::wait_until_written() {
    std::unique_lock lock(mutex_);
    turn_changed_.wait(lock, [&] { return entries_.empty(); });
}

void OrderedLog::advance() {
    bool moved = false;
    while (!entries_.empty()) {
        Entry& first = *entries_.front();
        if (!first.held_.empty()) {
            log_.write(first.held_);
            std::string().swap(first.held_);
        }
        if (!first.closed_) break;
        entries_.pop_front();
        moved = true;
    }
    if (moved) {
        log_.flush();
        turn_changed_.notify_all();
    }
}

}  // namespace quorlix
