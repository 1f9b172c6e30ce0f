#include "platform/WaitWindow.h"

#include "engine/AppState.h"
#include "platform/WindowTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

namespace velt::platform {
namespace {
constexpr qint64 kEventInterval = 30; // ms between event runs; more often costs the loops time

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

WaitWindow::WaitWindow(Language language, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint),
      m_bar(new QProgressBar(this)), m_cancel(new QPushButton(this)) {
    setObjectName(QStringLiteral("Form5"));
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setAccessibleName(QStringLiteral("ProgressBar1"));
    setWindowTitle(QStringLiteral("Várj ..."));
    if (const auto caption = Text(WindowTextId::WaitCaption, language)) {
        setWindowTitle(FromUtf8(*caption));
    }
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    m_cancel->setText(FromUtf8(Text(WindowTextId::CancelButton, language).value_or("Mégse")));
    m_cancel->setAutoDefault(false);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &WaitWindow::cancelRequested);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    setMinimumWidth(320);
    // The other windows wait with their input until the work is over.
    setWindowModality(Qt::ApplicationModal);
}

void WaitWindow::SetCancellable(bool cancellable) {
    m_cancel->setVisible(cancellable);
    if (cancellable) {
        m_cancel->setFocus();
    }
}

void WaitWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_cancel->isVisible()) {
        Q_EMIT cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WaitWindow::closeEvent(QCloseEvent* event) {
    // The work ends the window; a close request from the desktop is a cancel where one is offered.
    if (event->spontaneous()) {
        event->ignore();
        if (m_cancel->isVisible()) {
            Q_EMIT cancelRequested();
        }
        return;
    }
    QWidget::closeEvent(event);
}

WaitProgress::WaitProgress(const AppState& state) : m_state(state) {}

WaitProgress::~WaitProgress() {
    delete m_window;
}

void WaitProgress::Begin(std::int64_t maximum, std::string_view caption) {
    Open(maximum, caption, false);
}

void WaitProgress::BeginCancellable(std::int64_t maximum, std::string_view caption) {
    Open(maximum, caption, true);
}

void WaitProgress::Open(std::int64_t maximum, std::string_view caption, bool cancellable) {
    m_cancelled = false;
    if (!m_window) {
        m_wasActive = QApplication::activeWindow();
        m_window = new WaitWindow(m_state.language);
        QObject::connect(m_window, &WaitWindow::cancelRequested, m_window, [this] { m_cancelled = true; });
    }
    if (!caption.empty()) {
        m_window->setWindowTitle(FromUtf8(caption));
    }
    m_window->SetCancellable(cancellable);
    // The bar counts in int; very large amounts of work are shown in coarser steps.
    constexpr std::int64_t intMax = std::numeric_limits<int>::max();
    m_divisor = maximum > intMax ? maximum / intMax + 1 : 1;
    m_window->Bar()->setRange(0, static_cast<int>(std::max<std::int64_t>(maximum, 0) / m_divisor));
    m_window->Bar()->setValue(0);
    m_window->show();
    if (cancellable) {
        m_window->activateWindow(); // so that Esc reaches it
    }
    m_sinceEvents.invalidate();
    LetEventsRun();
}

void WaitProgress::Update(std::int64_t value) {
    if (!m_window) {
        return;
    }
    // The bar and the events follow at most every few tens of milliseconds, and at the end.
    const bool last = value / m_divisor >= m_window->Bar()->maximum();
    if (last || !m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= kEventInterval) {
        m_window->Bar()->setValue(static_cast<int>(value / m_divisor));
        LetEventsRun();
    }
}

void WaitProgress::End() {
    const bool hadFocus = m_window && m_window->isActiveWindow();
    delete m_window;
    // The keyboard goes back where it was; a desktop without a window manager would leave it nowhere.
    if (hadFocus && m_wasActive && m_wasActive->isVisible()) {
        m_wasActive->activateWindow();
    }
    m_wasActive = nullptr;
}

void WaitProgress::LetEventsRun() {
    // Everything runs, but input reaches only this modal window: its Cancel, never a second
    // coding operation started in another window in the middle of this one.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_sinceEvents.start();
}

} // namespace velt::platform
