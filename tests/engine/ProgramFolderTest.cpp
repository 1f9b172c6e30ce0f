#include "engine/ProgramFolder.h"

#include "tests/engine/Fakes.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace velt;
using namespace velt::test;

TEST(ProgramFolder_Choice, PortableOnlyOutsideSystemFoldersInASafeWritableFolder) {
    TempFolder portable, shared;
    std::filesystem::permissions(shared.Path(), std::filesystem::perms(0777));
    std::vector<std::filesystem::path> probed;
    const auto answer = [&probed](bool writable) {
        return [&probed, writable](const std::filesystem::path& folder) {
            probed.push_back(folder);
            return writable;
        };
    };
    const std::filesystem::path data = "/home/u/.local/share/VELT";
    EXPECT_EQ(ChooseProgramFolder(portable.Path(), data, answer(true)), portable.Path());
    EXPECT_EQ(ChooseProgramFolder(portable.Path(), data, answer(false)), data);
    EXPECT_EQ(ChooseProgramFolder(shared.Path(), data, answer(true)), data) << "others could swap the key";
    // Installed, even for the superuser who may write there, the key stays out of the package's folders.
    for (const char* installed : {"/usr/bin", "/usr/local/bin", "/opt/velt", "/usr"}) {
        EXPECT_EQ(ChooseProgramFolder(installed, data, answer(true)), data) << installed;
    }
    EXPECT_TRUE(InSystemFolder("/srv/velt/bin", "/srv/velt/"));
    EXPECT_FALSE(InSystemFolder("/usrx/bin", "/srv/velt"));
    EXPECT_FALSE(InSystemFolder("/home/u/velt", "/"));
    // An executable whose folder cannot be told never makes the current folder the key's home.
    EXPECT_EQ(ChooseProgramFolder("", "/data", answer(true)), "/data");
    EXPECT_EQ(probed, (std::vector<std::filesystem::path>{portable.Path(), portable.Path()}));
}

TEST(ProgramFolder_KeyPlace, OwnedByTheUserAndWritableByNobodyElse) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user needs the superuser";
    }
    TempFolder folder;
    const auto file = folder / "KEY.ORB";
    WriteAll(file, {1});
    const uid_t me = ::geteuid();
    struct Case {
        std::filesystem::path path;
        unsigned mode;
        uid_t owner;
        KeyPlaceFault fault;
    };
    for (const Case& c : std::initializer_list<Case>{
             {file, 0600, me, KeyPlaceFault::None},
             {file, 0644, me, KeyPlaceFault::None},
             {file, 0666, me, KeyPlaceFault::OthersMayWrite},
             {file, 0620, me, KeyPlaceFault::OthersMayWrite},
             {file, 0600, me + 1, KeyPlaceFault::NotOwned},
             {folder.Path(), 0700, me, KeyPlaceFault::None},
             {folder.Path(), 0777, me, KeyPlaceFault::OthersMayWrite},
             {folder.Path(), 01777, me, KeyPlaceFault::None}, // only owners remove their files
             {folder.Path(), 0755, 0, KeyPlaceFault::None},
             {folder.Path(), 0755, me + 1, KeyPlaceFault::NotOwned},
         }) {
        ASSERT_EQ(::chown(c.path.c_str(), c.owner, static_cast<gid_t>(-1)), 0);
        std::filesystem::permissions(c.path, std::filesystem::perms(c.mode));
        EXPECT_EQ(KeyPlaceFaultOf(c.path, me), c.fault) << c.path << " " << std::oct << c.mode << " " << c.owner;
        ASSERT_EQ(::chown(c.path.c_str(), me, static_cast<gid_t>(-1)), 0);
        std::filesystem::permissions(c.path, std::filesystem::perms(0700));
    }
    EXPECT_EQ(KeyPlaceFaultOf(folder / "missing", me), KeyPlaceFault::None);
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
