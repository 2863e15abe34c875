// The log of a run whose files are converted at the same time. Each file's
// conversion writes into an entry of its own; the entries reach the log in
// the order in which they were opened, as a run of one file after another
// would write them. The entry whose turn it is writes through at once;
// later ones are held back up to a limit, after which their writer waits for
// its turn (a converter process then waits on its full pipe), so that the
// memory a run holds stays bounded whatever a page prints.
#pragma once

#include "base/diagnostics.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace quorlix {

class OrderedLog {
public:
    // What an entry that is not yet written may hold before its writer waits.
    static constexpr std::size_t default_hold_limit = std::size_t{1} << 20;

    class Entry final : public OutputSink {
    public:
        void write(std::string_view text) override;
        void flush() override;
        bool failed() const override;

    private:
        friend class OrderedLog;
        explicit Entry(OrderedLog& owner) : owner_(owner) {}
        OrderedLog& owner_;
        std::string held_;
        bool closed_ = false;
    };

    explicit OrderedLog(OutputSink& log, std::size_t hold_limit = default_hold_limit)
        : log_(log), hold_limit_(hold_limit) {}
    OrderedLog(const OrderedLog&) = delete;
    OrderedLog& operator=(const OrderedLog&) = delete;

    // A new entry after every entry opened so far. It stays valid until it
    // is closed, from whichever thread writes into it.
    Entry& open();
    // The entry's text is complete; it must not be used afterwards.
    void close(Entry& entry);
    // An entry of one text, opened and closed at once.
    void write_entry(std::string_view text);
    // Waits until every entry has been closed and written to the log.
    void wait_until_written();

    bool failed() const { return log_.failed(); }

private:
    // With the lock held: writes what the first entries hold and drops
    // those that are closed, until the first one that is still open.
    void advance();

    OutputSink& log_;
    const std::size_t hold_limit_;
    std::mutex mutex_;
    std::condition_variable turn_changed_;
    std::deque<std::unique_ptr<Entry>> entries_;
};

}  // namespace quorlix
