#pragma once

#include "platform/WindowTexts.h"

#include <QString>
#include <optional>

namespace velt {
class AppState;
class VeltError;
} // namespace velt

namespace velt::platform {

/// The text in `language` as a QString, or nullopt for a language without texts.
std::optional<QString> UiText(WindowTextId id, Language language);

/// The critical "ERROR" / "HIBA" box describing `error` in the current language.
void ShowError(AppState& state, const VeltError& error);

/// The critical "ERROR" / "HIBA" box with a formatted text of the table.
void ShowError(AppState& state, WindowTextId text, std::initializer_list<std::string_view> args);

} // namespace velt::platform
