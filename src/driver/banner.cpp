#include "driver/banner.hpp"

#include <string>

#include "core/console.hpp"

namespace lorvenna {
namespace {

std::string framed(const std::string& text) {
    constexpr std::size_t inner = 53;
    const std::string t = text.substr(0, inner);
    const std::size_t left = (inner - t.size()) / 2;
    std::string line(inner + 2, ' ');
    line.front() = '*';
    line.back() = '*';
    line.replace(1 + left, t.size(), t);
    return line;
}

}  // namespace

void print_banner(const WorkArea& wa) {
    const std::string stars(55, '*');
    tell(wa.io, stars);
    tell(wa.io, framed(""));
    tell(wa.io, framed("Lorvenna - virtual assemblages sampled on a grid"));
    tell(wa.io, framed(""));
    tell(wa.io, framed("Species-area relations, diversity and design bias"));
    tell(wa.io, framed(""));
    tell(wa.io, framed(std::string("Version ") + LORVENNA_VERSION));
    tell(wa.io, framed("Seed word: " + std::to_string(wa.random.seed())));
    tell(wa.io, framed(""));
    tell(wa.io, stars);
    tell(wa.io, "");
}

}  // namespace lorvenna
