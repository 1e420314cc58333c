// lorvenna estimate on field data held in memory: what it writes, what it
// refuses, and that its bootstraps follow the seed word alone.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/estimate_command.hpp"
#include "support/memory_files.hpp"
#include "support/work_bench.hpp"

namespace lorvenna::testing {
namespace {

struct Field {
    MemoryFiles files;
    std::istringstream in;
    std::ostringstream out, messages;
    int status = -1;

    Field(const std::string& data, FieldDataKind kind, std::uint32_t seed, bool curves = false) {
        files.inputs["data.csv"] = data;
        Io io{in, out, ".", files};
        io.messages = &messages;
        EstimateOptions o;
        o.kind = kind;
        o.file = "data.csv";
        o.seed = seed;
        o.curves.curves = curves;
        o.curves.bootstraps = 20;
        status = run_estimate_command(io, o);
    }
    std::vector<std::string> table(const std::string& name) const { return lines(files.text(name)); }
};

TEST(EstimateCommand, EveryAssemblageGetsItsRowsAndTheIntervalsFollowTheSeedWordAlone) {
    const std::string abundance = "north,south\n12,3\n5,0\n1,1\n1,2\n2,1\n0,7\n";
    const Field a(abundance, FieldDataKind::abundance, 5), again(abundance, FieldDataKind::abundance, 5),
        curves(abundance, FieldDataKind::abundance, 5, true), other(abundance, FieldDataKind::abundance, 6);
    ASSERT_EQ(a.status, 0) << a.messages.str();
    const std::vector<std::string> rows = a.table("estimates.csv");
    ASSERT_EQ(rows.size(), 1u + 2u * 15u) << "ten richness estimators, four Hill numbers and the coverage";
    EXPECT_EQ(rows[0], "assemblage,n_units,quantity,basis,estimator,estimate,se,lower95,upper95");
    EXPECT_EQ(rows[1].rfind("north,NA,richness,abundance,observed,5,", 0), 0u) << rows[1];
    EXPECT_EQ(rows[16].rfind("south,NA,richness,abundance,observed,5,", 0), 0u) << rows[16];
    EXPECT_TRUE(a.files.outputs.count("rarefaction.csv") == 0) << "curves only when asked for";
    EXPECT_EQ(a.files.text("estimates.csv"), again.files.text("estimates.csv"));
    EXPECT_EQ(a.files.text("estimates.csv"), curves.files.text("estimates.csv"))
        << "the curves draw from a generator of their own";
    EXPECT_NE(a.files.text("estimates.csv"), other.files.text("estimates.csv")) << "another seed, other intervals";
    EXPECT_EQ(curves.table("rarefaction.csv")[0],
              "assemblage,q,m,method,estimate,lower95,upper95,coverage,coverage_lower95,coverage_upper95");

    // Raw incidence gives the presence of each species in each unit: the
    // bootstrap estimator's standard error needs it and frequencies lack it.
    const Field raw("plot,plot,plot,plot\n1,0,1,1\n0,0,1,0\n1,1,1,1\n0,1,0,0\n", FieldDataKind::incidence_raw, 1);
    const Field freq("plot\n4\n3\n1\n4\n1\n", FieldDataKind::incidence_frequencies, 1);
    ASSERT_EQ(raw.status, 0) << raw.messages.str();
    ASSERT_EQ(freq.status, 0) << freq.messages.str();
    const auto bootstrap = [](const Field& f) {
        for (const std::string& r : f.table("estimates.csv"))
            if (r.find(",richness,incidence,bootstrap,") != std::string::npos) return r;
        return std::string();
    };
    EXPECT_EQ(bootstrap(raw).rfind("plot,4,richness,incidence,bootstrap,", 0), 0u) << bootstrap(raw);
    EXPECT_EQ(bootstrap(raw).find(",NA,"), std::string::npos) << bootstrap(raw);
    EXPECT_NE(bootstrap(freq).find(",NA,NA,NA"), std::string::npos) << bootstrap(freq);
}

TEST(EstimateCommand, RefusedDataNameTheirLineAndColumnAndNothingIsWritten) {
    const struct {
        const char* data;
        FieldDataKind kind;
        const char* named;
    } cases[] = {
        {"a,b\n3,2.5\n", FieldDataKind::abundance, "line 2, column 2"},
        {"a\n4\n-1\n", FieldDataKind::abundance, "line 3, column 1"},
        {"a\n3\n2\n5\n", FieldDataKind::incidence_frequencies, "line 4, column 1"},
    };
    for (const auto& c : cases) {
        const Field f(c.data, c.kind, 1, true);
        EXPECT_EQ(f.status, 1) << c.data;
        EXPECT_NE(f.messages.str().find(c.named), std::string::npos) << f.messages.str();
        EXPECT_TRUE(f.files.outputs.empty()) << c.data;
    }
}

}  // namespace
}  // namespace lorvenna::testing
