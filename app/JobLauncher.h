#pragma once

#include "platform/JobWindows.h"
#include "platform/WindowTexts.h"

#include <QStringList>
#include <array>

class QWidget;

namespace velt {
class AppState;
}

namespace velt::platform {
class IDialogs;
}

namespace velt::app {

/// The six jobs of the job tab.
enum class Job { DirectEntry, FileConvert, FromClipboard, FromFile, ConvertFolder, FolderRestore };

/// One row per job: its button's name, caption and group.
struct JobRow {
    Job job;
    const char* buttonName;
    platform::WindowTextId caption;
    platform::Direction direction;
};

/// In the order the buttons are laid out and walked by Tab: the sending group, then reception.
inline constexpr std::array<JobRow, 6> kJobs{{
    {Job::DirectEntry, "Command1", platform::WindowTextId::DirectEntry, platform::Direction::Sending},
    {Job::FileConvert, "Command2", platform::WindowTextId::FileConvert, platform::Direction::Sending},
    {Job::ConvertFolder, "Command5", platform::WindowTextId::ConvertFolder, platform::Direction::Sending},
    {Job::FromClipboard, "Command3", platform::WindowTextId::FromClipboard, platform::Direction::Reception},
    {Job::FromFile, "Command4", platform::WindowTextId::FromFile, platform::Direction::Reception},
    {Job::FolderRestore, "Command6", platform::WindowTextId::FolderRestore, platform::Direction::Reception},
}};

/// Starts the jobs: asks for the file or folder and opens the job window with it.
class JobLauncher final {
public:
    JobLauncher(AppState& state, platform::IDialogs& dialogs, platform::IJobWindows& windows);

    /// Runs `job` as its button does. Returns true when a job window opened.
    bool Run(Job job, QWidget& mainWindow);

    /// Opens files and folders handed in from outside (the command line, a drop): one file the
    /// file window, one folder the folder window, several paths the folder window of the folder
    /// holding the first, with the files among them that lie in it selected. Names ending in ".JPG" are restored, any other converted. A path that
    /// does not exist is named in a message and nothing opens. Returns true when a window opened.
    bool OpenPaths(const QStringList& paths, QWidget& mainWindow);

private:
    bool RunFileJob(platform::Direction direction, QWidget& mainWindow);
    bool RunFolderJob(platform::Direction direction, QWidget& mainWindow);

    AppState& m_state;
    platform::IDialogs& m_dialogs;
    platform::IJobWindows& m_windows;
};

} // namespace velt::app
