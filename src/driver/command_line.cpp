#include "driver/command_line.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "core/console.hpp"
#include "reports/bias_table.hpp"

namespace lorvenna {
namespace {

// A whole number in [lo, hi], all of the text.
template <typename Int>
bool parse_whole(const std::string& text, Int lo, Int hi, Int& value) {
    Int v{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || v < lo || v > hi) return false;
    value = v;
    return true;
}

struct Parser {
    CommandLine cl;
    bool failed = false;

    void fail(std::string message) {
        if (failed) return;
        failed = true;
        cl.action = CommandLine::Action::usage_error;
        cl.error = std::move(message);
    }
};

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
    Parser parser;
    CommandLine& cl = parser.cl;
    SessionOptions& o = cl.options;
    using Setter = std::function<void(const std::string&)>;
    bool curve_shaped = false;  // --knots, --endpoint or --bootstraps given
    // Options that take a value.
    const std::map<std::string, Setter> with_value = {
        {"--seed",
         [&](const std::string& v) {
             std::uint32_t seed = 0;
             if (!parse_whole<std::uint32_t>(v, 0u, 4294967295u, seed))
                 return parser.fail("the seed word must be a whole number from 0 to 4294967295, not " + v);
             o.seed = seed;
         }},
        {"--mode",
         [&](const std::string& v) {
             if (v != "m" && v != "s" && v != "b") return parser.fail("--mode takes m, s or b, not " + v);
             o.mode = keyword(v);
         }},
        {"--batch", [&](const std::string& v) { o.batch = v; }},
        {"--source",
         [&](const std::string& v) {
             if (v != "g" && v != "m" && v != "o") return parser.fail("--source takes g, m or o, not " + v);
             o.source = keyword(v);
         }},
        {"--rank-order", [&](const std::string& v) { o.rank_order = v; }},
        {"--map",
         [&](const std::string& v) {
             const auto n = parse_real(v);
             if (!n || *n < 0.0 || v.find_first_of(" ,") != std::string::npos)
                 return parser.fail("--map takes a species number (0 for no map), not " + v);
             o.map_species = static_cast<float>(*n);
         }},
        {"--out", [&](const std::string& v) {
             if (v.empty()) return parser.fail("--out needs a folder");
             o.out = v;
         }},
        {"--replicates",
         [&](const std::string& v) {
             if (!parse_whole(v, 1, 1000000, o.replicates))
                 return parser.fail("--replicates takes a whole number from 1 to 1000000, not " + v);
         }},
        {"--jobs",
         [&](const std::string& v) {
             if (!parse_whole(v, 1, 1024, o.jobs)) return parser.fail("--jobs takes a whole number from 1 to 1024, not " + v);
         }},
        {"--heterogeneity",
         [&](const std::string& v) {
             const auto c = parse_real(v);
             if (!c || v.find_first_of(" ,") != std::string::npos || !std::isfinite(static_cast<float>(*c)))
                 return parser.fail("--heterogeneity takes a number, the deviate c for every pass, not " + v);
             o.heterogeneity = static_cast<float>(*c);
         }},
        {"--knots",
         [&](const std::string& v) {
             curve_shaped = true;
             if (!parse_whole(v, 4, 10000, o.rarefaction.knots))
                 return parser.fail("--knots takes a whole number from 4 to 10000, not " + v);
         }},
        {"--endpoint",
         [&](const std::string& v) {
             curve_shaped = true;
             if (!parse_whole<std::int64_t>(v, 1, 100000000, o.rarefaction.endpoint))
                 return parser.fail("--endpoint takes a number of individuals from 1 to 100000000, not " + v);
         }},
        {"--bootstraps",
         [&](const std::string& v) {
             curve_shaped = true;
             if (!parse_whole(v, 0, 10000, o.rarefaction.bootstraps))
                 return parser.fail("--bootstraps takes a whole number from 0 to 10000, not " + v);
         }},
        {"--rows",
         [&](const std::string& v) {
             const auto colon = v.find(':');
             long long a = 0, b = 0;
             const long long most = 1000000000000LL;
             if (colon == std::string::npos || !parse_whole(v.substr(0, colon), 1LL, most, a) ||
                 !parse_whole(v.substr(colon + 1), a, most, b))
                 return parser.fail("--rows takes A:B, whole numbers with 1 <= A <= B, not " + v);
             o.first_row = a;
             o.last_row = b;
         }},
    };
    // Switches.
    const std::map<std::string, bool*> switches = {
        {"--weights", &o.weights}, {"--diagonals", &o.diagonals}, {"--cells", &o.cells}, {"--tidy", &o.tidy},
        {"--habitat", &o.habitat}, {"--quiet", &o.quiet},         {"--check", &o.check},
        {"--run-seeds", &o.run_seeds}, {"--resume", &o.resume},     {"--progress", &o.progress},
        {"--rarefaction", &o.rarefaction.curves},
    };
    // The two ask for opposite things: neither is dropped in silence.
    const auto check_progress = [&] {
        if (o.progress && o.quiet) parser.fail("--progress and --quiet contradict each other: give one of them");
    };

