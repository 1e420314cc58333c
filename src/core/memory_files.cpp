#include "core/memory_files.hpp"

#include <algorithm>
#include <ostream>
#include <sstream>
#include <streambuf>

namespace lorvenna {
namespace {

// Appends to a string it does not own up to a capacity, then fails every
// write; with no capacity set it never fails.
class CappedBuffer : public std::streambuf {
public:
    CappedBuffer(std::string& text, std::size_t capacity) : text_(text), capacity_(capacity) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        if (text_.size() >= capacity_) return traits_type::eof();
        text_.push_back(traits_type::to_char_type(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::size_t room = capacity_ - std::min(capacity_, text_.size());
        const std::size_t taken = std::min(room, static_cast<std::size_t>(n));
        text_.append(s, taken);
        return static_cast<std::streamsize>(taken);
    }

private:
    std::string& text_;
    std::size_t capacity_;
};

// Accepts every write and keeps nothing.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A stream that owns its buffer.
template <typename Buffer>
class OwningStream : public std::ostream {
public:
    template <typename... Args>
    explicit OwningStream(Args&&... args) : std::ostream(nullptr), buffer_(std::forward<Args>(args)...) {
        rdbuf(&buffer_);
    }

private:
    Buffer buffer_;
};

}  // namespace

std::unique_ptr<std::ostream> MemoryFiles::sink(const std::string& name, bool empty_first) {
    if (refused.count(name) != 0) return nullptr;
    if (keep && !keep(name)) return std::make_unique<OwningStream<NullBuffer>>();
    std::string& text = outputs[name];
    if (empty_first) text.clear();
    const auto cap = capacity.find(name);
    return std::make_unique<OwningStream<CappedBuffer>>(text, cap == capacity.end() ? default_capacity : cap->second);
}

std::unique_ptr<std::ostream> MemoryFiles::create(const std::filesystem::path& path) {
    return sink(path.filename().string(), true);
}

std::unique_ptr<std::ostream> MemoryFiles::append(const std::filesystem::path& path) {
    return sink(path.filename().string(), false);
}

std::unique_ptr<std::istream> MemoryFiles::open_existing(const std::filesystem::path& path) {
    const auto it = inputs.find(path.filename().string());
    if (it == inputs.end()) return nullptr;
    return std::make_unique<std::istringstream>(it->second);
}

std::string MemoryFiles::open_failure(const std::filesystem::path&) { return "No such file or directory"; }

std::string MemoryFiles::text(const std::string& name) const {
    const auto it = outputs.find(name);
    return it == outputs.end() ? std::string() : it->second;
}

}  // namespace lorvenna
