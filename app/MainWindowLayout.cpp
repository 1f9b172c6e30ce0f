// How the main window is built: its tabs, toolbar and status bar. What it does lives in MainWindow.cpp.
#include "app/MainWindow.h"

#include "app/ClickLabel.h"
#include "app/ClipboardFollower.h"
#include "app/MaskedTextEdit.h"
#include "app/Pictures.h"
#include "controls/GlossButton.h"
#include "engine/AppState.h"
#include "platform/AccessKeys.h"
#include "platform/IconStrip.h"
#include "platform/UiText.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

static void InitShellIcons() {
    Q_INIT_RESOURCE(app_icons);
}

namespace velt::app {
using namespace platform;
namespace {
using namespace Qt::StringLiterals;

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

MainWindow::MainWindow(AppState& state, MainWindowServices services, QWidget* parent)
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
        GlossButton* button =
            NamedButton(QString::fromLatin1(row.buttonName), *UiText(row.caption, Language::Hungarian),
                        sending ? m_sending : m_reception);
        (sending ? sendingLayout : receptionLayout)->addWidget(button);
        connect(button, &GlossButton::Click, this, [this, job = row.job] { RunJob(job); });
        m_commands[i] = button;
    }

    m_slider = new QSlider(Qt::Horizontal, page);
    m_slider->setObjectName(u"Slider"_s);
    m_slider->setRange(kMinKeyLength, kKeyCapacity);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(100);
    m_slider->setValue(kDefaultKeyLength);
    m_lengthLabel = new ClickLabel(QString::number(kDefaultKeyLength), page);
    m_lengthLabel->setObjectName(u"lblSL"_s);
    m_lengthLabel->setToolTip(DefaultLengthTip());
    m_lengthLabel->setMinimumWidth(
        m_lengthLabel->fontMetrics().horizontalAdvance(QString::number(kKeyCapacity) + u".00"_s));
    m_sliderCaption = NamedLabel(u"lblSliderCaption"_s, u"Kulcshossz"_s, page);
    m_sliderCaption->setBuddy(m_slider);
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        m_lengthLabel->setText(QString::number(value));
        m_state.keyLength = static_cast<std::int16_t>(value);
        MarkLengthInUse();
    });
    connect(m_lengthLabel, &ClickLabel::Clicked, this, [this] {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(kDefaultKeyLength);
        m_lengthLabel->setText(QString::number(kDefaultKeyLength));
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
        connect(action, &QAction::triggered, this, [this, command = command] { OnToolbar(command); });
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

} // namespace velt::app
