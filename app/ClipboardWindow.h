#pragma once

#include "engine/Language.h"
#include "engine/OptionSettings.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>

class QPlainTextEdit;
class QTimer;

namespace velt {
class AppState;
}

namespace velt::platform {
class IClipboard;
}

namespace velt::app {

/// Window measures in twips, 15 to a pixel.
namespace twips {
inline constexpr int kPerPixel = 15;
inline constexpr int kSnapDistance = 1000;
inline constexpr int kMinimumWidth = 7185;
inline constexpr int kMinimumHeight = 4560;
inline constexpr int kTextWidthMargin = 400;
inline constexpr int kTextHeightMargin = 700;

inline int FromPixels(int pixels) {
    return pixels * kPerPixel;
}
inline int ToPixels(int twips) {
    return (twips + (twips >= 0 ? kPerPixel / 2 : -(kPerPixel / 2))) / kPerPixel;
}
/// `edge` moved onto `target` when they lie less than the snap distance apart.
int Snapped(int edge, int target);
} // namespace twips

/// Characters of the clipboard's text that `txtCLB` shows at most; a note says how many follow.
/// Laying out one unbroken line costs the toolkit more than linear time, so the view is bounded
/// while the clipboard keeps the whole text.
inline constexpr qsizetype kShownCharacters = 8000;

/// The beginning of `text` that the clipboard window shows, and a line in `language` telling
/// how many characters follow, when any do.
QString ShownPart(const QString& text, Language language);

/// `frmCLB`: a floating window that mirrors the clipboard's text in `txtCLB` while it is
/// open, standing beside the main window and snapping to its left and top edges.
class ClipboardWindow final : public QWidget {
    Q_OBJECT
public:
    /// Placed at `remembered` when that lies on a screen, else beside `mainWindow` (which owns it
    /// and which it never hides) on the screen that holds it. The note on a long text follows the
    /// current language of `state`.
    ClipboardWindow(platform::IClipboard& clipboard, QWidget& mainWindow, const AppState& state,
                    const std::optional<WindowPlace>& remembered = std::nullopt);

    /// txtCLB := the clipboard's text, fetched now.
    void ShowClipboardText();

Q_SIGNALS:
    /// The window is closing, by its close box or by the switch.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Follow();
    /// The minimum outer size, and the text box fitted to the window.
    void ApplySizeRules();

    platform::IClipboard& m_clipboard;
    const AppState& m_state;
    QPointer<QWidget> m_mainWindow;
    QPlainTextEdit* m_text;
    QTimer* m_follow;
    std::optional<std::uint64_t> m_shownChange;
};

} // namespace velt::app
