#pragma once

#include <functional>

class QWidget;

namespace velt::shell {

/// Opens the job windows of the main window. Each returns true when a window
/// opened; the main window then hides until that window shows `mainWindow` again.
class IJobWindows {
public:
    virtual ~IJobWindows() = default;
    /// The direct entry editor; in reception mode it takes a coded text handed over in
    /// the shared coded-text buffer.
    virtual bool OpenEditor(QWidget& mainWindow) = 0;
    /// The file window, for the file in the source path.
    virtual bool OpenFileWindow(QWidget& mainWindow) = 0;
    /// The folder window, for the chosen folder.
    virtual bool OpenFolderWindow(QWidget& mainWindow) = 0;
};

/// The program's job windows, each opened by the function that main() gives it.
/// A job without one stops after its dialog and the main window stays in front.
class JobWindows final : public IJobWindows {
public:
    using Opener = std::function<bool(QWidget& mainWindow)>;

    bool OpenEditor(QWidget& mainWindow) override { return Open(editor, mainWindow); }
    bool OpenFileWindow(QWidget& mainWindow) override { return Open(fileWindow, mainWindow); }
    bool OpenFolderWindow(QWidget& mainWindow) override { return Open(folderWindow, mainWindow); }

    Opener editor;
    Opener fileWindow;
    Opener folderWindow;

private:
    static bool Open(const Opener& opener, QWidget& mainWindow) { return opener && opener(mainWindow); }
};

} // namespace velt::shell
