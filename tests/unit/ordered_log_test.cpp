#include "supervisor/ordered_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quorlix {
namespace {

// A log that can be read while others write into it.
class SharedLog final : public OutputSink {
public:
    void write(std::string_view text) override {
        std::lock_guard lock(mutex_);
        text_.append(text);
    }
    std::string text() {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    std::mutex mutex_;
    std::string text_;
};

TEST(OrderedLog, EntriesReachTheLogInTheOrderTheyWereOpened) {
    SharedLog log;
    OrderedLog ordered(log);
    OrderedLog::Entry& first = ordered.open();
    OrderedLog::Entry& second = ordered.open();
    ordered.write_entry("[line]");
    OrderedLog::Entry& fourth = ordered.open();
    fourth.write("four");
    second.write("two");
    ordered.close(fourth);
    ordered.close(second);
    EXPECT_EQ(log.text(), "");  // the first entry's turn has not ended
    first.write("one, ");
    EXPECT_EQ(log.text(), "one, ") << "the entry whose turn it is writes through";
    first.write("done");
    ordered.close(first);
    EXPECT_EQ(log.text(), "one, donetwo[line]four");
    ordered.wait_until_written();
}

TEST(OrderedLog, ALaterEntryBeyondTheLimitWaitsForItsTurn) {
    SharedLog log;
    OrderedLog ordered(log, 8);
    OrderedLog::Entry& first = ordered.open();
    OrderedLog::Entry& second = ordered.open();
    std::atomic<int> written{0};
    std::thread writer([&] {
        second.write("12345");
        written = 1;
        second.write("6789");  // past the limit of 8: waits
        written = 2;
        second.write("!");
        ordered.close(second);
    });
    while (written < 1) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(written, 1) << "a writer beyond the limit must wait";
    EXPECT_EQ(log.text(), "");
    first.write("first.");
    ordered.close(first);
    writer.join();
    EXPECT_EQ(log.text(), "first.123456789!");
}

}  // namespace
}  // namespace quorlix
