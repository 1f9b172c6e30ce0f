// A program of its own: it stands in for libc's flushing calls to trace them and make them fail.
#include "engine/FileStreams.h"

#include "tests/conversion/TestFiles.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velt;
using namespace velt::test;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_trace;
bool g_syncfsFails = false;
int g_fileFlushes = 0;
int g_failingFlush = 0; ///< the file flush (1-based) that fails

template <class Call> Call Real(const char* name) {
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

std::unique_ptr<ReplacingFile> Written(const fs::path& destination, const std::string& text) {
    auto file = std::make_unique<ReplacingFile>(destination, fs::perms(0644));
    file->Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    return file;
}

} // namespace

extern "C" int syncfs(int fd) {
    g_trace.emplace_back("syncfs");
    if (g_syncfsFails) {
        errno = EIO;
        return -1;
    }
    return Real<int (*)(int)>("syncfs")(fd);
}
extern "C" int fsync(int fd) {
    struct stat info {};
    ::fstat(fd, &info);
    g_trace.emplace_back(S_ISDIR(info.st_mode) ? "fsync folder" : "fsync file");
    if (!S_ISDIR(info.st_mode) && ++g_fileFlushes == g_failingFlush) {
        errno = EIO;
        return -1;
    }
    return Real<int (*)(int)>("fsync")(fd);
}
extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    g_trace.emplace_back("link");
    return Real<int (*)(int, const char*, int, const char*, int)>("linkat")(fromFolder, from, toFolder, to,
                                                                            flags);
}
extern "C" int fchmod(int fd, ::mode_t mode) {
    g_trace.emplace_back("fchmod");
    return Real<int (*)(int, ::mode_t)>("fchmod")(fd, mode);
}

TEST(CommitGroup_Commit, AllDataFlushedBeforeAnyNameAndEachFilePlacedWholeOrNotAtAll) {
    TempFolder folder;
    fs::create_directory(folder / "gone");
    WriteFile(folder / "taken", "theirs");
    CommitGroup group;
    group.Add(Written(folder / "a", "first"), CommitMode::NoReplace);
    group.Add(Written(folder / "taken", "ours"), CommitMode::NoReplace); // the name appeared meanwhile
    group.Add(Written(folder / "gone" / "c", "third"), CommitMode::NoReplace);
    group.Add(Written(folder / "taken2", "fourth"), CommitMode::Replace);
    EXPECT_TRUE(group.Holds(folder / "." / "a"));
    EXPECT_FALSE(group.Holds(folder / "b"));
    fs::remove(folder / "gone"); // its folder went meanwhile
    WriteFile(folder / "taken2", "replaced, as allowed");
    g_trace.clear();
    const auto results = group.Commit();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_FALSE(results[0]);
    ASSERT_TRUE(results[1]);
    EXPECT_EQ(results[1]->kind, ErrorKind::DestinationExists);
    ASSERT_TRUE(results[2]);
    EXPECT_EQ(results[2]->kind, ErrorKind::FolderMissing);
    EXPECT_FALSE(results[3]);
    EXPECT_EQ(ReadFile(folder / "a"), "first");
    EXPECT_EQ(ReadFile(folder / "taken"), "theirs");
    EXPECT_EQ(ReadFile(folder / "taken2"), "fourth");
    EXPECT_EQ(fs::status(folder / "a").permissions(), fs::perms(0644));
    // One flush for all the data before the first name, one after the last bits.
    EXPECT_EQ(g_trace, (std::vector<std::string>{"syncfs", "link", "link", "link", "link", "fchmod", "fchmod",
                                                 "syncfs"}));
    EXPECT_EQ(group.Size(), 0u);
    // Nothing of ours is left beside them: the unplaced files had no name.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 3);

    // Where the file system cannot be flushed whole, each file on its own: one that fails is not placed.
    g_syncfsFails = true;
    group.Add(Written(folder / "x", "x"), CommitMode::NoReplace);
    group.Add(Written(folder / "y", "y"), CommitMode::NoReplace);
    g_fileFlushes = 0;
    g_failingFlush = 2; // y's
    group.Add(Written(folder / "z", "z"), CommitMode::NoReplace);
    g_trace.clear();
    const auto each = group.Commit();
    g_syncfsFails = false;
    g_failingFlush = 0;
    EXPECT_FALSE(each[0]);
    ASSERT_TRUE(each[1]);
    EXPECT_EQ(each[1]->kind, ErrorKind::FileWriteFailed);
    EXPECT_FALSE(each[2]);
    EXPECT_FALSE(fs::exists(folder / "y"));
    EXPECT_EQ(ReadFile(folder / "x") + ReadFile(folder / "z"), "xz");
    EXPECT_EQ(g_trace, (std::vector<std::string>{"syncfs", "fsync file", "fsync file", "fsync file", "link",
                                                 "link", "fchmod", "fchmod", "syncfs", "fsync folder",
                                                 "fsync file", "fsync file"}));

    // The group's bytes count whole files, also one written in pieces where they belong.
    group.Add(Written(folder / "w", "whole"), CommitMode::NoReplace);
    auto pieces = std::make_unique<ReplacingFile>(folder / "p", fs::perms(0644));
    for (const auto& [at, text] : {std::pair<std::uint64_t, std::string>{6, "tail"}, {0, "head, "}}) {
        pieces->WriteAt(at, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    group.Add(std::move(pieces), CommitMode::NoReplace);
    EXPECT_EQ(group.Bytes(), 15u);
    EXPECT_FALSE(group.Commit()[1]);
    EXPECT_EQ(ReadFile(folder / "p"), "head, tail");
}
