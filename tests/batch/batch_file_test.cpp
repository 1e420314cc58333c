#include "batch/batch_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "batch/batch_bench.hpp"

namespace lorvenna {
namespace {

using testing::batch_header;
using testing::batch_row;
using Columns = std::vector<std::pair<std::string, std::string>>;

// A bench whose batch file holds `rows` after `header`, the header already read.
struct RowBench : testing::BatchBench {
    explicit RowBench(const std::string& rows, const std::string& header = batch_header + "\n") {
        wa.batch_file = std::make_unique<std::istringstream>(header + rows);
        wa.batch_file_name = "runs.txt";
        header_found = read_batch_header(wa);
    }
    std::optional<ProgramEnd> next_row() {
        return ends([this] { read_batch_row(wa); });
    }
    bool header_found = false;
};

// The message a faulty single-row batch ends with (its first line).
std::string refusal(const Columns& over) {
    RowBench b(batch_row(over) + "\n");
    const auto end = b.next_row();
    if (!end) return "(no end)";
    EXPECT_EQ(end->status, exit_error);
    return end->message.substr(0, end->message.find('\n'));
}

TEST(BatchFile, TemplateIsByteExactReplacesAnOldFileAndRunsAsABatch) {
    testing::BatchBench writer;
    writer.write_file("lorvenna.txt", std::string(5000, 'x') + "\n");
    write_batch_template(writer.wa);
    const std::string text = writer.read_file("lorvenna.txt");
    const auto lines = writer.lines(text);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(lines[0], batch_header);
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 258u) << "row " << i;
    EXPECT_EQ(lines[2],
              "   1000       1      1       1       1       1  ind          1     0.100 0.00100000   0.000   0.000   "
              "0.000   linear    logn       1   1.000   1.000   1.000   0.000   1.000  10.000    0.000  rnd      rmd "
              "     2.300     1.300 100.0      0.0   simp     10  rnd");

    RowBench b(text.substr(text.find('\n') + 1), lines[0] + "\n");
    for (int i = 1; i <= 5; ++i) {
        const auto end = b.next_row();
        ASSERT_FALSE(end) << "template row " << i << ": " << end->message;
    }
    const auto end = b.next_row();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_ok);
    EXPECT_EQ(end->message, " End of batch file reached");
    EXPECT_EQ(b.wa.iteration, 5);
}

TEST(BatchFile, EndOfTheBatchAtTheEndOfTheFileOrABlankLine) {
    EXPECT_FALSE(RowBench("", "").header_found);

    RowBench header_only("", batch_header);  // no final newline either
    EXPECT_TRUE(header_only.header_found);
    auto end = header_only.next_row();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_ok);
    EXPECT_EQ(end->message, " End of batch file reached");
    EXPECT_EQ(header_only.wa.iteration, 0);

    RowBench blank(batch_row() + "\n \t \n" + batch_row() + "\n");
    EXPECT_FALSE(blank.next_row());
    end = blank.next_row();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->message, " End of batch file reached") << "rows after a blank line are not run";
}

