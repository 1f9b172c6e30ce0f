#pragma once

namespace velt::shell {

/// Opens the job windows of the main window. Each returns true when a window
/// opened, and the main window then hides until that window shows it again.
class IJobWindows {
public:
    virtual ~IJobWindows() = default;
    /// The direct entry editor.
    virtual bool OpenEditor() = 0;
    /// The file window, for the file in the source path.
    virtual bool OpenFileWindow() = 0;
    /// The folder window, for the chosen folder.
    virtual bool OpenFolderWindow() = 0;
};

/// The program's job windows. None is built yet, so every job stops after its
/// dialog and the main window stays in front.
class JobWindows final : public IJobWindows {
public:
    bool OpenEditor() override { return false; }
    bool OpenFileWindow() override { return false; }
    bool OpenFolderWindow() override { return false; }
};

} // namespace velt::shell
