// velt-cli without --key: which key file it takes, run as a portable or an installed copy.
#include "RunCli.h"

#include <gtest/gtest.h>

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
