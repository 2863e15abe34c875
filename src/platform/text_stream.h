// Text-mode files, emulated the same way on every platform so that a document
// converts to the same bytes on Linux and on Windows:
//   reading:  CR LF reads as LF, a lone CR stays, a Ctrl-Z byte ends the input;
//   writing:  every LF is written as CR LF.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quorlix {

// A fixed block of bytes, left uninitialised: a converter process for a
// small page touches only the little of it that the page needs.
class ByteBlock {
public:
    explicit ByteBlock(std::size_t size)
        : bytes_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {}
    char* data() { return bytes_.get(); }
    std::size_t size() const { return size_; }
    char& operator[](std::size_t i) { return bytes_[i]; }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

class TextReader {
public:
    explicit TextReader(platform::File& file) : file_(&file) {}
    // Reads a document held in memory (standard input, read whole).
    explicit TextReader(std::string_view memory) : memory_(memory) {}
    // Reads text that was read through a TextReader before (and then
    // transcoded): it is given as it is, without a second translation.
    static TextReader of_translated(std::string_view memory) {
        TextReader reader(memory);
        reader.translated_ = true;
        return reader;
    }

    // Fills data with up to size translated bytes. Returns the count, 0 at the
    // end of the input (or at a Ctrl-Z), -1 on a read error.
    long read(char* data, std::size_t size);

    // Starts again at the beginning of the file.
    bool rewind();

private:
    bool fill();
    long read_raw(char* data, std::size_t size);

    platform::File* file_ = nullptr;
    std::string_view memory_;
    std::size_t memory_pos_ = 0;
    ByteBlock raw_{8192};
    std::size_t raw_pos_ = 0;
    std::size_t raw_len_ = 0;
    bool at_end_ = false;   // the file has no more bytes
    bool stopped_ = false;  // a Ctrl-Z ended the input
    bool translated_ = false;
};

class TextWriter {
public:
    explicit TextWriter(platform::File& file) : file_(&file) {}
    // Writes into memory (for standard output, written once complete).
    explicit TextWriter(std::string& memory) : memory_(&memory) {}
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Writes text with LF translated to CR LF. False once any write failed.
    bool write(const char* data, std::size_t size);
    // Writes bytes untranslated (the byte-order mark).
    bool write_binary(const char* data, std::size_t size);
    // Hands everything buffered to the file.
    bool flush();
    bool failed() const { return failed_; }

private:
    bool put(const char* data, std::size_t size);
    bool write_raw(const char* data, std::size_t size);
    void note_written(std::size_t size);

    // A large document is handed to the disk while it is still being
    // written, so that the sync before the page is replaced waits less.
    static constexpr std::size_t writeback_step = std::size_t{8} << 20;

    platform::File* file_ = nullptr;
    std::string* memory_ = nullptr;
    ByteBlock buffer_{1 << 16};
    std::size_t used_ = 0;
    std::size_t unsynced_ = 0;  // bytes written since the last writeback hint
    bool failed_ = false;
};

}  // namespace quorlix
