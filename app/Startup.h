#pragma once

#include "engine/ProgramFolder.h"

#include <QStringList>
#include <filesystem>

namespace velt {
class AppState;
}

namespace velt::platform {
class IComponentSource;
}

namespace velt::app {

/// Gives the application the names the desktop knows it by: its per-user data folder
/// and its menu entry. Call once, right after the application object exists.
void NameApplication();

/// Where the key file lives: the running executable's folder when files can be created there
/// (portable use), else the user's data folder, created (owner only) when it is chosen.
std::filesystem::path ProgramFolder(const CanCreateFiles& canCreateFiles = CanCreateFilesIn);

/// The program's folder and its KEY.ORB as a place for the key: what the user owns and others
/// may write is made writable by the user alone, and the user told; what cannot be repaired
/// (another user's folder or key) is refused with the reason: no key there is used this run.
void SecureKeyPlace(AppState& state);

/// The first start-up step: installs missing runtime components. A failure is
/// told to the user once, in the current language, and start-up goes on.
void RunComponentCheck(AppState& state, const QStringList& candidates, platform::IComponentSource& source);

} // namespace velt::app
