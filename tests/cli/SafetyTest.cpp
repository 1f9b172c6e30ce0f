#include "engine/AppState.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/FileStreams.h"
#include "engine/Fingerprint.h"
#include "engine/Interrupts.h"
#include "engine/SystemServices.h"
#include "engine/Texts.h"
#include "tests/cli/RunCli.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace velt;
using namespace velt::test;

namespace {

namespace fs = std::filesystem;

/// Starts velt-cli with `args`, its output thrown away; returns its process id.
pid_t Spawn(std::vector<std::string> args) {
    args.insert(args.begin(), VELT_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, VELT_CLI, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

/// A wait status after which a test must not hang: fails the test when the child runs on.
int WaitFor(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << "velt-cli did not end";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status;
}

} // namespace

TEST(Cli_Signals, AnInterruptedRunLeavesNothingAndTheOldFileAsItWas) {
    TempFolder folder;
    ASSERT_EQ(RunCli(folder, "keygen").status, 0);
    const std::string big((std::size_t{48} << 20), 'v');
    WriteFile(folder / "big", big);
    WriteFile(folder / "big.JPG", "old");
    const std::vector<std::string> expected{"KEY.ORB", "big", "big.JPG"};
    for (const int signal : {SIGINT, SIGTERM, SIGKILL}) {
        for (const int afterMs : {0, 40, 300}) {
            SCOPED_TRACE("signal " + std::to_string(signal) + " after " + std::to_string(afterMs) + " ms");
            const pid_t pid = Spawn({"encode-file", "--force", "--key", (folder / "KEY.ORB").string(),
                                     (folder / "big").string()});
            std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
            ::kill(pid, signal);
            const int status = WaitFor(pid);
            EXPECT_EQ(folder.Names(), expected);
            if (WIFSIGNALED(status)) {
                EXPECT_EQ(WTERMSIG(status), signal) << "ends as the signal would";
                EXPECT_EQ(ReadFile(folder / "big.JPG"), "old");
            } else {
                // Finished before the signal came: then the new file is whole.
                EXPECT_EQ(fs::file_size(folder / "big.JPG"), 2 * big.size());
                WriteFile(folder / "big.JPG", "old");
            }
        }
    }
    // A file-size limit is a clear "no room", not a silent death.
    ASSERT_EQ(RunBash(folder, "ulimit -f 1000 && \"$VELT\" encode-file --force --key KEY.ORB big 2>err"), 1);
    EXPECT_NE(ReadFile(folder / "err").find("There is no room left on the disk"), std::string::npos);
    fs::remove(folder / "err");
    EXPECT_EQ(folder.Names(), expected);
}

/// The names in `folder` that anyone but the owner may open, and the hidden temporaries.
struct Look {
    std::vector<std::string> exposed, temporaries;
};
Look LookInto(const fs::path& folder) {
    Look look;
    DIR* listing = ::opendir(folder.c_str());
    while (const dirent* entry = listing ? ::readdir(listing) : nullptr) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (name == "." || name == ".." || ::fstatat(::dirfd(listing), entry->d_name, &info, 0) != 0) {
            continue; // gone meanwhile
        }
        if ((info.st_mode & 0077) != 0) {
            look.exposed.push_back(name + " " + std::to_string(info.st_mode & 0777));
        }
        if (name.ends_with(".part")) {
            look.temporaries.push_back(name);
        }
    }
    if (listing != nullptr) {
        ::closedir(listing);
    }
    return look;
}

/// Sets an environment variable for the life of the object.
struct Environment {
    Environment(const char* name, const std::string& value) : name(name) {
        if (const char* was = std::getenv(name)) {
            old = was;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~Environment() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

TEST(Cli_Signals, KilledWithNamedTemporariesNothingIsExposedAndTheNextRunClearsWhatIsLeft) {
    TempFolder folder;
    ASSERT_EQ(RunCli(folder, "keygen").status, 0);
    const std::string plain((std::size_t{8} << 20), 'p');
    WriteFile(folder / "big", plain);
    fs::permissions(folder / "big", fs::perms(0600));
    ASSERT_EQ(RunCli(folder, "encode-file --key KEY.ORB big").status, 0);
    // A coded file that anyone may read restores to such a file, but only once it is whole and in place.
    fs::permissions(folder / "big.JPG", fs::perms(0644));
    const std::set<std::string> public_{"big 420", "big.JPG 420", ".in 420", ".out 420", ".err 420", ".script 420"};
    WriteFile(folder / "small", "s");
    fs::permissions(folder / "small", fs::perms(0600));
    const std::vector<std::string> names{"KEY.ORB", "big", "big.JPG", "small", "small.JPG"};

    // As on a FAT stick: no unnamed files, so every write goes through a hidden .part.
    const char* asan = std::getenv("ASAN_OPTIONS");
    Environment sanitizer("ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0");
    Environment preload("LD_PRELOAD", REFUSE_UNNAMED_FILES);
    const std::vector<std::string> restore{"restore-file", "--force", "--key", (folder / "KEY.ORB").string(),
                                           (folder / "big.JPG").string()};
    const auto begun = std::chrono::steady_clock::now();
    ASSERT_EQ(WaitFor(Spawn(restore)), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begun);

    std::atomic<bool> watching = true;
    std::set<std::string> exposed;
    std::thread watcher([&] {
        while (watching) {
            for (const auto& name : LookInto(folder.Path()).exposed) {
                if (!public_.contains(name)) {
                    exposed.insert(name);
                }
            }
        }
    });
    const auto seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    int left = 0;
    for (int trial = 0; trial < 12; ++trial) {
        const int signal = trial % 3 == 2 ? SIGTERM : SIGKILL;
        const pid_t pid = Spawn(restore);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % whole.count()));
        ::kill(pid, signal);
        WaitFor(pid);
        if (!LookInto(folder.Path()).temporaries.empty()) {
            ++left;
            EXPECT_EQ(signal, SIGKILL) << "only a kill that cannot be caught leaves a temporary file";
        }
        ASSERT_EQ(RunCli(folder, "encode-file --force --key KEY.ORB small").status, 0);
        EXPECT_EQ(folder.Names(), names) << "the next conversion removed what the killed one left";
        EXPECT_EQ(fs::file_size(folder / "big"), plain.size()) << "the old file or the whole new one";
    }
    watching = false;
    watcher.join();
    EXPECT_EQ(exposed, std::set<std::string>{});
    std::cout << left << " of 12 kills left a temporary file; the next conversion removed each\n";
}

TEST(Cli_Signals, ANamedTemporaryIsRemovedBeforeTheSignalEndsTheProcess) {
    TempFolder folder;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ITemporaryFiles& registry = InstallInterruptCleanup();
            ReplacingFile file(folder / "result", std::nullopt, &registry, TemporaryKind::Named);
            file.Write(std::vector<std::uint8_t>(1000, 'x'));
            ::raise(signal);
            ::_exit(0); // not reached
        }
        const int status = WaitFor(pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(folder.Names(), std::vector<std::string>{});
    }
}

TEST(Cli_Keys, PipesAndFifosAreRefusedAtOnce) {
    TempFolder folder;
    WriteAll(folder / "good.orb", KeyBytes(366));
    // As key, reference file or source: its length is unknown.
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    for (const std::string args : {"encode --key <(cat good.orb)", "encode --key fifo", "encode --key good.orb --ref-file fifo",
                                   "encode-file --key good.orb fifo", "check --key fifo", "check --key <(cat good.orb)"}) {
        EXPECT_EQ(RunBash(folder, "echo text | timeout 10 \"$VELT\" " + args + " >out 2>err"), 1) << args;
        EXPECT_NE(ReadFile(folder / "err").find("is not a regular file"), std::string::npos) << args;
        EXPECT_EQ(ReadFile(folder / "out"), "") << args;
    }
}

TEST(Cli_Keys, OneVerdictFromEveryCommandAndTheFingerprintFromCheck) {
    TempFolder folder;
    WriteFile(folder / "data", "d");
    for (const UnsoundKey& key : UnsoundKeys()) {
        WriteAll(folder / "k.orb", key.bytes);
        const std::string says =
            DescribeError(VeltError(key.kind, "", key.record, 0, "k.orb"), Language::English);
        EXPECT_NE(says.find(key.says), std::string::npos) << says;
        for (const char* command : {"check --key k.orb", "encode --key k.orb", "decode --key k.orb",
                                    "encode-file --force --key k.orb data"}) {
            const Outcome run = RunCli(folder, command, "\"\"4142\"\"");
            EXPECT_EQ(run.status, 1) << key.what << ": " << command;
            EXPECT_NE(run.err.find(says), std::string::npos) << key.what << ": " << command << "\n" << run.err;
            EXPECT_EQ(run.out, "") << command;
        }
    }
    EXPECT_FALSE(fs::exists(folder / "data.JPG"));
    for (const int records : {100, 10000}) {
        const auto bytes = KeyBytes(records);
        WriteAll(folder / "k.orb", bytes);
        const Outcome checked = RunCli(folder, "check --key k.orb");
        EXPECT_EQ(checked.status, 0) << checked.err;
        EXPECT_NE(checked.out.find("\nFingerprint: " + KeyFingerprint(bytes) + "\n"), std::string::npos)
            << checked.out;
        EXPECT_EQ(RunCli(folder, "encode --key k.orb", "x").status, 0);
    }
}

TEST(Cli_Reference, ATwoLineReferenceMatchesTheWindowsBothWays) {
    TempFolder folder;
    WriteAll(folder / "KEY.ORB", KeyBytes(366));
    // The windows' reference box gives a line break as CR LF.
    FixedReferenceText windowsReference(codepage::FromUtf8("első sor\r\nmásodik"));
    AppState windows(folder.Path(), Services{.reference = &windowsReference});
    windows.keyLength = 366;
    std::ofstream(folder / "lf") << "első sor\nmásodik\n";
    std::ofstream(folder / "crlf") << "első sor\r\nmásodik";

    const Outcome fromCli = RunCli(folder, "encode --ref-file lf", "hello");
    ASSERT_EQ(fromCli.status, 0) << fromCli.err;
    windows.codedText = armour::Unpack(fromCli.out).value();
    windows.textCoder.DecodeText();
    EXPECT_EQ(windows.plainText, "hello");

    windows.plainText = "world";
    windows.textCoder.EncodeText();
    NullProgress progress;
    const std::string armoured = armour::Pack(windows.codedText, progress);
    // The file's final line end is not part of the reference; raw output does not change the reference.
    for (const char* args : {"decode --ref-file lf", "decode --ref-file crlf", "decode --bytes --ref-file crlf"}) {
        EXPECT_EQ(RunCli(folder, args, armoured).out, "world") << args;
    }
    EXPECT_NE(RunCli(folder, "decode", armoured).out, "world");
}
