#pragma once
// A stream buffer that appends everything written to a string it does not
// own: a report or table kept in memory until it is handed on whole.
#include <streambuf>
#include <string>

namespace lorvenna {

class StringBuffer : public std::streambuf {
public:
    explicit StringBuffer(std::string& text) : text_(text) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) text_.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        text_.append(s, static_cast<std::size_t>(n));
        return n;
    }

private:
    std::string& text_;
};

}  // namespace lorvenna
