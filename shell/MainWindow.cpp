#include "MainWindow.h"

#include "AccessKeys.h"
#include "AppState.h"
#include "ClickLabel.h"
#include "Clipboard.h"
#include "ClipboardFollower.h"
#include "CodePage.h"
#include "Dialogs.h"
#include "GlossButton.h"
#include "IconStrip.h"
#include "JobWindows.h"
#include "KeyAction.h"
#include "MaskedTextEdit.h"
#include "Pictures.h"
#include "SkippedStep.h"
#include "UiText.h"
#include "WallClock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLibraryInfo>
#include <QLocale>
#include <QMimeData>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

static void InitShellIcons() {
    Q_INIT_RESOURCE(shell_icons);
}

namespace velt::shell {
namespace {
using namespace Qt::StringLiterals;

constexpr int kSliderMin = 100;
constexpr int kSliderMax = 10000;
constexpr int kDefaultLength = 366;

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText); // a key file's name is shown as it is, never as markup
    return label;
}

GlossButton* NamedButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new GlossButton(parent);
    button->setObjectName(name);
    button->setCaption(caption);
    button->setMinimumSize(200, 32);
    return button;
}
} // namespace

MainWindow::MainWindow(AppState& state, ShellServices services, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_services(std::move(services)),
      m_launcher(state, m_services.dialogs, m_services.jobs) {
    InitShellIcons();
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Velt"_s);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"SSTab2"_s);
    m_tabs->addTab(BuildInformationTab(), u"VELT"_s);
    m_tabs->addTab(BuildJobTab(), u"FELADAT ..."_s);
    m_tabs->addTab(BuildClipboardTab(), u"!"_s);
    setCentralWidget(m_tabs);
    BuildToolbar();
    BuildStatusBar();

    m_follower = new ClipboardFollower(m_state, m_services.clipboard, *this, *m_translate, *m_clipboardWindow);

    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::OnTabChanged);
    // Alt and the tab's number reach every tab, "!" too, which has no letter to mark.
    for (int tab = 0; tab < m_tabs->count(); ++tab) {
        const QKeySequence keys(QKeyCombination(Qt::AltModifier, static_cast<Qt::Key>(Qt::Key_1 + tab)));
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, tab] { m_tabs->setCurrentIndex(tab); });
        m_tabs->setTabToolTip(tab, keys.toString(QKeySequence::NativeText));
    }
    connect(m_tabs->tabBar(), &QTabBar::tabBarDoubleClicked, this, [this] { DisableGroups(); });
    connect(m_language, &QComboBox::currentIndexChanged, this, [this] { ApplyLanguage(); });

    Services own;
    own.indicators = this;
    own.reference = this;
    m_state.Attach(own);
    RefreshReference();

    // Files dropped anywhere on the window open a job, also over the text fields, which
    // would otherwise take the dropped names as text.
    setAcceptDrops(true);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->acceptDrops()) {
            child->installEventFilter(this);
        }
    }
}

