#include "jobs/FileWindow.h"

#include "controls/GlossButton.h"
#include "conversion/CodedTextFile.h"
#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "jobs/JobParts.h"
#include "platform/JobWindows.h"
#include "platform/WindowTexts.h"
#include "platform/WindowPlace.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>
#include <array>
#include <climits>
#include <unistd.h>

namespace velt::jobs {

using platform::WindowTextId;
using namespace Qt::StringLiterals;

namespace {
QLabel* NamedLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText); // file names are shown as they are, never as markup
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

/// Why `name` cannot be made in `folder`: longer, in bytes as it is written, than the folder takes.
std::optional<std::string> NameTooLong(const std::filesystem::path& folder, const std::string& name,
                                       Language language) {
    long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0) {
        limit = NAME_MAX; // the folder does not say; the common limit
    }
    if (name.size() <= static_cast<std::size_t>(limit)) {
        return std::nullopt;
    }
    return platform::FormatText(WindowTextId::ResultNameTooLong, language,
                                {std::to_string(name.size()), std::to_string(limit)});
}

/// True when the file begins with the two bytes that mark it as no coded text file;
/// throws VeltError(FileReadFailed) when it cannot be read.
bool StartsWithNoTextMark(const std::filesystem::path& path) {
    SourceFile source(path);
    std::array<std::uint8_t, 2> head{};
    return source.Read(head) == head.size() && head[0] == 0x99 && head[1] == 0x99;
}
} // namespace

FileWindow::FileWindow(AppState& state, platform::IJobWindows& jobs, QWidget& mainWindow, platform::FileJob job)
    : m_state(state), m_jobs(jobs), m_mainWindow(&mainWindow), m_job(std::move(job)) {
    setObjectName(u"Form4"_s);
    setWindowTitle(u"Transfer  O.K. ?"_s);

    auto* body = new QWidget(this);
    m_frame = new QGroupBox(body);
    m_frame->setObjectName(u"Frame1"_s);
    m_selected = NamedLabel(u"Label1"_s, m_frame);
    m_title = new PathLabel(u"Label2"_s, m_frame);
    m_resultName = NamedLabel(u"Label3"_s, m_frame);
    m_result = new PathLabel(u"Label4"_s, m_frame);
    for (PathLabel* shown : {m_title, m_result}) {
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont bold = shown->font();
        bold.setBold(true);
        shown->setFont(bold);
        shown->setIndent(12);
    }
    auto* frameLayout = new QVBoxLayout(m_frame);
    for (QLabel* label : std::initializer_list<QLabel*>{m_selected, m_title, m_resultName, m_result}) {
        frameLayout->addWidget(label);
    }

    m_start = MakeStartButton(u"Command1"_s, true, nullptr);
    QWidget* const panel = StartPanel(u"Picture1"_s, m_start, body);

    auto* layout = new QVBoxLayout(body);
    layout->addWidget(m_frame);
    layout->addWidget(panel);
    setCentralWidget(body);

    m_leave = AddLeaveToolbar(*this, u"Toolbar1"_s);
    connect(m_leave, &QAction::triggered, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(m_start, &GlossButton::Click, this, &FileWindow::Start);
    setMinimumWidth(460);
}

bool FileWindow::Open(AppState& state, platform::IJobWindows& jobs, QWidget& mainWindow, const platform::FileJob& job) {
    auto* window = new FileWindow(state, jobs, mainWindow, job);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Load();
    platform::ShowOver(*window, mainWindow);
    return true;
}

void FileWindow::Load() {
    LoadStep([this] { SetLeaveIcon(*m_leave); });
    LoadStep([this] { ApplyTexts(); });
    m_directSave = false;
    m_start->setEnabled(true);
    LoadStep([this] {
        if (m_job.direction == platform::Direction::Reception) {
            LoadReception();
        } else {
            LoadSending();
        }
    });
}

void FileWindow::ApplyTexts() {
    const Language language = m_state.language;
    WithText(WindowTextId::FileStart, language, [this](const QString& text) { SetStartCaption(*m_start, text); });
    WithText(WindowTextId::SelectedFileLabel, language,
             [this](const QString& text) { m_selected->setText(text); });
    WithText(WindowTextId::ResultFileLabel, language,
             [this](const QString& text) { m_resultName->setText(text); });
    WithText(WindowTextId::FileFrame, language, [this](const QString& text) { m_frame->setTitle(text); });
}

void FileWindow::LoadSending() {
    m_title->SetPath(QString::fromStdString(m_job.title));
    try {
        SourceFile probe(m_job.source);
    } catch (const VeltError& error) {
        Refuse(QString::fromStdString(DescribeError(error, m_state.language)));
        return;
    }
    const std::string result = m_job.title + ".JPG";
    if (const auto tooLong = NameTooLong(m_job.source.parent_path(), result, m_state.language)) {
        Refuse(QString::fromStdString(*tooLong));
        return;
    }
    m_result->SetPath(QString::fromStdString(result));
}

void FileWindow::LoadReception() {
    const std::string& title = m_job.title;
    m_title->SetPath(QString::fromStdString(title));
    // The buffer would otherwise keep an earlier text, possibly a large one.
    m_state.codedText.clear();
    m_state.codedText.shrink_to_fit();
    try {
        const std::string restored = RestoredFileName(std::filesystem::path(title)).string();
        // A coded file is streamed when restored; only a coded text file is read whole, and
        // telling one apart takes its name and its first two bytes.
        const bool marked = StartsWithNoTextMark(m_job.source);
        const bool codedTextFile = HasCodedTextFileName(title) && !marked;
        m_result->SetPath(QString::fromStdString(restored));
        if (!codedTextFile) {
            return;
        }
        m_state.sourcePath = m_job.source;
        FileCoder(m_state).LoadFileText();
        std::optional<std::string> coded = CodedTextOf(title, m_state.codedText);
        if (!coded) {
            m_state.codedText.clear();
            return;
        }
        m_state.codedText = std::move(*coded);
    } catch (const VeltError& error) {
        Refuse(QString::fromStdString(DescribeError(error, m_state.language)));
        return;
    }
    WithText(WindowTextId::DirectSaveNote, m_state.language,
             [this](const QString& text) { m_result->SetNote(text); });
    WithText(WindowTextId::DirectSaveStart, m_state.language,
             [this](const QString& text) { SetStartCaption(*m_start, text); });
    m_directSave = true;
}

void FileWindow::Refuse(const QString& note) {
    m_result->SetNote(note);
    m_start->setEnabled(false);
}

void FileWindow::Start() {
    if (m_state.Busy()) {
        return;
    }
    m_state.keyMissing = false;
    const bool reception = m_job.direction == platform::Direction::Reception;
    if (reception && m_directSave) {
        // The editor shows the main window again when it is left.
        m_handedOver = m_mainWindow && m_jobs.OpenEditor(*m_mainWindow, platform::Direction::Reception);
    } else {
        const AppState::Work work(m_state);
        m_state.sourcePath = m_job.source;
        FileCoder coder(m_state, this);
        if (reception) {
            coder.RestoreFile();
        } else {
            coder.EncodeFile();
        }
    }
    close();
}

void FileWindow::CloseFileWindow() {
    // Gone from the screen at once; the object lives until the conversion has returned to START.
    hide();
}

void FileWindow::HideFileWindow() {
    hide();
}

void FileWindow::closeEvent(QCloseEvent* event) {
    if (m_state.Busy()) { // the conversion still reports to this window
        event->ignore();
        return;
    }
    if (!m_handedOver) {
        ShowMainWindow(m_mainWindow);
    }
    event->accept();
}

} // namespace velt::jobs
