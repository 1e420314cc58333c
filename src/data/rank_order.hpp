#pragma once
// A rank-order distribution as a pass uses it: the block read last from the
// file, and the head values of its assemblage.
#include <string>
#include <vector>

namespace lorvenna {

struct RankOrderBlock {
    std::string file_name;                   // for the messages
    bool body_weights = false;               // records give abundance and weight
    std::vector<float> abundance;            // the rows of the block, at most rank_order_rows
    std::vector<float> weight;
    int rows = 0;
    // Head values of an assemblage file
    std::string model_type = std::string(9, ' ');
    float z = 0.0f, X = 0.0f, truncation = 0.0f;
    int head_species = 0;
};

}  // namespace lorvenna
