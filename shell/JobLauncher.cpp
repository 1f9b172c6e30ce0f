#include "JobLauncher.h"

#include "AppState.h"
#include "Dialogs.h"
#include "JobWindows.h"
#include "UiText.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <vector>

namespace velt::shell {
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
    const bool sending = DirectionOf(job) == Direction::Sending;
    m_state.sendingMode = sending;
    m_state.receptionMode = !sending;
    switch (job) {
    case Job::DirectEntry:
    case Job::FromClipboard:
        // Only the file window hands a coded text to the editor; an earlier coding's leftover is no hand-over.
        m_state.codedText.clear();
        return m_windows.OpenEditor(mainWindow);
    case Job::FileConvert:
    case Job::FromFile:
        return RunFileJob(job == Job::FromFile, mainWindow);
    case Job::ConvertFolder:
    case Job::FolderRestore:
        return RunFolderJob(mainWindow);
    }
    return false;
}

bool JobLauncher::RunFileJob(bool codedFiles, QWidget& mainWindow) {
    const std::uint8_t language = m_state.language;
    OpenFileRequest request;
    request.initialFolder = QString::fromStdString(m_state.ProgramFolder().string()) + u"/"_s;
    if (const auto title = UiText(TextId::SelectFileTitle, language)) {
        request.title = *title;
        if (codedFiles) {
            request.filter = *UiText(TextId::VeltFilesFilter, language) + u"|*.JPG"_s;
        } else {
            request.filter = *UiText(TextId::AllFilesFilter, language) + u"|*.*"_s;
        }
    }
    if (codedFiles) {
        request.presetName = u"*.JPG"_s;
    }
    const OpenFileResult chosen = m_dialogs.OpenFile(request);
    m_state.selectedFileTitle = chosen.title.toStdString();
    m_state.sourcePath = std::filesystem::path(chosen.path.toStdString());
    return !chosen.title.isEmpty() && m_windows.OpenFileWindow(mainWindow);
}

bool JobLauncher::RunFolderJob(QWidget& mainWindow) {
    const QString folder =
        m_dialogs.FolderBrowser(UiText(TextId::FolderBrowserTitle, m_state.language).value_or(QString()));
    m_state.chosenFolder = std::filesystem::path(folder.toStdString());
    return !folder.isEmpty() && m_windows.OpenFolderWindow(mainWindow);
}

bool JobLauncher::OpenPaths(const QStringList& paths, QWidget& mainWindow) {
    if (paths.isEmpty()) {
        return false;
    }
    std::vector<QFileInfo> items;
    for (const QString& path : paths) {
        QFileInfo item(path);
        if (!item.exists()) {
            ShowError(m_state, TextId::OpenedPathMissing, {QDir::toNativeSeparators(path).toStdString()});
            return false;
        }
        items.push_back(item);
    }
    const QFileInfo& first = items.front();
    const bool reception = std::all_of(items.begin(), items.end(),
                                       [](const QFileInfo& item) { return IsCodedFileName(item.fileName()); });
    m_state.sendingMode = !reception;
    m_state.receptionMode = reception;
    if (items.size() == 1 && !first.isDir()) {
        m_state.selectedFileTitle = first.fileName().toStdString();
        m_state.sourcePath = std::filesystem::path(first.absoluteFilePath().toStdString());
        return m_windows.OpenFileWindow(mainWindow);
    }
    const QString folder = items.size() == 1 ? first.absoluteFilePath() : first.absolutePath();
    m_state.chosenFolder = std::filesystem::path(folder.toStdString());
    return m_windows.OpenFolderWindow(mainWindow);
}

} // namespace velt::shell
