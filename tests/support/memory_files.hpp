#pragma once
// Report files and input files kept in memory: the file system of the tests
// and of the fuzz harness.  A report file can be refused or fill up after a
// number of bytes, as a full disk does; an input stream can fail after some lines.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>

#include "core/io_seam.hpp"

namespace lorvenna::testing {

// Keeps what is written up to `capacity` bytes, then fails every write.
class ReportBuffer : public std::streambuf {
public:
    std::string text;
    std::size_t capacity = static_cast<std::size_t>(-1);

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
        if (text.size() >= capacity) return traits_type::eof();
        text.push_back(traits_type::to_char_type(ch));
        return ch;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::size_t room = capacity - std::min(capacity, text.size());
        const std::size_t taken = std::min(room, static_cast<std::size_t>(n));
        text.append(s, taken);
        return static_cast<std::streamsize>(taken);
    }
};

// Files are known by their name alone, whatever the directory.
class MemoryFiles : public FileSystem {
public:
    std::map<std::string, std::string> inputs;
    std::map<std::string, ReportBuffer> outputs;  // every report file created, by name
    std::set<std::string> refused;                // cannot be created
    std::map<std::string, std::size_t> capacity;  // fills up after so many bytes
    std::size_t default_capacity = static_cast<std::size_t>(-1);

    std::unique_ptr<std::ostream> create(const std::filesystem::path& path) override {
        const std::string name = path.filename().string();
        if (refused.count(name) != 0) return nullptr;
        ReportBuffer& b = outputs[name];
        b.text.clear();
        const auto cap = capacity.find(name);
        b.capacity = cap == capacity.end() ? default_capacity : cap->second;
        return std::make_unique<std::ostream>(&b);
    }
    std::unique_ptr<std::istream> open_existing(const std::filesystem::path& path) override {
        const auto it = inputs.find(path.filename().string());
        if (it == inputs.end()) return nullptr;
        return std::make_unique<std::istringstream>(it->second);
    }
    std::string text(const std::string& name) const {
        const auto it = outputs.find(name);
        return it == outputs.end() ? std::string() : it->second.text;
    }
};

// Serves `text`, then fails as a broken disk would.
class FailingInput : public std::istream {
    struct Buffer : std::streambuf {
        std::string text;
        bool served = false;
        int_type underflow() override {
            if (served || text.empty()) throw std::runtime_error("read failure");
            served = true;
            setg(text.data(), text.data(), text.data() + text.size());
            return traits_type::to_int_type(text[0]);
        }
    } buffer_;

public:
    explicit FailingInput(std::string text) : std::istream(nullptr) {
        buffer_.text = std::move(text);
        rdbuf(&buffer_);
    }
};

}  // namespace lorvenna::testing
