#pragma once

namespace velt {
class AppState;
}

namespace velt::shell {

class IDialogs;

/// The key action of the toolbar: forms a new key in the program's folder, or takes a
/// key file already lying there into use. Failures are reported; nothing half-done stays.
void FormOrExchangeKey(AppState& state, IDialogs& dialogs);

} // namespace velt::shell
