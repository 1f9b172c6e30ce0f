#include "../engine/Fakes.h"
#include "KeyFile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace velt;
using namespace velt::test;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
    /// One line on stderr, as every failure should give.
    bool OneErrorLine() const { return !err.empty() && err.find('\n') == err.size() - 1; }
};

/// Runs velt-cli with `args` in `folder`.
Outcome RunCli(const TempFolder& folder, const std::string& args) {
    const std::string command =
        "cd '" + folder.Path().string() + "' && '" VELT_CLI "' " + args + " >.out 2>.err";
    const int raw = std::system(command.c_str());
    const auto out = ReadAll(folder / ".out");
    const auto err = ReadAll(folder / ".err");
    std::filesystem::remove(folder / ".out");
    std::filesystem::remove(folder / ".err");
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {out.begin(), out.end()}, {err.begin(), err.end()}};
}

} // namespace

TEST(Cli_Keygen, FormsAKeyThatChecksAndRefusesToOverwrite) {
    TempFolder folder;
    EXPECT_EQ(RunCli(folder, "keygen").status, 0);
    const auto first = ReadAll(folder / "KEY.ORB");
    EXPECT_EQ(first.size(), 94428u);
    EXPECT_EQ(FirstNonPermutationRecord(first), 0);
    const Outcome check = RunCli(folder, "check --key KEY.ORB");
    EXPECT_EQ(check.status, 0);
    EXPECT_NE(check.out.find("key length 366"), std::string::npos) << check.out;

    const Outcome again = RunCli(folder, "keygen");
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.OneErrorLine()) << again.err;
    EXPECT_EQ(ReadAll(folder / "KEY.ORB"), first);
    EXPECT_EQ(RunCli(folder, "keygen --force --length=1").status, 0);
    EXPECT_EQ(std::filesystem::file_size(folder / "KEY.ORB"), 258u);
    EXPECT_EQ(RunCli(folder, "keygen --length 10000 --out big.orb").status, 0);
    EXPECT_EQ(RunCli(folder, "check --key big.orb").status, 0);

    const Outcome lost = RunCli(folder, "keygen --out missing/new.orb");
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("missing/new.orb"), std::string::npos) << lost.err;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"KEY.ORB", "big.orb"}));
}

TEST(Cli_Usage, BadUsageExitsTwoWithOneLine) {
    TempFolder folder;
    for (const char* args :
         {"", "frobnicate", "keygen --bogus", "keygen --length 0", "keygen --length 10001",
          "keygen --length 12x", "keygen --length", "keygen stray", "check", "check --force"}) {
        const Outcome outcome = RunCli(folder, args);
        EXPECT_EQ(outcome.status, 2) << args;
        EXPECT_FALSE(outcome.err.empty()) << args;
    }
    EXPECT_TRUE(RunCli(folder, "keygen --length abc").OneErrorLine());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{}) << "bad usage writes nothing";
    for (const char* args : {"--help", "keygen --help", "check -h"}) {
        const Outcome outcome = RunCli(folder, args);
        EXPECT_EQ(outcome.status, 0) << args;
        EXPECT_EQ(outcome.out.rfind("Usage: velt-cli", 0), 0u) << args;
    }
}

TEST(Cli_Check, NamesTheFirstBadRecord) {
    TempFolder folder;
    const auto check = [&](const std::vector<std::uint8_t>& bytes) {
        WriteAll(folder / "k.orb", bytes);
        const Outcome outcome = RunCli(folder, "check --key k.orb");
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.OneErrorLine()) << outcome.err;
        return outcome.err;
    };
    auto bytes = KeyBytes(10);
    EXPECT_NE(check({bytes.begin(), bytes.end() - 1}).find("record 10 is cut short"), std::string::npos);
    bytes[2 * 258 + 1] = 0x02;
    EXPECT_NE(check(bytes).find("record 3 has a wrong length field"), std::string::npos);
    bytes[1 * 258 + 2 + 7] = bytes[1 * 258 + 2]; // record 2 repeats a code, before record 3
    EXPECT_NE(check(bytes).find("record 2 does not hold every code once"), std::string::npos);
    EXPECT_NE(check({}).find("is empty"), std::string::npos);
    EXPECT_NE(check(KeyBytes(10001)).find("above 10000"), std::string::npos);
    EXPECT_NE(RunCli(folder, "check --key nothing.orb").err.find("does not exist"), std::string::npos);
}
