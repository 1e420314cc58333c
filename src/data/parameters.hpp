#pragma once
// The parameter set of a pass as given, and the values derived from it.
#include "data/keyword_choice.hpp"

namespace lorvenna {

// The values a dialogue or a batch row supplies, as given.  No stage changes
// them; what a stage derives from them lives in DerivedValues.
struct ParameterSet {
    int Areal = 0;      // side of the whole grid, cells
    int SampA = 0;      // side of the sampled square, cells
    int maxSa = 0;      // largest sample size, sample units
    int minSa = 0;      // smallest sample size, sample units
    int StepSa = 0;     // step between sample sizes
    int Sampfac = 0;    // factor of adding area / unit of sampling, cells
    Choice<Design> Method;
    int Species = 0;
    float maxD = 0.0f;  // maximum density per cell (0: minimum adjusted to one individual)
    float minD = 0.0f;  // minimum density per cell
    float Dfluc = 0.0f, Flucmy = 0.0f, Flucvar = 0.0f;
    Choice<DiversityIndex> DivInd = keyword("sha");  // start value: Shannon (model-only runs never ask it)
    int Permut = 1;
    Choice<FractalKind> Fractal = keyword("rmd");
    Choice<Heterogeneity> GridHet;
    Choice<DensityForm> DWD;
    Choice<WeightForm> SWD;
    int Class = 0;
    float SWDmy = 0.0f, SWDvar = 0.0f, DWDmy = 0.0f, DWDvar = 0.0f;
    float Aggr = 0.0f, AreaHet = 0.0f, Scale1 = 0.0f, Scale2 = 0.0f, NicheNo = 0.0f;
    float Range = 0.0f, HabGrad = 0.0f;
    Choice<Heterogeneity> RndHet;
};

// Values derived from the parameter set for one pass.
struct DerivedValues {
    // Set when the parameter set is read (dialogue or batch row).
    int grid_side = 0;             // Areal, or 2^k + 1 for the rmd grid
    int max_sample = 0;            // maxSa held to what the design allows on the sampled square
    int min_sample = 0;            // minSa, at most max_sample
    int species = 0;               // Species, or the rows of the rank-order block of the pass
    double max_individuals = 0.0;  // individuals the grid may hold: side*maxD*side, or 1e8
    float min_abundance = 0.0f;    // MinInd: minimum individuals on the whole grid
    // Community model
    int classes = 0;               // Class fitted to the species count
    float swd_mean = 0.0f;         // SWDmy fitted with it
    float swd_sd = 0.0f;           // SWDvar fitted with it
    float max_abundance = 0.0f;    // MaxInd of the community model
    float smallest_abundance = 0.0f;  // smallest positive abundance (maxD <= 0)
    bool community_built = false;  // false after a weight-class or DWD error
    // Model start
    float fractal_coefficient = 0.0f;  // Scale1, or the Hurst exponent H = 3 - D of the rmd grid
    float niche_level = 0.0f;      // K = nint(NicheNo / 2)
    float niche_phase = 0.0f;      // u0, one uniform draw per model
    float heterogeneity = 0.0f;    // c, a standard normal deviate
    int term_count = 1;            // M, superposition terms
};

}  // namespace lorvenna
