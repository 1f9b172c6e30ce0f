#include "cli/FileCommands.h"

#include "tests/conversion/TestFiles.h"

#include <gtest/gtest.h>
#include <sstream>
#include <tuple>

using namespace velt;
using namespace velt::test;

namespace {

/// A folder with a key, and the file commands run in it with captured streams.
struct Cli {
    Cli() { WriteAll(folder / "KEY.ORB", KeyBytes(366)); }

    int Run(std::string_view command, std::vector<std::string> args, const std::string& typed = "",
            bool terminal = false) {
        in = std::istringstream(typed);
        out.str(""), err.str("");
        args.insert(args.begin(), {"--key", Path("KEY.ORB")});
        std::vector<char*> all;
        for (std::string& arg : args) {
            all.push_back(arg.data());
        }
        cli::Console console{in, out, err, terminal, terminal, std::chrono::milliseconds(0)};
        return (command == "encode-file" ? cli::RunEncodeFile : cli::RunRestoreFile)(all, console);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    std::string Put(const std::string& name, const std::string& contents) const {
        WriteFile(folder / name, contents);
        return Path(name);
    }

    TempFolder folder;
    std::istringstream in;
    std::ostringstream out, err;
};

} // namespace

TEST(FileCommands_Run, EachFileGetsItsResultLineAndFailuresDoNotStopTheRest) {
    Cli cli;
    const std::string ref = cli.Put("ref", "közös titok\n"), text = cli.Put("a.txt", "Tükörfúrógép\r\n");
    EXPECT_EQ(cli.Run("encode-file", {"--ref-file", ref, text, cli.Put("b.bin", AllByteValues(20))}), 0);
    EXPECT_EQ(cli.out.str() + cli.err.str(), "encoded " + text + " -> " + text + ".JPG\nencoded " +
                                                 cli.Path("b.bin") + " -> " + cli.Path("b.bin.JPG") + "\n");
    std::filesystem::create_directory(cli.folder / "back");
    std::filesystem::rename(text + ".JPG", cli.Path("back/a.txt.JPG"));
    const std::string odd = cli.Put("odd.JPG", "123");
    EXPECT_EQ(cli.Run("restore-file", {"--ref-file", ref, odd, cli.Path("back/a.txt.JPG")}), 1);
    EXPECT_EQ(cli.err.str(),
              "velt-cli: failed " + odd + ": BAD FILE ! Control over the content of error !\n");
    EXPECT_EQ(cli.out.str(),
              "restored " + cli.Path("back/a.txt.JPG") + " -> " + cli.Path("back/a.txt") + "\n");
    EXPECT_EQ(ReadFile(cli.Path("back/a.txt")), "Tükörfúrógép\r\n");
    EXPECT_EQ(cli.Run("encode-file", {}), 2);
    EXPECT_EQ(cli.Run("restore-file", {"--ref-file"}), 2);
}

TEST(FileCommands_ExistingResult, ReplacedOnlyWithForceOrATypedYes) {
    Cli cli;
    const std::string plain = cli.Put("a", "plain"), coded = cli.Put("a.JPG", "old");
    const std::string skipped = "velt-cli: skipped " + plain + ": " + coded;
    EXPECT_EQ(cli.Run("encode-file", {plain}), 1); // no terminal: never asks
    EXPECT_EQ(cli.err.str(), skipped + " it exists (use --force to replace it)\n");
    EXPECT_EQ(cli.Run("encode-file", {plain}, "\n", true), 1); // Enter means no
    EXPECT_TRUE(cli.err.str().ends_with(
        "velt-cli: File " + coded + " is exist ! We coded this once already I may overwrite it ?? [y/N] " +
        skipped + " kept as it was\n"));
    EXPECT_EQ(ReadFile(coded), "old");
    EXPECT_EQ(cli.Run("encode-file", {plain}, "y\n", true), 0);
    EXPECT_EQ(ReadFile(coded).size(), 10u);
    cli.Put("a.JPG", "old");
    EXPECT_EQ(cli.Run("encode-file", {"--force", plain}), 0);
    EXPECT_EQ(std::tuple(ReadFile(coded).size(), cli.err.str()), std::tuple(10u, "")); // and no progress line
}

TEST(FileCommands_Progress, DrawnOnATerminalAndClearedAfterwards) {
    Cli cli;
    cli.Put("big", AllByteValues(1200));
    EXPECT_EQ(cli.Run("encode-file", {"--force", cli.Path("big")}, "", true), 0);
    EXPECT_NE(cli.err.str().find("\rvelt-cli: " + cli.Path("big") + " 100%"), std::string::npos);
    EXPECT_TRUE(cli.err.str().ends_with("\r\x1b[K"));
}
