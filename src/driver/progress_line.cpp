#include "driver/progress_line.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lorvenna {
namespace {

constexpr double redraw_interval = 0.1;  // seconds: at most ten drawings a second
constexpr std::string_view erase_line = "\r\x1b[K";

std::string two_digits(long long n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string one_decimal(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", x);
    return text;
}

// "3.4 s", "42 s", "2 min 5 s", "31 min", "2 h 5 min": as precise as a reader needs.
std::string duration_text(double seconds) {
    seconds = std::max(0.0, seconds);
    if (seconds < 9.95) return one_decimal(seconds) + " s";
    const long long s = std::llround(seconds);
    if (s < 60) return std::to_string(s) + " s";
    if (s < 600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    const long long m = std::llround(seconds / 60.0);
    if (m < 60) return std::to_string(m) + " min";
    return std::to_string(m / 60) + " h " + std::to_string(m % 60) + " min";
}

// "0:42", "12:04", "1:02:03": a clock that ticks without changing width often.
std::string clock_text(double seconds) {
    const auto s = static_cast<long long>(std::max(0.0, seconds));
    if (s < 3600) return std::to_string(s / 60) + ":" + two_digits(s % 60);
    return std::to_string(s / 3600) + ":" + two_digits(s / 60 % 60) + ":" + two_digits(s % 60);
}

// As many of the pieces as fit in `columns` characters, whole: a number cut
// in half would mislead.  Only a first piece too long on its own is cut, and
// never inside a UTF-8 sequence (a file name may have one).
std::string fit(const std::vector<std::string>& pieces, int columns) {
    const auto most = static_cast<std::size_t>(std::max(columns, 10));
    std::string text;
    for (const std::string& piece : pieces) {
        if (text.size() + piece.size() > most) break;
        text += piece;
    }
    if (text.empty() && !pieces.empty()) {
        std::size_t cut = most;
        while (cut > 0 && (static_cast<unsigned char>(pieces.front()[cut]) & 0xC0) == 0x80) --cut;
        text = pieces.front().substr(0, cut);
    }
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::streambuf& screen, ProgressSettings settings, SecondsClock clock)
    : screen_(screen), settings_(std::move(settings)), clock_(std::move(clock)), origin_(clock_()) {}

void ProgressLine::plan(long long steps, double work) {
    std::lock_guard lock(mutex_);
    planned_ = steps;
    planned_work_ = work;
}

void ProgressLine::step_started(long long id, std::string label) {
    std::lock_guard lock(mutex_);
    const double now = clock_();
    if (first_start_ < 0.0) first_start_ = now;
    steps_.push_back(Step{id, std::move(label), now, 0, 0});
    show(now);
}

void ProgressLine::step_advanced(long long id, long long done, long long of) {
    // Only the terminal line shows a step from inside; a log hears of it when it ends.
    if (settings_.style != ProgressStyle::terminal) return;
    std::lock_guard lock(mutex_);
    if (Step* step = find(id)) {
        step->done = done;
        step->of = of;
    }
    show(clock_());
}

void ProgressLine::step_finished(long long id, double work) {
    std::lock_guard lock(mutex_);
    const double now = clock_();
    Step step{id, "", now, 0, 0};
    if (Step* s = find(id)) {
        step = std::move(*s);
        steps_.erase(steps_.begin() + (s - steps_.data()));
    }
    ++done_;
    done_work_ += work;
    if (settings_.style == ProgressStyle::plain) {
        if (now - origin_ >= settings_.silent_for) write(plain_text(step, now) + "\n");
    } else {
        // A count that cannot be drawn now is drawn at the next chance.
        stale_ = true;
        show(now);
    }
}

void ProgressLine::planned(long long passes) { plan(passes); }

void ProgressLine::pass_started(int run, long long row, int replicate) {
    std::string label = "replicate " + std::to_string(replicate);
    if (row > 0) label = "row " + std::to_string(row) + " " + label;
    step_started(run, std::move(label));
}

void ProgressLine::species_placed(int run, int placed, int species) { step_advanced(run, placed, species); }

void ProgressLine::pass_finished(int run, long long /*row*/, int /*replicate*/) { step_finished(run); }

void ProgressLine::clear() {
    std::lock_guard lock(mutex_);
    if (!shown_) return;
    write(erase_line);
    shown_ = false;
}

void ProgressLine::finished() {
    std::lock_guard lock(mutex_);
    if (settings_.style == ProgressStyle::terminal) {
        std::string last;
        // The last count passes over the screen before the line goes, so that
        // whoever records the terminal sees every run counted.
        const double now = clock_();
        if (stale_ && now - origin_ >= settings_.silent_for) last = "\r" + terminal_text(now) + "\x1b[K";
        if (shown_ || !last.empty()) write(last + std::string(erase_line));
    }
    shown_ = stale_ = false;
    planned_ = done_ = 0;
    planned_work_ = done_work_ = 0.0;
    first_start_ = -1.0;
    steps_.clear();
}

void ProgressLine::print_above(std::streambuf& to, std::string_view lines) {
    std::lock_guard lock(mutex_);
    if (shown_) {
        write(erase_line);
        shown_ = false;
    }
    to.sputn(lines.data(), static_cast<std::streamsize>(lines.size()));
    to.pubsync();
}

ProgressLine::Step* ProgressLine::find(long long id) {
    for (Step& s : steps_)
        if (s.id == id) return &s;
    return nullptr;
}

void ProgressLine::show(double now) {
    if (settings_.style != ProgressStyle::terminal) return;
    if (now - origin_ < settings_.silent_for || now - last_draw_ < redraw_interval) return;
    write("\r" + terminal_text(now) + "\x1b[K");
    last_draw_ = now;
    shown_ = true;
    stale_ = false;
}

void ProgressLine::write(std::string_view text) {
    screen_.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    screen_.pubsync();
}

// From the pace of the steps finished so far, counted from the start of the
// first step (what came before it, such as checking a batch file, is no guide).
std::optional<double> ProgressLine::seconds_left(double now) const {
    const double total = planned_work_ > 0.0 ? planned_work_ : static_cast<double>(planned_);
    if (planned_ <= 0 || done_ >= planned_ || done_work_ <= 0.0 || total <= done_work_) return std::nullopt;
    return (now - first_start_) / done_work_ * (total - done_work_);
}

// "17/600 runs done in 12:04, 31 min left | row 9 replicate 2, species 31/120": what
// does not fit on the terminal is left out from the end, the steps under way first.
std::string ProgressLine::terminal_text(double now) const {
    std::vector<std::string> pieces;
    std::string count = std::to_string(done_);
    if (planned_ > 0) count += "/" + std::to_string(planned_);
    pieces.push_back(count + " " + settings_.words.many + " done in " + clock_text(now - origin_));
    if (const auto left = seconds_left(now)) pieces.push_back(", " + duration_text(*left) + " left");
    for (const Step& s : steps_) {
        pieces.push_back(" | " + s.label);
        if (s.of > 0)
            pieces.push_back(", " + settings_.words.item + " " + std::to_string(s.done) + "/" + std::to_string(s.of));
    }
    return fit(pieces, settings_.width - 1);
}

// "run 17/600 row 9 replicate 2 done in 3.4 s, about 31 min left"
std::string ProgressLine::plain_text(const Step& step, double now) const {
    std::string t = settings_.words.one + " " + std::to_string(done_);
    if (planned_ > 0) t += "/" + std::to_string(planned_);
    if (!step.label.empty()) t += " " + step.label;
    t += " done in " + duration_text(now - step.started);
    if (const auto left = seconds_left(now)) t += ", about " + duration_text(*left) + " left";
    return t;
}

SharedScreen::~SharedScreen() { pass_on(true); }

SharedScreen::int_type SharedScreen::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_.push_back(traits_type::to_char_type(c));
    return c;
}

std::streamsize SharedScreen::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    return n;
}

int SharedScreen::sync() {
    pass_on(false);
    return 0;
}

void SharedScreen::pass_on(bool everything) {
    // A piece without its line end waits for it, unless it grows past reason.
    const std::size_t end_of_line = pending_.rfind('\n');
    std::size_t end = end_of_line == std::string::npos ? 0 : end_of_line + 1;
    if (everything || pending_.size() > (std::size_t{1} << 16)) end = pending_.size();
    if (end == 0) return;
    line_.print_above(to_, std::string_view(pending_).substr(0, end));
    pending_.erase(0, end);
}

}  // namespace lorvenna