QWidget* MainWindow::BuildInformationTab() {
    auto* page = new QWidget;
    auto* picture = new QLabel(page);
    picture->setObjectName(u"Picture1"_s);
    picture->setPixmap(KeyPicture(128, devicePixelRatioF()));
    picture->setAccessibleName(u"Velt"_s);

    auto* frame = new QGroupBox(page);
    frame->setObjectName(u"Frame1"_s);
    auto* grid = new QGridLayout(frame);
    m_languageLabel = NamedLabel(u"Label2"_s, u"Language :"_s, frame);
    m_language = new QComboBox(frame);
    m_language->setObjectName(u"Nyelv"_s);
    m_keyFileLabel = NamedLabel(u"Label8"_s, u"Kulcs fájl van ?"_s, frame);
    m_keyPresent = new QCheckBox(frame);
    m_keyPresent->setObjectName(u"Check2"_s);
    // An indicator: only the key store sets it.
    m_keyPresent->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_keyPresent->setFocusPolicy(Qt::NoFocus);
    m_keyName = NamedLabel(u"Label9"_s, u"- nincs -"_s, frame);
    m_keyName->setToolTip(u"Cserélhető! Klikk IDE!"_s);
    // Read to the correspondent by phone: it tells the two copies of a key apart.
    m_fingerprint = NamedLabel(u"lblFingerprint"_s, QString(), frame);
    m_fingerprint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_versionLabel = NamedLabel(u"Label3"_s, u"Verziószám :"_s, frame);
    m_version = NamedLabel(u"Label6"_s, u"v 7.3  (2013.08.28.) JPG"_s, frame);

    grid->addWidget(m_languageLabel, 0, 0);
    grid->addWidget(m_language, 0, 1, 1, 2);
    grid->addWidget(m_keyFileLabel, 1, 0);
    grid->addWidget(m_keyPresent, 1, 1);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(m_keyName);
    keyRow->addSpacing(12);
    keyRow->addWidget(m_fingerprint);
    keyRow->addStretch(1);
    grid->addLayout(keyRow, 1, 2);
    grid->addWidget(m_versionLabel, 2, 0);
    grid->addWidget(m_version, 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addWidget(frame, 1, Qt::AlignTop);
    return page;
}

QWidget* MainWindow::BuildJobTab() {
    auto* page = new QWidget;
    m_sending = new QGroupBox(u"KÜLDÉS"_s, page);
    m_sending->setObjectName(u"Frame2"_s);
    m_reception = new QGroupBox(u"FOGADÁS"_s, page);
    m_reception->setObjectName(u"Frame3"_s);
    auto* sendingLayout = new QVBoxLayout(m_sending);
    auto* receptionLayout = new QVBoxLayout(m_reception);
    for (std::size_t i = 0; i < kJobs.size(); ++i) {
        const JobRow& row = kJobs[i];
        const bool sending = row.direction == Direction::Sending;
        GlossButton* button = NamedButton(QString::fromLatin1(row.buttonName), *UiText(row.caption, 1),
                                          sending ? m_sending : m_reception);
        (sending ? sendingLayout : receptionLayout)->addWidget(button);
        connect(button, &GlossButton::Click, this, [this, job = row.job] { RunJob(job); });
        m_commands[i] = button;
    }

    m_slider = new QSlider(Qt::Horizontal, page);
    m_slider->setObjectName(u"Slider"_s);
    m_slider->setRange(kSliderMin, kSliderMax);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(100);
    m_slider->setValue(kDefaultLength);
    m_lengthLabel = new ClickLabel(u"366"_s, page);
    m_lengthLabel->setObjectName(u"lblSL"_s);
    m_lengthLabel->setToolTip(u"Kattintásra alpértékre állít [366]"_s);
    m_lengthLabel->setMinimumWidth(m_lengthLabel->fontMetrics().horizontalAdvance(u"10000.00"_s));
    m_sliderCaption = NamedLabel(u"lblSliderCaption"_s, u"Kulcshossz"_s, page);
    m_sliderCaption->setBuddy(m_slider);
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        m_lengthLabel->setText(QString::number(value));
        m_state.keyLength = static_cast<std::int16_t>(value);
        MarkLengthInUse();
    });
    connect(m_lengthLabel, &ClickLabel::Clicked, this, [this] {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(kDefaultLength);
        m_lengthLabel->setText(u"366"_s);
        m_state.keyLength = static_cast<std::int16_t>(m_slider->value());
        MarkLengthInUse();
    });
    auto* advice = NamedLabel(u"Label10"_s, u"Javasolt max. file méret 1 MB"_s, page);

    auto* refLabel = NamedLabel(u"Label13"_s, u"Ref:"_s, page);
    m_reference = new MaskedTextEdit(page);
    m_reference->setObjectName(u"txtRef"_s);
    m_reference->setStyleSheet(u"QPlainTextEdit { background-color: rgb(255, 192, 192); }"_s);
    m_reference->setFixedHeight(60);
    m_reference->SetMasked(true);
    connect(m_reference, &MaskedTextEdit::TextChanged, this, &MainWindow::RefreshReference);
    m_maskSwitch = new ClickLabel(u"*"_s, page);
    m_maskSwitch->setObjectName(u"Label12"_s);
    connect(m_maskSwitch, &ClickLabel::Clicked, this,
            [this] { m_reference->SetMasked(!m_reference->IsMasked()); });

    auto* matrixLabel = NamedLabel(u"Label11"_s, u"matrix:"_s, page);
    m_matrix = new QLineEdit(page);
    m_matrix->setObjectName(u"txtmatrix"_s);
    m_matrix->setStyleSheet(u"QLineEdit { background-color: rgb(192, 255, 192); }"_s);

    auto* groups = new QHBoxLayout;
    groups->addWidget(m_sending);
    groups->addWidget(m_reception);
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(m_sliderCaption);
    sliderRow->addWidget(m_slider, 1);
    sliderRow->addWidget(m_lengthLabel);
    auto* refRow = new QGridLayout;
    refRow->addWidget(refLabel, 0, 0, Qt::AlignTop);
    refRow->addWidget(m_reference, 0, 1);
    refRow->addWidget(m_maskSwitch, 0, 2, Qt::AlignTop);
    refRow->addWidget(matrixLabel, 1, 0);
    refRow->addWidget(m_matrix, 1, 1);
    refRow->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(groups);
    layout->addLayout(sliderRow);
    layout->addWidget(advice);
    layout->addLayout(refRow);
    layout->addStretch(1);
    return page;
}

