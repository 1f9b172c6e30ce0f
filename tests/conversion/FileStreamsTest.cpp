#include "FileStreams.h"

#include "Errors.h"
#include "TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velt;
using velt::test::ReadFile;
using velt::test::TempFolder;
using velt::test::WriteFile;

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
        file.Write(Bytes("new "));
        file.Write(Bytes("contents"));
        EXPECT_EQ(ReadFile(target), "old contents");
        EXPECT_EQ(file.TemporaryPath().parent_path(), folder.Path()); // beside it: rename stays atomic
        EXPECT_EQ(folder.Entries().size(), 2u);
        file.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new contents");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"report.doc.JPG"});
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(ReplacingFile_NoCommit, LeavesNothingBehind) {
    TempFolder folder;
    { ReplacingFile(folder / "fresh").Write(Bytes("half")); }
    const auto kept = folder / "kept";
    WriteFile(kept, "keep me");
    { ReplacingFile(kept).Write(Bytes("half")); }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept"});
    EXPECT_EQ(ReadFile(kept), "keep me");

    // A name at the file system's limit still gets a temporary name that fits.
    const std::string longName(250, 'n');
    {
        ReplacingFile file(folder / longName);
        file.Write(Bytes("x"));
        file.Commit();
    }
    EXPECT_EQ(ReadFile(folder / longName), "x");
}

TEST(ReplacingFile_Failures, ClearKindAndNoFileLeft) {
    TempFolder folder;
    EXPECT_EQ(KindOf([&] { ReplacingFile(folder / "no" / "such" / "file"); }), ErrorKind::FolderMissing);

    const std::string megabyte(1 << 20, 'x');
    {
        velt::test::FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(KindOf([&] { ReplacingFile(folder / "big").Write(Bytes(megabyte)); }), ErrorKind::DiskFull);
    }
    std::filesystem::create_directory(folder / "taken");
    EXPECT_EQ(KindOf([&] {
                  ReplacingFile file(folder / "taken");
                  file.Commit();
              }),
              ErrorKind::FileWriteFailed);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"taken"});
    EXPECT_TRUE(std::filesystem::is_empty(folder / "taken"));
}

TEST(SourceFile_Reading, FullChunksUntilTheEnd) {
    TempFolder folder;
    const std::string contents = test::AllByteValues(3 * 1000 + 7);
    WriteFile(folder / "source", contents);
    SourceFile source(folder / "source");
    EXPECT_EQ(source.Size(), contents.size());
    std::vector<std::uint8_t> chunk(1000);
    std::string back;
    std::vector<std::size_t> sizes;
    for (std::size_t got; (got = source.Read(chunk)) > 0;) {
        sizes.push_back(got);
        back.append(reinterpret_cast<const char*>(chunk.data()), got);
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1000, 1000, 1000, 7}));
    EXPECT_EQ(back, contents);
}

TEST(SourceFile_NotARegularFile, ReadFailed) {
    TempFolder folder;
    EXPECT_EQ(KindOf([&] { SourceFile(folder / "missing"); }), ErrorKind::FileReadFailed);
    EXPECT_EQ(KindOf([&] { SourceFile{folder.Path()}; }), ErrorKind::FileReadFailed);
    // A device would stream forever (or never end): only regular files are sources.
    EXPECT_EQ(KindOf([&] { SourceFile("/dev/zero"); }), ErrorKind::FileReadFailed);
}

TEST(ReadWholeFile_AboveLimit, TooLargeRefused) {
    TempFolder folder;
    WriteFile(folder / "text", "0123456789");
    EXPECT_EQ(ReadWholeFile(folder / "text", 10), "0123456789");
    EXPECT_EQ(KindOf([&] { ReadWholeFile(folder / "text", 9); }), ErrorKind::FileTooLarge);
    WriteFile(folder / "empty", "");
    EXPECT_EQ(ReadWholeFile(folder / "empty", 10), "");
}