    if (!args.empty() && args[0] == "bias") {
        const auto set_quantity = [&](const std::string& q) {
            if (is_bias_quantity(q))
                cl.bias_quantity = q;
            else
                parser.fail("--quantity takes richness, hill1, hill2, coverage or all, not " + q);
        };
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--quiet" || args[i] == "--progress")
                *switches.at(args[i]) = true;
            else if (args[i] == "--quantity" && i + 1 < args.size())
                set_quantity(args[++i]);
            else if (args[i].rfind("--quantity=", 0) == 0)
                set_quantity(args[i].substr(11));
            else if ((!args[i].empty() && args[i][0] == '-') || !cl.bias_of.empty())
                parser.fail("bias takes one folder, --quantity Q and --quiet or --progress: lorvenna bias DIR, not " +
                            args[i]);
            else
                cl.bias_of = args[i];
        }
        if (!parser.failed && cl.bias_of.empty()) parser.fail("bias needs the folder to read: lorvenna bias DIR");
        check_progress();
        if (!parser.failed) cl.action = CommandLine::Action::bias;
        return cl;
    }
    if (!args.empty() && args[0] == "estimate") {
        const std::map<std::string, FieldDataKind> data_flags = {{"--abundance", FieldDataKind::abundance},
                                                                 {"--incidence", FieldDataKind::incidence_frequencies},
                                                                 {"--incidence-raw", FieldDataKind::incidence_raw}};
        bool data_given = false;
        for (std::size_t i = 1; i < args.size() && !parser.failed; ++i) {
            const std::string& a = args[i];
            if (a == "--rarefaction" || a == "--quiet") {
                *switches.at(a) = true;
                continue;
            }
            const auto data = data_flags.find(a);
            const bool takes_value = data != data_flags.end() || a == "--seed" || a == "--out" || a == "--knots" ||
                                     a == "--endpoint" || a == "--bootstraps";
            if (!takes_value) {
                parser.fail("estimate takes --abundance, --incidence or --incidence-raw FILE, --rarefaction, "
                            "--bootstraps B, --knots K, --endpoint M, --seed N, --out DIR and --quiet, not " + a);
                break;
            }
            if (i + 1 >= args.size()) {
                parser.fail(a + " needs a value");
                break;
            }
            const std::string& value = args[++i];
            if (data == data_flags.end()) {
                with_value.at(a)(value);
            } else if (data_given) {
                parser.fail("estimate reads one data file: give one of --abundance, --incidence, --incidence-raw");
            } else {
                data_given = true;
                cl.estimate.kind = data->second;
                cl.estimate.file = value;
            }
        }
        if (!parser.failed && !data_given)
            parser.fail("estimate needs the data: --abundance FILE, --incidence FILE or --incidence-raw FILE");
        if (!parser.failed && !o.out) parser.fail("estimate needs --out DIR, the folder of its tables");
        const bool curve_sizes_given = std::find(args.begin(), args.end(), "--knots") != args.end() ||
                                       std::find(args.begin(), args.end(), "--endpoint") != args.end();
        if (!parser.failed && curve_sizes_given && !o.rarefaction.curves)
            parser.fail("--knots and --endpoint shape the curves of --rarefaction: add --rarefaction");
        cl.estimate.seed = o.seed;
        cl.estimate.curves = o.rarefaction;
        if (!parser.failed) cl.action = CommandLine::Action::estimate;
        return cl;
    }
    if (!args.empty() && args[0] == "merge") {
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--allow-gaps")
                cl.allow_gaps = true;
            else if (args[i] == "--quiet" || args[i] == "--progress")
                *switches.at(args[i]) = true;
            else if (!args[i].empty() && args[i][0] == '-')
                parser.fail("merge takes OUT DIR..., --allow-gaps, --quiet and --progress, not " + args[i]);
            else if (cl.merge_into.empty())
                cl.merge_into = args[i];
            else
                cl.merge_from.push_back(args[i]);
        }
        if (!parser.failed && cl.merge_from.empty()) parser.fail("merge needs an output folder and the folders to join");
        check_progress();
        if (!parser.failed) cl.action = CommandLine::Action::merge;
        return cl;
    }
    for (std::size_t i = 0; i < args.size() && !parser.failed; ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.action = CommandLine::Action::help;
            return cl;
        }
        if (a == "--version") {
            cl.action = CommandLine::Action::version;
            return cl;
        }
        if (const auto s = switches.find(a); s != switches.end()) {
            *s->second = true;
            continue;
        }
        const auto equals = a.find('=');
        const std::string name = a.substr(0, equals);
        const auto w = with_value.find(name);
        if (w == with_value.end()) {
            parser.fail("unknown option " + a);
            break;
        }
        if (equals != std::string::npos) {
            w->second(a.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            w->second(args[++i]);
        } else {
            parser.fail(name + " needs a value");
        }
    }
    if (parser.failed) return cl;

    // Options that belong together.
    if (o.rank_order && !o.source) o.source = keyword("o");
    const bool from_file = o.source && (*o.source == keyword("m") || *o.source == keyword("o"));
    if (from_file && !o.rank_order) parser.fail("--source m or o needs --rank-order FILE");
    if (o.rank_order && !from_file) parser.fail("--rank-order needs --source m or o");
    const bool startup = o.batch || o.source || o.rank_order || o.weights || o.diagonals || o.map_species > 0.0f ||
                         o.cells;
    if (startup && !o.mode) parser.fail("the start-up options (--batch, --source, --map, ...) need --mode");
    const bool sampling = o.mode && *o.mode == keyword("s");
    if (o.mode && !sampling && (o.source || o.diagonals || o.map_species > 0.0f || o.cells))
        parser.fail("--source, --rank-order, --diagonals, --map and --cells belong to sampling runs (--mode s)");
    if (o.check && !o.batch) parser.fail("--check needs --batch FILE");
    if (o.habitat && !o.tidy) parser.fail("--habitat writes a table of the tidy output: add --tidy");
    if (o.rarefaction.curves && !o.tidy)
        parser.fail("--rarefaction writes a table of the tidy output (rarefaction.csv): add --tidy");
    if (o.rarefaction.curves && o.mode && !sampling)
        parser.fail("--rarefaction draws the curves of the samples: it belongs to sampling runs (--mode s)");
    if (curve_shaped && !o.rarefaction.curves)
        parser.fail("--knots, --endpoint and --bootstraps shape the curves of --rarefaction: add --rarefaction");
    if (o.first_row > 0 && !o.batch) parser.fail("--rows needs --batch FILE");
    if (o.jobs > 1 && !o.run_seeds)
        parser.fail("--jobs needs --run-seeds: without run seeds every pass continues the random stream of the pass before");
    if (o.resume && !o.out) parser.fail("--resume needs --out DIR, the folder of the run to go on with");
    if (o.progress && !o.mode) parser.fail("--progress needs --mode: a run that asks its questions shows no progress");
    check_progress();
    return cl;
}

