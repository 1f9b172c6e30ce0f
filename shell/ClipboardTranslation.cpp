#include "ClipboardTranslation.h"

#include "AppState.h"
#include "Armour.h"
#include "Clipboard.h"
#include "CodePage.h"
#include "Errors.h"
#include "UiText.h"

#include <new>

namespace velt::shell {
namespace {
using namespace Qt::StringLiterals;

/// The codes of a clipboard text, line breaks as CR LF as the correspondents' copies keep them.
std::string CodesOf(QString text) {
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u"\n"_s, u"\r\n"_s);
    return codepage::FromUtf8(text.toStdString());
}

/// Decoded codes as this platform's clipboard carries text: line breaks as LF.
QString TextOf(std::string_view codes) {
    const std::string utf8 = codepage::ToUtf8(codes);
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.replace(u"\r\n"_s, u"\n"_s);
    return text;
}

Translation Encode(AppState& state, IClipboard& clipboard, const QString& text) {
    state.plainText = CodesOf(text);
    state.EncodeText();
    state.codedText = armour::Pack(state.codedText, state.Progress());
    clipboard.Clear();
    clipboard.SetText(QString::fromLatin1(state.codedText.data(), static_cast<qsizetype>(state.codedText.size())));
    return Translation::Encoded;
}

Translation Decode(AppState& state, IClipboard& clipboard, const QString& text) {
    state.codedText = armour::Unpack(text.toStdString()).value_or(std::string());
    if (!state.KeyCheck()) {
        return Translation::NothingDone;
    }
    state.DecodeText();
    // Converted before the clipboard is cleared, so nothing can fail between the two.
    const QString plain = TextOf(state.plainText);
    clipboard.Clear();
    clipboard.SetText(plain);
    return Translation::Decoded;
}
} // namespace

Translation TranslateClipboard(AppState& state, IClipboard& clipboard) {
    const QString text = clipboard.Text();
    if (text.isEmpty()) {
        return Translation::NothingDone;
    }
    try {
        if (text.contains(QString::fromLatin1(armour::kMarker.data(), armour::kMarker.size()))) {
            return Decode(state, clipboard, text);
        }
        return Encode(state, clipboard, text);
    } catch (const WorkCancelled&) {
        // Stopped while packing: the clipboard still holds the text, nothing is said.
    } catch (const VeltError& error) {
        ShowError(state, error);
    } catch (const std::bad_alloc&) {
        ShowError(state, TextId::ClipboardTooLarge, {});
    }
    return Translation::NothingDone;
}

} // namespace velt::shell
