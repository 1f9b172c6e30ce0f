#include "Options.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velt::cli;

namespace {

/// Parses `args` as a file command does; returns the usage error, or "" when there is none.
std::string UsageErrorOf(std::vector<std::string> args, bool takesOperands = false) {
    std::vector<char*> pointers;
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    try {
        const Options options(pointers, {{"key", true}, {"force", false}}, takesOperands);
        return {};
    } catch (const UsageError& error) {
        return error.what();
    }
}

Options Parse(std::vector<std::string>& args, bool takesOperands) {
    std::vector<char*> pointers;
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    return Options(pointers, {{"key", true}, {"force", false}}, takesOperands);
}

} // namespace

TEST(Options_BadUsage, EachMistakeHasItsOwnLine) {
    EXPECT_EQ(UsageErrorOf({"--kee", "k"}), "unknown option '--kee'");
    EXPECT_EQ(UsageErrorOf({"--kee=k"}), "unknown option '--kee'");
    EXPECT_EQ(UsageErrorOf({"--"}), "unknown option '--'");
    EXPECT_EQ(UsageErrorOf({"--key"}), "option '--key' needs a value");
    EXPECT_EQ(UsageErrorOf({"--force=1"}), "option '--force' takes no value");
    EXPECT_EQ(UsageErrorOf({"stray"}), "unexpected argument 'stray'");
    EXPECT_EQ(UsageErrorOf({"-x"}), "unexpected argument '-x'");
    EXPECT_EQ(UsageErrorOf({"-"}, true), "unexpected argument '-'");
    EXPECT_EQ(UsageErrorOf({"a", "-x"}, true), "unexpected argument '-x'");
}

TEST(Options_Values, LastRepeatWinsOperandsKeepTheirOrder) {
    std::vector<std::string> args{"b", "--key", "one", "--force", "a", "--key=two=2", "--", "--force", "-"};
    const Options options = Parse(args, true);
    EXPECT_EQ(options.Value("key"), "two=2");
    EXPECT_TRUE(options.Has("force"));
    EXPECT_FALSE(options.Help());
    EXPECT_EQ(options.Operands(), (std::vector<std::string>{"b", "a", "--force", "-"}));

    // A value may look like an option: it is taken as given.
    std::vector<std::string> odd{"--key", "--force", "-h"};
    const Options oddOptions = Parse(odd, false);
    EXPECT_EQ(oddOptions.Value("key"), "--force");
    EXPECT_FALSE(oddOptions.Has("force"));
    EXPECT_TRUE(oddOptions.Help());
}
