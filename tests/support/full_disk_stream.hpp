#pragma once
// A report stream that keeps nothing: it accepts `capacity` bytes, then fails
// every write the way a full disk does.  Fault-injection tests use it to fill
// the disk mid-run; the fuzz harness to keep passes that would write megabytes
// from filling memory.
#include <algorithm>
#include <cstddef>
#include <ostream>
#include <streambuf>

namespace lorvenna::testing {

class FullDiskBuffer : public std::streambuf {
public:
    explicit FullDiskBuffer(std::size_t capacity) : capacity_(capacity) {}

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
        if (written_ >= capacity_) return traits_type::eof();
        ++written_;
        return ch;
    }
    std::streamsize xsputn(const char*, std::streamsize n) override {
        const auto room = static_cast<std::streamsize>(capacity_ - std::min(capacity_, written_));
        const auto taken = std::min(room, n);
        written_ += static_cast<std::size_t>(taken);
        return taken;
    }

private:
    std::size_t capacity_;
    std::size_t written_ = 0;
};

class FullDiskStream : public std::ostream {
public:
    explicit FullDiskStream(std::size_t capacity) : std::ostream(nullptr), buffer_(capacity) { rdbuf(&buffer_); }

private:
    FullDiskBuffer buffer_;
};

}  // namespace lorvenna::testing
