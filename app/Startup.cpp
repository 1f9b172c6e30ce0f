#include "app/Startup.h"

#include "engine/AppState.h"
#include "engine/KeyStore.h"
#include "platform/ComponentCheck.h"
#include "platform/UiText.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#include <unistd.h>

namespace velt::app {
using namespace platform;

void NameApplication() {
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velt.velt"));
}

std::filesystem::path ProgramFolder(const CanCreateFiles& canCreateFiles) {
    const std::filesystem::path userData =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    const std::filesystem::path folder =
        ChooseProgramFolder(QCoreApplication::applicationDirPath().toStdString(), userData, canCreateFiles);
    if (folder == userData) {
        // The key is a secret: nobody else may list or read this folder. A folder that
        // cannot be made shows up later, as a key that cannot be formed in it.
        std::error_code ignored;
        if (std::filesystem::create_directories(folder, ignored)) {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, ignored);
        }
    }
    return folder;
}

void SecureKeyPlace(AppState& state) {
    namespace fs = std::filesystem;
    const uid_t user = ::geteuid();
    for (const fs::path& place : {state.ProgramFolder(), state.ProgramFolder() / kDefaultKeyFileName}) {
        KeyPlaceFault fault = KeyPlaceFaultOf(place, user);
        if (fault == KeyPlaceFault::None) {
            continue;
        }
        state.language = state.Options().StoredLanguage();
        const Language language = SpokenLanguage(state.language);
        if (fault == KeyPlaceFault::OthersMayWrite) {
            std::error_code failed;
            fs::permissions(place, fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove,
                            failed);
            fault = KeyPlaceFaultOf(place, user);
            if (fault == KeyPlaceFault::None) {
                Message message;
                message.icon = MessageIcon::Information;
                message.title = "Velt";
                message.text = *FormatText(WindowTextId::KeyPlaceRepaired, language, {place.string()});
                state.Messages().Show(message);
                continue;
            }
        }
        const TextId why = fault == KeyPlaceFault::NotOwned ? TextId::KeyPlaceNotOwned : TextId::KeyPlaceOthersWrite;
        Message message;
        message.title = std::string(*Text(TextId::ErrorTitle, language));
        message.text = *FormatText(why, language, {place.string()}) + " " +
                       std::string(*Text(WindowTextId::KeyPlaceAdvice, language));
        state.Messages().Show(message);
        state.keyPlaceUnsafe = true;
        return;
    }
}

void RunComponentCheck(AppState& state, const QStringList& candidates, IComponentSource& source) {
    const ComponentCheckResult result = CheckComponents(candidates, source);
    if (!result.failedComponent.isEmpty()) {
        // The language setting is applied later in start-up; the message already speaks it.
        state.language = state.Options().StoredLanguage();
        ShowError(state, WindowTextId::ComponentInstallFailed, {result.failedComponent.toStdString()});
    }
}

} // namespace velt::app
