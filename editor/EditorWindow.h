#pragma once

#include "platform/JobWindows.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>

class QAction;
class QLabel;
class QToolBar;

namespace velt {
class GlossButton;
class AppState;
}

namespace velt::platform {
class IClipboard;
class IDialogs;
class IPrinter;
class IWallClock;
} // namespace velt::platform

namespace velt::editor {

class TextBox;

/// What the editor reaches the outside through.
struct EditorServices {
    platform::IDialogs& dialogs;
    platform::IClipboard& clipboard;
    platform::IPrinter& printer;
    platform::IWallClock& wallClock;
};

/// `Form2`, the direct entry editor: the plain box `RichTextBox1`, the coded box `RichTextBox2`,
/// START PROCESS (`Command1`) and the toolbar `Toolbar1`. It encodes in sending mode and
/// decodes in reception mode, as the state's mode flags say when it is created.
class EditorWindow final : public QMainWindow {
    Q_OBJECT
public:
    /// Which box saving and printing take.
    enum Box : std::uint8_t { NoBox = 0, CodedBox = 1, PlainBox = 2 };

    /// Loads the window; in reception mode it takes a coded text handed over in the shared
    /// coded-text buffer. `mainWindow` is shown again when the editor closes.
    EditorWindow(AppState& state, EditorServices services, QWidget& mainWindow, platform::Direction direction);

    Box CurrentBox() const { return m_currentBox; }

    /// START PROCESS: encodes the plain box or decodes the coded box, whichever is filled.
    void StartProcess();
    /// Empties both boxes, the shared buffers and the clipboard; back to the ready state.
    void EraseContent();
    /// Saves the current box: the plain box as a text file, the coded box as a coded text file.
    void Save();
    /// Prints the current box's whole text.
    void Print();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Leaving the editor (its Exit button or the title bar's close box) shows the main window.
    void closeEvent(QCloseEvent* event) override;

private:
    TextBox* MakeBox(const QString& name);
    void BuildToolbar();
    void Load();
    void Initialise();
    /// Puts the focus in the box the direction takes input in.
    void FocusInputBox();
    void SetReadOnly(TextBox* box, bool readOnly);
    void SetBoxText(TextBox* box, const QString& text);
    void OnToolbar(const QString& key);
    void OnUserChange();
    void Encode();
    void Decode(const QString& coded);
    void ShowFailure(const std::exception& failure);

    AppState& m_state;
    EditorServices m_services;
    QPointer<QWidget> m_mainWindow;
    platform::Direction m_direction; // sending: the plain box is written; reception: the coded box

    TextBox* m_plainBox = nullptr; // RichTextBox1
    TextBox* m_codedBox = nullptr; // RichTextBox2
    GlossButton* m_start = nullptr;       // Command1
    QToolBar* m_toolbar = nullptr;        // Toolbar1
    QLabel* m_picture = nullptr;          // Picture1
    std::array<QAction*, 4> m_actions{};

    Box m_currentBox = NoBox;
    bool m_erasePending = true;
    int m_quiet = 0;      // the window itself is changing a box: not the user's input
};

/// Opens the editor beside `mainWindow`, which the caller hides; the editor deletes itself
/// when closed. Always true: the editor opens.
bool OpenEditor(AppState& state, const EditorServices& services, QWidget& mainWindow, platform::Direction direction);

} // namespace velt::editor
