#include "DefaultKey.h"

#include "KeyStore.h"
#include "ProgramFolder.h"

namespace velt::cli {

std::filesystem::path DefaultKeyFile(const std::filesystem::path& currentFolder,
                                     const std::filesystem::path& programFolder) {
    std::error_code error;
    if (std::filesystem::exists(currentFolder / kDefaultKeyFileName, error)) {
        return kDefaultKeyFileName; // as the user sees it: relative to where they are
    }
    return programFolder / kDefaultKeyFileName;
}

std::filesystem::path DefaultKeyFile() {
    return DefaultKeyFile(".", ChooseProgramFolder(ExecutableFolder(), UserDataFolder()));
}

} // namespace velt::cli