QWidget* MainWindow::BuildClipboardTab() {
    auto* page = new QWidget;
    m_clipboardWindow = NamedButton(u"clb"_s, QString(), page);
    m_clipboardWindow->setMinimumSize(48, 48);
    m_clipboardWindow->setPicture(ClipboardPicture(devicePixelRatioF()));
    m_translate = NamedButton(u"cbCheat"_s, u"CHECK"_s, page);
    m_translate->setToolTip(u"A vágólap tartalmának fordítása oda-vissza"_s);
    auto* layout = new QHBoxLayout(page);
    layout->addStretch(1);
    layout->addWidget(m_clipboardWindow);
    layout->addWidget(m_translate);
    layout->addStretch(1);
    return page;
}

void MainWindow::BuildToolbar() {
    m_toolbar = IconToolbar(this, u"Toolbar1"_s);
    struct Button {
        ToolbarCommand command;
        QString name;
        QString tooltip;
        QKeySequence shortcut;
    };
    const std::array<Button, 3> buttons{
        {{ToolbarCommand::Send, u"Küldés"_s, u"Kódolás küldéshez"_s, QKeySequence(u"Ctrl+S"_s)},
         {ToolbarCommand::Receive, u"Fogadás"_s, u"DeKódolás fogadáshoz"_s, QKeySequence(u"Ctrl+R"_s)},
         {ToolbarCommand::Key, u"Kulcs"_s, u"Kulcs betöltése/készítése"_s, QKeySequence(u"Ctrl+K"_s)}}};
    // Six positions: separators stand at 2, 4 and 5.
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const auto& [command, key, tooltip, shortcut] = buttons[i];
        if (i > 0) {
            m_toolbar->addSeparator();
        }
        if (i == 2) {
            m_toolbar->addSeparator();
        }
        QAction* action = m_toolbar->addAction(key);
        action->setObjectName(key);
        action->setShortcut(shortcut);
        action->setToolTip(tooltip + u" ("_s + shortcut.toString(QKeySequence::NativeText) + u')');
        connect(action, &QAction::triggered, this, [this, command] { OnToolbar(command); });
        if (QWidget* button = m_toolbar->widgetForAction(action)) {
            button->setObjectName(key);
            button->setAccessibleName(tooltip);
            button->setFocusPolicy(Qt::TabFocus);
        }
        m_toolbarActions[i] = action;
    }
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    // Tab walks the toolbar, then the tab bar, then the page shown.
    QWidget* previous = nullptr;
    for (QAction* action : m_toolbarActions) {
        QWidget* button = m_toolbar->widgetForAction(action);
        if (previous != nullptr) {
            setTabOrder(previous, button);
        }
        previous = button;
    }
    setTabOrder(previous, m_tabs->tabBar());
}

