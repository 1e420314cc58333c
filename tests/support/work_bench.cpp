#include "support/work_bench.hpp"

#include <stdexcept>

namespace lorvenna::testing {

std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> result;
    std::size_t from = 0;
    while (from < text.size()) {
        const auto end = text.find('\n', from);
        result.emplace_back(text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
    return result;
}

void WorkBench::set_species(const std::vector<float>& abundances) {
    std::vector<SpeciesRow>& species = pass.community.species;
    species.assign(abundances.size(), SpeciesRow{});
    for (std::size_t i = 0; i < abundances.size(); ++i) {
        species[i].number = static_cast<float>(i + 1);
        species[i].weight = 1.0f;
        species[i].abundance = abundances[i];
    }
    pass.params.Species = pass.derived.species = static_cast<int>(abundances.size());
}

const std::string batch_header = "Areal SampA maxSa minSa StepSa Sampfac Method Species maxD minD Dfluc Flucmy FlucStD "
                                 "DWD SWD Class SWDmy SWDStD DWDmy DWDStD Aggreg AreaHet NicheN RndHet FracM Scale1 "
                                 "Scale2 Range Gradient DivInd Permut GridHet";

std::string batch_row(const std::vector<std::pair<std::string, std::string>>& replaced) {
    std::vector<std::pair<std::string, std::string>> v = {
        {"Areal", "20"},  {"SampA", "16"},   {"maxSa", "3"},     {"minSa", "1"},    {"StepSa", "1"},
        {"Sampfac", "1"}, {"Method", "seq"}, {"Species", "10"},  {"maxD", "1"},     {"minD", "0"},
        {"Dfluc", "-1"},  {"Flucmy", "0.5"}, {"Flucvar", "0.1"}, {"DWD", "rnd"},    {"SWD", "normal"},
        {"Class", "3"},   {"SWDmy", "2"},    {"SWDvar", "1"},    {"DWDmy", "1"},    {"DWDvar", "0"},
        {"Aggr", "0"},    {"AreaHet", "0"},  {"NicheNo", "0"},   {"RndHet", "fix"}, {"Fractal", "rmd"},
        {"Scale1", "2"},  {"Scale2", "1"},   {"Range", "0"},     {"HabGrad", "0"},  {"DivInd", "sha"},
        {"Permut", "1"},  {"GridHet", "fix"}};
    for (const auto& [name, value] : replaced) {
        auto it = v.begin();
        while (it != v.end() && it->first != name) ++it;
        if (it == v.end()) throw std::logic_error("no batch column " + name);
        it->second = value;
    }
    std::string row;
    for (const auto& column : v) row += (row.empty() ? "" : " ") + column.second;
    return row;
}

}  // namespace lorvenna::testing
