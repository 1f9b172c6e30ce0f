#pragma once
// Where Velt keeps its key file. Portable use keeps the key beside the program; an installed
// program's folder cannot be written, so the key then lives in the user's own data folder.
// Plain C++ so that velt-cli, which has no Qt, finds the same folder as the windows.

#include <filesystem>
#include <functional>
#include <string_view>
#include <sys/types.h>

namespace velt {

/// The application name the per-user data folder is named after (and the windows give Qt).
inline constexpr const char* kApplicationName = "VELT";

/// The per-user data folder of `application`, as Qt names its application data location on
/// Linux when no organisation is set: $XDG_DATA_HOME/<application> when that variable is set
/// and not empty, else $HOME/.local/share/<application> ("/" standing in for an unset HOME).
std::filesystem::path UserDataFolder(std::string_view application, const char* xdgDataHome, const char* home);

/// The same, from this process's environment.
std::filesystem::path UserDataFolder();

/// Whether a new file can be created in `folder`. Tries it (leaving nothing behind): for the
/// superuser the permission bits tell nothing, and a read-only mount refuses anyone.
bool CanCreateFilesIn(const std::filesystem::path& folder);

using CanCreateFiles = std::function<bool(const std::filesystem::path&)>;

/// Who else could swap a key file or the key in a folder.
enum class KeyPlaceFault { None, NotOwned, OthersMayWrite };

/// Whether `path` (followed through links) is a safe place for the key of user `user`. A file
/// must be the user's and writable by nobody else. A folder must be the user's or the
/// superuser's, and writable by nobody else unless only a file's owner may remove it there
/// (the sticky bit). A path that does not exist is no fault: nothing can be swapped in it yet.
KeyPlaceFault KeyPlaceFaultOf(const std::filesystem::path& path, uid_t user);

/// Whether `folder` lies in /usr, /opt or `installPrefix`: where installed programs stand.
bool InSystemFolder(const std::filesystem::path& folder, const std::filesystem::path& installPrefix);

/// The prefix Velt was built to be installed under.
std::filesystem::path InstallPrefix();

/// The program's folder: `executableFolder` for portable use, when it stands outside the system
/// folders, files can be created in it and nobody else may swap files in it; otherwise `userDataFolder`.
std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& userDataFolder,
                                          const CanCreateFiles& canCreateFiles = CanCreateFilesIn);

/// The folder of this process's executable; empty when it cannot be told.
std::filesystem::path ExecutableFolder();

} // namespace velt
