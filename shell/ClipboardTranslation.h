#pragma once

namespace velt {
class AppState;
}

namespace velt::shell {

class IClipboard;

/// What one translation of the clipboard did.
enum class Translation {
    Encoded,    ///< plain text became armoured coded text
    Decoded,    ///< armoured coded text became plain text
    NothingDone ///< empty clipboard, missing key, or a failure that was told; the clipboard is unchanged
};

/// Translates the clipboard's text in the direction its content decides: a text with the
/// marker is decoded, any other text encoded. The result replaces the clipboard's content
/// only when the whole translation succeeded; a failure is told in the current language.
Translation TranslateClipboard(AppState& state, IClipboard& clipboard);

} // namespace velt::shell
