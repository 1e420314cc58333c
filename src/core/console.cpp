#include "core/console.hpp"

#include <charconv>
#include <cmath>
#include <istream>
#include <ostream>

#include "core/program_end.hpp"
#include "core/session_limits.hpp"
#include "core/text_records.hpp"

namespace lorvenna {

// Every console line is on the screen as soon as it is written: prompts before
// their answer is read, progress and per-row lines while the pass runs.  The
// console carries a few lines per species at most; the bulk output goes to
// the report files, which stay buffered.
void say(Io& io, std::string_view text) {
    io.out << ' ' << text << '\n';
    io.out.flush();
}

void say_fixed(Io& io, std::string_view text) {
    io.out << text << '\n';
    io.out.flush();
}

void tell(Io& io, std::string_view text) {
    if (!io.quiet) say(io, text);
}

void tell_fixed(Io& io, std::string_view text) {
    if (!io.quiet) say_fixed(io, text);
}

void warn_fixed(Io& io, std::string_view text) {
    if (io.progress != nullptr) io.progress->clear();
    std::ostream& to = io.messages != nullptr ? *io.messages : io.out;
    to << text << '\n';
    to.flush();
}

void warn(Io& io, std::string_view text) { warn_fixed(io, " " + std::string(text)); }

void say_open_failure(Io& io, std::string_view name) {
    say(io, "Cannot open " + printable(name) + ": " + io.files.open_failure(io.input_path(std::string(name))));
}

std::string read_answer_line(Io& io) {
    io.out.flush();
    std::string line;
    if (!std::getline(io.in, line)) {
        // An interrupt at a prompt ends the read like the end of input does.
        if (interrupted(io)) end_interrupted();
        end_program(exit_error, " Console input ended before the answer");
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

namespace {

// Prints the prompt lines (free format) and reads a keyword answer of the given width.
Keyword ask_keyword(Io& io, std::initializer_list<std::string_view> prompt, std::size_t width) {
    for (auto line : prompt) say(io, line);
    return keyword(read_answer_line(io), width);
}

}  // namespace

Keyword ask_choice(Io& io, std::initializer_list<std::string_view> prompt,
                   std::initializer_list<std::string_view> accepted, std::size_t width) {
    for (;;) {
        const Keyword answer = ask_keyword(io, prompt, width);
        for (auto a : accepted)
            if (answer == keyword(a, width)) return answer;
    }
}

namespace {

std::string_view first_token(std::string_view s) {
    const auto begin = s.find_first_not_of(" \t,");
    if (begin == std::string_view::npos) return {};
    const auto end = s.find_first_of(" \t,", begin);
    return s.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

}  // namespace

std::optional<double> parse_real(std::string_view answer) {
    std::string token(first_token(answer));
    if (token.empty()) return std::nullopt;
    // Fortran exponent letters d/D read as e.
    for (char& c : token)
        if (c == 'd' || c == 'D') c = 'e';
    if (token.front() == '+') token.erase(0, 1);
    double value = 0.0;
    const auto* first = token.data();
    const auto* last = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long long> parse_integer(std::string_view answer) {
    std::string token(first_token(answer));
    if (token.empty()) return std::nullopt;
    if (token.front() == '+') token.erase(0, 1);
    long long value = 0;
    const auto* first = token.data();
    const auto* last = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

}  // namespace lorvenna
