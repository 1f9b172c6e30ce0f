#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>

class QPlainTextEdit;
class QTimer;

namespace velt::shell {

class IClipboard;

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

/// `frmCLB`: a floating window that mirrors the clipboard's text in `txtCLB` while it is
/// open, standing beside the main window and snapping to its left and top edges.
class ClipboardWindow final : public QWidget {
    Q_OBJECT
public:
    /// Placed just right of `mainWindow`, which owns it and which it never hides.
    ClipboardWindow(IClipboard& clipboard, QWidget& mainWindow);

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

    IClipboard& m_clipboard;
    QPointer<QWidget> m_mainWindow;
    QPlainTextEdit* m_text;
    QTimer* m_follow;
    std::optional<std::uint64_t> m_shownChange;
    bool m_sized = false;
};

} // namespace velt::shell
