#pragma once

#include <QStringList>
#include <filesystem>

namespace velt {
class AppState;
}

namespace velt::shell {

class IComponentSource;

/// The folder of the running executable: where the key file lives.
std::filesystem::path ProgramFolder();

/// The first start-up step: installs missing runtime components. A failure is
/// told to the user once, in the current language, and start-up goes on.
void RunComponentCheck(AppState& state, const QStringList& candidates, IComponentSource& source);

} // namespace velt::shell
