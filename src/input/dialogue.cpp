#include "input/dialogue.hpp"

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/console.hpp"
#include "input/derived_values.hpp"
#include "input/fractal_kind.hpp"
#include "input/settings_echo.hpp"
#include "numerics/constants.hpp"
#include "numerics/fixed_field.hpp"

namespace lorvenna {
namespace {

using Lines = std::vector<std::string>;

// A free-format prompt line begins with one blank.
std::string free_line(std::string_view text) { return " " + std::string(text); }

Lines free_lines(std::initializer_list<std::string_view> texts) {
    Lines lines;
    for (auto t : texts) lines.push_back(free_line(t));
    return lines;
}

void show(Io& io, const Lines& lines) {
    for (const auto& l : lines) say_fixed(io, l);
}

// Asks until the answer is a whole number in the range of the parameter type that `valid` accepts.
int ask_integer(Io& io, const Lines& prompt, const std::function<bool(long long)>& valid) {
    for (;;) {
        show(io, prompt);
        const auto value = parse_integer(read_answer_line(io));
        if (value && *value >= INT_MIN && *value <= INT_MAX && valid(*value)) return static_cast<int>(*value);
    }
}

// Asks until the answer is a finite single-precision number that `valid` accepts.
float ask_real(Io& io, const Lines& prompt, const std::function<bool(float)>& valid) {
    for (;;) {
        show(io, prompt);
        const auto value = parse_real(read_answer_line(io));
        if (!value) continue;
        const auto single = static_cast<float>(*value);
        if (std::isfinite(single) && valid(single)) return single;
    }
}

Keyword ask_keyword_of(Io& io, const Lines& prompt, std::initializer_list<std::string_view> accepted) {
    for (;;) {
        show(io, prompt);
        const Keyword answer = keyword(read_answer_line(io));
        for (auto a : accepted)
            if (answer == keyword(a)) return answer;
    }
}

void ask_grid_sides(Io& io, Pass& pass) {
    ParameterSet& p = pass.params;
    p.Areal = ask_integer(io, free_lines({"Length of the total grid "}), [](long long v) { return v >= 2; });
    pass.derived.grid_side = p.Areal;
    const long long areal = p.Areal;
    p.SampA = ask_integer(io, free_lines({"Length of the grid to be sampled"}),
                          [areal](long long v) { return v >= 2 && v <= areal; });
}

void ask_sampling_design(Io& io, Pass& pass) {
    ParameterSet& p = pass.params;
    p.Method = ask_keyword_of(io,
                              free_lines({"Mode of sampling: Sequential adding (nested design)(seq),",
                                          "independent (ind), sequential dividing the sample area into octaves (oct),",
                                          "random dependent (dep), or sampling a diagonal of the grid (lin)"}),
                              {"lin", "oct", "ind", "dep", "seq"});
    auto one_to_ten = [](long long v) { return v >= 1 && v <= 10; };
    if (p.Method == Design::independent || p.Method == Design::octaves) {
        // A bad number of reshufflings repeats both prompts.
        for (;;) {
            p.Sampfac = ask_integer(io, free_lines({"Unit of sampling (1 to 10 cells)"}), one_to_ten);
            say(io, "Number of reshufflings of sampling order (1 to 20)");
            const auto permut = parse_integer(read_answer_line(io));
            if (permut && *permut >= 1 && *permut <= 20) {
                p.Permut = static_cast<int>(*permut);
                break;
            }
        }
    } else {
        p.Sampfac = ask_integer(io, free_lines({"Factor of adding area (1 to 10)"}), one_to_ten);
    }
    p.maxSa = ask_integer(io, free_lines({"Maximum sample size (sample units)?"}), [](long long v) { return v >= 1; });
    const long long max_sa = p.maxSa;
    auto up_to_max = [max_sa](long long v) { return v >= 1 && v <= max_sa; };
    p.minSa = ask_integer(io, free_lines({"Minimum sample size (sample units)?"}), up_to_max);
    p.StepSa = ask_integer(io, free_lines({"Step-width of sampling?"}), up_to_max);
    p.DivInd = ask_keyword_of(
        io, free_lines({"Type of diversity index", "Shannon (sha), Simpson (simp), or Smith-Wilson (evar)"}),
        {"sha", "simp", "evar"});
}

void ask_habitat(Io& io, Pass& pass) {
    ParameterSet& p = pass.params;
    auto non_negative = [](float v) { return v >= 0.0f; };
    p.Aggr = ask_real(io, free_lines({"Aggregation? 0 for Poisson random"}), non_negative);
    p.AreaHet = ask_real(io, free_lines({"Degree of habitat heterogeneity? 0 if no heterogeneity"}), non_negative);
    show(io, free_lines({"Which kind of fractal grid?", "Superposition (super) or random midpoint displacement (rmd)",
                         "Default is rmd"}));
    Keyword fractal = keyword(read_answer_line(io));
    if (fractal == keyword("")) fractal = keyword("rmd");  // an empty answer keeps the default
    if (p.AreaHet == 0.0f) fractal = keyword("");
    p.Fractal = fractal;
    warn_if_no_fractal_grid(io, p);
    const bool super = p.Fractal == FractalKind::super;
    p.Scale1 = ask_real(io,
                        free_lines({"Fractal grid? For super: enter the first fractal coefficient (>1)",
                                    "Enter 1 for no fractality",
                                    "Fractal grid? For rmd: enter the fractal dimension (between 2 and 3)"}),
                        [super](float v) { return !super || v >= 1.0f; });
    if (is_midpoint_grid(p.Fractal.kind())) {
        clamp_fractal_dimension(p);
        pass.derived.grid_side = grid_side_for(p);
        print_rescaling(io, pass.derived.grid_side);
    }
    p.Scale2 = ask_real(io,
                        free_lines({"Fractal grid? For super: enter the the second fractal coefficient (must be >0)",
                                    "Fractal grid? For rmd: enter the variance of the random offset"}),
                        [](float v) { return v > 0.0f; });
    p.NicheNo = ask_real(io, free_lines({"Mean number of niches per cell? 0 if always unlimited"}), non_negative);
    p.GridHet = ask_keyword_of(io, free_lines({"Habitat heterogeneity fixed (fix) or normally random distributed (rnd)"}),
                               {"rnd", "fix"});
    p.RndHet = ask_keyword_of(io, free_lines({"Habitat heterogeneity fixed (fix) or different for each species (rnd)"}),
                              {"rnd", "fix"});
}

void ask_ranges(Io& io, Pass& pass) {
    ParameterSet& p = pass.params;
    auto non_negative = [](float v) { return v >= 0.0f; };
    p.Range = ask_real(io,
                       free_lines({"Range coefficient (given as standard deviation",
                                   "of mean range centre (>0), for no gradient type 0"}),
                       non_negative);
    p.HabGrad = ask_real(io,
                         free_lines({"Coefficient of habitat gradient (given as standard deviation",
                                     "of mean range centre (>0), for no gradient type 0"}),
                         non_negative);
}

void ask_densities(Io& io, Pass& pass) {
    ParameterSet& p = pass.params;
    p.maxD = ask_real(io, free_lines({"Max. density per cell, if dmin adjusted to 1 type 0"}), [](float) { return true; });
    const long long side = pass.derived.grid_side;
    const long long cells = side * side;
    const float max_d = p.maxD;
    p.minD = ask_real(io, {"Min. density? (enter 0 to set min = 1 ind / " + int_field(cells, 6) + " cells)"},
                      [max_d](float v) { return !(max_d > 0.0f && v > max_d); });
    derive_densities(p, pass.derived);
}

// The value of the density-weight distribution asked for DWD (none for "rnd").
void ask_dwd_values(Io& io, Pass& pass, float bound) {
    ParameterSet& p = pass.params;
    auto within = [bound](float lowest) { return [bound, lowest](float v) { return v >= lowest && v <= bound; }; };
    if (p.DWD == DensityForm::power) {
        p.DWDmy = ask_real(io, free_lines({"Value of exponent of power DWD-distribution"}), within(0.0f));
    } else if (p.DWD == DensityForm::linear) {
        p.DWDmy = ask_real(io, free_lines({"Value of slope of the linear DWD-distribution"}), within(0.0f));
    } else if (p.DWD == DensityForm::normal || p.DWD == DensityForm::logn) {
        const bool normal = p.DWD == DensityForm::normal;
        p.DWDmy = ask_real(io, free_lines({normal ? "Mean of normal DWD-distribution" : "Mean of log-normal DWD-distribution"}),
                           within(1.0f));
        p.DWDvar = ask_real(io,
                            free_lines({normal ? "Standard deviation of normal DWD-distribution"
                                               : "Standard deviation of log-normal DWD-distribution"}),
                            within(0.0f));
    }
}

float dwd_bound(int classes) { return std::exp(static_cast<float>(classes) * ln2_six_digits); }

void ask_community(Io& io, Pass& pass) {
    ParameterSet& p = pass.params;
    p.DWD = ask_keyword_of(io,
                           free_lines({"Density-weight distribution?", "linear, normal, log-normal (logn)",
                                       "random (rnd), power"}),
                           {"power", "logn", "normal", "linear", "rnd"});
    // The bound 2^Class needs Class, asked later; it is applied once Class is known.
    ask_dwd_values(io, pass, INFINITY);
    p.Dfluc = ask_real(io,
                       free_lines({"Density fluctuations:", "random(0) or log-random (1)or mixture (0 to 1)",
                                   "if no density fluctuations type -1"}),
                       [](float v) { return v >= -1.0f && v <= 1.0f; });
    auto unit = [](float v) { return v >= 0.0f && v <= 1.0f; };
    p.Flucmy = ask_real(io, free_lines({"Density fluctuations:", "Linear mode or normal: Mean (0 to 1; linear: 0)"}), unit);
    p.Flucvar = ask_real(
        io, free_lines({"Density fluctuations:", "Linear mode or normal: Standard deviation (0 to 1; linear: 0)"}), unit);
    p.SWD = ask_keyword_of(io, free_lines({"Species-weight distribution?", "normal, log-normal (logn)"}),
                           {"normal", "logn"});
    p.Class = ask_integer(io, {" Number of weight classes? (max.: " + int_field(max_weight_classes, 2) + ")"},
                          [](long long v) { return v >= 1 && v <= max_weight_classes; });
    const float bound = dwd_bound(p.Class);
    const bool has_values = p.DWD != DensityForm::random;
    while (has_values && (p.DWDmy > bound || p.DWDvar > bound)) ask_dwd_values(io, pass, bound);
    p.SWDmy = ask_real(io, free_lines({"Mean of species-weight distribution?"}),
                       [](float v) { return v >= 1.0f && v <= 50.0f; });
    p.SWDvar = ask_real(io, free_lines({"Standard deviation of species-weight distribution?"}),
                        [](float v) { return v >= 0.0f && v <= 50.0f; });
}

void apply_rank_order_presets(Pass& pass) {
    ParameterSet& p = pass.params;
    p.Species = pass.rank_order.head_species;
    p.Dfluc = p.Flucmy = p.Flucvar = 1.0f;
    p.DWD = keyword("   none");
    p.SWD = keyword("   none");
    p.Class = 1;
    p.SWDmy = p.SWDvar = p.DWDmy = p.DWDvar = 1.0f;
}

}  // namespace

void run_parameter_dialogue(Io& io, const SessionAnswers& answers, Pass& pass) {
    const bool sampling = answers.sampling();
    const bool generated = !answers.from_file();
    if (!generated) apply_rank_order_presets(pass);
    ask_grid_sides(io, pass);
    if (sampling) {
        ask_sampling_design(io, pass);
        ask_habitat(io, pass);
    }
    ask_ranges(io, pass);
    if (generated)
        pass.params.Species = ask_integer(io, free_lines({"Number of species?"}), [](long long v) { return v >= 1; });
    ask_densities(io, pass);
    if (generated) ask_community(io, pass);
    derive_sample_sizes(pass.params, pass.derived, sampling);
    pass.derived.species = pass.params.Species;
    print_settings_echo(io, pass);
}

}  // namespace lorvenna
