#include "engine/ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

namespace velt {

std::filesystem::path UserDataFolder(std::string_view application, const char* xdgDataHome,
                                     const char* home) {
    std::filesystem::path base;
    if (xdgDataHome != nullptr && *xdgDataHome != '\0') {
        base = xdgDataHome;
    } else {
        base = std::filesystem::path(home != nullptr && *home != '\0' ? home : "/") / ".local/share";
    }
    return base / application;
}

std::filesystem::path UserDataFolder() {
    return UserDataFolder(kApplicationName, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool CanCreateFilesIn(const std::filesystem::path& folder) {
    // An unnamed file needs no clean-up; where the file system cannot make one, a named one.
    const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (unnamed >= 0) {
        ::close(unnamed);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return false;
    }
    std::string name = (folder / ".velt-probe-XXXXXX").string();
    const int named = ::mkstemp(name.data());
    if (named < 0) {
        return false;
    }
    ::close(named);
    ::unlink(name.c_str());
    return true;
}

KeyPlaceFault KeyPlaceFaultOf(const std::filesystem::path& path, uid_t user) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return KeyPlaceFault::None;
    }
    const bool folder = S_ISDIR(info.st_mode);
    if (info.st_uid != user && !(folder && info.st_uid == 0)) {
        return KeyPlaceFault::NotOwned;
    }
    const bool othersWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (othersWrite && !(folder && (info.st_mode & S_ISVTX) != 0)) {
        return KeyPlaceFault::OthersMayWrite;
    }
    return KeyPlaceFault::None;
}

bool InSystemFolder(const std::filesystem::path& folder, const std::filesystem::path& installPrefix) {
    const std::filesystem::path normal = folder.lexically_normal();
    for (const std::filesystem::path& system : {std::filesystem::path("/usr"), std::filesystem::path("/opt"),
                                                installPrefix.lexically_normal()}) {
        if (system.empty() || system == "/") {
            continue;
        }
        const auto [end, unused] = std::mismatch(system.begin(), system.end(), normal.begin(), normal.end());
        if (end == system.end() || (std::next(end) == system.end() && end->empty())) {
            return true;
        }
    }
    return false;
}

std::filesystem::path InstallPrefix() {
    return VELT_INSTALL_PREFIX;
}

std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& userDataFolder,
                                          const CanCreateFiles& canCreateFiles) {
    // Installed (even run by the superuser, who may write anywhere), the key stays out of the
    // package's folders; a folder others may write is no place for a key either.
    if (!executableFolder.empty() && !InSystemFolder(executableFolder, InstallPrefix()) &&
        KeyPlaceFaultOf(executableFolder, ::geteuid()) == KeyPlaceFault::None && canCreateFiles(executableFolder)) {
        return executableFolder;
    }
    return userDataFolder;
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

} // namespace velt
