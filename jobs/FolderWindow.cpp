#include "jobs/FolderWindow.h"

#include "controls/GlossButton.h"
#include "conversion/FileCoder.h"
#include "engine/AppState.h"
#include "jobs/JobParts.h"
#include "platform/WindowPlace.h"

#include <QAction>
#include <QCloseEvent>
#include <QListWidget>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace velt::jobs {

using platform::WindowTextId;
using namespace Qt::StringLiterals;

FolderWindow::FolderWindow(AppState& state, QWidget& mainWindow, platform::FolderJob job)
    : m_state(state), m_mainWindow(&mainWindow), m_job(std::move(job)) {
    setObjectName(u"Form3"_s);

    auto* body = new QWidget(this);
    m_folder = new PathLabel(u"FolderPath"_s, body);
    m_folder->SetPath(QString::fromStdString(m_job.folder.string()));
    m_list = new QListWidget(body);
    m_list->setObjectName(u"File"_s);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->viewport()->installEventFilter(this);

    m_start = MakeStartButton(u"Command"_s, false, nullptr);
    QWidget* const panel = StartPanel(u"Picture"_s, m_start, body);

    auto* layout = new QVBoxLayout(body);
    layout->addWidget(m_folder);
    layout->addWidget(m_list, 1);
    layout->addWidget(panel);
    setCentralWidget(body);

    m_leave = AddLeaveToolbar(*this, u"Toolbar"_s);
    connect(m_leave, &QAction::triggered, this, &FolderWindow::Leave);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &FolderWindow::Leave);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &FolderWindow::OnSelectionChanged);
    connect(m_start, &GlossButton::Click, this, &FolderWindow::Start);
    resize(520, 420);
}

bool FolderWindow::Open(AppState& state, QWidget& mainWindow, const platform::FolderJob& job) {
    auto* window = new FolderWindow(state, mainWindow, job);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Load();
    platform::ShowOver(*window, mainWindow);
    return true;
}

void FolderWindow::Load() {
    m_allSelected = false;
    m_anySelected = false;
    LoadStep([this] { SetLeaveIcon(*m_leave); });
    LoadStep([this] { ApplyTexts(); });
    LoadStep([this] { FillList(); });
}

void FolderWindow::ApplyTexts() {
    const Language language = m_state.language;
    WithText(WindowTextId::FolderCaption, language, [this](const QString& text) { setWindowTitle(text); });
    const bool reception = m_job.direction == platform::Direction::Reception;
    const WindowTextId start = reception ? WindowTextId::FolderStartRecovery : WindowTextId::FolderStartConvert;
    WithText(start, language, [this](const QString& text) { SetStartCaption(*m_start, text); });
}

void FolderWindow::FillList() {
    // Files only, no subfolders; hidden ones stay out, as in a plain file list. Names are taken as
    // bytes: one that is not UTF-8 shows replacement characters and is converted under its own bytes.
    std::vector<std::pair<QString, std::string>> entries;
    for (const auto& entry : std::filesystem::directory_iterator(m_job.folder)) {
        std::string name = entry.path().filename().string();
        std::error_code ignored;
        if (name.starts_with('.') || !entry.is_regular_file(ignored)) {
            continue;
        }
        const QString shown = QString::fromUtf8(name);
        if (m_job.direction != platform::Direction::Reception || shown.endsWith(u".jpg"_s, Qt::CaseInsensitive)) {
            entries.emplace_back(shown, std::move(name));
        }
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    const auto& chosen = m_job.selected;
    for (const auto& [shown, name] : entries) {
        auto* item = new QListWidgetItem(shown, m_list);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
        // The files dropped on the main window stay the choice.
        if (std::find(chosen.begin(), chosen.end(), name) != chosen.end()) {
            item->setSelected(true);
            if (m_list->currentItem() == nullptr || !m_list->currentItem()->isSelected()) {
                m_list->setCurrentItem(item, QItemSelectionModel::NoUpdate);
            }
        }
    }
}

void FolderWindow::OnSelectionChanged() {
    m_anySelected = !m_list->selectedItems().isEmpty();
    m_start->setEnabled(m_anySelected && !m_state.Busy());
}

bool FolderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        if (!m_state.Busy()) {
            ToggleAll();
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void FolderWindow::ToggleAll() {
    if (m_allSelected) {
        m_list->clearSelection();
    } else {
        m_list->selectAll();
    }
    m_allSelected = !m_allSelected;
}

void FolderWindow::Start() {
    if (m_state.Busy() || !m_anySelected) {
        return;
    }
    QList<QListWidgetItem*> selected;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->isSelected()) {
            selected << m_list->item(row);
        }
    }
    std::optional<AppState::Work> work(std::in_place, m_state);
    SetControlsEnabled(false);
    int converted = 0;
    int kept = 0;
    int failed = 0;
    int cancelled = 0; // the cancelled file, and the files a stopped run left untouched
    bool stopped = false;
    FileCoder coder(m_state);
    for (qsizetype at = 0; at < selected.size(); ++at) {
        const QString name = selected[at]->text();
        if (stopped) {
            ++cancelled;
            continue;
        }
        std::string folder = m_job.folder.string();
        if (!folder.ends_with('/')) {
            folder += '/';
        }
        m_state.sourcePath = folder + selected[at]->data(Qt::UserRole).toByteArray().toStdString();
        switch (m_job.direction == platform::Direction::Reception ? coder.RestoreFile() : coder.EncodeFile()) {
        case FileOutcome::Converted:
            ++converted;
            break;
        case FileOutcome::Declined:
            ++kept;
            break;
        case FileOutcome::Failed:
            ++failed;
            break;
        case FileOutcome::Cancelled:
            ++cancelled;
            stopped = at + 1 < selected.size() && StopRun(name); // asked only while files remain
            break;
        }
    }
    if (const auto title = Text(WindowTextId::FolderRunTitle, m_state.language)) {
        Message summary;
        summary.icon = MessageIcon::Information;
        summary.title = *title;
        summary.text = *FormatText(WindowTextId::FolderRunSummary, m_state.language,
                                   {std::to_string(converted), std::to_string(kept), std::to_string(failed)});
        if (cancelled > 0) {
            summary.text += "\r\n" + *FormatText(WindowTextId::FolderRunCancelled, m_state.language,
                                                 {std::to_string(cancelled)});
        }
        m_state.Messages().Show(summary);
    }
    work.reset();
    SetControlsEnabled(true);
    close();
}

bool FolderWindow::StopRun(const QString& name) {
    const auto title = Text(WindowTextId::FolderStopTitle, m_state.language);
    if (!title) {
        return true; // no language to ask in: the cancel stands for the whole run
    }
    Message question;
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::Yes;
    question.title = *title;
    question.text = *FormatText(WindowTextId::FolderStopQuestion, m_state.language, {name.toStdString()});
    return m_state.Messages().Show(question) == MessageAnswer::Yes;
}

void FolderWindow::SetControlsEnabled(bool enabled) {
    m_list->setEnabled(enabled);
    m_leave->setEnabled(enabled);
    m_start->setEnabled(enabled && m_anySelected);
}

void FolderWindow::Leave() {
    if (!m_state.Busy()) {
        close();
    }
}

void FolderWindow::closeEvent(QCloseEvent* event) {
    if (m_state.Busy()) {
        event->ignore();
        return;
    }
    ShowMainWindow(m_mainWindow);
    event->accept();
}

} // namespace velt::jobs
