#include "driver/command_line.hpp"

#include <gtest/gtest.h>

using namespace lorvenna;
using Action = CommandLine::Action;

TEST(CommandLine, OptionsAnswerTheStartUpQuestions) {
    auto cl = parse_command_line({"--seed", "4294967295", "--mode", "s", "--batch", "runs.txt", "--rank-order=ranks.txt",
                                  "--weights", "--map", "7", "--cells", "--out", "results", "--tidy", "--quiet"});
    ASSERT_EQ(cl.action, Action::run) << cl.error;
    const SessionOptions& o = cl.options;
    EXPECT_EQ(*o.seed, 4294967295u);
    EXPECT_TRUE(o.scripted());
    EXPECT_EQ(*o.source, keyword("o")) << "a rank-order file implies source o";
    EXPECT_EQ(o.map_species, 7.0f);
    EXPECT_TRUE(o.weights && o.cells && o.tidy && o.quiet);
    EXPECT_EQ(*o.out, "results");
    EXPECT_FALSE(parse_command_line({}).options.scripted());

    cl = parse_command_line({"--mode", "s", "--batch", "b.txt", "--run-seeds", "--replicates", "3", "--rows", "2:5",
                             "--jobs", "2", "--out", "o", "--resume"});
    ASSERT_EQ(cl.action, Action::run) << cl.error;
    EXPECT_EQ(cl.options.replicates, 3);
    EXPECT_EQ(cl.options.first_row, 2);
    EXPECT_EQ(cl.options.last_row, 5);
    EXPECT_EQ(cl.options.jobs, 2);

    cl = parse_command_line({"--mode", "s", "--tidy", "--rarefaction", "--knots", "12", "--endpoint=900", "--bootstraps", "0"});
    ASSERT_EQ(cl.action, Action::run) << cl.error;
    EXPECT_TRUE(cl.options.rarefaction.curves);
    EXPECT_EQ(cl.options.rarefaction.knots, 12);
    EXPECT_EQ(cl.options.rarefaction.endpoint, 900);
    EXPECT_EQ(cl.options.rarefaction.bootstraps, 0);
    const RarefactionSettings defaults = parse_command_line({"--mode", "s", "--tidy", "--rarefaction"}).options.rarefaction;
    EXPECT_EQ(defaults.knots, 40) << "iNEXT's knots";
    EXPECT_EQ(defaults.endpoint, 0) << "twice the sample";
    EXPECT_EQ(defaults.bootstraps, 50);

    cl = parse_command_line({"estimate", "--incidence-raw", "units.csv", "--rarefaction", "--bootstraps", "10",
                             "--knots", "20", "--seed", "7", "--out", "field"});
    ASSERT_EQ(cl.action, Action::estimate) << cl.error;
    EXPECT_EQ(cl.estimate.kind, FieldDataKind::incidence_raw);
    EXPECT_EQ(cl.estimate.file, "units.csv");
    EXPECT_EQ(*cl.estimate.seed, 7u);
    EXPECT_TRUE(cl.estimate.curves.curves);
    EXPECT_EQ(cl.estimate.curves.knots, 20);
    EXPECT_EQ(cl.estimate.curves.bootstraps, 10);
    EXPECT_EQ(*cl.options.out, "field");

    cl = parse_command_line({"merge", "all", "a", "b", "--allow-gaps", "--progress"});
    ASSERT_EQ(cl.action, Action::merge);
    EXPECT_EQ(cl.merge_into, "all");
    EXPECT_EQ(cl.merge_from, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(cl.allow_gaps);
    EXPECT_TRUE(cl.options.progress);

    for (const auto& [args, quantity] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"bias", "sweep"}, "richness"},
             {{"bias", "sweep", "--quantity", "hill2"}, "hill2"},
             {{"bias", "--quantity=all", "sweep", "--quiet"}, "all"}}) {
        cl = parse_command_line(args);
        ASSERT_EQ(cl.action, Action::bias) << cl.error;
        EXPECT_EQ(cl.bias_of, "sweep");
        EXPECT_EQ(cl.bias_quantity, quantity);
    }
}

TEST(CommandLine, BadOptionsAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--seed"}, {"--seed", "4294967296"}, {"--seed", "-1"}, {"--seed", "12x"}, {"--frobnicate"}, {"m"},
             {"--mode", "x"}, {"--mode", "M"}, {"--batch", "runs.txt"}, {"--mode", "s", "--source", "q"},
             {"--mode", "s", "--source", "m"}, {"--mode", "m", "--cells"}, {"--mode", "s", "--check"},
             {"--rows", "1:2"}, {"--mode", "s", "--batch", "b", "--rows", "3:2"}, {"--mode", "s", "--batch", "b", "--rows", "0:2"},
             {"--mode", "s", "--batch", "b", "--jobs", "2"}, {"--mode", "s", "--batch", "b", "--resume"},
             {"--mode", "s", "--map", "-1"}, {"--mode", "s", "--batch", "b", "--replicates", "0"}, {"--habitat"},
             {"merge", "out"}, {"merge", "out", "a", "--frobnicate"}, {"--progress"},
             {"bias", "sweep", "--quantity", "hill3"}, {"bias", "sweep", "--quantity"},
             // estimate: one data file, a folder for its tables, curve sizes only with the curves
             {"estimate", "--out", "o"}, {"estimate", "--abundance", "a.csv"},
             {"estimate", "--abundance", "a.csv", "--incidence", "b.csv", "--out", "o"},
             {"estimate", "--abundance", "a.csv", "--out", "o", "--knots", "20"},
             {"estimate", "--abundance", "a.csv", "--out", "o", "--tidy"}, {"estimate", "--abundance"},
             {"--mode", "s", "--batch", "b", "--quiet", "--progress"}, {"merge", "out", "a", "--progress", "--quiet"},
             // The curves: a table of the tidy output, of sampling runs, shaped only when asked for.
             {"--mode", "s", "--rarefaction"}, {"--mode", "m", "--tidy", "--rarefaction"},
             {"--mode", "s", "--tidy", "--knots", "20"}, {"--mode", "s", "--tidy", "--bootstraps", "10"},
             {"--mode", "s", "--tidy", "--rarefaction", "--knots", "3"},
             {"--mode", "s", "--tidy", "--rarefaction", "--endpoint", "0"},
             {"--mode", "s", "--tidy", "--rarefaction", "--bootstraps", "-1"}})
        EXPECT_EQ(parse_command_line(args).action, Action::usage_error) << args.back();
}

TEST(CommandLine, HelpAndVersion) {
    EXPECT_EQ(parse_command_line({"--help"}).action, Action::help);
    EXPECT_EQ(parse_command_line({"--version"}).action, Action::version);
    for (const char* option : {"--seed", "--mode", "--batch", "--tidy", "--check", "--out", "--quiet", "--run-seeds",
                               "--replicates", "--rows", "--jobs", "--resume", "--progress", "merge", "--rarefaction", "--knots",
                               "--endpoint", "--bootstraps"})
        EXPECT_NE(usage_text().find(option), std::string::npos) << option;
    EXPECT_NE(version_text().find(LORVENNA_VERSION), std::string::npos);
}
