// Field data in the formats of iNEXT and SpadeR: good files of every layout
// read to the counts they hold, bad files refused with their line, column
// and cause and nothing of their data.
#include "input/field_data.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "input/field_tokens.hpp"
#include "support/memory_files.hpp"

namespace lorvenna {
namespace {

FieldDataRead read(const std::string& text, FieldDataKind kind) {
    std::istringstream in(text);
    return read_field_data(in, kind);
}

using Counts = std::vector<std::int64_t>;
constexpr auto abundance = FieldDataKind::abundance;
constexpr auto frequencies = FieldDataKind::incidence_frequencies;
constexpr auto raw = FieldDataKind::incidence_raw;

struct GoodFile {
    const char* what;
    FieldDataKind kind;
    std::string text;
    std::vector<std::string> names;
    std::vector<Counts> values;  // per assemblage: individuals, or incidences
    Counts units;                // incidence: T per assemblage
    std::vector<std::string> labels = {};
};

TEST(FieldData, EveryLayoutReadsToItsCounts) {
    const std::vector<GoodFile> files = {
        {"commas, as the shared acceptance writes them", abundance, "a,b\n5,3\n2,0\n1,1\n", {"a", "b"}, {{5, 2, 1}, {3, 0, 1}}, {}},
        {"runs of blanks, CR LF, a byte-order mark, blank lines, no last line end", abundance,
         "\xEF\xBB\xBF  north    south\r\n\r\n 7  \t 1 \r\n \t \r\n0 12", {"north", "south"}, {{7, 0}, {1, 12}}, {}},
        {"lone CR line ends", abundance, "a b\r5 3\r4 4\r", {"a", "b"}, {{5, 4}, {3, 4}}, {}},
        {"R's write.csv with row names: an empty first name, quotes, NA", abundance,
         "\"\",\"Girdled\",\"Logged\"\n\"sp1\",46,88\n\"sp2\",22,NA\n\"sp, 3\",0,1\n", {"Girdled", "Logged"},
         {{46, 22, 0}, {88, 0, 1}}, {}, {"sp1", "sp2", "sp, 3"}},
        {"R's write.table: the header one field short of the labelled lines", abundance,
         "Girdled Logged\nsp1 46 88\n\"sp 2\" 22 0\n", {"Girdled", "Logged"}, {{46, 22}, {88, 0}}, {}, {"sp1", "sp 2"}},
        {"semicolons, numbers as R may print them", abundance, "a;b\n1e+05;3.0\n+2;0.07e2\n", {"a", "b"},
         {{100000, 2}, {3, 7}}, {}},
        {"tabs with empty fields: the shorter column filled up", abundance, "a\tb\n5\t\n3\t2\n", {"a", "b"},
         {{5, 3}, {0, 2}}, {}},
        {"a quoted name holding the separator", abundance, "\"site, north\",south\n1,2\n", {"site, north", "south"},
         {{1}, {2}}, {}},
        {"incidence frequencies: T first", frequencies, "site1,site2\n10,5\n3,5\n10,0\nNA,1\n", {"site1", "site2"},
         {{3, 10, 0}, {5, 0, 1}}, {10, 5}},
        {"incidence frequencies with labels", frequencies, ",x\nT,4\nsp1,4\nsp2,1\n", {"x"}, {{4, 1}}, {4},
         {"sp1", "sp2"}},
    };
    for (const GoodFile& f : files) {
        const FieldDataRead r = read(f.text, f.kind);
        ASSERT_TRUE(r.data) << f.what << ": " << describe(r.fault);
        const FieldData& d = *r.data;
        EXPECT_EQ(d.kind, f.kind) << f.what;
        EXPECT_EQ(d.species, f.labels) << f.what;
        ASSERT_EQ(d.assemblages.size(), f.names.size()) << f.what;
        for (std::size_t a = 0; a < f.names.size(); ++a) {
            const FieldAssemblage& got = d.assemblages[a];
            EXPECT_EQ(got.name, f.names[a]) << f.what;
            if (f.kind == abundance) {
                EXPECT_EQ(got.abundance.individuals, f.values[a]) << f.what << ": " << f.names[a];
            } else {
                EXPECT_EQ(got.incidence.incidences, f.values[a]) << f.what << ": " << f.names[a];
                EXPECT_EQ(got.incidence.units, f.units[a]) << f.what << ": " << f.names[a];
            }
        }
    }
}

TEST(FieldData, RawIncidenceGroupsTheUnitsOfOneNameIntoItsAssemblage) {
    const FieldDataRead r = read(",ants,ants,bees,ants,bees\nsp1,1,0,0,1,0\nsp2,0,0,1,0,1\nsp3,1,1,1,1,0\n", raw);
    ASSERT_TRUE(r.data) << describe(r.fault);
    const auto& a = r.data->assemblages;
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].name, "ants");
    EXPECT_EQ(a[0].incidence.units, 3);
    EXPECT_EQ(a[0].incidence.incidences, (Counts{2, 0, 3}));
    EXPECT_EQ(a[0].presence, (std::vector<std::vector<int>>{{0, 2}, {2}, {0, 2}})) << "units in file order, species rows rising";
    EXPECT_EQ(a[1].name, "bees");
    EXPECT_EQ(a[1].incidence.units, 2);
    EXPECT_EQ(a[1].incidence.incidences, (Counts{0, 2, 1}));
    EXPECT_EQ(a[1].presence, (std::vector<std::vector<int>>{{1, 2}, {1}}));
    EXPECT_EQ(r.data->species, (std::vector<std::string>{"sp1", "sp2", "sp3"}));
    // The frequencies made from the matrix are those of the species' incidences.
    const FrequencyCounts c = frequency_counts(a[0].incidence);
    EXPECT_EQ(c.observed, 2);
    EXPECT_EQ(c.total, 5);
    EXPECT_TRUE(c.valid);
}

