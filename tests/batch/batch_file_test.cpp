// The batch reader: rows, their decoding, the checks in their order and the
// ends of a batch.  Whole batch sessions are in the golden sessions.
#include "batch/batch_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "pass/model_pass.hpp"
#include "numerics/fixed_field.hpp"
#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

using testing::batch_header;
using testing::batch_row;
using testing::ends;
using Columns = std::vector<std::pair<std::string, std::string>>;

// A bench whose batch file holds `rows` after `header`, the header already read.
struct RowBench : testing::WorkBench {
    explicit RowBench(const std::string& rows, const std::string& header = batch_header + "\n") {
        session.batch.file = std::make_unique<std::istringstream>(header + rows);
        session.batch.name = "runs.txt";
        header_found = read_batch_header(session);
    }
    // Reads the next row and runs its pass (a model-only one: nothing is
    // placed); at the end of the batch `ended` is set and nothing runs.
    std::optional<ProgramEnd> next_row() {
        return ends([this] {
            ended = read_and_settle_row(session, true) == RowRead::end;
            if (ended) return;
            session.iteration = session.batch.rows_read;
            run_model_pass(pass, PassOutlet{io, session.reports, session.answers},
                           PassIdentity{session.iteration, session.batch.rows_read + 1, 1});
        });
    }
    bool console_has(const std::string& line) const {
        const auto c = console();
        return std::find(c.begin(), c.end(), line) != c.end();
    }
    bool header_found = false;
    bool ended = false;
};

// The first line of the message a faulty single-row batch ends with.
std::string refusal(const Columns& replaced) {
    RowBench b(batch_row(replaced) + "\n");
    const auto end = b.next_row();
    if (!end) return "(accepted)";
    EXPECT_EQ(end->status, exit_error);
    return end->message.substr(0, end->message.find('\n'));
}

TEST(BatchFile, TemplateRowsRunAsABatch) {
    testing::WorkBench writer;
    write_batch_template(writer.io);
    const std::string text = writer.files.text("lorvenna.txt");
    RowBench b(text.substr(text.find('\n') + 1), text.substr(0, text.find('\n') + 1));
    for (int i = 1; i <= 5; ++i) {
        const auto end = b.next_row();
        ASSERT_FALSE(end) << "template row " << i << ": " << end->message;
    }
    EXPECT_FALSE(b.next_row());
    EXPECT_TRUE(b.ended);
    EXPECT_EQ(b.session.iteration, 5);
}

TEST(BatchFile, EndOfTheBatchAtTheEndOfTheFileOrABlankLine) {
    EXPECT_FALSE(RowBench("", "").header_found);
    RowBench header_only("", batch_header);  // no final newline either
    EXPECT_TRUE(header_only.header_found);
    EXPECT_FALSE(header_only.next_row());
    EXPECT_TRUE(header_only.ended);
    EXPECT_EQ(header_only.session.iteration, 0);

    RowBench blank(batch_row() + "\n \t \n" + batch_row() + "\n");
    EXPECT_FALSE(blank.next_row());
    EXPECT_FALSE(blank.ended);
    EXPECT_FALSE(blank.next_row());
    EXPECT_TRUE(blank.ended) << "rows after a blank line are not run";
    EXPECT_EQ(blank.session.batch.rows_read, 1);
}

TEST(BatchFile, RowsFillTheParameterSetAndTheirDerivedValues) {
    RowBench b(batch_row({{"Species", "7"}, {"minD", "0.00000001"}, {"DWD", "power"}, {"NicheNo", "5.5"},
                          {"Permut", "20"}, {"DivInd", "evar"}, {"GridHet", "rnd"}, {"Method", "dep"}}) +
               " extra 1 2\n20 12 5\n" + batch_row({{"AreaHet", "1"}, {"Fractal", "superposition"}}) + "\n");
    ASSERT_FALSE(b.next_row());
    const ParameterSet& p = b.pass.params;
    EXPECT_EQ(p.Species, 7);
    EXPECT_EQ(b.pass.derived.species, 7);
    EXPECT_FLOAT_EQ(p.minD, 1e-8f);
    EXPECT_EQ(p.DWD.kind(), DensityForm::power);
    EXPECT_FLOAT_EQ(p.NicheNo, 5.5f);
    EXPECT_EQ(p.Permut, 20);
    EXPECT_EQ(p.DivInd.kind(), DiversityIndex::evar);
    EXPECT_EQ(p.GridHet.kind(), Heterogeneity::random);
    EXPECT_EQ(p.Fractal.text(), keyword("")) << "AreaHet 0 clears the fractal kind";
    EXPECT_EQ(b.pass.derived.grid_side, 20);
    EXPECT_FLOAT_EQ(b.pass.derived.min_abundance, 1.0f) << "densities are derived for the row";

    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(b.session.iteration, 2);
    EXPECT_EQ(p.SampA, 12);
    EXPECT_EQ(p.maxSa, 5);
    EXPECT_EQ(p.Method.kind(), Design::random_dependent) << "a short row keeps the columns it does not give";
    EXPECT_EQ(p.NicheNo, 3.0f) << "... as the pass left them: the niche level nint(5.5 / 2)";
    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(p.Fractal.text(), "superpo") << "a long keyword keeps its first 7 characters";

    // After an rmd row the fractal dimension D = 2.5 is carried as H = 3 - D.
    RowBench rmd(batch_row({{"AreaHet", "1"}, {"Scale1", "2.5"}}) + "\n20 16\n");
    ASSERT_FALSE(rmd.next_row());
    EXPECT_EQ(rmd.next_row()->message, " Error while reading the first fractal coefficient:    0.50");
}

