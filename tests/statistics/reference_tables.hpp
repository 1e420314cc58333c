#pragma once
// Reads the reference tables of tests/data/reference (values computed by
// SpadeR 0.1.1 and iNEXT 3.0.2 on 22 small data sets) for the table-driven
// tests of the estimators and the curves.
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "statistics/frequency_data.hpp"

namespace lorvenna::reference {

inline std::string table_path(const std::string& file) {
    return std::string(LORVENNA_SOURCE_DIR) + "/tests/data/reference/" + file;
}

// The fields of one line of a table written by R's write.csv: strings quoted,
// numbers bare, NA for a missing value (read as NaN).
inline std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::string field;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) out.push_back(field), field.clear();
        else if (c != '\r') field += c;
    }
    out.push_back(field);
    return out;
}

inline double number(const std::string& field) { return field == "NA" ? std::nan("") : std::stod(field); }

inline std::vector<std::vector<std::string>> rows(const std::string& file) {
    std::ifstream in(table_path(file));
    std::vector<std::vector<std::string>> out;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line))
        if (!line.empty()) out.push_back(fields(line));
    return out;
}

struct DataSet {
    std::string name;
    bool incidence = false;
    std::vector<std::int64_t> values;  // incidence: T first
    FrequencyCounts counts() const {
        if (!incidence) return frequency_counts(AbundanceSample{values});
        return frequency_counts(IncidenceSample{values.front(), std::vector<std::int64_t>(values.begin() + 1, values.end())});
    }
};

inline std::vector<DataSet> data_sets() {
    std::vector<DataSet> out;
    for (const auto& r : rows("datasets.csv")) {
        DataSet d{r[0], r[1] == "incidence_freq", {}};
        std::istringstream values(r[2]);
        for (std::int64_t v; values >> v;) d.values.push_back(v);
        out.push_back(d);
    }
    return out;
}

}  // namespace lorvenna::reference
