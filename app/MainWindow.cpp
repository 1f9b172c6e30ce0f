#include "app/MainWindow.h"

#include "app/ClickLabel.h"
#include "app/ClipboardFollower.h"
#include "app/KeyAction.h"
#include "app/MaskedTextEdit.h"
#include "controls/GlossButton.h"
#include "engine/AppState.h"
#include "engine/CodePage.h"
#include "platform/AccessKeys.h"
#include "platform/SkippedStep.h"
#include "platform/UiText.h"
#include "platform/WallClock.h"
#include "platform/WindowPlace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLibraryInfo>
#include <QLocale>
#include <QMimeData>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <utility>

namespace velt::app {
using namespace platform;
namespace {
using namespace Qt::StringLiterals;

void ToFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}
} // namespace

void MainWindow::ShowClock() {
    const QDateTime now = m_services.wallClock.Now();
    // The date follows the window's language; in English the system's own form, as before.
    const QLocale locale = m_state.language == Language::Hungarian ? QLocale(QLocale::Hungarian, QLocale::Hungary)
                                                                    : QLocale();
    m_panels[2]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[3]->setText(now.time().toString(u"HH:mm"_s));
}

void MainWindow::Load() {
    // Every step may fail on its own; the rest of start-up still runs.
    const auto step = [](auto&& run) { RunOrSkip("A start-up step of the main window", run); };
    step([this] {
        BuildToolbarIcons();
        // The toolbar keeps its place on every tab, so the tab bar never moves under the pointer;
        // off the job tab its buttons are shown disabled rather than leaving an empty band.
        m_toolbar->setFixedHeight(m_toolbar->sizeHint().height());
        resize(sizeHint().expandedTo(QSize(480, 400)));
        OfferToolbar(false);
    });
    step([this] { m_state.keyPresent = false; });
    step([this] { DisableGroups(); });
    step([this] {
        m_language->clear();
        m_language->addItems({u"English"_s, u"Magyar"_s});
        m_language->setCurrentIndex(static_cast<int>(m_state.Options().StoredLanguage()));
        ApplyLanguage();
    });
    step([this] {
        if (const std::string why = m_state.OpenKeyStore(); !why.empty()) {
            qInfo("No key in use, %s: %s", m_state.keyFileName.c_str(), why.c_str());
        }
        if (!m_state.keyPresent) {
            // The fallback key is the one in use: the window must not keep naming the refused one.
            ShowKeyFileName(m_state.keyFileName);
            ShowKeyLength(m_state.keyLength);
            SetLengthLabel(std::to_string(m_state.keyLength));
        }
    });
    step([this] { m_follower->SetFollowing(true); });
    m_tabs->setCurrentIndex(0);
    // Last, once the texts and the key have given the window its least size.
    step([this] {
        if (const auto remembered = m_state.Options().Place(PlacedWindow::Main)) {
            MoveToPlace(*this, *remembered, QMargins());
        }
    });
    show();
}

void MainWindow::ApplyLanguage() {
    const int index = m_language->currentIndex();
    if (index != 0 && index != 1) {
        return;
    }
    const auto language = static_cast<Language>(index);
    m_state.language = language;
    const auto text = [language](WindowTextId id) { return *UiText(id, language); };
    m_keyFileLabel->setText(text(WindowTextId::KeyFileLabel));
    m_versionLabel->setText(text(WindowTextId::VersionLabel));
    m_languageLabel->setText(text(WindowTextId::LanguageLabel));
    m_tabs->setTabText(1, text(WindowTextId::JobTab));
    m_sending->setTitle(text(WindowTextId::SendingFrame));
    m_reception->setTitle(text(WindowTextId::ReceptionFrame));
    m_translate->setToolTip(text(WindowTextId::TranslateTooltip));
    m_sliderCaption->setText(text(WindowTextId::AccessibleSlider));
    ShowFingerprint(m_state.keyFingerprint);
    for (std::size_t i = 0; i < kJobs.size(); ++i) {
        m_commands[i]->setCaption(text(kJobs[i].caption));
    }
    SetAccessKeys();
    RefreshAccessibleNames();
    FollowLanguageInQtTexts(language);
    ShowClock();
}

