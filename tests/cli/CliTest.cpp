#include "RunCli.h"

#include <gtest/gtest.h>
#include <numeric>
#include <sys/wait.h>

using namespace velt;
using namespace velt::test;

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

TEST(Cli_Usage, BadUsageExitsTwoWithOneLine) {
    TempFolder folder;
    for (const char* args : {"", "frobnicate", "keygen --bogus", "keygen --length 0", "keygen --length 99", "keygen --length 10001",
                             "keygen --length 12x", "keygen --length", "keygen stray", "check",
                             "check --force", "encode --kee k", "decode --key"}) {
        const Outcome outcome = RunCli(folder, args);
        EXPECT_EQ(outcome.status, 2) << args;
        EXPECT_FALSE(outcome.err.empty()) << args;
    }
    EXPECT_TRUE(RunCli(folder, "keygen --length abc").OneErrorLine());
    EXPECT_NE(RunCli(folder, "encode --kee k").err.find("'--kee'"), std::string::npos);
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
    auto bytes = KeyBytes(100);
    EXPECT_NE(check({bytes.begin(), bytes.end() - 1}).find("record 100 is cut short"), std::string::npos);
    bytes[2 * 258 + 1] = 0x02;
    EXPECT_NE(check(bytes).find("record 3 has a wrong length field"), std::string::npos);
    bytes[1 * 258 + 2 + 7] = bytes[1 * 258 + 2]; // record 2 repeats a code, before record 3
    EXPECT_NE(check(bytes).find("record 2 does not hold every code once"), std::string::npos);
    EXPECT_NE(check({}).find("is empty"), std::string::npos);
    EXPECT_NE(check(KeyBytes(10001)).find("above 10000"), std::string::npos);
    EXPECT_NE(check(KeyBytes(99)).find("holds 99 positions; a key needs 100 to 10000"), std::string::npos);
    EXPECT_NE(RunCli(folder, "check --key nothing.orb").err.find("does not exist"), std::string::npos);
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

    // The reference file's final line end is not part of the reference text.
    std::ofstream(folder / "r1") << "titok ő\r\n";
    std::ofstream(folder / "r2") << "titok ő";
    const Outcome secret = RunCli(folder, "encode --ref-file r1 --key friend.orb", "hello, friend");
    EXPECT_EQ(RunCli(folder, "decode --key friend.orb --ref-file r2", secret.out).out, "hello, friend");
    // Raw output changes how the text is written, not which reference text it was coded with.
    EXPECT_EQ(RunCli(folder, "decode --key friend.orb --bytes --ref-file r2", secret.out).out,
              "hello, friend");
    EXPECT_NE(RunCli(folder, "decode --key friend.orb", secret.out).out, "hello, friend");

    std::string codes(256, '\0');
    std::iota(codes.begin(), codes.end(), '\0');
    const Outcome raw = RunCli(folder, "encode --bytes --key friend.orb", codes);
    EXPECT_EQ(RunCli(folder, "decode --key friend.orb --bytes", raw.out).out, codes);

    WriteAll(folder / "KEY.ORB", KeyBytes(100)); // the key without --key
    EXPECT_EQ(RunCli(folder, "decode", RunCli(folder, "encode", "hi").out).out, "hi");
}

TEST(Cli_TextCommands, FailuresGiveOneLineAndNoOutput) {
    TempFolder folder;
    auto key = KeyBytes(120);
    WriteAll(folder / "friend.orb", key);
    key.resize(key.size() - 10);
    WriteAll(folder / "cut.orb", key);
    const std::string armoured = RunCli(folder, "encode --key friend.orb", "abc").out;
    struct Case {
        const char* args;
        std::string input;
        const char* says;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"encode --key none", "abc", "does not exist"},
             {"decode --key none", armoured, "does not exist"},
             {"encode --key cut.orb", "abc", "record 120 is cut short"},
             {"encode --key friend.orb", "smile \xF0\x9F\x98\x80", "U+1F600"},
             {"decode --key friend.orb", "\"\"ABC\"\"", "odd number"},
             {"decode --key friend.orb", "nothing coded here", "No coded text"},
             {"encode --key friend.orb --ref-file none", "abc", "cannot be read"},
             {"encode --key friend.orb --ref-file .", "abc", "is not a regular file"},
         }) {
        const Outcome outcome = RunCli(folder, c.args, c.input);
        EXPECT_EQ(outcome.status, 1) << c.args;
        EXPECT_EQ(outcome.out, "") << c.args;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
        EXPECT_TRUE(outcome.OneErrorLine()) << outcome.err;
    }
}
