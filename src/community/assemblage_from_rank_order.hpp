#pragma once
// A community taken from a rank-order distribution file (sources "m" and "o").
#include "community/community_model.hpp"
#include "data/parameters.hpp"
#include "data/rank_order.hpp"
#include "data/species.hpp"

namespace lorvenna {

// Turns a rank-order block into the species table (weights, OrigInd) and the
// species per weight class, sets community_built.
//
// - With maxD > 0 the run counts individuals: every abundance is rounded to
//   the nearest whole individual (halves away from zero), so a species
//   expected below half an individual is absent.  With maxD <= 0 the values
//   stay as read (relative abundances); the placement divides them by the
//   smallest one, so the rarest species keeps one individual.
// - A row enters when its abundance is positive and not below the minimum
//   abundance of the run (the same rule as a generated community: a species
//   with exactly the minimum, e.g. a singleton, is kept).  Entered rows become
//   species 1, 2, ... in rank order; the table keeps one row per block row,
//   the rows not entered left empty at its end.
// - Body weights: the file's weight when given and positive; otherwise the
//   energetic-equivalence rule (density ~ weight^-3/4): the first entered row
//   weighs 1 and a species with the fraction q of its abundance weighs
//   q^(-4/3), kept within 1 .. 2^50.
// - The weight-class line counts the species per doubling class (class 1 up
//   to 2, class k above 2^(k-1) up to 2^k), up to the highest class occupied.
// - No species entered: the outcome's message, community_built stays false
//   (the pass fails, a batch goes on).  An abundance beyond 32-bit counts
//   ends the run.
CommunityOutcome build_community_from_rank_order(const ParameterSet& p, DerivedValues& d, const RankOrderBlock& block,
                                                 Community& community);

}  // namespace lorvenna
