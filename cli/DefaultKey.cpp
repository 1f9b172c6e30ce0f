#include "cli/DefaultKey.h"

#include "engine/KeyStore.h"
#include "engine/ProgramFolder.h"
#include "engine/Texts.h"

#include <stdexcept>
#include <unistd.h>

namespace velt::cli {

namespace {

/// Refuses `place` (the key file or its folder, named `shown`) when another user could swap it.
void RefuseUnsafe(const std::filesystem::path& place, const std::string& shown) {
    const KeyPlaceFault fault = KeyPlaceFaultOf(place, ::geteuid());
    if (fault != KeyPlaceFault::None) {
        const TextId why = fault == KeyPlaceFault::NotOwned ? TextId::KeyPlaceNotOwned : TextId::KeyPlaceOthersWrite;
        throw std::runtime_error(*FormatText(why, Language::English, {shown}) + " " +
                                 std::string(*Text(TextId::KeyOptionAdvice, Language::English)));
    }
}

} // namespace

std::filesystem::path DefaultKeyFile(const std::filesystem::path& currentFolder,
                                     const std::filesystem::path& programFolder) {
    std::error_code error;
    std::filesystem::path key = programFolder / kDefaultKeyFileName;
    std::filesystem::path folder = programFolder;
    if (std::filesystem::exists(currentFolder / kDefaultKeyFileName, error)) {
        key = kDefaultKeyFileName; // as the user sees it: relative to where they are
        folder = currentFolder;
    }
    if (std::filesystem::exists(folder / kDefaultKeyFileName, error)) {
        RefuseUnsafe(folder / kDefaultKeyFileName, "The key file " + key.string());
        RefuseUnsafe(folder, "Its folder " + std::filesystem::absolute(folder, error).lexically_normal().string());
    }
    return key;
}

std::filesystem::path DefaultKeyFile() {
    return DefaultKeyFile(".", ChooseProgramFolder(ExecutableFolder(), UserDataFolder()));
}

} // namespace velt::cli
