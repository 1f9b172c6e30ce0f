#include "cli/FileCommands.h"

#include "tests/conversion/TestFiles.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace velt;
using namespace velt::test;

namespace {

/// Runs a file command over `args` in a folder with a key; what it printed in `out` and `err`.
int RunFiles(const TempFolder& folder, std::string_view command, std::vector<std::string> args,
             std::string& out, std::string& err) {
    std::istringstream in;
    std::ostringstream o, e;
    args.insert(args.begin(), {"--key", (folder / "KEY.ORB").string()});
    std::vector<char*> all;
    for (std::string& arg : args) {
        all.push_back(arg.data());
    }
    cli::Console console{in, o, e, false, false, std::chrono::milliseconds(0)};
    const int status = (command == "encode-file" ? cli::RunEncodeFile : cli::RunRestoreFile)(all, console);
    out = o.str(), err = e.str();
    return status;
}

} // namespace

TEST(FileCommands_ManyFiles, PlacedInGroupsWithLinesInOrderAndTheRulesOfOneFileAtATime) {
    TempFolder folder;
    WriteAll(folder / "KEY.ORB", KeyBytes(366));
    const auto path = [&](const std::string& name) { return (folder / name).string(); };
    std::filesystem::create_directory(folder / "dir");
    WriteFile(folder / "a", "first");
    WriteFile(folder / "b", "second");
    std::string out, err;
    // The same file twice: the second finds the first's result in place and keeps it, as one call each would.
    EXPECT_EQ(RunFiles(folder, "encode-file", {path("a"), path("dir"), path("b"), path("a")}, out, err), 1);
    EXPECT_EQ(out, "encoded " + path("a") + " -> " + path("a.JPG") + "\nencoded " + path("b") + " -> " +
                       path("b.JPG") + "\n");
    EXPECT_TRUE(err.starts_with("velt-cli: failed " + path("dir") + ": ")) << err;
    EXPECT_TRUE(err.ends_with("\nvelt-cli: skipped " + path("a") + ": " + path("a.JPG") +
                              " it exists (use --force to replace it)\n"))
        << err;
    const std::string firstA = ReadFile(folder / "a.JPG");
    EXPECT_EQ(RunFiles(folder, "encode-file", {"--force", path("a"), path("a")}, out, err), 0);
    EXPECT_NE(ReadFile(folder / "a.JPG"), firstA);

    // More files than one group takes in each of the two processes, there and back; half of
    // them large enough to be encoded ahead in lanes where the processor has them.
    std::vector<std::string> plain, coded;
    for (int k = 0; k < 2100; ++k) {
        // Appended, not added: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string&&.
        std::string name = "f";
        name += std::to_string(k);
        const std::string contents = name + std::string(static_cast<std::size_t>(7 * (k % 300)), 'x');
        WriteFile(folder / "dir" / name, contents);
        plain.push_back(path("dir/" + name));
        coded.push_back(plain.back() + ".JPG");
    }
    ASSERT_EQ(RunFiles(folder, "encode-file", plain, out, err), 0) << err;
    for (const std::string& file : plain) {
        std::filesystem::rename(file, file + ".orig");
    }
    ASSERT_EQ(RunFiles(folder, "restore-file", coded, out, err), 0) << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2100);
    for (const std::string& file : plain) {
        ASSERT_EQ(ReadFile(file), ReadFile(file + ".orig")) << file;
    }
}

TEST(FileCommands_ManyFiles, InTwoProcessesTheLinesKeepTheirOrderAndEitherHalfsFailureCounts) {
    TempFolder folder;
    WriteAll(folder / "KEY.ORB", KeyBytes(366));
    const auto path = [&](const std::string& name) { return (folder / name).string(); };
    // Enough files for a second process to take the later half; results already there in
    // one half or in both.
    for (const std::vector<int>& taken : {std::vector<int>{10, 90}, std::vector<int>{95}}) {
        const std::string dir = "run" + std::to_string(taken.size());
        std::filesystem::create_directory(folder / dir);
        std::vector<std::string> files;
        std::string expectedOut, expectedErr;
        for (int k = 0; k < 100; ++k) {
            const std::string file = path(dir + "/f" + std::to_string(100 + k));
            WriteFile(file, file);
            files.push_back(file);
            if (std::find(taken.begin(), taken.end(), k) != taken.end()) {
                WriteFile(file + ".JPG", "kept");
                expectedErr += "velt-cli: skipped " + file + ": " + file + ".JPG it exists (use --force to replace it)\n";
            } else {
                expectedOut += "encoded " + file + " -> " + file + ".JPG\n";
            }
        }
        std::string out, err;
        EXPECT_EQ(RunFiles(folder, "encode-file", files, out, err), 1);
        EXPECT_EQ(out, expectedOut);
        EXPECT_EQ(err, expectedErr);
        EXPECT_EQ(ReadFile(files[static_cast<std::size_t>(taken.back())] + ".JPG"), "kept");
    }
    // A file named twice, in both halves: one process takes them in turn, and the second finds
    // the first's result in place.
    std::filesystem::create_directory(folder / "same");
    std::vector<std::string> files;
    for (int k = 0; k < 100; ++k) {
        files.push_back(path("same/f" + std::to_string(100 + k)));
        WriteFile(files.back(), files.back());
    }
    files.push_back(files.front());
    std::string out, err;
    EXPECT_EQ(RunFiles(folder, "encode-file", files, out, err), 1);
    EXPECT_EQ(err, "velt-cli: skipped " + files.front() + ": " + files.front() +
                       ".JPG it exists (use --force to replace it)\n");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 100);
}
