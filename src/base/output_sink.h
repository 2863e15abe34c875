// Where the text of a conversion goes: the pipe to the supervisor, the log of
// a run (standard output, a log file, the wizard's window), or a string in
// tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorlix {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual void write(std::string_view text) = 0;
    virtual void flush() {}
    // True once a write could not be carried out.
    virtual bool failed() const { return false; }
};

class FileSink final : public OutputSink {
public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    void write(std::string_view text) override {
        if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file_);
    }
    void flush() override { std::fflush(file_); }

private:
    std::FILE* file_;
};

class StringSink final : public OutputSink {
public:
    void write(std::string_view text) override { text_.append(text); }
    const std::string& text() const { return text_; }
    void clear() { text_.clear(); }

private:
    std::string text_;
};

}  // namespace quorlix
