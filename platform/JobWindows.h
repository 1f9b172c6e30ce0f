#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace velt::platform {

/// Whether a job encodes what is to be sent or decodes what was received.
enum class Direction { Sending, Reception };

/// One chosen file, to convert (sending) or to restore (reception).
struct FileJob {
    Direction direction = Direction::Sending;
    std::filesystem::path source;
    std::string title; ///< the file's name, as the dialog gave it
};

/// One chosen folder, whose selected files are converted or restored.
struct FolderJob {
    Direction direction = Direction::Sending;
    std::filesystem::path folder;
    std::vector<std::string> selected; ///< names of the folder's files selected at the start
};

/// Opens the job windows of the main window. Each returns true when a window
/// opened; the main window then hides until that window shows `mainWindow` again.
class IJobWindows {
public:
    virtual ~IJobWindows() = default;
    /// The direct entry editor; for reception it takes a coded text handed over in the
    /// shared coded-text buffer.
    virtual bool OpenEditor(QWidget& mainWindow, Direction direction) = 0;
    virtual bool OpenFileWindow(QWidget& mainWindow, const FileJob& job) = 0;
    virtual bool OpenFolderWindow(QWidget& mainWindow, const FolderJob& job) = 0;
};

/// The program's job windows, each opened by the function that main() gives it.
/// A job without one stops after its dialog and the main window stays in front.
class JobWindows final : public IJobWindows {
public:
    template <class Job> using Opener = std::function<bool(QWidget& mainWindow, Job job)>;

    bool OpenEditor(QWidget& mainWindow, Direction direction) override {
        return Open(editor, mainWindow, direction);
    }
    bool OpenFileWindow(QWidget& mainWindow, const FileJob& job) override { return Open(fileWindow, mainWindow, job); }
    bool OpenFolderWindow(QWidget& mainWindow, const FolderJob& job) override {
        return Open(folderWindow, mainWindow, job);
    }

    Opener<Direction> editor;
    Opener<const FileJob&> fileWindow;
    Opener<const FolderJob&> folderWindow;

private:
    template <class Function, class Job> static bool Open(const Function& opener, QWidget& mainWindow, const Job& job) {
        return opener && opener(mainWindow, job);
    }
};

} // namespace velt::platform
