#include "Startup.h"

#include "AppState.h"
#include "ComponentCheck.h"
#include "UiText.h"

#include <QCoreApplication>

namespace velt::shell {

std::filesystem::path ProgramFolder() {
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

void RunComponentCheck(AppState& state, const QStringList& candidates, IComponentSource& source) {
    const ComponentCheckResult result = CheckComponents(candidates, source);
    if (!result.failedComponent.isEmpty()) {
        // The language setting is applied later in start-up; the message already speaks it.
        state.language = state.Settings().Read("lang") == std::optional<std::string>("1") ? 1 : 0;
        ShowError(state, TextId::ComponentInstallFailed, {result.failedComponent.toStdString()});
    }
}

} // namespace velt::shell
