#pragma once
// The key file a coding command uses when no --key is given.

#include <filesystem>

namespace velt::cli {

/// Says where the default key is looked for; part of velt-cli's --help and man page.
inline constexpr const char* kDefaultKeyHelp =
    "Without --key, a command uses KEY.ORB in the current folder when there is one, otherwise\n"
    "KEY.ORB in Velt's folder, as the desktop program does: the folder velt-cli itself lies in\n"
    "when files can be created there (portable use), else the user's data folder\n"
    "($XDG_DATA_HOME/VELT, by default ~/.local/share/VELT). Such a key, or its folder, that\n"
    "belongs to another user or that others may write is refused: name a key with --key.\n";

/// KEY.ORB in `currentFolder` when it exists there, else KEY.ORB in `programFolder`. Throws
/// std::runtime_error, saying why and how to name a key with --key, when that file or its
/// folder belongs to another user or others may write it: whoever planted it would read the letters.
std::filesystem::path DefaultKeyFile(const std::filesystem::path& currentFolder,
                                     const std::filesystem::path& programFolder);

/// The same for this process: its current folder and the program's folder velt-cli finds.
std::filesystem::path DefaultKeyFile();

} // namespace velt::cli
