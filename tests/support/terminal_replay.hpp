#pragma once
// What a terminal shows after some output: the rows that scrolled past
// (ended by a line feed) and the row the cursor is on.  It knows what a
// progress line uses: carriage return, line feed and "erase to the end of
// the line" (ESC [ K).
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace lorvenna::testing {

struct TerminalRows {
    std::vector<std::string> past;
    std::string current;
};

inline TerminalRows replay_terminal(std::string_view bytes) {
    TerminalRows t;
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            t.past.push_back(t.current);
            t.current.clear();
            column = 0;
        } else if (bytes.substr(i, 3) == "\x1b[K") {
            t.current.resize(std::min(column, t.current.size()));
            i += 2;
        } else {
            if (column < t.current.size())
                t.current[column] = c;
            else
                t.current.push_back(c);
            ++column;
        }
    }
    return t;
}

}  // namespace lorvenna::testing
