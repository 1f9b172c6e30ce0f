#include "TextCommands.h"

#include "Fakes.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using namespace velt;
using namespace velt::test;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Invoke(bool encode, const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> copies(args);
    std::vector<char*> argv;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = encode ? cli::RunEncode(argv, in, out, err) : cli::RunDecode(argv, in, out, err);
    return {status, out.str(), err.str()};
}
Outcome Encode(const std::vector<std::string>& args, const std::string& in) {
    return Invoke(true, args, in);
}
Outcome Decode(const std::vector<std::string>& args, const std::string& in) {
    return Invoke(false, args, in);
}

struct KeyFolder {
    TempFolder folder;
    std::string key = File("friend.orb", KeyBytes(20));
    std::string File(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        WriteAll(folder / name, bytes);
        return (folder / name).string();
    }
    std::string File(const std::string& name, const std::string& text) {
        return File(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
};

} // namespace

TEST(Cli_TextCommands, EncodeThenDecodeGivesTheTextBack) {
    KeyFolder k;
    const std::string text = "\xEF\xBB\xBF"
                             "Árvíztűrő tükörfúrógép\r\n\"\"idézet\"\" € ‰\n";
    const Outcome encoded = Encode({"--key", k.key}, text);
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    // 39 characters (the byte order mark is none): 4 * 39 + 4 armoured characters and a line end.
    EXPECT_EQ(encoded.out.size(), 4u * 39 + 4 + 1);
    EXPECT_EQ(Decode({"--key", k.key}, "From: a friend\n\n" + encoded.out + "-- \n").out, text.substr(3));

    // The reference file's final line end is not part of the reference text.
    const Outcome secret = Encode({"--ref-file", k.File("r1", "titok ő\r\n"), "--key", k.key}, "hello");
    EXPECT_EQ(Decode({"--key", k.key, "--ref-file", k.File("r2", "titok ő")}, secret.out).out, "hello");
    EXPECT_NE(Decode({"--key", k.key}, secret.out).out, "hello");

    std::string codes;
    for (int c = 0; c < 256; ++c) {
        codes += static_cast<char>(c);
    }
    EXPECT_EQ(Decode({"--key", k.key, "--bytes"}, Encode({"--bytes", "--key", k.key}, codes).out).out, codes);

    // Without --key the key is KEY.ORB in the current folder.
    const auto before = std::filesystem::current_path();
    k.File("KEY.ORB", KeyBytes(5));
    std::filesystem::current_path(k.folder.Path());
    const std::string back = Decode({}, Encode({}, "hi").out).out;
    std::filesystem::current_path(before);
    EXPECT_EQ(back, "hi");
}

TEST(Cli_TextCommands, FailuresGiveOneLineAndNoOutput) {
    KeyFolder k;
    std::vector<std::uint8_t> cut = KeyBytes(20);
    cut.resize(cut.size() - 10);
    const std::string cutKey = k.File("cut.orb", cut);
    const std::string none = (k.folder / "none").string();
    const std::string armoured = Encode({"--key", k.key}, "abc").out;
    struct Case {
        bool encode;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{
             {true, {"--key", none}, "abc", 1, "does not exist"},
             {false, {"--key", none}, armoured, 1, "does not exist"},
             {true, {"--key", cutKey}, "abc", 1, "record 20 is cut short"},
             {true, {"--key", k.key}, "smile \xF0\x9F\x98\x80", 1, "U+1F600"},
             {false, {"--key", k.key}, "\"\"ABC\"\"", 1, "odd number"},
             {false, {"--key", k.key}, "nothing coded here", 1, "No coded text"},
             {true, {"--key", k.key, "--ref-file", none}, "abc", 1, "cannot be read"},
             {true, {"--key", k.key, "--ref-file", k.folder.Path().string()}, "abc", 1, "cannot be read"},
             {true, {"--kee", k.key}, "abc", 2, "'--kee'"},
             {false, {"--key"}, armoured, 2, "--key"},
         }) {
        const Outcome outcome = Invoke(c.encode, c.args, c.input);
        EXPECT_EQ(outcome.status, c.status) << c.says;
        EXPECT_EQ(outcome.out, "") << c.says;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
}
