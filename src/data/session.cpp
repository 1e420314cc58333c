#include "data/session.hpp"

namespace lorvenna {

void ReportFiles::open_like(const ReportFiles& session, Io& io) {
    const auto from = session.all();
    const auto to = all();
    for (std::size_t i = 0; i < from.size(); ++i)
        if (from[i]->is_open()) to[i]->open(io);
    habitat_grids = session.habitat_grids;
    curve_settings = session.curve_settings;
}

}  // namespace lorvenna
