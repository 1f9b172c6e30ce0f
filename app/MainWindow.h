#pragma once

#include "app/JobLauncher.h"
#include "engine/Errors.h"
#include "engine/Platform.h"

#include <QMainWindow>
#include <QStringList>
#include <QTranslator>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTabWidget;
class QTimer;
class QToolBar;

namespace velt {
class GlossButton;
class AppState;
}

namespace velt::platform {
class IClipboard;
class IDialogs;
class IJobWindows;
class IWallClock;
}

namespace velt::app {

class ClickLabel;
class ClipboardFollower;
class MaskedTextEdit;

/// What the main window reaches the outside through.
struct MainWindowServices {
    platform::IDialogs& dialogs;
    platform::IJobWindows& jobs;
    platform::IClipboard& clipboard;
    platform::IWallClock& wallClock;
    /// Ends the process at once, without other windows' closing steps.
    std::function<void()> endProcess;
};

/// `Form1`: the hub with the job tab, the key indicators, the language selector and the
/// reference text. It is the engine's key indicators and reference text.
class MainWindow final : public QMainWindow, public IKeyIndicators, public IReferenceText {
    Q_OBJECT
public:
    /// Attaches itself to `state` as key indicators and reference text; `state` must
    /// not be used for coding once the window is gone.
    MainWindow(AppState& state, MainWindowServices services, QWidget* parent = nullptr);

    /// The start-up of the window: icons, flags, language, key store, first tab, shown.
    void Load();
    /// The texts of the current language on this window (the selector's index).
    void ApplyLanguage();

    void ShowKeyFileName(const std::string& name) override;
    bool ShowKeyLength(int value) override;
    void SetLengthLabel(const std::string& text) override;
    void SetKeyFileChecked(bool checked) override;
    void ShowFingerprint(const std::string& fingerprint) override;

    /// txtRef's text as codes, line breaks as CR LF. Throws VeltError(UncodableCharacter)
    /// while the text holds a character without a code.
    const std::string& Codes() override;

    /// Opens files and folders handed in from outside (the command line, a drop) as
    /// JobLauncher::OpenPaths does. Returns true when a window opened; the main window then hides.
    bool OpenFromOutside(const QStringList& paths);

    /// A later start of Velt handed these over: the window comes to the front and opens them as
    /// OpenFromOutside does. While another of Velt's windows is in use, that one comes to the front
    /// and the paths wait until the main window shows again.
    void TakeHandedOver(const QStringList& paths);

    /// Hidden while a job window is up; shown again where it stood.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildInformationTab();
    QWidget* BuildJobTab();
    QWidget* BuildClipboardTab();
    void BuildToolbar();
    void BuildStatusBar();
    void FollowLanguageInQtTexts(Language language);
    void BuildToolbarIcons();

    void DisableGroups();
    void OfferToolbar(bool offered);
    void SetAccessKeys();
    /// The toolbar's buttons, offered on the job tab.
    enum class ToolbarCommand { Send, Receive, Key };
    void OnToolbar(ToolbarCommand command);
    void OnTabChanged(int index);
    void RunJob(Job job);
    /// Opens the oldest waiting hand-over once nothing else of Velt's is in use.
    void TakeWaiting();
    void ShowClock();
    void RefreshReference();
    void RefreshAccessibleNames();
    /// lblSL marked, with a tooltip that says why, while the key length in use differs from
    /// the records of the key file.
    void MarkLengthInUse();
    /// lblSL's tooltip while the key length agrees with the key file: a click sets the default.
    static QString DefaultLengthTip();

    AppState& m_state;
    MainWindowServices m_services;
    JobLauncher m_launcher;

    QTabWidget* m_tabs = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::array<QAction*, 3> m_toolbarActions{};
    std::array<QLabel*, 4> m_panels{};

    QComboBox* m_language = nullptr;
    QLabel* m_languageLabel = nullptr; // Label2
    QLabel* m_keyFileLabel = nullptr;  // Label8
    QCheckBox* m_keyPresent = nullptr; // Check2
    QLabel* m_keyName = nullptr;       // Label9
    QLabel* m_fingerprint = nullptr;   // lblFingerprint
    QLabel* m_versionLabel = nullptr;  // Label3
    QLabel* m_version = nullptr;       // Label6

    QGroupBox* m_sending = nullptr;           // Frame2
    QGroupBox* m_reception = nullptr;         // Frame3
    std::array<GlossButton*, 6> m_commands{}; // Command1..Command6, in the order of kJobs
    QSlider* m_slider = nullptr;
    QLabel* m_sliderCaption = nullptr;     // lblSliderCaption
    ClickLabel* m_lengthLabel = nullptr;   // lblSL
    MaskedTextEdit* m_reference = nullptr; // txtRef
    ClickLabel* m_maskSwitch = nullptr;    // Label12
    QLineEdit* m_matrix = nullptr;

    GlossButton* m_clipboardWindow = nullptr; // clb
    GlossButton* m_translate = nullptr;       // cbCheat
    ClipboardFollower* m_follower = nullptr;
    /// Qt's own texts (standard buttons, file dialogs, edit menus) in Hungarian, installed
    /// while the language is Hungarian.
    QTranslator m_qtTexts;
    QTimer* m_clockTimer = nullptr;

    std::optional<QPoint> m_hiddenAt; // the inner corner the window had when a job window hid it
    std::string m_referenceCodes;
    std::optional<VeltError> m_referenceError;
    /// Handed-over paths that came while another window was in use, oldest first.
    QList<QStringList> m_handedOver;
};

} // namespace velt::app