void MainWindow::BuildToolbarIcons() {
    const QPixmap strip(u":/icons/main_toolbar.png"_s);
    const QVector<QIcon> icons = CutIcons(strip, 32, 3, QColor(255, 0, 255));
    for (std::size_t i = 0; i < m_toolbarActions.size(); ++i) {
        m_toolbarActions[i]->setIcon(icons.value(static_cast<qsizetype>(i)));
    }
}

void MainWindow::BuildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(u"StatusBar1"_s);
    const std::array<QString, 4> first{u"VELT 7.3"_s, u"- nincs -"_s, QString(), QString()};
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = NamedLabel(u"Panel%1"_s.arg(i + 1), first[i], bar);
        m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(m_panels[i], i == 1 ? 1 : 0);
    }
    setStatusBar(bar);
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &MainWindow::ShowClock);
    m_clockTimer->start();
    ShowClock();
}

void MainWindow::ShowClock() {
    const QDateTime now = m_services.wallClock.Now();
    const QLocale locale;
    m_panels[2]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[3]->setText(now.time().toString(u"HH:mm"_s));
}

void MainWindow::Load() {
    // Every step may fail on its own; the rest of start-up still runs.
    const auto step = [](auto&& run) { RunOrSkip("A start-up step of the main window", run); };
    step([this] {
        BuildToolbarIcons();
        // The toolbar keeps its place on every tab, so the tab bar never moves under the pointer;
        // off the job tab its buttons are hidden and out of reach.
        m_toolbar->setFixedHeight(m_toolbar->sizeHint().height());
        resize(sizeHint().expandedTo(QSize(480, 400)));
        OfferToolbar(false);
    });
    step([this] { m_state.keyPresent = false; });
    step([this] {
        DisableGroups();
        m_state.sendingMode = false;
        m_state.receptionMode = false;
    });
    step([this] {
        m_language->clear();
        m_language->addItems({u"English"_s, u"Magyar"_s});
        m_language->setCurrentIndex(StoredLanguage(m_state));
        ApplyLanguage();
    });
    step([this] {
        m_state.OpenKeyStore();
        if (!m_state.keyPresent) {
            // The fallback key is the one in use: the window must not keep naming the refused one.
            ShowKeyFileName(m_state.keyFileName);
            SetSliderValue(m_state.keyLength);
            SetLengthLabel(std::to_string(m_state.keyLength));
        }
    });
    step([this] { m_follower->SetFollowing(true); });
    m_tabs->setCurrentIndex(0);
    show();
}

void MainWindow::ApplyLanguage() {
    const int index = m_language->currentIndex();
    if (index != 0 && index != 1) {
        return;
    }
    const auto language = static_cast<std::uint8_t>(index);
    m_state.language = language;
    const auto text = [language](TextId id) { return *UiText(id, language); };
    m_keyFileLabel->setText(text(TextId::KeyFileLabel));
    m_versionLabel->setText(text(TextId::VersionLabel));
    m_languageLabel->setText(text(TextId::LanguageLabel));
    m_tabs->setTabText(1, text(TextId::JobTab));
    m_sending->setTitle(text(TextId::SendingFrame));
    m_reception->setTitle(text(TextId::ReceptionFrame));
    m_translate->setToolTip(text(TextId::TranslateTooltip));
    m_sliderCaption->setText(text(TextId::AccessibleSlider));
    ShowFingerprint(m_state.keyFingerprint);
    for (std::size_t i = 0; i < kJobs.size(); ++i) {
        m_commands[i]->setCaption(text(kJobs[i].caption));
    }
    SetAccessKeys();
    RefreshAccessibleNames();
    FollowLanguageInQtTexts(language);
}

void MainWindow::FollowLanguageInQtTexts(std::uint8_t language) {
    QCoreApplication::removeTranslator(&m_qtTexts);
    // Without Qt's translations installed the buttons stay English, as before.
    if (language == 1 && (!m_qtTexts.isEmpty() ||
                          m_qtTexts.load(QLocale(QLocale::Hungarian), u"qtbase"_s, u"_"_s,
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))) {
        QCoreApplication::installTranslator(&m_qtTexts);
    }
}