TEST(BatchFile, RowsFillTheParameterSetAndShortRowsKeepEarlierValues) {
    RowBench b(batch_row({{"Species", "7"}, {"minD", "0.00000001"}, {"DWD", "power"}, {"NicheNo", "5.5"},
                          {"Permut", "20"}, {"DivInd", "evar"}, {"GridHet", "rnd"}, {"Method", "dep"}}) +
               " extra 1 2\n20 12 5\n" + batch_row({{"AreaHet", "1"}, {"Fractal", "superposition"}}) + "\n");
    ASSERT_FALSE(b.next_row());
    const ParameterSet& p = b.wa.params;
    EXPECT_EQ(p.Species, 7);
    EXPECT_FLOAT_EQ(p.minD, 1e-8f);
    EXPECT_EQ(p.DWD, keyword("power"));
    EXPECT_FLOAT_EQ(p.NicheNo, 5.5f);
    EXPECT_EQ(p.Permut, 20);
    EXPECT_EQ(p.DivInd, keyword("evar"));
    EXPECT_EQ(p.GridHet, keyword("rnd"));
    EXPECT_EQ(p.Fractal, keyword("")) << "AreaHet 0 clears the fractal kind";
    EXPECT_FLOAT_EQ(b.wa.derived.min_abundance, 1.0f) << "densities are derived for the row";

    const auto lines = b.lines(b.out.str());
    const auto it = std::find(lines.begin(), lines.end(), "Iteration No.:    1");
    ASSERT_TRUE(it - lines.begin() >= 2 && lines.end() - it >= 3);
    EXPECT_EQ(*(it - 1), std::string(78, '-'));
    EXPECT_EQ((it - 2)->rfind("Runtime of program: ", 0), 0u);
    EXPECT_EQ(*(it + 1), "") << "the settings echo follows";

    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(b.wa.iteration, 2);
    EXPECT_EQ(p.SampA, 12);
    EXPECT_EQ(p.maxSa, 5);
    EXPECT_EQ(p.Species, 7);
    EXPECT_EQ(p.Method, keyword("dep"));

    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(p.Fractal, "superpo") << "a long keyword keeps its first 7 characters";
}

TEST(BatchFile, UndecodableTokensNameTokenAndRow) {
    const std::string row = batch_row({{"Areal", "abc"}});
    RowBench b(row + "\n");
    const auto end = b.next_row();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_EQ(end->message, " Error while reading program settings: abc\n " + row);
    EXPECT_EQ(b.wa.iteration, 0) << "an undecodable row is not a run";

    for (const auto& [column, token] : Columns{{"Areal", "2147483648"}, {"maxD", "1e39"}, {"Species", "10.0"},
                                               {"Aggr", "nan"}, {"Areal", std::string("\x01\xff", 2)}})
        EXPECT_EQ(refusal({{column, token}}),
                  " Error while reading program settings: " + (token[0] == 1 ? std::string("?\xff") : token));
}

