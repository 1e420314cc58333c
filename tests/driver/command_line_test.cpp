#include "driver/command_line.hpp"

#include <gtest/gtest.h>

using namespace lorvenna;
using Action = CommandLine::Action;

TEST(CommandLine, SeedWordInBothForms) {
    auto cl = parse_command_line({"--seed", "4294967295"});
    EXPECT_EQ(cl.action, Action::run);
    ASSERT_TRUE(cl.seed);
    EXPECT_EQ(*cl.seed, 4294967295u);
    cl = parse_command_line({"--seed=0"});
    ASSERT_TRUE(cl.seed);
    EXPECT_EQ(*cl.seed, 0u);
    EXPECT_FALSE(parse_command_line({}).seed);
}

TEST(CommandLine, BadOptionsAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--seed"}, {"--seed", "4294967296"}, {"--seed", "-1"}, {"--seed", "12x"}, {"--frobnicate"}, {"m"}})
        EXPECT_EQ(parse_command_line(args).action, Action::usage_error) << args.back();
}

TEST(CommandLine, HelpAndVersion) {
    EXPECT_EQ(parse_command_line({"--help"}).action, Action::help);
    EXPECT_EQ(parse_command_line({"--version"}).action, Action::version);
    EXPECT_NE(usage_text().find("--seed"), std::string::npos);
    EXPECT_NE(version_text().find(LORVENNA_VERSION), std::string::npos);
}
