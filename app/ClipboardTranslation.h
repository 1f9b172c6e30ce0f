#pragma once

#include <QtGlobal>

namespace velt {
class AppState;
}

namespace velt::platform {
class IClipboard;
}

namespace velt::app {

/// The longest plain text that is encoded at a time: its armoured text, four times as long,
/// must still fit in memory twice over (as the clipboard's text and as its copy for other programs).
inline constexpr qsizetype kMostPlainCharacters = qsizetype{64} << 20;
/// The longest clipboard text that is decoded: an armoured text of the longest plain text, and a mail around it.
inline constexpr qsizetype kMostCodedCharacters = 4 * kMostPlainCharacters + (qsizetype{1} << 20);

/// What one translation of the clipboard did.
enum class Translation {
    Encoded,    ///< plain text became armoured coded text
    Decoded,    ///< armoured coded text became plain text
    NothingDone ///< empty clipboard, missing key, or a failure that was told; the clipboard is unchanged
};

/// Translates the clipboard's text in the direction its content decides: a text with the
/// marker is decoded, any other text encoded. The result replaces the clipboard's content
/// only when the whole translation succeeded; a failure is told in the current language.
/// A text above its limit is refused with a message that names both sizes.
struct TranslationLimits {
    qsizetype plain = kMostPlainCharacters;
    qsizetype coded = kMostCodedCharacters;
};
Translation TranslateClipboard(AppState& state, platform::IClipboard& clipboard, TranslationLimits limits = {});

} // namespace velt::app
