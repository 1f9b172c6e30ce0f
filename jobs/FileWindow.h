#pragma once

#include "conversion/FileCoder.h"
#include "platform/JobWindows.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QGroupBox;
class QLabel;

namespace velt {
class GlossButton;
class AppState;
}

namespace velt::jobs {
class PathLabel;

/// `Form4`: shows the chosen file and the file that will result, and converts it
/// (sending), restores it (reception) or hands a saved coded text to the editor.
/// Whatever the user does, it ends by closing itself and showing the main window,
/// unless the editor takes over.
class FileWindow final : public QMainWindow, public IFileWindow {
    Q_OBJECT
public:
    FileWindow(AppState& state, platform::IJobWindows& jobs, QWidget& mainWindow, platform::FileJob job);

    /// Creates, loads and shows a file window for `job`; it deletes itself when closed. The
    /// opener of the main window's file jobs.
    static bool Open(AppState& state, platform::IJobWindows& jobs, QWidget& mainWindow, const platform::FileJob& job);

    /// The load steps: icon, texts, and what the chosen file is and becomes.
    void Load();

    void CloseFileWindow() override;
    void HideFileWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyTexts();
    void LoadSending();
    void LoadReception();
    /// Shows `note` where the result name would stand; START is not offered.
    void Refuse(const QString& note);
    void Start();

    AppState& m_state;
    platform::IJobWindows& m_jobs;
    QPointer<QWidget> m_mainWindow;
    platform::FileJob m_job;
    bool m_directSave = false; ///< the file is a coded text file saved by the editor
    bool m_handedOver = false; ///< the editor took over and shows the main window itself

    QGroupBox* m_frame;   // Frame1
    QLabel* m_selected;   // Label1
    PathLabel* m_title;   // Label2
    QLabel* m_resultName; // Label3
    PathLabel* m_result;  // Label4
    GlossButton* m_start; // Command1
    QAction* m_leave;     // Toolbar1's "Kilépés"
};

} // namespace velt::jobs