void MainWindow::SetAccessKeys() {
    // Given afresh in every language, so that each letter stays unique on the window.
    QString taken;
    for (int tab = 0; tab < m_tabs->count(); ++tab) {
        m_tabs->setTabText(tab, WithAccessKey(WithoutAccessKey(m_tabs->tabText(tab)), taken));
    }
    for (GlossButton* button : m_commands) {
        button->setCaption(WithAccessKey(WithoutAccessKey(button->Caption()), taken));
    }
    m_translate->setCaption(WithAccessKey(WithoutAccessKey(m_translate->Caption()), taken));
}

void MainWindow::RefreshAccessibleNames() {
    const std::uint8_t language = m_state.language <= 1 ? m_state.language : 0;
    const auto text = [language](TextId id) { return *UiText(id, language); };
    // Labels are left unnamed: screen readers then read their current text, which a fixed name
    // would freeze (lblSL follows the slider, the status panels the key and the clock).
    for (GlossButton* button : m_commands) {
        button->setAccessibleName(WithoutAccessKey(button->Caption()));
    }
    m_translate->setAccessibleName(WithoutAccessKey(m_translate->Caption()));
    m_sending->setAccessibleName(m_sending->title());
    m_reception->setAccessibleName(m_reception->title());
    m_tabs->setAccessibleName(WithoutAccessKey(m_tabs->tabText(m_tabs->currentIndex())));
    m_slider->setAccessibleName(text(TextId::AccessibleSlider));
    m_reference->SetAccessibleName(text(TextId::AccessibleReference));
    m_keyPresent->setAccessibleName(text(TextId::AccessibleKeyPresent));
    m_clipboardWindow->setAccessibleName(text(TextId::AccessibleClipboardWindow));
    m_language->setAccessibleName(text(TextId::AccessibleLanguage));
    m_matrix->setAccessibleName(text(TextId::AccessibleMatrix));
}

void MainWindow::DisableGroups() {
    m_sending->setEnabled(false);
    m_reception->setEnabled(false);
    for (GlossButton* button : m_commands) {
        button->setEnabled(false);
    }
}

void MainWindow::OnToolbar(ToolbarCommand command) {
    // A failing toolbar operation is skipped; the window stays usable.
    RunOrSkip("A toolbar command of the main window", [&] {
        if (command == ToolbarCommand::Key) {
            FormOrExchangeKey(m_state, m_services.dialogs);
            return;
        }
        const Direction offered = command == ToolbarCommand::Send ? Direction::Sending : Direction::Reception;
        m_sending->setEnabled(offered == Direction::Sending);
        m_reception->setEnabled(offered == Direction::Reception);
        for (std::size_t i = 0; i < kJobs.size(); ++i) {
            m_commands[i]->setEnabled(kJobs[i].direction == offered);
        }
    });
}

void MainWindow::OnTabChanged(int index) {
    DisableGroups();
    const bool jobTab = index == 1;
    OfferToolbar(jobTab);
    // The translate button follows the clipboard on its own tab too, not only from the job tab.
    m_follower->SetFollowing(jobTab || index == 2);
    m_tabs->setAccessibleName(WithoutAccessKey(m_tabs->tabText(index)));
}

void MainWindow::OfferToolbar(bool offered) {
    // The separators go with the buttons: alone they would look like a handle.
    for (QAction* action : m_toolbar->actions()) {
        action->setVisible(offered);
        action->setEnabled(offered);
    }
}

void MainWindow::RunJob(Job job) {
    if (m_launcher.Run(job, *this)) {
        hide();
    }
}

namespace {
/// The local files and folders that a drag carries; empty when it carries anything else.
QStringList DraggedPaths(const QMimeData* data) {
    QStringList paths;
    // While the wait window or a question is up nothing new may start, and the desktop's drops
    // are not held back as clicks are.
    if (data == nullptr || !data->hasUrls() || QApplication::activeModalWidget() != nullptr) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        paths << url.toLocalFile();
    }
    return paths;
}
} // namespace