struct BadFile {
    const char* what;
    FieldDataKind kind;
    std::string text;
    long long line;
    std::size_t column;
    std::string cause;  // a part of the message
};

TEST(FieldData, BadFilesAreRefusedWithLineColumnAndCause) {
    const std::string digits(max_line_characters + 1, '1');
    std::string wide;
    for (std::size_t i = 0; i <= max_columns; ++i) wide += (i ? "," : "") + std::string("c") + std::to_string(i);
    const std::vector<BadFile> files = {
        {"an empty file", abundance, "", 1, 0, "no header"},
        {"only blank lines", abundance, " \n\t\r\n", 2, 0, "no header"},
        {"an empty column", abundance, "site\n", 1, 0, "no species below the header"},
        {"a fractional count", abundance, "site\n5\n2.5\n", 3, 1, "fractional count (2.5)"},
        {"a negative count", abundance, "site\n5\n-1\n", 3, 1, "negative count (-1)"},
        {"a column of zeros and NA", abundance, "a,site\n1,0\n2,NA\n", 1, 2, "holds no species"},
        {"text in a number's place", abundance, "a\nfive\n", 2, 1, "text where a count belongs (five)"},
        {"a thousands separator", abundance, "a b\n1,000 2\n", 2, 1, "text where a count belongs (1,000)"},
        {"a count beyond the largest", abundance, "a\n100000001\n", 2, 1, "count above 100000000"},
        {"a huge number", abundance, "a\n99999999999999999999999999\n", 2, 1, "count above"},
        {"a huge exponent", abundance, "a\n1e999999999999\n", 2, 1, "count above"},
        {"individuals beyond the largest in total", abundance, "a\n60000000\n60000000\n", 3, 1, "more than 100000000"},
        {"a short line", abundance, "a,b\n1,2\n3\n", 3, 2, "1 field where the header has 2"},
        {"a long line", abundance, "a,b\n1,2,3\n", 2, 3, "more fields than the 2 of the header"},
        {"a blank-separated line with a number too many", abundance, "a\n1 2\n", 2, 2, "more fields"},
        {"a header of numbers: no header at all", abundance, "3,4\n1,2\n", 1, 1, "numbers only"},
        {"two columns of one name", abundance, "a,b,a\n1,2,3\n", 1, 3, "again"},
        {"a column without a name", abundance, "a,,b\n1,2,3\n", 1, 2, "no name"},
        {"a name too long", abundance, std::string(max_name_length + 1, 'n') + "\n1\n", 1, 1, "longer than"},
        {"a quote left open", abundance, "a,b\n\"1,2\n", 2, 1, "not closed"},
        {"text after a quote", abundance, "\"a\"x,b\n1,2\n", 1, 1, "after a closing quote"},
        {"a NUL byte", abundance, std::string("a,b\n1,\0\n", 8), 2, 2, "control character (byte 0x00)"},
        {"binary bytes", abundance, "PK\x03\x04zip", 1, 1, "control character (byte 0x03)"},
        {"an overlong line", abundance, "a\n" + digits + "\n", 2, 0, "longer than 100000 characters"},
        {"too many columns", abundance, wide + "\n", 1, max_columns + 1, "more than 10000 columns"},
        {"a unit count below an incidence", frequencies, "site\n3\n2\n5\n", 4, 1, "more than the 3 sampling units on line 2"},
        {"no sampling unit", frequencies, "site\n0\n1\n", 2, 1, "at least 1"},
        {"the unit count missing", frequencies, "a,b\n4,NA\n1,1\n", 2, 2, "T; it is missing"},
        {"no species below the units", frequencies, "site\n5\n", 1, 0, "below the line of sampling units"},
        {"a fractional unit count", frequencies, "site\n2.5\n1\n", 2, 1, "fractional"},
        {"a raw entry above 1", raw, "u,u\n1,2\n", 2, 2, "0 or 1 in every unit, not 2"},
        {"a raw entry missing", raw, "u,u\n1,NA\n", 2, 2, "missing value"},
        {"an assemblage of raw units without a species", raw, "u,u,v\n1,0,0\n0,1,0\n", 1, 3, "holds no species"},
    };
    for (const BadFile& f : files) {
        const FieldDataRead r = read(f.text, f.kind);
        EXPECT_FALSE(r.data) << f.what << ": nothing is read of a bad file";
        EXPECT_EQ(r.fault.line, f.line) << f.what << ": " << describe(r.fault);
        EXPECT_EQ(r.fault.column, f.column) << f.what << ": " << describe(r.fault);
        EXPECT_NE(r.fault.message.find(f.cause), std::string::npos) << f.what << ": " << describe(r.fault);
    }
    // The message names the line, the column and the assemblage.
    EXPECT_EQ(describe(read("site\n5\n2.5\n", abundance).fault),
              "line 3, column 1 (site): a fractional count (2.5): counts are whole numbers");
    EXPECT_EQ(describe(read("site\n", abundance).fault), "line 1: no species below the header: the columns are empty");
}