std::string check_files(const SessionOptions& o, FileSystem& files, const std::filesystem::path& input_dir) {
    const auto readable = [&](const std::string& name) {
        const std::filesystem::path p = std::filesystem::path(name).is_absolute() ? std::filesystem::path(name)
                                                                                   : input_dir / name;
        return files.open_existing(p) ? std::string() : "cannot open " + name + ": " + files.open_failure(p);
    };
    if (o.batch)
        if (std::string why = readable(*o.batch); !why.empty()) return "the batch file: " + why;
    if (o.rank_order)
        if (std::string why = readable(*o.rank_order); !why.empty()) return "the rank-order file: " + why;
    return {};
}

std::string usage_text() {
    return "Usage: lorvenna [options]\n"
           "\n"
           "Builds a virtual assemblage of species on a grid whose truth is known and\n"
           "samples it as a field ecologist would.  Without options the program asks its\n"
           "questions on the console.  --mode answers them instead, so a scripted run asks\n"
           "nothing (with --batch it asks no parameters either).\n"
           "\n"
           "Modes (--mode):\n"
           "  m  compute the model community only (Distribution.txt)\n"
           "  s  build the model and sample it (Sample.txt, Analysis.txt, ...)\n"
           "  b  write the template batch file lorvenna.txt\n"
           "\n"
           "Start-up answers:\n"
           "  --mode m|s|b        what to do; without it every start-up question is asked\n"
           "  --batch FILE        run every row of a batch file (one parameter set per row)\n"
           "  --source g|m|o      community generated (g, the default) or read from a\n"
           "                      rank-order file (m or o, with --rank-order)\n"
           "  --rank-order FILE   the rank-order distribution file (implies --source o)\n"
           "  --weights           the rank-order file gives a body weight after each abundance\n"
           "  --diagonals         write Grid.txt (habitat along the grid diagonals)\n"
           "  --map N             write Map.txt for species N\n"
           "  --cells             write Cells.txt (the contents of every sample unit)\n"
           "\n"
           "Output:\n"
           "  --out DIR           write every file into DIR (created if missing); batch and\n"
           "                      rank-order names stay relative to the working directory\n"
           "  --tidy              also write the tidy tables runs.csv, species.csv,\n"
           "                      samples.csv, curve.csv, units.csv, timings.csv,\n"
           "                      estimates.csv and occurrences.csv\n"
           "  --habitat           with --tidy: the habitat grid of every run as habitat-RUN.asc\n"
           "  --rarefaction       with --tidy, mode s: rarefaction.csv, the rarefaction and\n"
           "                      extrapolation curves of Hill numbers (q = 0, 1, 2) and of\n"
           "                      the coverage of every run's largest sample, with bootstrap\n"
           "                      intervals and the true curves of the sampled square\n"
           "  --knots K           sizes along each curve (default 40, from 4 to 10000)\n"
           "  --endpoint M        the curves end at M individuals (default twice the sample)\n"
           "  --bootstraps B      bootstrap replicates of the intervals (default 50; 0: none)\n"
           "  --quiet             no banner, settings echo, per-row lines or progress line;\n"
           "                      warnings and errors still go to standard error\n"
           "  --progress          progress as one plain line per finished run on standard\n"
           "                      error, even on a terminal (for a log read by a tool).\n"
           "                      Without it a scripted run keeps one progress line on a\n"
           "                      terminal, and writes plain lines to a file or pipe\n"
           "  --check             check every row of the batch file (and every rank-order\n"
           "                      block), list the faulty ones, run nothing\n"
           "\n"
           "Reproducing runs and sweeps:\n"
           "  --seed N            start the random stream from seed word N (0 to 4294967295);\n"
           "                      without it the seed word comes from the clock and is shown\n"
           "                      in the banner\n"
           "  --run-seeds         every pass starts from its own seed word, mixed from the\n"
           "                      seed word, the row and the replicate: any pass can run\n"
           "                      alone (--seed W --rows R:R), in a slice or beside others\n"
           "  --replicates K      run each row K times\n"
           "  --rows A:B          run rows A to B of the batch file only (a slice of a sweep)\n"
           "  --jobs N            run up to N passes at once (needs --run-seeds)\n"
           "  --resume            with --out: go on where a killed run left that folder\n"
           "\n"
           "The model:\n"
           "  --heterogeneity C   use C as the habitat heterogeneity deviate c of every pass\n"
           "                      (and every species with RndHet rnd) in place of the one\n"
           "                      drawn; the draw is still taken, so the rest stays as it was\n"
           "\n"
           "Commands:\n"
           "  lorvenna merge OUT DIR... [--allow-gaps] [--quiet | --progress]\n"
           "                      join the --out folders of the slices of one sweep into OUT,\n"
           "                      byte for byte what one machine would have written; a merge\n"
           "                      that takes more than a second shows its progress\n"
           "  lorvenna estimate (--abundance FILE | --incidence FILE | --incidence-raw FILE)\n"
           "           [--rarefaction] [--bootstraps B] [--knots K] [--endpoint M] [--seed N] --out DIR\n"
           "                      the estimators (and with --rarefaction the curves) on your own\n"
           "                      field data, in the formats of iNEXT and SpadeR: one column per\n"
           "                      assemblage; abundances, or the sampling units first and then\n"
           "                      incidence counts, or a species x units 0/1 table; writes\n"
           "                      DIR/estimates.csv (and DIR/rarefaction.csv).  Bootstrap\n"
           "                      intervals from B replicates (default 50) seeded by N\n"
           "  lorvenna bias DIR [--quantity Q] [--quiet | --progress]\n"
           "                      the scores of every estimator and of the SAR slope over the\n"
           "                      replicates of each row and design of the tidy tables in DIR:\n"
           "                      truth, estimate, error and relative bias (mean and SD), RMSE,\n"
           "                      MAE, interval coverage and width; written to DIR/bias.csv.\n"
           "                      The table shows the estimators of Q: richness (the default,\n"
           "                      with the SAR slope), hill1, hill2, coverage or all\n"
           "\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "\n"
           "Example: lorvenna --mode s --batch demo/designs.txt --out results --tidy --seed 1\n"
           "Everything about parameters, files, tables and columns: docs/manual.md\n";
}

std::string version_text() { return std::string("lorvenna ") + LORVENNA_VERSION + "\n"; }

}  // namespace lorvenna
