#pragma once

class QWidget;

namespace velt::shell {

/// Opens the job windows of the main window. Each returns true when a window
/// opened; the main window then hides until that window shows `mainWindow` again.
class IJobWindows {
public:
    virtual ~IJobWindows() = default;
    /// The direct entry editor.
    virtual bool OpenEditor(QWidget& mainWindow) = 0;
    /// The file window, for the file in the source path.
    virtual bool OpenFileWindow(QWidget& mainWindow) = 0;
    /// The folder window, for the chosen folder.
    virtual bool OpenFolderWindow(QWidget& mainWindow) = 0;
};

/// The program's job windows. None is built yet, so every job stops after its
/// dialog and the main window stays in front.
class JobWindows final : public IJobWindows {
public:
    bool OpenEditor(QWidget&) override { return false; }
    bool OpenFileWindow(QWidget&) override { return false; }
    bool OpenFolderWindow(QWidget&) override { return false; }
};

} // namespace velt::shell