TEST(FieldData, AStreamThatFailsIsAFaultNotAPartialRead) {
    testing::FailingInput in("a,b\n1,2\n3,");
    const FieldDataRead r = read_field_data(in, abundance);
    EXPECT_FALSE(r.data);
    EXPECT_NE(r.fault.message.find("could not be read"), std::string::npos) << describe(r.fault);
}

TEST(FieldData, CountsAreReadExactlyFromTheirDigits) {
    const std::int64_t limit = 1000000000;
    const struct {
        const char* text;
        CountKind kind;
        std::int64_t value;
    } cases[] = {
        {"752", CountKind::whole, 752},       {"007", CountKind::whole, 7},         {"+7", CountKind::whole, 7},
        {"3.0", CountKind::whole, 3},         {"5.", CountKind::whole, 5},          {"1e+05", CountKind::whole, 100000},
        {"1.5e1", CountKind::whole, 15},      {"10e-1", CountKind::whole, 1},       {"2500E-2", CountKind::whole, 25},
        {"0.000", CountKind::whole, 0},       {"-0", CountKind::whole, 0},          {"0e99999", CountKind::whole, 0},
        {"1000000000", CountKind::whole, limit},
        {"1.55e1", CountKind::fractional, 0}, {"5e-1", CountKind::fractional, 0},   {".5", CountKind::fractional, 0},
        {"2.000001", CountKind::fractional, 0},
        {"-3", CountKind::negative, 0},       {"-2.5", CountKind::negative, 0},
        {"1000000001", CountKind::too_large, 0}, {"1e18", CountKind::too_large, 0}, {"12345678901234567890", CountKind::too_large, 0},
        {"NA", CountKind::missing, 0},        {"", CountKind::missing, 0},
        {".", CountKind::not_a_number, 0},    {"1e", CountKind::not_a_number, 0},   {"e5", CountKind::not_a_number, 0},
        {"1e+", CountKind::not_a_number, 0},  {"0x10", CountKind::not_a_number, 0}, {"Inf", CountKind::not_a_number, 0},
        {"NaN", CountKind::not_a_number, 0},  {"na", CountKind::not_a_number, 0},   {"1.2.3", CountKind::not_a_number, 0},
        {"--1", CountKind::not_a_number, 0},  {"1 2", CountKind::not_a_number, 0},
    };
    for (const auto& c : cases) {
        const Count got = parse_count(c.text, limit);
        EXPECT_EQ(got.kind, c.kind) << "'" << c.text << "'";
        EXPECT_EQ(got.value, c.value) << "'" << c.text << "'";
    }
}

}  // namespace
}  // namespace lorvenna
