#include "cli/Options.h"
#include "tests/cli/RunCli.h"

#include <fstream>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/wait.h>

using namespace velt;
using namespace velt::test;

namespace {

/// Parses `args` as a file command does.
cli::Options Parse(std::vector<std::string> args, bool takesOperands) {
    std::vector<char*> pointers;
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    return cli::Options(pointers, {{"key", true}, {"force", false}}, takesOperands);
}

} // namespace

TEST(Cli_Keygen, FormsAKeyThatChecksAndRefusesToOverwrite) {
    TempFolder folder;
    EXPECT_EQ(RunCli(folder, "keygen").status, 0);
    const auto first = ReadAll(folder / "KEY.ORB");
    EXPECT_EQ(first.size(), 94428u);
    const Outcome check = RunCli(folder, "check --key KEY.ORB");
    EXPECT_EQ(check.status, 0);
    EXPECT_NE(check.out.find("key length 366"), std::string::npos) << check.out;

    const Outcome again = RunCli(folder, "keygen");
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.OneErrorLine()) << again.err;
    EXPECT_EQ(ReadAll(folder / "KEY.ORB"), first);
    EXPECT_EQ(RunCli(folder, "keygen --force --length=100").status, 0);
    EXPECT_EQ(std::filesystem::file_size(folder / "KEY.ORB"), 25800u);
    EXPECT_EQ(RunCli(folder, "keygen --length 10000 --out big.orb").status, 0);
    EXPECT_EQ(RunCli(folder, "check --key big.orb").status, 0);

    const Outcome lost = RunCli(folder, "keygen --out missing/new.orb");
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("missing/new.orb"), std::string::npos) << lost.err;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"KEY.ORB", "big.orb"}));
}

TEST(Cli_Usage, BadUsageExitsTwoWithOneLineSayingWhy) {
    TempFolder folder;
    const std::pair<std::string, std::string> cases[] = {
        {"frobnicate", "unknown command 'frobnicate'"},
        {"keygen --bogus", "unknown option '--bogus'"},
        {"encode --kee=k", "unknown option '--kee'"},
        {"keygen --", "unknown option '--'"},
        {"check --force", "unknown option '--force'"},
        {"decode --key", "option '--key' needs a value"},
        {"keygen --force=1", "option '--force' takes no value"},
        {"keygen stray", "unexpected argument 'stray'"},
        {"encode-file -", "unexpected argument '-'"},
        {"encode-file a -x", "unexpected argument '-x'"},
        {"check", "check needs --key FILE"},
        {"keygen --length 0", "--length must be a whole number from 100 to 10000, not '0'"},
        {"keygen --length 99", "not '99'"},
        {"keygen --length 10001", "not '10001'"},
    };
    for (const auto& [args, says] : cases) {
        const Outcome outcome = RunCli(folder, args);
        EXPECT_EQ(outcome.status, 2) << args;
        EXPECT_TRUE(outcome.OneErrorLine()) << outcome.err;
        EXPECT_NE(outcome.err.find(says), std::string::npos) << args << ": " << outcome.err;
    }
    EXPECT_EQ(RunCli(folder, "").status, 2);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{}) << "bad usage writes nothing";
    for (const char* args : {"--help", "keygen --help", "check -h"}) {
        const Outcome outcome = RunCli(folder, args);
        EXPECT_EQ(outcome.status, 0) << args;
        EXPECT_EQ(outcome.out.rfind("Usage: velt-cli", 0), 0u) << args;
    }
}

