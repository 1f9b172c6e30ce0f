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
    const std::vector<std::string_view> views(args.begin(), args.end());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = encode ? cli::RunEncode(views, in, out, err) : cli::RunDecode(views, in, out, err);
    return {status, out.str(), err.str()};
}
Outcome Encode(const std::vector<std::string>& args, const std::string& input) {
    return Invoke(true, args, input);
}
Outcome Decode(const std::vector<std::string>& args, const std::string& input) {
    return Invoke(false, args, input);
}

struct KeyFolder {
    TempFolder folder;
    std::string key = (folder / "friend.orb").string();
    KeyFolder() { WriteAll(folder / "friend.orb", KeyBytes(20)); }
    std::string WriteFile(const std::string& name, const std::string& content) {
        WriteAll(folder / name, std::vector<std::uint8_t>(content.begin(), content.end()));
        return (folder / name).string();
    }
};

} // namespace

TEST(Cli_TextCommands, EncodeThenDecodeGivesTheTextBack) {
    KeyFolder k;
    const std::string text = "Árvíztűrő tükörfúrógép\r\n\"\"quoted\"\" € ‰\n";
    const Outcome encoded = Encode({"--key", k.key}, text);
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    EXPECT_EQ(encoded.err, "");
    // 39 characters in Windows-1250: 4 * 39 + 4 armoured characters and a line end.
    EXPECT_EQ(encoded.out.size(), 4u * 39 + 4 + 1);
    EXPECT_EQ(encoded.out.substr(0, 2), "\"\"");
    EXPECT_EQ(encoded.out.substr(encoded.out.size() - 3), "\"\"\n");

    const Outcome decoded = Decode({"--key", k.key}, "From: a friend\n\n" + encoded.out + "-- \nsent\n");
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, text);

    // The reference file's final line end is not part of the reference text.
    const std::string withLineEnd = k.WriteFile("ref1.txt", "titok ő\r\n");
    const std::string without = k.WriteFile("ref2.txt", "titok ő");
    const Outcome secret = Encode({"--ref-file", withLineEnd, "--key", k.key}, text);
    ASSERT_EQ(secret.status, 0) << secret.err;
    EXPECT_EQ(Decode({"--key", k.key, "--ref-file", without}, secret.out).out, text);
    EXPECT_NE(Decode({"--key", k.key}, secret.out).out, text);

    // A byte order mark from an editor is not part of the text.
    EXPECT_EQ(Decode({"--key", k.key}, Encode({"--key", k.key}, "\xEF\xBB\xBFhi").out).out, "hi");

    // Raw codes in and out, every one of them.
    std::string codes;
    for (int c = 0; c < 256; ++c) {
        codes += static_cast<char>(c);
    }
    const Outcome raw = Encode({"--bytes", "--key", k.key}, codes);
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(Decode({"--key", k.key, "--bytes"}, raw.out).out, codes);

    // Without --key the key is KEY.ORB in the current folder.
    const auto before = std::filesystem::current_path();
    std::filesystem::copy_file(k.key, k.folder / "KEY.ORB");
    std::filesystem::current_path(k.folder.Path());
    const Outcome byDefault = Encode({}, "hello");
    const Outcome back = Decode({}, byDefault.out);
    std::filesystem::current_path(before);
    EXPECT_EQ(back.out, "hello") << byDefault.err << back.err;
}

TEST(Cli_TextCommands, FailuresGiveOneLineAndNoOutput) {
    KeyFolder k;
    const std::string armoured = Encode({"--key", k.key}, "abc").out;
    std::vector<std::uint8_t> cut = KeyBytes(20);
    cut.resize(cut.size() - 10);
    WriteAll(k.folder / "cut.orb", cut);
    const std::string cutKey = (k.folder / "cut.orb").string();
    const std::string missing = (k.folder / "none.orb").string();

    struct Case {
        bool encode;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string says;
    };
    const std::vector<Case> cases = {
        {true, {"--key", missing}, "abc", 1, "does not exist"},
        {false, {"--key", missing}, armoured, 1, "does not exist"},
        {true, {"--key", cutKey}, "abc", 1, "record 20 is cut short"},
        {true, {"--key", k.key}, "smile \xF0\x9F\x98\x80", 1, "U+1F600"},
        {true, {"--key", k.key}, "bad \xC3", 1, "U+FFFD"},
        {false, {"--key", k.key}, "\"\"ABC\"\"", 1, "odd number"},
        {false, {"--key", k.key}, "nothing coded here", 1, "No coded text"},
        {true, {"--key", k.key, "--ref-file", missing}, "abc", 1, "cannot be read"},
        {true, {"--key", k.key, "--ref-file", k.folder.Path().string()}, "abc", 1, "cannot be read"},
        {true, {"--kee", k.key}, "abc", 2, "unknown option '--kee'"},
        {false, {"--key"}, armoured, 2, "needs a value"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Invoke(c.encode, c.args, c.input);
        EXPECT_EQ(outcome.status, c.status) << c.says;
        EXPECT_EQ(outcome.out, "") << c.says;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(outcome.err.back(), '\n');
    }
    EXPECT_EQ(Encode({"--help"}, "").status, 0);
}