void MainWindow::FollowLanguageInQtTexts(Language language) {
    QCoreApplication::removeTranslator(&m_qtTexts);
    // Without Qt's translations installed the buttons stay English, as before.
    if (language == Language::Hungarian &&
        (!m_qtTexts.isEmpty() || m_qtTexts.load(QLocale(QLocale::Hungarian), u"qtbase"_s, u"_"_s,
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
    const Language language = SpokenLanguage(m_state.language);
    const auto text = [language](WindowTextId id) { return *UiText(id, language); };
    // Labels are left unnamed: screen readers then read their current text, which a fixed name
    // would freeze (lblSL follows the slider, the status panels the key and the clock).
    for (GlossButton* button : m_commands) {
        button->setAccessibleName(WithoutAccessKey(button->Caption()));
    }
    m_translate->setAccessibleName(WithoutAccessKey(m_translate->Caption()));
    m_sending->setAccessibleName(m_sending->title());
    m_reception->setAccessibleName(m_reception->title());
    m_tabs->setAccessibleName(WithoutAccessKey(m_tabs->tabText(m_tabs->currentIndex())));
    m_slider->setAccessibleName(text(WindowTextId::AccessibleSlider));
    m_reference->SetAccessibleName(text(WindowTextId::AccessibleReference));
    m_keyPresent->setAccessibleName(text(WindowTextId::AccessibleKeyPresent));
    m_clipboardWindow->setAccessibleName(text(WindowTextId::AccessibleClipboardWindow));
    m_language->setAccessibleName(text(WindowTextId::AccessibleLanguage));
    m_matrix->setAccessibleName(text(WindowTextId::AccessibleMatrix));
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
    for (QAction* action : m_toolbar->actions()) {
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

void MainWindow::TakeHandedOver(const QStringList& paths) {
    QWidget* inUse = QApplication::activeModalWidget();
    if (inUse == nullptr && !isVisible()) {
        // A job window stands in for the main window while it is open.
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto shown = std::find_if(windows.begin(), windows.end(),
                                        [](const QWidget* window) { return window->isVisible(); });
        inUse = shown != windows.end() ? *shown : nullptr;
    }
    if (inUse != nullptr || m_state.Busy()) {
        if (!paths.isEmpty() && !m_handedOver.contains(paths)) {
            m_handedOver.append(paths);
        }
        ToFront(inUse != nullptr ? *inUse : *this);
        return;
    }
    ToFront(*this);
    OpenFromOutside(paths);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    TakeWaiting();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A modal window over this one has closed.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        TakeWaiting();
    }
}

void MainWindow::TakeWaiting() {
    if (m_handedOver.isEmpty()) {
        return;
    }
    // Once the window that was in use has handed back and this one is settled.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_handedOver.isEmpty() && isVisible() && QApplication::activeModalWidget() == nullptr &&
                !m_state.Busy()) {
                TakeHandedOver(m_handedOver.takeFirst());
            }
        },
        Qt::QueuedConnection);
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

bool MainWindow::ShowKeyLength(int value) {
    if (value < kMinKeyLength || value > kKeyCapacity) {
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
    const Language language = SpokenLanguage(m_state.language);
    m_fingerprint->setText(fingerprint.empty()
                               ? QString()
                               : QString::fromStdString(*FormatText(WindowTextId::KeyFingerprintLabel,
                                                                    language, {fingerprint})));
    MarkLengthInUse();
}

QString MainWindow::DefaultLengthTip() {
    return u"Kattintásra alpértékre állít [%1]"_s.arg(kDefaultKeyLength);
}

void MainWindow::MarkLengthInUse() {
    const int records = m_state.keyFileRecords;
    const int length = m_state.keyLength;
    const Language language = SpokenLanguage(m_state.language);
    const bool differs = records > 0 && length != records;
    // Coding with fewer positions than the key file holds is allowed, but the correspondent
    // must do the same, so the difference may never pass unseen.
    m_lengthLabel->setText(differs ? u"%1 \u2260 %2"_s.arg(length).arg(records) : QString::number(length));
    m_lengthLabel->setStyleSheet(differs ? u"QLabel { color: rgb(192, 0, 0); font-weight: bold; }"_s : QString());
    if (!differs) {
        m_lengthLabel->setToolTip(DefaultLengthTip());
        return;
    }
    const WindowTextId why =
        length > records ? WindowTextId::KeyLengthBeyondFile : WindowTextId::KeyLengthDiffers;
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

void MainWindow::setVisible(bool visible) {
    if (!visible && isVisible()) {
        m_hiddenAt = geometry().topLeft();
    } else if (visible && m_hiddenAt) {
        // Asked for on purpose even where it stands already: else a window manager places the
        // window anew when it comes back.
        const QPoint place = *std::exchange(m_hiddenAt, std::nullopt);
        setGeometry(QRect(place, size()));
        if (QWindow* handle = windowHandle()) {
            handle->setPosition(place);
        }
    }
    QMainWindow::setVisible(visible);
    if (visible) {
        // Once its texts have given it its size: it may grow past the screen's edge.
        QTimer::singleShot(0, this, [this] { KeepOnScreen(*this); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // An empty selector saves English.
    m_state.Options().SaveLanguage(m_language->currentIndex() == 1 ? Language::Hungarian : Language::English);
    m_state.Options().SavePlace(PlacedWindow::Main, PlaceOf(*this));
    m_follower->RememberPlace();
    event->accept();
    m_services.endProcess();
}

} // namespace velt::app
