#pragma once

#include "platform/JobWindows.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QListWidget;

namespace velt {
class GlossButton;
class AppState;
}

namespace velt::jobs {
class PathLabel;

/// `Form3`: lists the chosen folder's files (coded files only in reception mode) and
/// converts or restores every selected one in one run. It ends by closing itself and
/// showing the main window again.
class FolderWindow final : public QMainWindow {
    Q_OBJECT
public:
    FolderWindow(AppState& state, QWidget& mainWindow, platform::FolderJob job);

    /// Creates, loads and shows a folder window for the state's chosen folder; it deletes
    /// itself when closed. The opener of the main window's folder jobs.
    static bool Open(AppState& state, QWidget& mainWindow, const platform::FolderJob& job);

    /// The load steps: flags, icon, texts and the list of the folder's files.
    void Load();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyTexts();
    void FillList();
    void OnSelectionChanged();
    void ToggleAll();
    void Start();
    /// After the user cancelled the conversion of `name`: whether the rest of the run stops too.
    bool StopRun(const QString& name);
    void SetControlsEnabled(bool enabled);
    void Leave();

    AppState& m_state;
    QPointer<QWidget> m_mainWindow;
    platform::FolderJob m_job;
    bool m_allSelected = false; ///< the last double-click selected every entry
    bool m_anySelected = false; ///< at least one entry is selected; START follows it

    PathLabel* m_folder;  // the folder listed
    QListWidget* m_list;  // File
    GlossButton* m_start; // Command
    QAction* m_leave;     // Toolbar's "Kilépés"
};

} // namespace velt::jobs
