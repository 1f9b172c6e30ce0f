#include "FileStreams.h"

#include "Errors.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velt;
using namespace velt::test;

namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

fs::perms Mode(const fs::path& path) {
    return fs::status(path).permissions();
}

/// Records what a ReplacingFile reports about its named temporary.
struct Registry final : ITemporaryFiles {
    std::string live;
    void Created(const std::string& path) override { live = path; }
    void Gone() override { live.clear(); }
};

/// Sets the umask for the life of the object.
struct Umask {
    explicit Umask(::mode_t mask) : old(::umask(mask)) {}
    ~Umask() { ::umask(old); }
    ::mode_t old;
};

} // namespace

TEST(FileStreams_Destination, ReplacedOnlyAtCommitWithTheRightBits) {
    TempFolder folder;
    Umask umask(022);
    for (const TemporaryKind kind : {TemporaryKind::Unnamed, TemporaryKind::Named}) {
        SCOPED_TRACE(kind == TemporaryKind::Named ? "named" : "unnamed");
        Registry registry;
        const auto target = folder / "report.doc.JPG";
        WriteFile(target, "old contents");
        fs::permissions(target, fs::perms(0640));
        {
            ReplacingFile file(target, std::nullopt, &registry, kind);
            file.Write(Bytes("new contents"));
            EXPECT_EQ(ReadFile(target), "old contents");
            if (kind == TemporaryKind::Named) {
                EXPECT_EQ(registry.live, file.TemporaryPath().string());
                EXPECT_EQ(file.TemporaryPath().parent_path(), folder.Path()) << "beside: the rename is atomic";
                EXPECT_EQ(Mode(file.TemporaryPath()), fs::perms(0600)) << "a temporary file is private";
            } else {
                EXPECT_EQ(folder.Names(), std::vector<std::string>{"report.doc.JPG"}) << "nothing to leave behind";
            }
            file.Commit();
        }
        EXPECT_EQ(ReadFile(target), "new contents");
        EXPECT_EQ(Mode(target), fs::perms(0640)) << "a replaced file keeps its bits";
        EXPECT_EQ(registry.live, "");

        // Given bits are taken exactly, whatever the umask and the replaced file had.
        for (const auto bits : {fs::perms(0600), fs::perms(0664)}) {
            ReplacingFile file(target, bits, nullptr, kind);
            file.Write(Bytes("x"));
            file.Commit();
            EXPECT_EQ(Mode(target), bits);
        }
        fs::remove(target);
        {
            ReplacingFile file(target, std::nullopt, nullptr, kind);
            file.Commit(CommitMode::NoReplace);
        }
        EXPECT_EQ(Mode(target), fs::perms(0644)) << "a new file follows the umask";
        EXPECT_EQ(ReadFile(target), "");

        // Abandoned: no file left, the old one untouched.
        {
            ReplacingFile file(target, std::nullopt, &registry, kind);
            file.Write(Bytes("never"));
        }
        EXPECT_EQ(registry.live, "");
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"report.doc.JPG"});
        fs::remove(target);
    }
    // No room left in the name for a temporary suffix.
    for (const TemporaryKind kind : {TemporaryKind::Unnamed, TemporaryKind::Named}) {
        ReplacingFile file(folder / std::string(250, 'n'), std::nullopt, nullptr, kind);
        file.Commit();
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{std::string(250, 'n')});
    EXPECT_EQ(FailureOf([&] { ReplacingFile(folder / "no" / "such" / "file"); }).first, ErrorKind::FolderMissing);
}

TEST(FileStreams_Destination, NoReplaceKeepsAFileThatAppearedMeanwhile) {
    TempFolder folder;
    for (const TemporaryKind kind : {TemporaryKind::Unnamed, TemporaryKind::Named}) {
        const auto target = folder / "K.ORB";
        ReplacingFile file(target, fs::perms(0600), nullptr, kind);
        file.Write(Bytes("new key"));
        WriteFile(target, "someone else's");
        EXPECT_EQ(FailureOf([&] { file.Commit(CommitMode::NoReplace); }).first, ErrorKind::DestinationExists);
        EXPECT_EQ(ReadFile(target), "someone else's");
        fs::remove(target);
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{}) << "no temporary file left";
}

TEST(FileStreams_Source, RefusesWhatIsNoRegularFileWithoutWaiting) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    for (const char* name : {"pipe", "."}) {
        EXPECT_EQ(FailureOf([&] { SourceFile source(folder / name); }).first, ErrorKind::NotRegularFile) << name;
    }
    WriteFile(folder / "text", "0123456789");
    fs::permissions(folder / "text", fs::perms(0604));
    EXPECT_EQ(SourceFile(folder / "text").Permissions(), fs::perms(0604));
    EXPECT_EQ(ReadWholeFile(folder / "text", 10), "0123456789");
    EXPECT_THROW(ReadWholeFile(folder / "text", 9), VeltError);
}
