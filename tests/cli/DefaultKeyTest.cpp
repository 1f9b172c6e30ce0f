// velt-cli without --key: which key file it takes, run as a portable or an installed copy.
#include "../engine/Fakes.h"

#include <gtest/gtest.h>

using namespace velt::test;

namespace {

/// velt-cli copied into a folder of its own and run in an empty folder.
struct Copy {
    TempFolder program, current, home;
    std::filesystem::path cli = program / "velt-cli";
    Copy() { std::filesystem::copy_file(VELT_CLI, cli); }

    /// The output of velt-cli `args` with `environment` (env's arguments), "hi" on its input.
    std::string Run(const std::string& environment, const std::string& args) const {
        const std::string command = "cd '" + current.Path().string() + "' && echo hi | env " + environment +
                                    " '" + cli.string() + "' " + args + " 2>/dev/null";
        std::string output;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
                output += buffer;
            }
            ::pclose(pipe);
        }
        return output;
    }
    void FormKey(const std::filesystem::path& file) const {
        std::filesystem::create_directories(file.parent_path());
        Run("", "keygen --length 100 --out '" + file.string() + "'");
    }
    /// Which of `keys` decodes what `encode` made without --key ("" when none).
    std::string KeyUsed(const std::string& environment,
                        const std::vector<std::filesystem::path>& keys) const {
        const std::string coded = Run(environment, "encode");
        TempFolder scratch;
        WriteAll(scratch / "coded", {coded.begin(), coded.end()});
        for (const auto& key : keys) {
            if (!coded.empty() && Run("", "decode --key '" + key.string() + "' <'" +
                                              (scratch / "coded").string() + "'") == "hi\n") {
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
    for (const auto& key : {beside, data, xdg}) {
        copy.FormKey(key);
    }
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
