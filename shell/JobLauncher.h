#pragma once

#include "JobWindows.h"
#include "WindowTexts.h"

#include <QStringList>
#include <array>

class QWidget;

namespace velt {
class AppState;
}

namespace velt::shell {

class IDialogs;

/// The six jobs of the job tab.
enum class Job { DirectEntry, FileConvert, FromClipboard, FromFile, ConvertFolder, FolderRestore };

/// One row per job: its button's name, caption and group.
struct JobRow {
    Job job;
    const char* buttonName;
    WindowTextId caption;
    Direction direction;
};

/// In the order the buttons are laid out and walked by Tab: the sending group, then reception.
inline constexpr std::array<JobRow, 6> kJobs{{
    {Job::DirectEntry, "Command1", WindowTextId::DirectEntry, Direction::Sending},
    {Job::FileConvert, "Command2", WindowTextId::FileConvert, Direction::Sending},
    {Job::ConvertFolder, "Command5", WindowTextId::ConvertFolder, Direction::Sending},
    {Job::FromClipboard, "Command3", WindowTextId::FromClipboard, Direction::Reception},
    {Job::FromFile, "Command4", WindowTextId::FromFile, Direction::Reception},
    {Job::FolderRestore, "Command6", WindowTextId::FolderRestore, Direction::Reception},
}};

/// Starts the jobs: asks for the file or folder and opens the job window with it.
class JobLauncher final {
public:
    JobLauncher(AppState& state, IDialogs& dialogs, IJobWindows& windows);

    /// Runs `job` as its button does. Returns true when a job window opened.
    bool Run(Job job, QWidget& mainWindow);

    /// Opens files and folders handed in from outside (the command line, a drop): one file the
    /// file window, one folder the folder window, several paths the folder window of the folder
    /// holding the first. Names ending in ".JPG" are restored, any other converted. A path that
    /// does not exist is named in a message and nothing opens. Returns true when a window opened.
    bool OpenPaths(const QStringList& paths, QWidget& mainWindow);

private:
    bool RunFileJob(Direction direction, QWidget& mainWindow);
    bool RunFolderJob(Direction direction, QWidget& mainWindow);

    AppState& m_state;
    IDialogs& m_dialogs;
    IJobWindows& m_windows;
};

} // namespace velt::shell
