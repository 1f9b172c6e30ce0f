#include "FileCommands.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace velt;
using namespace velt::test;

namespace {

/// A folder with a key, and the file commands run in it with captured streams.
struct Cli {
    Cli() { TestKey(366).WriteTo(folder / "KEY.ORB"); }

    int Run(std::string_view command, std::vector<std::string> args, const std::string& typed = "",
            bool terminal = false) {
        in.str(typed);
        in.clear();
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--key", (folder / "KEY.ORB").string()});
        std::vector<char*> all;
        for (std::string& arg : args) {
            all.push_back(arg.data());
        }
        cli::Console console{in, out, err, terminal, terminal, std::chrono::milliseconds(0)};
        return command == "encode-file" ? cli::RunEncodeFile(all, console)
                                        : cli::RunRestoreFile(all, console);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    TempFolder folder;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace

TEST(FileCommands_RoundTrip, EveryFileGetsItsResultLine) {
    Cli cli;
    WriteFile(cli.folder / "a.txt", "Tükörfúrógép\r\n");
    WriteFile(cli.folder / "b.bin", AllByteValues(5000));
    WriteFile(cli.folder / "ref", "közös titok\n");
    EXPECT_EQ(cli.Run("encode-file", {"--ref-file", cli.Path("ref"), cli.Path("a.txt"), cli.Path("b.bin")}),
              0);
    EXPECT_EQ(cli.out.str(), "encoded " + cli.Path("a.txt") + " -> " + cli.Path("a.txt.JPG") + "\nencoded " +
                                 cli.Path("b.bin") + " -> " + cli.Path("b.bin.JPG") + "\n");
    std::filesystem::create_directory(cli.folder / "back");
    std::filesystem::rename(cli.folder / "a.txt.JPG", cli.folder / "back" / "a.txt.JPG");
    EXPECT_EQ(cli.Run("restore-file", {"--ref-file", cli.Path("ref"), cli.Path("back/a.txt.JPG")}), 0);
    EXPECT_EQ(ReadFile(cli.folder / "back" / "a.txt"), "Tükörfúrógép\r\n");
    EXPECT_EQ(cli.err.str(), "");
}

TEST(FileCommands_ExistingResult, ReplacedOnlyWithForceOrATypedYes) {
    Cli cli;
    WriteFile(cli.folder / "a", "plain");
    WriteFile(cli.folder / "a.JPG", "old");
    const std::string skipped = "velt-cli: skipped " + cli.Path("a") + ": " + cli.Path("a.JPG");

    EXPECT_EQ(cli.Run("encode-file", {cli.Path("a")}), 1); // no terminal: never asks
    EXPECT_EQ(cli.err.str(), skipped + " it exists (use --force to replace it)\n");
    EXPECT_EQ(ReadFile(cli.folder / "a.JPG"), "old");

    EXPECT_EQ(cli.Run("encode-file", {cli.Path("a")}, "\n", true), 1); // Enter means no
    EXPECT_NE(cli.err.str().find("is exist !"), std::string::npos);
    EXPECT_NE(cli.err.str().find("[y/N]"), std::string::npos);
    EXPECT_NE(cli.err.str().find(skipped + " kept as it was\n"), std::string::npos);
    EXPECT_EQ(ReadFile(cli.folder / "a.JPG"), "old");

    EXPECT_EQ(cli.Run("encode-file", {cli.Path("a")}, "y\n", true), 0);
    EXPECT_EQ(ReadFile(cli.folder / "a.JPG").size(), 10u);

    WriteFile(cli.folder / "a.JPG", "old");
    EXPECT_EQ(cli.Run("encode-file", {"--force", cli.Path("a")}), 0);
    EXPECT_EQ(ReadFile(cli.folder / "a.JPG").size(), 10u);
    EXPECT_EQ(cli.err.str(), "");
}

TEST(FileCommands_Failures, ReportedPerFileAndTheRestGoesOn) {
    Cli cli;
    WriteFile(cli.folder / "odd.JPG", "123");
    WriteFile(cli.folder / "good.JPG", "1234");
    EXPECT_EQ(cli.Run("restore-file", {cli.Path("odd.JPG"), cli.Path("good.JPG")}), 1);
    EXPECT_EQ(cli.err.str(), "velt-cli: failed " + cli.Path("odd.JPG") +
                                 ": BAD FILE ! Control over the content of error !\n");
    EXPECT_EQ(cli.out.str(), "restored " + cli.Path("good.JPG") + " -> " + cli.Path("good") + "\n");

    EXPECT_EQ(cli.Run("encode-file", {}), 2);
    EXPECT_EQ(cli.Run("encode-file", {"--frobnicate", cli.Path("good")}), 2);
    EXPECT_EQ(cli.Run("restore-file", {"--ref-file"}), 2);
    EXPECT_EQ(cli.Run("restore-file", {"--help"}), 0);
    EXPECT_NE(cli.out.str().find("Usage: velt-cli restore-file"), std::string::npos);
}

TEST(FileCommands_Progress, DrawnOnATerminalAndClearedAfterwards) {
    Cli cli;
    WriteFile(cli.folder / "big", AllByteValues(300000));
    EXPECT_EQ(cli.Run("encode-file", {"--force", cli.Path("big")}, "", true), 0);
    const std::string err = cli.err.str();
    EXPECT_NE(err.find("\rvelt-cli: big 100%"), std::string::npos);
    EXPECT_TRUE(err.ends_with("\r\x1b[K"));
    EXPECT_EQ(cli.Run("encode-file", {"--force", cli.Path("big")}, "", false), 0);
    EXPECT_EQ(cli.err.str(), "");
}
