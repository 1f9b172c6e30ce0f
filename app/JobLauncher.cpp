#include "app/JobLauncher.h"

#include "engine/AppState.h"
#include "platform/Dialogs.h"
#include "platform/JobWindows.h"
#include "platform/UiText.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <vector>

namespace velt::app {
using namespace platform;
namespace {
using namespace Qt::StringLiterals;

Direction DirectionOf(Job job) {
    const auto row = std::find_if(kJobs.begin(), kJobs.end(), [job](const JobRow& r) { return r.job == job; });
    return row->direction;
}

bool IsCodedFileName(const QString& name) {
    return name.endsWith(u".JPG"_s, Qt::CaseInsensitive);
}
} // namespace

JobLauncher::JobLauncher(AppState& state, IDialogs& dialogs, IJobWindows& windows)
    : m_state(state), m_dialogs(dialogs), m_windows(windows) {}

bool JobLauncher::Run(Job job, QWidget& mainWindow) {
    const Direction direction = DirectionOf(job);
    switch (job) {
    case Job::DirectEntry:
    case Job::FromClipboard:
        // Only the file window hands a coded text to the editor; an earlier coding's leftover is no hand-over.
        m_state.codedText.clear();
        return m_windows.OpenEditor(mainWindow, direction);
    case Job::FileConvert:
    case Job::FromFile:
        return RunFileJob(direction, mainWindow);
    case Job::ConvertFolder:
    case Job::FolderRestore:
        return RunFolderJob(direction, mainWindow);
    }
    return false;
}

bool JobLauncher::RunFileJob(Direction direction, QWidget& mainWindow) {
    const bool codedFiles = direction == Direction::Reception;
    const Language language = m_state.language;
    OpenFileRequest request;
    request.initialFolder = QString::fromStdString(m_state.ProgramFolder().string()) + u"/"_s;
    if (const auto title = UiText(WindowTextId::SelectFileTitle, language)) {
        request.title = *title;
        if (codedFiles) {
            request.filter = *UiText(WindowTextId::VeltFilesFilter, language) + u"|*.JPG"_s;
        } else {
            request.filter = *UiText(WindowTextId::AllFilesFilter, language) + u"|*.*"_s;
        }
    }
    if (codedFiles) {
        request.presetName = u"*.JPG"_s;
    }
    const OpenFileResult chosen = m_dialogs.OpenFile(request);
    return !chosen.title.isEmpty() &&
           m_windows.OpenFileWindow(mainWindow, {direction, std::filesystem::path(chosen.path.toStdString()),
                                                 chosen.title.toStdString()});
}

bool JobLauncher::RunFolderJob(Direction direction, QWidget& mainWindow) {
    const QString folder =
        m_dialogs.FolderBrowser(UiText(WindowTextId::FolderBrowserTitle, m_state.language).value_or(QString()));
    return !folder.isEmpty() &&
           m_windows.OpenFolderWindow(mainWindow, {direction, std::filesystem::path(folder.toStdString()), {}});
}

bool JobLauncher::OpenPaths(const QStringList& paths, QWidget& mainWindow) {
    if (paths.isEmpty()) {
        return false;
    }
    std::vector<QFileInfo> items;
    for (const QString& path : paths) {
        QFileInfo item(path);
        if (!item.exists()) {
            ShowError(m_state, WindowTextId::OpenedPathMissing,
                      {QDir::toNativeSeparators(path).toStdString()});
            return false;
        }
        items.push_back(item);
    }
    const QFileInfo& first = items.front();
    const Direction direction = std::all_of(items.begin(), items.end(),
                                            [](const QFileInfo& item) { return IsCodedFileName(item.fileName()); })
                                    ? Direction::Reception
                                    : Direction::Sending;
    if (items.size() == 1 && !first.isDir()) {
        return m_windows.OpenFileWindow(mainWindow, {direction, std::filesystem::path(first.absoluteFilePath().toStdString()),
                                                     first.fileName().toStdString()});
    }
    const QString folder = items.size() == 1 ? first.absoluteFilePath() : first.absolutePath();
    FolderJob job{direction, std::filesystem::path(folder.toStdString()), {}};
    for (const QFileInfo& item : items) {
        if (items.size() > 1 && !item.isDir() && item.absolutePath() == folder) {
            job.selected.push_back(item.fileName().toStdString());
        }
    }
    return m_windows.OpenFolderWindow(mainWindow, job);
}

} // namespace velt::app
