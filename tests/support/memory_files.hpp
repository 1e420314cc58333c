#pragma once
// The in-memory file system of the tests and the fuzz harness, and an input
// stream that fails after some lines, as a broken disk does.
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

#include "core/memory_files.hpp"

namespace lorvenna::testing {

using lorvenna::MemoryFiles;

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
