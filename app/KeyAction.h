#pragma once

namespace velt {
class AppState;
}

namespace velt::platform {
class IDialogs;
}

namespace velt::app {

/// The key action of the toolbar: forms a new key in the program's folder, or takes a
/// whole key file into use: one lying there, or one chosen elsewhere, which is first
/// copied in under its name. A file that is not a whole key is refused with the reason;
/// failures are reported; nothing half-done stays. Every key formed or switched is
/// confirmed with its file name and fingerprint.
void FormOrExchangeKey(AppState& state, platform::IDialogs& dialogs);

} // namespace velt::app