TEST(BatchFile, UndecodableTokensNameTokenAndRow) {
    const std::string row = batch_row({{"Areal", "abc"}});
    RowBench b(row + "\n");
    const auto end = b.next_row();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_EQ(end->message, " Error while reading program settings: abc\n " + row);
    EXPECT_EQ(b.session.iteration, 0) << "an undecodable row is not a run";

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
        {{{"Flucmy", "1.25"}}, " Error while reading mean of density fluct.:    1.25"},
        {{{"Flucvar", "-0.01"}}, " Error while reading standard deviation of density fluct.:   -0.01"},
        {{{"DWD", "lognormal"}}, " Error while reading DWD distribution: lognor"},
        {{{"SWD", "rnd"}}, " Error while reading SWD distribution: rnd"},
        {{{"Class", "51"}, {"Species", "60"}}, " Error while reading No. of weight classes: 51"},
        {{{"SWDmy", "0.5"}}, " Error while reading mean of SWD:  0.50"},
        {{{"SWDvar", "50.5"}}, " Error while reading standard deviation of SWD: 50.50"},
        {{{"Permut", "21"}}, " Error while reading the number of permutations  21"},
        {{{"DWDmy", "8"}}, " Error while reading mean of DWD:    8.00"},  // Class 3: exp(3 * 0.693147) < 8
        {{{"DWDvar", "-1"}}, " Error while reading standard deviation  of DWD:   -1.00"},
        {{{"Aggr", "400.5"}}, " Error while reading aggregation:  400.50"},
        {{{"AreaHet", "-2"}}, " Error while reading degree of areal heterogeneity:   -2.00"},
        {{{"NicheNo", "-1"}}, " Error while reading niche coefficient:   -1.00"},
        {{{"Scale1", "0.5"}}, " Error while reading the first fractal coefficient:    0.50"},
        {{{"Scale2", "0"}}, " Error while reading the second fractal coefficient:    0.00"},
        {{{"Range", "-0.5"}}, " Error while reading range coefficient:   -0.50"},
        {{{"HabGrad", "-3"}}, " Error while reading coefficient of habitat gradient:   -3.00"},
        {{{"DivInd", "shannon"}}, " Error while reading diversity index: shanno"},
        {{{"RndHet", "random"}}, " Error while reading fixed placing parameter: ran"},
        {{{"GridHet", "xyz"}}, " Error while reading fixed grid heterogeneity: xyz"},
        // The first failing check speaks; Class above 50 passes while there are fewer species.
        {{{"StepSa", "9"}, {"Species", "0"}}, " Error while reading step width:   9"},
        {{{"Class", "60"}, {"Permut", "0"}}, " Error while reading the number of permutations   0"},
    };
    for (const auto& [replaced, message] : cases) EXPECT_EQ(refusal(replaced), message);

    EXPECT_EQ(refusal({{"SampA", "20"}, {"maxSa", "400"}, {"minSa", "400"}, {"StepSa", "400"}, {"Sampfac", "10"},
                       {"Method", "dep"}, {"Dfluc", "1"}, {"Flucvar", "1"}, {"SWDmy", "50"}, {"DWDmy", "7.99"},
                       {"Aggr", "400"}, {"Permut", "20"}}),
              "(accepted)")
        << "values on the bounds pass";
}

