#pragma once
// Console conversation: prompt lines, answers read as blank-padded text
// fields or free-format numbers.  The end of console input at any prompt
// ends the session in order with a non-zero status; it never loops.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/io_seam.hpp"
#include "core/keyword.hpp"

namespace lorvenna {

// A free-format console line: one leading blank, then the text.  Prompts and
// the dialogue around them.
void say(Io& io, std::string_view text);
// A fixed-layout console line, starting in column 1.
void say_fixed(Io& io, std::string_view text);
// Lines that report progress (banner, settings echo, per-row and per-species
// lines, run time): left out of a quiet run.
void tell(Io& io, std::string_view text);
void tell_fixed(Io& io, std::string_view text);
// Warnings and error messages: always shown, on standard error in a scripted run.
void warn(Io& io, std::string_view text);
void warn_fixed(Io& io, std::string_view text);

// One line saying why the named input file cannot be opened, before its name is asked again.
void say_open_failure(Io& io, std::string_view name);

// Reads one answer line (a trailing carriage return is dropped).
std::string read_answer_line(Io& io);

// Repeats the prompt until the answer is one of the accepted keywords.
Keyword ask_choice(Io& io, std::initializer_list<std::string_view> prompt,
                   std::initializer_list<std::string_view> accepted, std::size_t width = 7);

// Reads a free-format number from an answer line: the first blank- or
// comma-separated token; nullopt when it is not a finite number.
std::optional<double> parse_real(std::string_view answer);
std::optional<long long> parse_integer(std::string_view answer);

}  // namespace lorvenna
