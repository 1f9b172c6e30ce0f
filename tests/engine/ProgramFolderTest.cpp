#include "ProgramFolder.h"

#include "Fakes.h"

#include <gtest/gtest.h>

using namespace velt;
using namespace velt::test;

TEST(ProgramFolder_Choice, WritableExecutableFolderElseUserData) {
    std::vector<std::filesystem::path> probed;
    const auto answer = [&probed](bool writable) {
        return [&probed, writable](const std::filesystem::path& folder) {
            probed.push_back(folder);
            return writable;
        };
    };
    EXPECT_EQ(ChooseProgramFolder("/opt/velt", "/home/u/.local/share/VELT", answer(true)), "/opt/velt");
    EXPECT_EQ(ChooseProgramFolder("/usr/bin", "/home/u/.local/share/VELT", answer(false)),
              "/home/u/.local/share/VELT");
    EXPECT_EQ(probed, (std::vector<std::filesystem::path>{"/opt/velt", "/usr/bin"}));
    // An executable whose folder cannot be told never makes the current folder the key's home.
    EXPECT_EQ(ChooseProgramFolder("", "/data", answer(true)), "/data");
}

TEST(ProgramFolder_CanCreateFilesIn, TriesForRealAndLeavesNothing) {
    TempFolder folder;
    EXPECT_TRUE(CanCreateFilesIn(folder.Path()));
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_FALSE(CanCreateFilesIn(folder / "missing"));
    WriteAll(folder / "file", {1});
    EXPECT_FALSE(CanCreateFilesIn(folder / "file"));

    TempFolder locked;
    const ReadOnlyMount readOnly(locked.Path());
    if (!readOnly.Active()) {
        GTEST_SKIP() << "cannot mount here; the read-only case needs it";
    }
    // Permission bits would let the superuser write; the read-only mount does not.
    EXPECT_FALSE(CanCreateFilesIn(locked.Path()));
    EXPECT_EQ(ChooseProgramFolder(locked.Path(), "/data"), "/data");
}
