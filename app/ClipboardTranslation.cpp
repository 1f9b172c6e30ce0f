#include "app/ClipboardTranslation.h"

#include "engine/AppState.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/ProgressTicker.h"
#include "platform/Clipboard.h"
#include "platform/UiText.h"

#include <algorithm>
#include <new>
#include <string>

namespace velt::app {
using namespace platform;
namespace {
using namespace Qt::StringLiterals;

/// The codes of a piece of a clipboard text, line breaks as CR LF as the correspondents' copies keep them.
std::string CodesOf(QStringView piece) {
    QString text = piece.toString();
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

/// Codes per piece between two looks at the wait window: a few milliseconds of work.
constexpr std::size_t kPiece = std::size_t{1} << 18;

/// Where the piece of `text` that begins at `from` ends: never inside a CR LF or a character
/// beyond the first plane, so that the pieces convert as the whole text would.
qsizetype PieceEnd(const QString& text, qsizetype from) {
    qsizetype end = std::min(text.size(), from + static_cast<qsizetype>(kPiece));
    if (end < text.size() && (text.at(end - 1) == u'\r' || text.at(end - 1).isHighSurrogate())) {
        --end;
    }
    return end;
}

/// The clipboard text converted, coded and packed in pieces under one wait window, so that a
/// long text leaves the window answering and may be stopped. Leaves the codes in the shared
/// plain-text buffer and the armoured text in the shared coded-text buffer.
void EncodeAndPack(AppState& state, const QString& text) {
    state.textCoder.StartTextRun();
    const auto caption = Text(TextId::PackingCaption, Language::English).value_or(std::string_view{});
    ProgressTicker ticker(state.Progress(), static_cast<std::int64_t>(text.size()), caption, Stoppable::Yes);
    std::string plain;
    std::string armoured;
    armoured.reserve(2 * armour::kMarker.size() + 4 * static_cast<std::size_t>(text.size()));
    armoured += armour::kMarker;
    std::string pairs;
    for (qsizetype from = 0, end = 0; from < text.size(); from = end) {
        ticker.Tick(from + 1);
        end = PieceEnd(text, from);
        const std::string codes = CodesOf(QStringView(text).mid(from, end - from));
        pairs.clear();
        state.textCoder.EncodePiece(codes, pairs);
        armour::AppendBody(pairs, armoured);
        plain += codes;
    }
    armoured += armour::kMarker;
    state.plainText = std::move(plain);
    state.codedText = std::move(armoured);
}

/// DecodeText in pieces under the wait window; the plain text goes to the shared plain-text buffer.
void DecodeInPieces(AppState& state) {
    if (state.codedText.size() % 2 != 0) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    state.textCoder.StartTextRun();
    const std::string_view pairs = state.codedText;
    ProgressTicker ticker(state.Progress(), static_cast<std::int64_t>(pairs.size()), {}, Stoppable::Yes);
    std::string plain;
    plain.reserve(pairs.size() / 2);
    for (std::size_t at = 0; at < pairs.size(); at += 2 * kPiece) {
        ticker.Tick(static_cast<std::int64_t>(at + 1));
        state.textCoder.DecodePiece(pairs.substr(at, 2 * kPiece), plain);
    }
    state.plainText = std::move(plain);
}

Translation Encode(AppState& state, IClipboard& clipboard, const QString& text) {
    EncodeAndPack(state, text);
    clipboard.Clear();
    clipboard.SetText(QString::fromLatin1(state.codedText.data(), static_cast<qsizetype>(state.codedText.size())));
    return Translation::Encoded;
}

Translation Decode(AppState& state, IClipboard& clipboard, std::string_view text) {
    state.codedText = armour::Unpack(text).value_or(std::string());
    if (!state.textCoder.KeyCheck()) {
        return Translation::NothingDone;
    }
    DecodeInPieces(state);
    // Converted before the clipboard is cleared, so nothing can fail between the two.
    const QString plain = TextOf(state.plainText);
    clipboard.Clear();
    clipboard.SetText(plain);
    return Translation::Decoded;
}

/// Refuses a text above the most that is translated, with a message; true when it is refused.
bool TooLarge(AppState& state, qsizetype size, qsizetype most) {
    if (size <= most) {
        return false;
    }
    ShowError(state, WindowTextId::TextTooLarge, {std::to_string(size), std::to_string(most)});
    return true;
}
} // namespace

Translation TranslateClipboard(AppState& state, IClipboard& clipboard, TranslationLimits limits) {
    const QString text = clipboard.Text();
    if (text.isEmpty()) {
        return Translation::NothingDone;
    }
    try {
        if (TooLarge(state, text.size(), limits.coded)) {
            return Translation::NothingDone;
        }
        if (armour::HasMarker(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                  static_cast<std::size_t>(text.size())))) {
            return Decode(state, clipboard, text.toStdString());
        }
        if (TooLarge(state, text.size(), limits.plain)) {
            return Translation::NothingDone;
        }
        return Encode(state, clipboard, text);
    } catch (const WorkCancelled&) {
        // Stopped in the wait window: the clipboard still holds the text, nothing is said.
    } catch (const VeltError& error) {
        ShowError(state, error);
    } catch (const std::bad_alloc&) {
        ShowError(state, WindowTextId::ClipboardTooLarge, {});
    }
    // Nothing half-made stays behind in the shared buffers.
    state.plainText.clear();
    state.codedText.clear();
    return Translation::NothingDone;
}

} // namespace velt::app
