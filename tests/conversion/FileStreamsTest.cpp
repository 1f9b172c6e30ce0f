#include "FileStreams.h"

#include "Errors.h"
#include "TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velt;
using namespace velt::test;

namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

ErrorKind KindOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const VeltError& error) {
        return error.kind;
    }
    ADD_FAILURE() << "no VeltError thrown";
    return ErrorKind::OddCodedText;
}

} // namespace

TEST(ReplacingFile_ExistingDestination, ReplacedOnlyAtCommitKeepingPermissions) {
    TempFolder folder;
    const auto target = folder / "report.doc.JPG";
    WriteFile(target, "old contents");
    ::chmod(target.c_str(), 0640);
    {
        ReplacingFile file(target);
        file.Write(Bytes("new contents"));
        EXPECT_EQ(ReadFile(target), "old contents");
        EXPECT_EQ(file.TemporaryPath().parent_path(), folder.Path()); // beside it: the rename stays atomic
        file.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new contents");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"report.doc.JPG"});
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(ReplacingFile_Unusual, LongNamesMissingFoldersAndAbandonedWrites) {
    TempFolder folder;
    const std::string longName(250, 'n'); // no room left in the name for a temporary suffix
    {
        ReplacingFile file(folder / longName);
        file.Write(Bytes("x"));
        file.Commit();
    }
    EXPECT_EQ(ReadFile(folder / longName), "x");
    { ReplacingFile(folder / "abandoned").Write(Bytes("half")); }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{longName});
    EXPECT_EQ(KindOf([&] { ReplacingFile(folder / "no" / "such" / "file"); }), ErrorKind::FolderMissing);
}

TEST(Sources_Unusual, DevicesRefusedAndTextsLimited) {
    // A device would stream forever (or never end): only regular files are sources.
    EXPECT_EQ(KindOf([&] { SourceFile("/dev/zero"); }), ErrorKind::FileReadFailed);
    TempFolder folder;
    WriteFile(folder / "text", "0123456789");
    EXPECT_EQ(ReadWholeFile(folder / "text", 10), "0123456789");
    EXPECT_EQ(KindOf([&] { ReadWholeFile(folder / "text", 9); }), ErrorKind::FileTooLarge);
}
