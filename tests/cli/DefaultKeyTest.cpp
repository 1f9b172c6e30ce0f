// velt-cli without --key: which key file it takes, run as a portable or an installed copy.
#include "tests/cli/RunCli.h"

#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace velt::test;

TEST(Cli_DefaultKey, BesideTheProgramWhenWritableElseInTheUsersDataFolder) {
    TempFolder program, current, home;
    const auto cli = program / "velt-cli";
    std::filesystem::copy_file(VELT_CLI, cli);
    // Whether `encode`, run in an empty folder, finds a key that lies only in `folder`.
    const auto findsKeyIn = [&](const std::filesystem::path& folder, const std::string& environment) {
        std::filesystem::create_directories(folder);
        WriteAll(folder / "KEY.ORB", KeyBytes(100));
        const int status =
            RunBash(current, "echo hi | env " + environment + " '" + cli.string() + "' encode >/dev/null 2>&1");
        std::filesystem::remove(folder / "KEY.ORB");
        return status == 0;
    };
    const std::string unset = "-u XDG_DATA_HOME HOME='" + home.Path().string() + "'";
    const std::string set = unset + " XDG_DATA_HOME='" + (home / "xdg").string() + "'";
    EXPECT_TRUE(findsKeyIn(program.Path(), unset));
    EXPECT_FALSE(findsKeyIn(home / ".local/share/VELT", unset));

    const ReadOnlyMount installed(program.Path());
    if (!installed.Active()) {
        GTEST_SKIP() << "cannot mount here; the installed case needs a read-only program folder";
    }
    EXPECT_TRUE(findsKeyIn(home / ".local/share/VELT", unset));
    EXPECT_FALSE(findsKeyIn(home / ".local/share/VELT", set));
    EXPECT_TRUE(findsKeyIn(home / "xdg/VELT", set));
}

TEST(Cli_DefaultKey, AnotherUsersOrAWritableKeyIsRefusedNamingTheWayOut) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a key to another user needs the superuser";
    }
    TempFolder folder;
    const auto key = folder / "KEY.ORB";
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* says;
    };
    const Case cases[] = {
        {"another user's key", [&] { ASSERT_EQ(::chown(key.c_str(), 12345, static_cast<gid_t>(-1)), 0); },
         "The key file KEY.ORB belongs to another user"},
        {"a 0666 key", [&] { std::filesystem::permissions(key, std::filesystem::perms(0666)); },
         "The key file KEY.ORB can be changed by other users"},
        {"a 0777 key folder", [&] { std::filesystem::permissions(folder.Path(), std::filesystem::perms(0777)); },
         "can be changed by other users"},
    };
    for (const Case& c : cases) {
        WriteAll(key, KeyBytes(100));
        std::filesystem::permissions(key, std::filesystem::perms(0600));
        std::filesystem::permissions(folder.Path(), std::filesystem::perms(0700));
        c.make();
        for (const char* command : {"encode", "encode-file data"}) {
            const Outcome run = RunCli(folder, command, "hi");
            EXPECT_EQ(run.status, 1) << c.what << ": " << command;
            EXPECT_NE(run.err.find(c.says), std::string::npos) << c.what << ": " << run.err;
            EXPECT_NE(run.err.find("Name the key you mean with --key FILE."), std::string::npos) << run.err;
            EXPECT_TRUE(run.out.empty());
        }
        // Named explicitly, the same key is the user's own choice.
        EXPECT_EQ(RunCli(folder, "encode --key KEY.ORB", "hi").status, 0) << c.what;
        ASSERT_EQ(::chown(key.c_str(), 0, static_cast<gid_t>(-1)), 0);
    }
}
