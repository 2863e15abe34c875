#include "platform/text_stream.h"

#include <algorithm>
#include <cstring>

namespace quorlix {

namespace {
constexpr char ctrl_z = 0x1A;
}

// Reads the next raw block. A CR at the very end of the previous block is kept
// in front of it, so that a CR LF split between two reads still pairs up.
bool TextReader::fill() {
    std::size_t keep = raw_pos_ < raw_len_ ? raw_len_ - raw_pos_ : 0;
    if (keep > 0) std::memmove(raw_.data(), raw_.data() + raw_pos_, keep);
    raw_pos_ = 0;
    raw_len_ = keep;
    long n = read_raw(raw_.data() + keep, raw_.size() - keep);
    if (n < 0) return false;
    if (n == 0) at_end_ = true;
    raw_len_ += static_cast<std::size_t>(n);
    return true;
}

long TextReader::read_raw(char* data, std::size_t size) {
    if (file_ != nullptr) return file_->read(data, size);
    std::size_t n = std::min(size, memory_.size() - memory_pos_);
    std::memcpy(data, memory_.data() + memory_pos_, n);
    memory_pos_ += n;
    return static_cast<long>(n);
}

long TextReader::read(char* data, std::size_t size) {
    if (translated_) return read_raw(data, size);
    std::size_t produced = 0;
    while (produced < size && !stopped_) {
        if (raw_pos_ == raw_len_) {
            if (at_end_ || produced > 0) break;
            if (!fill()) return -1;
            continue;
        }
        const char* start = raw_.data() + raw_pos_;
        std::size_t available = std::min(raw_len_ - raw_pos_, size - produced);
        // Copy the plain run up to the next CR or Ctrl-Z in one piece.
        const void* cr = std::memchr(start, '\r', available);
        std::size_t run = cr != nullptr ? static_cast<const char*>(cr) - start : available;
        if (const void* z = std::memchr(start, ctrl_z, run)) run = static_cast<const char*>(z) - start;
        std::memcpy(data + produced, start, run);
        produced += run;
        raw_pos_ += run;
        if (run == available) continue;

        if (start[run] == ctrl_z) {
            stopped_ = true;
            break;
        }
        // A CR: look at the byte after it, reading on if it is not here yet.
        if (raw_pos_ + 1 == raw_len_ && !at_end_) {
            if (produced > 0) break;  // deliver what we have; pair it next time
            if (!fill()) return -1;
            continue;
        }
        if (raw_pos_ + 1 < raw_len_ && raw_[raw_pos_ + 1] == '\n') {
            data[produced++] = '\n';
            raw_pos_ += 2;
        } else {
            data[produced++] = '\r';
            raw_pos_ += 1;
        }
    }
    return static_cast<long>(produced);
}

bool TextReader::rewind() {
    raw_pos_ = raw_len_ = 0;
    at_end_ = stopped_ = false;
    memory_pos_ = 0;
    return file_ == nullptr || file_->rewind();
}

bool TextWriter::put(const char* data, std::size_t size) {
    if (failed_) return false;
    if (used_ + size > buffer_.size()) {
        if (!flush()) return false;
        if (size >= buffer_.size()) {
            if (!write_raw(data, size)) failed_ = true;
            note_written(size);
            return !failed_;
        }
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
}

bool TextWriter::write(const char* data, std::size_t size) {
    const char* end = data + size;
    while (data < end) {
        if (buffer_.size() - used_ < 2 && !flush()) return false;
        if (failed_) return false;
        // Copy up to the next LF straight into the buffer, leaving room for
        // the CR LF that replaces it.
        std::size_t chunk = std::min<std::size_t>(buffer_.size() - used_ - 1, end - data);
        const char* lf = static_cast<const char*>(std::memchr(data, '\n', chunk));
        std::size_t n = lf != nullptr ? static_cast<std::size_t>(lf - data) : chunk;
        std::memcpy(buffer_.data() + used_, data, n);
        used_ += n;
        data += n;
        if (lf != nullptr) {
            buffer_[used_++] = '\r';
            buffer_[used_++] = '\n';
            ++data;
        }
    }
    return !failed_;
}

bool TextWriter::write_binary(const char* data, std::size_t size) { return put(data, size); }

bool TextWriter::flush() {
    if (failed_) return false;
    if (used_ > 0 && !write_raw(buffer_.data(), used_)) failed_ = true;
    note_written(used_);
    used_ = 0;
    return !failed_;
}

bool TextWriter::write_raw(const char* data, std::size_t size) {
    if (file_ != nullptr) return file_->write_all(data, size);
    memory_->append(data, size);
    return true;
}

void TextWriter::note_written(std::size_t size) {
    unsynced_ += size;
    if (unsynced_ >= writeback_step && file_ != nullptr) {
        file_->start_writeback();
        unsynced_ = 0;
    }
}

}  // namespace quorlix
