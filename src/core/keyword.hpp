#pragma once
// A keyword answer or parameter: 7 characters, blank-padded on the right,
// compared in full and case-sensitively ("rmd" is "rmd" and four blanks).
#include <cstddef>
#include <string>
#include <string_view>

namespace lorvenna {

using Keyword = std::string;

inline Keyword keyword(std::string_view text, std::size_t width = 7) {
    Keyword k(text.substr(0, width));
    k.resize(width, ' ');
    return k;
}

inline bool is_keyword(const Keyword& value, std::string_view text) { return value == keyword(text, value.size()); }

}  // namespace lorvenna
