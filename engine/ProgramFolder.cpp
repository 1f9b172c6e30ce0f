#include "ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
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

std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& userDataFolder,
                                          const CanCreateFiles& canCreateFiles) {
    if (!executableFolder.empty() && canCreateFiles(executableFolder)) {
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
