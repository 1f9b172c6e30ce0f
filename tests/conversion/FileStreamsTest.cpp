#include "engine/FileStreams.h"

#include "engine/Errors.h"
#include "tests/conversion/TestFiles.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The system calls that put a file in place, traced by standing in for libc's in this test program.
std::vector<std::string>* g_trace = nullptr;

template <class Call> Call Real(const char* name) {
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

std::string ModeOf(const char* path) {
    struct stat info {};
    char text[8];
    std::snprintf(text, sizeof text, "%o", ::stat(path, &info) == 0 ? info.st_mode & 07777 : 0u);
    return text;
}

void Trace(std::string event) {
    if (g_trace != nullptr) {
        g_trace->push_back(std::move(event));
    }
}

} // namespace

extern "C" int fsync(int fd) {
    struct stat info {};
    ::fstat(fd, &info);
    Trace(S_ISDIR(info.st_mode) ? "fsync folder" : "fsync file");
    return Real<int (*)(int)>("fsync")(fd);
}
extern "C" int fchmod(int fd, ::mode_t mode) {
    char text[16];
    std::snprintf(text, sizeof text, "fchmod %o", mode);
    Trace(text);
    return Real<int (*)(int, ::mode_t)>("fchmod")(fd, mode);
}
extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    Trace("link " + ModeOf(from));
    return Real<int (*)(int, const char*, int, const char*, int)>("linkat")(fromFolder, from, toFolder, to, flags);
}
extern "C" int rename(const char* from, const char* to) {
    Trace("rename " + ModeOf(from));
    return Real<int (*)(const char*, const char*)>("rename")(from, to);
}
extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) {
    Trace("rename " + ModeOf(from));
    return Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(fromFolder, from, toFolder, to,
                                                                                     flags);
}

TEST(FileStreams_Commit, FlushesTheDataBeforeTheNameAndTheFolderAfterAndStaysPrivateUntilPlaced) {
    TempFolder folder;
    Umask umask(022); // given bits are taken as they are
    const auto target = folder / "restored";
    const std::vector<std::string> tail{"fchmod 664", "fsync file", "fsync folder"};
    struct Case {
        TemporaryKind kind;
        CommitMode mode;
        std::vector<std::string> placing; // between the data's flush and the final bits
    };
    const Case cases[] = {
        {TemporaryKind::Unnamed, CommitMode::Replace, {"link 600", "rename 600"}},
        {TemporaryKind::Unnamed, CommitMode::NoReplace, {"link 600"}},
        {TemporaryKind::Named, CommitMode::Replace, {"rename 600"}},
        {TemporaryKind::Named, CommitMode::NoReplace, {"rename 600"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.placing));
        fs::remove(target);
        std::vector<std::string> trace;
        {
            ReplacingFile file(target, fs::perms(06664), nullptr, c.kind); // setuid and setgid are dropped
            file.Write(Bytes("plain text"));
            g_trace = &trace;
            file.Commit(c.mode);
            g_trace = nullptr;
        }
        std::vector<std::string> expected{"fsync file"};
        expected.insert(expected.end(), c.placing.begin(), c.placing.end());
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(trace, expected);
        EXPECT_EQ(Mode(target), fs::perms(0664));
        EXPECT_EQ(ReadFile(target), "plain text");
    }
    // A private file needs no second step.
    std::vector<std::string> trace;
    ReplacingFile file(target, fs::perms(0600), nullptr, TemporaryKind::Named);
    g_trace = &trace;
    file.Commit();
    g_trace = nullptr;
    EXPECT_EQ(trace, (std::vector<std::string>{"fsync file", "rename 600", "fsync folder"}));
}

TEST(FileStreams_StaleTemporaries, OnlyOursOfAProcessThatIsGoneAreRemoved) {
    TempFolder folder;
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(::getppid());
    const std::string mine = std::to_string(::getpid());
    const std::vector<std::string> kept{
        ".a." + alive + "-0.part", ".a." + mine + "-3.part", // writers still running
        "a." + dead + "-0.part",   ".a." + dead + "-0.part~", ".a.0" + dead + "-0.part", ".a." + dead + "-01.part",
        ".a." + dead + ".part",    ".a.x" + dead + "-0.part", "." + dead + "-0.part", // not our pattern
    };
    for (const auto& name : kept) {
        WriteFile(folder / name, "x");
    }
    for (const auto& name : {".report.doc." + dead + "-0.part", ".a.b." + dead + "-12.part"}) {
        WriteFile(folder / name, "left by a kill");
    }
    ReplacingFile file(folder / "next", std::nullopt, nullptr, TemporaryKind::Unnamed);
    auto names = kept;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(folder.Names(), names);
}

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

        // Not to be replaced: a file that appeared meanwhile is kept.
        {
            ReplacingFile file(target, fs::perms(0600), nullptr, kind);
            file.Write(Bytes("new key"));
            WriteFile(target, "someone else's");
            EXPECT_EQ(FailureOf([&] { file.Commit(CommitMode::NoReplace); }).first, ErrorKind::DestinationExists);
        }
        EXPECT_EQ(ReadFile(target), "someone else's");
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

// Pipes and devices as sources are refused through the file coder and velt-cli.
TEST(FileStreams_Source, RefusesAFolderAndReadsNoMoreThanAllowed) {
    TempFolder folder;
    EXPECT_EQ(FailureOf([&] { SourceFile source(folder.Path()); }).first, ErrorKind::NotRegularFile);
    WriteFile(folder / "text", "0123456789");
    fs::permissions(folder / "text", fs::perms(0604));
    EXPECT_EQ(SourceFile(folder / "text").Permissions(), fs::perms(0604));
    EXPECT_EQ(ReadWholeFile(folder / "text", 10), "0123456789");
    EXPECT_THROW(ReadWholeFile(folder / "text", 9), VeltError);
}