bool MainWindow::OpenFromOutside(const QStringList& paths) {
    const bool opened = m_launcher.OpenPaths(paths, *this);
    if (opened) {
        hide();
    }
    return opened;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedPaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = DraggedPaths(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // The drag source gets its answer first; the job window opens after the drop ends.
    QMetaObject::invokeMethod(this, [this, paths] { OpenFromOutside(paths); }, Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!DraggedPaths(drop->mimeData()).isEmpty()) {
            if (type == QEvent::Drop) {
                dropEvent(drop);
            } else {
                drop->acceptProposedAction();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ShowKeyFileName(const std::string& name) {
    const QString text = QString::fromStdString(name);
    m_keyName->setText(text);
    m_keyName->setAccessibleName(text);
    // Installed, the key does not lie beside the program: say where it does.
    // Escaped in a paragraph of its own, so that the tooltip shows the path as it is.
    const QString path = QString::fromStdString((m_state.ProgramFolder() / name).string());
    m_keyName->setToolTip(u"<p style='white-space:pre'>"_s + path.toHtmlEscaped() + u"</p>"_s);
    m_panels[1]->setText(text);
}

bool MainWindow::SetSliderValue(int value) {
    if (value < kSliderMin || value > kSliderMax) {
        return false;
    }
    // Only the user's moves of the slider are its scroll event.
    const QSignalBlocker quiet(m_slider);
    m_slider->setValue(value);
    return true;
}

void MainWindow::SetLengthLabel(const std::string& text) {
    m_lengthLabel->setText(QString::fromStdString(text));
    MarkLengthInUse();
}

void MainWindow::ShowFingerprint(const std::string& fingerprint) {
    const std::uint8_t language = m_state.language <= 1 ? m_state.language : 0;
    m_fingerprint->setText(
        fingerprint.empty()
            ? QString()
            : QString::fromStdString(*FormatText(TextId::KeyFingerprintLabel, language, {fingerprint})));
    MarkLengthInUse();
}

void MainWindow::MarkLengthInUse() {
    const int records = m_state.keyFileRecords;
    const int length = m_state.keyLength;
    const std::uint8_t language = m_state.language <= 1 ? m_state.language : 0;
    const bool differs = records > 0 && length != records;
    // Coding with fewer positions than the key file holds is allowed, but the correspondent
    // must do the same, so the difference may never pass unseen.
    m_lengthLabel->setText(differs ? u"%1 \u2260 %2"_s.arg(length).arg(records) : QString::number(length));
    m_lengthLabel->setStyleSheet(differs ? u"QLabel { color: rgb(192, 0, 0); font-weight: bold; }"_s : QString());
    if (!differs) {
        m_lengthLabel->setToolTip(u"Kattintásra alpértékre állít [366]"_s);
        return;
    }
    const TextId why = length > records ? TextId::KeyLengthBeyondFile : TextId::KeyLengthDiffers;
    const std::string text =
        *FormatText(why, language, {m_state.keyFileName, std::to_string(records), std::to_string(length)});
    // Rich text, so that the tooltip wraps instead of running across the screen.
    m_lengthLabel->setToolTip(u"<p>%1</p>"_s.arg(QString::fromStdString(text).toHtmlEscaped()));
}

void MainWindow::SetKeyFileChecked(bool checked) {
    m_keyPresent->setChecked(checked);
}

void MainWindow::RefreshReference() {
    QString text = m_reference->Text();
    // The text box of the correspondents' copies holds CR LF line breaks; the key shift must agree.
    text.replace(u"\n"_s, u"\r\n"_s);
    try {
        m_referenceCodes = codepage::FromUtf8(text.toStdString());
        m_referenceError.reset();
    } catch (const VeltError& error) {
        m_referenceCodes.clear();
        m_referenceError = error;
    }
}

const std::string& MainWindow::Codes() {
    if (m_referenceError) {
        throw *m_referenceError;
    }
    return m_referenceCodes;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_state.Settings().Write("lang", std::to_string(std::max(m_language->currentIndex(), 0)));
    event->accept();
    m_services.endProcess();
}

} // namespace velt::shell
