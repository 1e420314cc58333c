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

void print_banner(Io& io, std::uint32_t seed) {
    const std::string stars(55, '*');
    tell(io, stars);
    tell(io, framed(""));
    tell(io, framed("Lorvenna - virtual assemblages sampled on a grid"));
    tell(io, framed(""));
    tell(io, framed("Species-area relations, diversity and design bias"));
    tell(io, framed(""));
    tell(io, framed(std::string("Version ") + LORVENNA_VERSION));
    tell(io, framed("Seed word: " + std::to_string(seed)));
    tell(io, framed(""));
    tell(io, stars);
    tell(io, "");
}

}  // namespace lorvenna
