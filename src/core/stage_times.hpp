#pragma once
// Wall-clock time spent in each stage of the passes, for the benchmarks.
// Measured around whole stage calls (never inside the placing loop).
#include <chrono>

namespace lorvenna {

struct StageTimes {
    double model = 0.0;       // community model and model start
    double grid = 0.0;        // habitat grid builds and niche table
    double placement = 0.0;   // placing individuals (grid rebuilds per species included)
    double sampling = 0.0;    // sample units and tallies of each species
    double evaluation = 0.0;  // sample-size passes: sample statistics, species-area fits, their reports
    double statistics = 0.0;  // whole-community statistics
    double output = 0.0;      // settings block, species rows, map, flushing the reports

    StageTimes& operator+=(const StageTimes& t) {
        model += t.model;
        grid += t.grid;
        placement += t.placement;
        sampling += t.sampling;
        evaluation += t.evaluation;
        statistics += t.statistics;
        output += t.output;
        return *this;
    }
    StageTimes& operator-=(const StageTimes& t) {
        model -= t.model;
        grid -= t.grid;
        placement -= t.placement;
        sampling -= t.sampling;
        evaluation -= t.evaluation;
        statistics -= t.statistics;
        output -= t.output;
        return *this;
    }
    friend StageTimes operator+(StageTimes a, const StageTimes& b) { return a += b; }
    friend StageTimes operator-(StageTimes a, const StageTimes& b) { return a -= b; }
};

// Adds the time of one call to a stage.
template <typename Call>
void timed(double& stage, Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    stage += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace lorvenna
