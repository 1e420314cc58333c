// The record reader of large tables gives the fields the whole-table reader
// gives, quotes, line ends and empty fields included.
#include <gtest/gtest.h>

#include <sstream>

#include "core/csv_records.hpp"
#include "core/csv_table.hpp"

namespace lorvenna {
namespace {

TEST(CsvRecords, FieldsAreThoseOfTheWholeTableReader) {
    const char* const texts[] = {
        "run,design,value\n1,seq,0.5\n2,dep,NA\n",
        "run,status\r\n1,ok\r\n2,\"Error, while \"\"assigning\"\"\"\r\n",  // CR LF, a quoted comma and quotes
        "a,b,c\n,,\n\"x\ny\",\"\",z",                                      // empty fields, a line break in quotes, no final end
        "a,b\n1,\"2\"\n3,4\n",                                               // a quoted record between plain ones
    };
    for (const char* text : texts) {
        std::istringstream in(text);
        const std::optional<CsvTable> table = read_csv_table(in);
        ASSERT_TRUE(table) << text;
        std::vector<std::vector<std::string>> expected{table->columns};
        expected.insert(expected.end(), table->rows.begin(), table->rows.end());
        CsvRecords records{std::string(text)};
        std::vector<std::string_view> fields;
        std::vector<std::vector<std::string>> got;
        while (records.next(fields)) got.emplace_back(fields.begin(), fields.end());
        EXPECT_EQ(got, expected) << text;
    }
}

}  // namespace
}  // namespace lorvenna