TEST(BatchFile, CheckMessagesAndTheirValueFormats) {
    const std::vector<std::pair<Columns, std::string>> cases = {
        {{{"SampA", "0"}}, " Error while reading area:   0"},
        {{{"SampA", "5000"}}, " Error while reading area: 5000"},  // wider than its field, still named
        {{{"maxSa", "257"}}, " Error while reading max. sample size: 257"},
        {{{"minSa", "4"}}, " Error while reading min. sample size:   4"},
        {{{"StepSa", "5"}}, " Error while reading step width:   5"},
        {{{"Sampfac", "11"}}, " Error while reading sample factor 11"},
        {{{"Method", "sequential"}}, " Error while reading method of sampling: seq"},
        {{{"Species", "0"}}, " Error while reading No. species:   0"},
        {{{"minD", "2.5"}}, " Error while reading min. density:   2.50000"},
        {{{"maxD", "0.0000001"}, {"minD", "0.0000002"}}, " Error while reading min. density: 2.00000e-07"},
        {{{"Dfluc", "-1.5"}}, " Error while reading type of density fluct.:   -1.50"},
        {{{"Flucvar", "-0.01"}}, " Error while reading standard deviation of density fluct.:   -0.01"},
        {{{"DWD", "lognormal"}}, " Error while reading DWD distribution: lognor"},
        {{{"SWD", "rnd"}}, " Error while reading SWD distribution: rnd"},
        {{{"Class", "51"}, {"Species", "60"}}, " Error while reading No. of weight classes: 51"},
        {{{"SWDmy", "0.5"}}, " Error while reading mean of SWD:  0.50"},
        {{{"Permut", "21"}}, " Error while reading the number of permutations  21"},
        {{{"DWDmy", "8"}}, " Error while reading mean of DWD:    8.00"},  // Class 3: bound exp(3 * 0.693147) < 8
        {{{"DWDvar", "-1"}}, " Error while reading standard deviation  of DWD:   -1.00"},
        {{{"Aggr", "400.5"}}, " Error while reading aggregation:  400.50"},
        {{{"AreaHet", "-2"}}, " Error while reading degree of areal heterogeneity:   -2.00"},
        {{{"Scale1", "0.5"}}, " Error while reading the first fractal coefficient:    0.50"},
        {{{"Scale2", "0"}}, " Error while reading the second fractal coefficient:    0.00"},
        {{{"HabGrad", "-3"}}, " Error while reading coefficient of habitat gradient:   -3.00"},
        {{{"DivInd", "shannon"}}, " Error while reading diversity index: shanno"},
        {{{"RndHet", "random"}}, " Error while reading fixed placing parameter: ran"},
        {{{"GridHet", "xyz"}}, " Error while reading fixed grid heterogeneity: xyz"},
        // The first failing check speaks; Class above 50 passes while there are fewer species.
        {{{"StepSa", "9"}, {"Species", "0"}}, " Error while reading step width:   9"},
        {{{"Class", "60"}, {"Permut", "0"}}, " Error while reading the number of permutations   0"},
    };
    for (const auto& [over, message] : cases) EXPECT_EQ(refusal(over), message);

    RowBench bounds(batch_row({{"SampA", "20"}, {"maxSa", "400"}, {"minSa", "400"}, {"StepSa", "400"},
                               {"Sampfac", "10"}, {"Method", "dep"}, {"Dfluc", "1"}, {"Flucvar", "1"},
                               {"SWDmy", "50"}, {"DWDmy", "7.99"}, {"Aggr", "400"}, {"Permut", "20"}}) +
                    "\n");
    const auto end = bounds.next_row();
    EXPECT_FALSE(end) << "values on the bounds pass: " << end->message;
}

TEST(BatchFile, MidpointGridRescalingAndFractalDimensionClamp) {
    for (const auto& [side, rescaled] : std::vector<std::pair<int, int>>{{100, 129}, {128, 129}, {129, 257}}) {
        RowBench b(batch_row({{"Areal", std::to_string(side)}, {"AreaHet", "1"}, {"Scale1", "3.5"}}) + "\n");
        ASSERT_FALSE(b.next_row()) << side;
        EXPECT_EQ(b.wa.params.Areal, rescaled);
        const std::string r = std::to_string(rescaled);
        EXPECT_TRUE(b.console_has("Gridsize rescaled to   " + r + " x  " + r)) << side;
        EXPECT_FLOAT_EQ(b.wa.params.Scale1, 3.0f);
    }
    // Checks see the rescaled side (129^2 = 16641); a dimension below 1 is refused before the clamp.
    EXPECT_FALSE(RowBench(batch_row({{"Areal", "100"}, {"AreaHet", "1"}, {"Aggr", "16641"}}) + "\n").next_row());
    EXPECT_EQ(refusal({{"AreaHet", "1"}, {"Scale1", "0.9"}}), " Error while reading the first fractal coefficient:    0.90");
    RowBench super(batch_row({{"Areal", "100"}, {"AreaHet", "1"}, {"Fractal", "super"}, {"Scale1", "7.5"}}) + "\n");
    ASSERT_FALSE(super.next_row());
    EXPECT_EQ(super.wa.params.Areal, 100);
    EXPECT_FLOAT_EQ(super.wa.params.Scale1, 7.5f);
}

