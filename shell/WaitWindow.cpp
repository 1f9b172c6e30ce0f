#include "WaitWindow.h"

#include "AppState.h"
#include "Texts.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QVBoxLayout>
#include <limits>

namespace velt::shell {
namespace {
constexpr qint64 kEventInterval = 30; // ms between event runs; more often costs the loops time
}

WaitWindow::WaitWindow(std::uint8_t language, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint),
      m_bar(new QProgressBar(this)) {
    setObjectName(QStringLiteral("Form5"));
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setAccessibleName(QStringLiteral("ProgressBar1"));
    setWindowTitle(QStringLiteral("Várj ..."));
    if (const auto caption = Text(TextId::WaitCaption, language)) {
        setWindowTitle(QString::fromUtf8(caption->data(), static_cast<qsizetype>(caption->size())));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    setMinimumWidth(320);
}

WaitProgress::WaitProgress(const AppState& state) : m_state(state) {}

WaitProgress::~WaitProgress() {
    delete m_window;
}

void WaitProgress::Begin(std::int64_t maximum, std::string_view caption) {
    if (!m_window) {
        m_window = new WaitWindow(m_state.language);
    }
    if (!caption.empty()) {
        m_window->setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    }
    // The bar counts in int; very large amounts of work are shown in coarser steps.
    constexpr std::int64_t intMax = std::numeric_limits<int>::max();
    m_divisor = maximum > intMax ? maximum / intMax + 1 : 1;
    m_window->Bar()->setRange(0, static_cast<int>(std::max<std::int64_t>(maximum, 0) / m_divisor));
    m_window->Bar()->setValue(0);
    m_window->show();
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
    delete m_window;
}

void WaitProgress::LetEventsRun() {
    // Painting goes on; clicks and keys wait until the work ends, so no second
    // coding operation can start in the middle of this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sinceEvents.start();
}

} // namespace velt::shell
