#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <optional>

class QTimer;
class QWidget;

namespace velt {
class AppState;
class GlossButton;
} // namespace velt

namespace velt::platform {
class IClipboard;
}

namespace velt::app {

class ClipboardWindow;

/// The clipboard tab's two buttons: CHECK (`cbCheat`), offered while the clipboard holds text and
/// translating it when clicked, and the switch (`clb`) that opens and closes the clipboard window
/// beside `mainWindow`.
class ClipboardFollower final : public QObject {
    Q_OBJECT
public:
    ClipboardFollower(AppState& state, platform::IClipboard& clipboard, QWidget& mainWindow, GlossButton& translate,
                      GlossButton& windowSwitch);

    /// Whether CHECK follows the clipboard (the `Timer`); off while its state is not on show.
    void SetFollowing(bool on);

    /// Stores the clipboard window's place for the next run, when it is open.
    void RememberPlace();

private:
    void OnTimer();
    void OnTranslate();
    void OnSwitch();
    void ShowClipboardWindow();

    AppState& m_state;
    platform::IClipboard& m_clipboard;
    QWidget& m_mainWindow;
    GlossButton& m_translate;
    GlossButton& m_switch;
    QTimer* m_timer;
    QPointer<ClipboardWindow> m_view;             // frmCLB while it is open
    std::optional<std::uint64_t> m_seenClipboard; // the clipboard change CHECK follows
};

} // namespace velt::app
