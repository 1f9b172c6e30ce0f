// velt-cli without --key: which key file it takes, run as a portable or an installed copy.
#include "RunCli.h"

#include <gtest/gtest.h>

using namespace velt::test;

namespace {

/// velt-cli copied into a folder of its own and run in an empty folder.
struct Copy {
    TempFolder program, current, home;
    std::filesystem::path cli = program / "velt-cli";
    Copy() { std::filesystem::copy_file(VELT_CLI, cli); }

    /// Long enough that no wrong key decodes it by chance.
    static constexpr const char* kText = "The garden gate is open; the key lies under the third stone.";
    /// The output of velt-cli `args` with `environment` (env's arguments), kText on its input.
    std::string Run(const std::string& environment, const std::string& args) const {
        RunBash(current, "echo '" + std::string(kText) + "' | env " + environment + " '" + cli.string() + "' " + args +
                             " >.out 2>/dev/null");
        const auto out = ReadAll(current / ".out");
        std::filesystem::remove(current / ".out");
        return {out.begin(), out.end()};
    }
    /// A key of its own: every cell moved on by `shift`, so no other key decodes its texts.
    static void PlaceKey(const std::filesystem::path& file, int shift) {
        std::filesystem::create_directories(file.parent_path());
        auto bytes = KeyBytes(100);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i % 258 >= 2) {
                bytes[i] = static_cast<std::uint8_t>(bytes[i] + shift);
            }
        }
        WriteAll(file, bytes);
    }
    /// Which of `keys` decodes what `encode` made without --key ("" when none).
    std::string KeyUsed(const std::string& environment, const std::vector<std::filesystem::path>& keys) const {
        const std::string coded = Run(environment, "encode");
        WriteAll(current / ".coded", {coded.begin(), coded.end()});
        for (const auto& key : keys) {
            if (!coded.empty() && Run("", "decode --key '" + key.string() + "' <.coded") == std::string(kText) + "\n") {
                return key.string();
            }
        }
        return {};
    }
};

} // namespace

TEST(Cli_DefaultKey, BesideTheProgramWhenWritableElseInTheUsersDataFolder) {
    Copy copy;
    const auto beside = copy.program / "KEY.ORB";
    const auto data = copy.home / ".local/share/VELT/KEY.ORB";
    const auto xdg = copy.home / "xdg/VELT/KEY.ORB";
    Copy::PlaceKey(beside, 1);
    Copy::PlaceKey(data, 2);
    Copy::PlaceKey(xdg, 3);
    const std::string home = "HOME='" + copy.home.Path().string() + "'";
    const std::string unset = "-u XDG_DATA_HOME " + home;
    const std::string set = home + " XDG_DATA_HOME='" + (copy.home / "xdg").string() + "'";
    EXPECT_EQ(copy.KeyUsed(unset, {beside, data, xdg}), beside.string());

    const ReadOnlyMount installed(copy.program.Path());
    if (!installed.Active()) {
        GTEST_SKIP() << "cannot mount here; the installed case needs a read-only program folder";
    }
    EXPECT_EQ(copy.KeyUsed(unset, {beside, data, xdg}), data.string());
    EXPECT_EQ(copy.KeyUsed(set, {beside, data, xdg}), xdg.string());
}