TEST(BatchFile, MidpointGridRescalingAndFractalDimensionClamp) {
    for (const auto& [side, rescaled] : std::vector<std::pair<int, int>>{{2, 3}, {100, 129}, {128, 129}, {129, 257}}) {
        RowBench b(batch_row({{"Areal", std::to_string(side)}, {"SampA", "2"}, {"AreaHet", "1"}, {"Scale1", "3.5"}}) +
                   "\n");
        ASSERT_FALSE(b.next_row()) << side;
        EXPECT_EQ(b.pass.derived.grid_side, rescaled);
        EXPECT_EQ(b.pass.params.Areal, side) << "the parameter stays as given";
        const std::string r = int_field(rescaled, 5);
        EXPECT_TRUE(b.console_has("Gridsize rescaled to " + r + " x" + r)) << side;
        EXPECT_FLOAT_EQ(b.pass.params.Scale1, 3.0f);
    }
    // The checks see the rescaled side (129^2 = 16641); a dimension below 1 is refused before the clamp.
    EXPECT_EQ(refusal({{"Areal", "100"}, {"AreaHet", "1"}, {"Aggr", "16641"}}), "(accepted)");
    EXPECT_EQ(refusal({{"AreaHet", "1"}, {"Scale1", "0.9"}}), " Error while reading the first fractal coefficient:    0.90");
    RowBench super(batch_row({{"Areal", "100"}, {"AreaHet", "1"}, {"Fractal", "super"}, {"Scale1", "7.5"}}) + "\n");
    ASSERT_FALSE(super.next_row());
    EXPECT_EQ(super.pass.derived.grid_side, 100);
    EXPECT_FLOAT_EQ(super.pass.params.Scale1, 7.5f);
}

TEST(BatchFile, SampleSizesAreHeldToTheDesignAfterTheChecks) {
    // On a 4 x 4 square the checks allow 16 units; "dep" keeps them, "seq" allows 4.
    RowBench dep(batch_row({{"SampA", "4"}, {"Method", "dep"}, {"maxSa", "16"}, {"minSa", "16"}}) + "\n");
    ASSERT_FALSE(dep.next_row());
    EXPECT_EQ(dep.pass.derived.max_sample, 16);
    RowBench seq(batch_row({{"SampA", "4"}, {"Method", "seq"}, {"maxSa", "16"}, {"minSa", "10"}}) + "\n");
    ASSERT_FALSE(seq.next_row());
    EXPECT_EQ(seq.pass.derived.max_sample, 4);
    EXPECT_EQ(seq.pass.derived.min_sample, 4);
    EXPECT_EQ(seq.pass.params.maxSa, 16);
}

TEST(BatchFile, LargeSidesNeitherOverflowTheChecksNorRunBeyondWhatCanBeCounted) {
    // SampA^2 = 2.5e9 lies beyond 32 bits: a sample size of 2e9 is within it.
    EXPECT_EQ(refusal({{"Areal", "60000"}, {"SampA", "50000"}, {"maxSa", "2000000000"}, {"Method", "dep"},
                       {"maxD", "0"}, {"Aggr", "3000000000"}}),
              "(accepted)");
    // One individual per cell of a 46341 x 46341 grid is 2^31 and more per species:
    // more than the cells of a sampling run can count; a model-only run has no cells.
    const std::string big_grid = batch_row({{"Areal", "46341"}, {"SampA", "10"}}) + "\n";
    RowBench sampling(big_grid);
    sampling.session.answers.mode = keyword("s");
    const auto refused = sampling.next_row();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->message.rfind(" Error while reading max. density:     1.000 (2147488281 individuals", 0), 0u);
    EXPECT_FALSE(RowBench(big_grid).next_row());
}

TEST(BatchFile, CarriageReturnsTabsAndUnreadableLines) {
    std::string tabbed = batch_row({{"Species", "8"}});
    std::replace(tabbed.begin(), tabbed.end(), ' ', '\t');
    RowBench b(tabbed + "\r\n" + batch_row({{"GridHet", "rnd"}}) + "\r\n");
    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(b.pass.params.Species, 8);
    ASSERT_FALSE(b.next_row());
    EXPECT_EQ(b.pass.params.GridHet.kind(), Heterogeneity::random) << "the carriage return does not join the last field";

    std::string fifty_one;
    for (int i = 0; i < 51; ++i) fifty_one += "1 ";
    const std::pair<std::string, std::string> cases[] = {
        {batch_row() + std::string(300, ' ') + "7", "it is longer than 300 characters"},
        {fifty_one, "it holds more than 50 fields"},
        {batch_row({{"Method", std::string(51, 's')}}), "field 7 is longer than 50 characters"}};
    for (const auto& [line, reason] : cases) {
        RowBench u(batch_row() + "\n" + line + "\n");
        ASSERT_FALSE(u.next_row());
        const auto end = u.next_row();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->status, exit_error);
        EXPECT_EQ(end->message, " Error while reading line 3 of the batch file runs.txt: " + reason);
    }

    testing::WorkBench failing;
    failing.session.batch.file = std::make_unique<testing::FailingInput>(batch_header + "\n" + batch_row() + "\n");
    failing.session.batch.name = "runs.txt";
    ASSERT_TRUE(read_batch_header(failing.session));
    ASSERT_FALSE(ends([&] { read_and_settle_row(failing.session, true); }));
    const auto end = ends([&] { read_and_settle_row(failing.session, true); });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_EQ(end->message, " Error while reading the batch file runs.txt: the file could not be read further");
    failing.session.batch.file = std::make_unique<testing::FailingInput>("");
    EXPECT_EQ(ends([&] { read_batch_header(failing.session); })->status, exit_error);
}

}  // namespace
}  // namespace lorvenna