TEST(Cli_TextCommands, EncodeThenDecodeGivesTheTextBack) {
    TempFolder folder;
    WriteAll(folder / "friend.orb", KeyBytes(120));
    const std::string text = "\xEF\xBB\xBF"
                             "Árvíztűrő tükörfúrógép\r\n\"\"idézet\"\" € ‰\n";
    const Outcome encoded = RunCli(folder, "encode --key friend.orb", text);
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    // 39 characters (the byte order mark is none): 4 * 39 + 4 armoured characters and a line end.
    EXPECT_EQ(encoded.out.size(), 4u * 39 + 4 + 1);
    EXPECT_EQ(RunCli(folder, "decode --key friend.orb", "From: a friend\n\n" + encoded.out + "-- \n").out,
              text.substr(3));

    std::string codes(256, '\0');
    std::iota(codes.begin(), codes.end(), '\0');
    const Outcome raw = RunCli(folder, "encode --bytes --key friend.orb", codes);
    EXPECT_EQ(RunCli(folder, "decode --key friend.orb --bytes", raw.out).out, codes);

    WriteAll(folder / "KEY.ORB", KeyBytes(100)); // the key without --key
    EXPECT_EQ(RunCli(folder, "decode", RunCli(folder, "encode", "hi").out).out, "hi");
}

TEST(Cli_Failures, OneLineNamingTheFileAndWhyNoOutputNothingChanged) {
    TempFolder folder;
    auto key = KeyBytes(120);
    WriteAll(folder / "friend.orb", key);
    key[2 * 258 + 1] = 0x02; // the other unsound keys' words are checked with every command's verdict
    WriteAll(folder / "length.orb", key);
    WriteFile(folder / "data", "data");
    ASSERT_EQ(RunCli(folder, "encode-file --key friend.orb data").status, 0);
    std::ofstream(folder / "huge") << std::string((1 << 20) + 1, 'r'); // a reference is a few words
    const std::string armoured = RunCli(folder, "encode --key friend.orb", "abc").out;
    struct Case {
        std::string args, input, says;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"check --key length.orb", "", "record 3 has a wrong length field"},
             {"check --key nothing.orb", "", "does not exist"},
             {"encode --key none", "abc", "does not exist"},
             {"decode --key none", armoured, "does not exist"},
             {"restore-file --force --key length.orb data.JPG", "", "record 3 has a wrong length field"},
             {"encode --key friend.orb", "smile \xF0\x9F\x98\x80", "U+1F600"},
             {"encode --key friend.orb", "Gr\xFC\xDF", "give --bytes"},
             {"decode --key friend.orb", "\"\"ABC\"\"", "odd number"},
             {"decode --key friend.orb", "nothing coded here", "No coded text"},
             {"encode --key friend.orb --ref-file none", "abc", "cannot be read"},
             {"encode --key friend.orb --ref-file .", "abc", "is not a regular file"},
             {"encode --key friend.orb --ref-file huge", "abc", "huge is too large"},
             {"restore-file --key friend.orb missing/x.JPG", "",
              "missing/x.JPG cannot be read. Reason: No such file or directory."},
         }) {
        const Outcome outcome = RunCli(folder, c.args, c.input);
        EXPECT_EQ(outcome.status, 1) << c.args;
        EXPECT_EQ(outcome.out, "") << c.args;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << c.args << ": " << outcome.err;
        EXPECT_TRUE(outcome.OneErrorLine()) << outcome.err;
    }
    EXPECT_EQ(RunCli(folder, "encode-file --key none.orb data").err,
              "velt-cli encode-file: The key file none.orb does not exist.\n");
    EXPECT_EQ(ReadFile(folder / "data"), "data");
}

// The option parser's mistakes are told through velt-cli itself, above.
TEST(Options_Values, LastRepeatWinsOperandsKeepTheirOrder) {
    const cli::Options options = Parse({"b", "--key", "one", "--force", "a", "--key=two=2", "--", "--force", "-"}, true);
    EXPECT_EQ(options.Value("key"), "two=2");
    EXPECT_TRUE(options.Has("force"));
    EXPECT_FALSE(options.Help());
    EXPECT_EQ(options.Operands(), (std::vector<std::string>{"b", "a", "--force", "-"}));

    // A value may look like an option: it is taken as given.
    const cli::Options odd = Parse({"--key", "--force", "-h"}, false);
    EXPECT_EQ(odd.Value("key"), "--force");
    EXPECT_FALSE(odd.Has("force"));
    EXPECT_TRUE(odd.Help());
}