TEST(BatchFile, LargeSidesNeitherOverflowTheChecksNorRunBeyondWhatCanBeCounted) {
    // SampA^2 = 2.5e9 lies beyond 32 bits: a sample size of 2e9 is within it.
    RowBench b(batch_row({{"Areal", "60000"}, {"SampA", "50000"}, {"maxSa", "2000000000"}, {"Method", "dep"},
                          {"maxD", "0"}, {"Aggr", "3000000000"}}) +
               "\n");
    const auto end = b.next_row();
    EXPECT_FALSE(end) << end->message;
    // One individual per cell of a 46341 x 46341 grid: 2^31 and more per species,
    // more than the cells of a sampling run can count; a model-only run needs no cell counts.
    const std::string big_grid = batch_row({{"Areal", "46341"}, {"SampA", "10"}}) + "\n";
    RowBench sampling(big_grid);
    sampling.wa.answers.mode = keyword("s");
    const auto refused = sampling.next_row();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->message.rfind(" Error while reading max. density:     1.000 (2147488281 individuals", 0), 0u);
    RowBench model_only(big_grid);
    const auto accepted = model_only.next_row();
    EXPECT_FALSE(accepted) << accepted->message;
}

TEST(BatchFile, CarriageReturnsTabsAndUnreadableLines) {
    std::string tabbed = batch_row({{"Species", "8"}});
    std::replace(tabbed.begin(), tabbed.end(), ' ', '\t');
    RowBench b(tabbed + "\r\n" + batch_row({{"GridHet", "rnd"}}) + "\r\n");
    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(b.wa.params.Species, 8);
    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(b.wa.params.GridHet, keyword("rnd")) << "the carriage return does not join the last field";

    std::string fifty_one;
    for (int i = 0; i < 51; ++i) fifty_one += "1 ";
    const std::pair<std::string, std::string> cases[] = {
        {batch_row() + std::string(300, ' ') + "7", "longer than 300 characters"},
        {fifty_one, "more than 50 fields"},
        {batch_row({{"Method", std::string(51, 's')}}), "field 7 is longer than 50 characters"}};
    for (const auto& [line, reason] : cases) {
        RowBench u(batch_row() + "\n" + line + "\n");
        ASSERT_FALSE(u.next_row());
        const auto end = u.next_row();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->status, exit_error);
        EXPECT_EQ(end->message.find('\n'), std::string::npos);
        EXPECT_NE(end->message.find("line 3 of the batch file runs.txt: "), std::string::npos) << end->message;
        EXPECT_NE(end->message.find(reason), std::string::npos) << end->message;
    }
}

TEST(BatchFile, AFailingBatchFileIsNamedAndEndsWithAnError) {
    testing::BatchBench b;
    b.wa.batch_file = std::make_unique<testing::FailingStream>(batch_header + "\n" + batch_row() + "\n");
    b.wa.batch_file_name = "runs.txt";
    ASSERT_TRUE(read_batch_header(b.wa));
    ASSERT_FALSE(b.ends([&] { read_batch_row(b.wa); }));
    const auto end = b.ends([&] { read_batch_row(b.wa); });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_NE(end->message.find("runs.txt"), std::string::npos) << end->message;

    b.wa.batch_file = std::make_unique<testing::FailingStream>("");
    const auto header_end = b.ends([&] { read_batch_header(b.wa); });
    ASSERT_TRUE(header_end);
    EXPECT_EQ(header_end->status, exit_error);
}

TEST(BatchFile, MaximumSampleSizeIsClampedToTheDesignAfterTheChecks) {
    // On a 4 x 4 square the checks allow 16 units; "dep" keeps them, "seq" allows 4.
    RowBench dep(batch_row({{"SampA", "4"}, {"Method", "dep"}, {"maxSa", "16"}, {"minSa", "16"}}) + "\n");
    ASSERT_FALSE(dep.next_row());
    EXPECT_EQ(dep.wa.params.maxSa, 16);
    RowBench seq(batch_row({{"SampA", "4"}, {"Method", "seq"}, {"maxSa", "16"}, {"minSa", "10"}}) + "\n");
    ASSERT_FALSE(seq.next_row());
    EXPECT_EQ(seq.wa.params.maxSa, 4);
    EXPECT_EQ(seq.wa.params.minSa, 4);
}

}  // namespace
}  // namespace lorvenna
