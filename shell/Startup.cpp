#include "Startup.h"

#include "AppState.h"
#include "ComponentCheck.h"
#include "UiText.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStandardPaths>

namespace velt::shell {

void NameApplication() {
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velt.Velt"));
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

void RunComponentCheck(AppState& state, const QStringList& candidates, IComponentSource& source) {
    const ComponentCheckResult result = CheckComponents(candidates, source);
    if (!result.failedComponent.isEmpty()) {
        // The language setting is applied later in start-up; the message already speaks it.
        state.language = StoredLanguage(state);
        ShowError(state, TextId::ComponentInstallFailed, {result.failedComponent.toStdString()});
    }
}

} // namespace velt::shell
