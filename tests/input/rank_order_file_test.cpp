// Reading rank-order distribution files, plain and assemblage, block by block.
#include "input/rank_order_file.hpp"

#include <gtest/gtest.h>

#include "support/work_bench.hpp"

namespace lorvenna {
namespace {

using testing::ends;

// A bench with `file` as the input file `name`; the console answers the questions.
struct RankBench : testing::WorkBench {
    RankBench(const std::string& name, const std::string& file, const std::string& answers) : WorkBench(answers) {
        files.inputs[std::filesystem::path(name).filename().string()] = file;
    }
    std::optional<ProgramEnd> open() { return ends([this] { open_rank_order_file(io, session.rank_order, pass.rank_order); }); }
    // Reads the next block; `got` is false when the blocks have run out.
    std::optional<ProgramEnd> block() {
        return ends([this] { got = read_rank_order_block(session.rank_order, pass.rank_order); });
    }
    bool got = false;
    std::optional<ProgramEnd> reposition() { return ends([this] { reposition_rank_order_file(session.rank_order, pass.rank_order); }); }
    std::vector<float> abundances() const {
        return {pass.rank_order.abundance.begin(), pass.rank_order.abundance.begin() + pass.rank_order.rows};
    }
};

TEST(RankOrderFile, TwoBlocksGiveOneBlockPerBatchPassThenANormalEnd) {
    RankBench b("dist.txt", "Made by hand\nmore text\n*block one\n100\n50.5\n  7\n*block two\r\n30\r\n\r\n20\r\n10",
                "dist.txt\nno\n");
    ASSERT_FALSE(b.open());
    ASSERT_FALSE(b.block());
    EXPECT_EQ(b.abundances(), (std::vector<float>{100.0f, 50.5f, 7.0f}));
    EXPECT_EQ(b.pass.rank_order.rows, 3);
    ASSERT_FALSE(b.reposition());
    ASSERT_FALSE(b.block());
    EXPECT_EQ(b.abundances(), (std::vector<float>{30.0f, 20.0f, 10.0f})) << "blank lines inside a block are skipped";
    EXPECT_EQ(b.pass.rank_order.abundance.size(), 3u) << "nothing of the longer first block is left";
    ASSERT_FALSE(b.reposition());
    ASSERT_FALSE(b.block());
    EXPECT_FALSE(b.got) << "the blocks have run out: the batch ends normally";
}

TEST(RankOrderFile, BodyWeightsAndBlocksOfMoreThan10000Rows) {
    RankBench w("w.txt", "*\n100 2.5\n40,8\n10\t64 rank-3\n5\n", "w.txt\nyes\n");
    ASSERT_FALSE(w.open());
    ASSERT_FALSE(w.block());
    EXPECT_EQ(w.abundances(), (std::vector<float>{100.0f, 40.0f, 10.0f})) << "a record without a weight ends the block";
    EXPECT_EQ(w.pass.rank_order.weight, (std::vector<float>{2.5f, 8.0f, 64.0f}));

    std::string file = "*\n";
    for (int i = 12000; i >= 1; --i) file += std::to_string(i) + "\n";
    RankBench big("big.txt", file + "*\n3\n", "big.txt\nno\n");
    ASSERT_FALSE(big.open());
    ASSERT_FALSE(big.block());
    EXPECT_EQ(big.pass.rank_order.rows, rank_order_rows);
    EXPECT_EQ(big.pass.rank_order.abundance[9999], 2001.0f);
    ASSERT_FALSE(big.reposition());
    ASSERT_FALSE(big.block());
    EXPECT_EQ(big.abundances(), (std::vector<float>{3.0f})) << "the rest of the long block is passed over";
}

TEST(RankOrderFile, AssemblageHeadsAreReadAtOpenAndBeforeEachLaterBlock) {
    const std::string file =
        "Assemblage of two models\n3 lognormal 0.25 1.5 0.01 extra\n*\n900\n90\n9\n"
        "Second assemblage\n2 geometric-series 0.5 2 0.001\ncomment\n*\n50\n5\n";
    RankBench b("sub/Assemblages.txt", file, "sub/Assemblages.txt\n");
    ASSERT_FALSE(b.open());
    const RankOrderBlock& r = b.pass.rank_order;
    EXPECT_TRUE(b.session.rank_order.assemblage);
    EXPECT_EQ(b.console().size(), 2u) << "no body weight question for an assemblage";
    EXPECT_EQ(r.head_species, 3);
    EXPECT_EQ(r.model_type, "lognormal");
    EXPECT_FLOAT_EQ(r.z, 0.25f);
    EXPECT_FLOAT_EQ(r.X, 1.5f);
    EXPECT_FLOAT_EQ(r.truncation, 0.01f);
    ASSERT_FALSE(b.block());
    EXPECT_EQ(b.abundances(), (std::vector<float>{900.0f, 90.0f, 9.0f}));
    ASSERT_FALSE(b.reposition());
    EXPECT_EQ(r.model_type, "geometric") << "the model type keeps 9 characters";
    EXPECT_FLOAT_EQ(r.z, 0.5f);
    ASSERT_FALSE(b.block());
    EXPECT_EQ(b.abundances(), (std::vector<float>{50.0f, 5.0f}));
    EXPECT_FALSE(b.reposition()) << "no further head: the next pass ends the run normally";
    ASSERT_FALSE(b.block());
    EXPECT_FALSE(b.got);

    for (const auto& [name, assemblage] :
         std::vector<std::pair<std::string, bool>>{{"ass1.txt", true}, {"ASS.txt", false}, {"my_ass.txt", false}}) {
        RankBench n(name, "t\n1 m 1 1 1\n*\n5\n", name + "\nno\n");
        ASSERT_FALSE(n.open()) << name;
        EXPECT_EQ(n.session.rank_order.assemblage, assemblage) << name;
    }
}

TEST(RankOrderFile, AssemblageHeadErrorsNameTheFieldAndShowTheRecord) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"many lognormal 0.25 1.5 0.01", "the species number"},
        {"3", "the model type"},
        {"3 lognormal zed 1.5 0.01", "the parameter z"},
        {"3 lognormal 0.25 1e99 0.01", "the parameter X"},
        {"3 lognormal 0.25 1.5", "the truncation factor"},
    };
    for (const auto& [head, field] : cases) {
        RankBench b("ass.txt", "title\n" + head + "\n*\n5\n", "ass.txt\n");
        const auto end = b.open();
        ASSERT_TRUE(end) << head;
        EXPECT_EQ(end->status, exit_error);
        EXPECT_EQ(end->message, " Error while reading " + field + " from distribution file\n " + head);
    }
    EXPECT_EQ(RankBench("ass.txt", "", "ass.txt\n").open()->message,
              " Error while reading the distribution file ass.txt: the file is empty");
}

TEST(RankOrderFile, FaultyFilesEndWithAnErrorNamingTheFile) {
    RankBench none("none.txt", "only text\n12\n", "none.txt\nno\n");
    ASSERT_FALSE(none.open());
    auto end = none.block();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, exit_error);
    EXPECT_EQ(end->message, " Error while reading the distribution file none.txt: no line begins with *");

    none.session.rank_order.file = std::make_unique<testing::FailingInput>("*\n5\n4\n");
    end = none.block();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->message, " Error while reading the distribution file none.txt: the file could not be read further");

    RankBench ok("long.txt", "*\n12 " + std::string(400, 'x') + "\n7\n", "long.txt\nno\n");
    ASSERT_FALSE(ok.open());
    ASSERT_FALSE(ok.block());
    EXPECT_EQ(ok.abundances(), (std::vector<float>{12.0f, 7.0f})) << "text after the abundance is ignored";
    RankBench cut("long.txt", "*\n" + std::string(298, ' ') + "1234\n", "long.txt\nno\n");
    ASSERT_FALSE(cut.open());
    end = cut.block();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->message, " Error while reading the distribution file long.txt: line 2 is longer than 300 characters");
}

}  // namespace
}  // namespace lorvenna
