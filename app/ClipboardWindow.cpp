#include "app/ClipboardWindow.h"

#include "engine/AppState.h"
#include "platform/Clipboard.h"
#include "platform/UiText.h"
#include "platform/WindowPlace.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdlib>

namespace velt::app {
using namespace platform;
namespace {
using namespace Qt::StringLiterals;
constexpr int kFollowInterval = 300;
constexpr int kTextInset = 8; // pixels between the window's edge and the text box
} // namespace

QString ShownPart(const QString& text, Language language) {
    if (text.size() <= kShownCharacters) {
        return text;
    }
    qsizetype shown = kShownCharacters;
    if (text.at(shown - 1).isHighSurrogate()) {
        --shown; // a character beyond the first plane is shown whole or not at all
    }
    const auto note = UiText(WindowTextId::MoreCharacters, SpokenLanguage(language))
                          ->replace(u"%1"_s, QString::number(text.size() - shown));
    return text.left(shown) + u"\n\n"_s + note;
}

int twips::Snapped(int edge, int target) {
    return std::abs(edge - target) < kSnapDistance ? target : edge;
}

ClipboardWindow::ClipboardWindow(IClipboard& clipboard, QWidget& mainWindow, const AppState& state,
                                 const std::optional<WindowPlace>& remembered)
    : QWidget(&mainWindow, Qt::Window), m_clipboard(clipboard), m_state(state), m_mainWindow(&mainWindow),
      m_text(new QPlainTextEdit(this)), m_follow(new QTimer(this)) {
    setObjectName(QStringLiteral("frmCLB"));
    setWindowTitle(QStringLiteral("Vágólap"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Moves over the window itself (outside the text box) snap it to the main window.
    setMouseTracking(true);

    m_text->setObjectName(QStringLiteral("txtCLB"));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setReadOnly(true);
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::Text, colours.color(QPalette::ToolTipText));
    m_text->setPalette(colours);
    m_text->move(kTextInset, kTextInset);

    // The design size is the outer one; before the window is shown its frame is taken to be the
    // main window's.
    const QMargins frame = FrameOf(*this, mainWindow);
    if (!remembered || !MoveToPlace(*this, *remembered, frame)) {
        const QSize design(twips::ToPixels(twips::kMinimumWidth), twips::ToPixels(twips::kMinimumHeight));
        SetOuterGeometry(
            *this,
            BesideMain(mainWindow.frameGeometry(), design, AvailableAround(mainWindow), twips::ToPixels(10)),
            frame);
    }

    m_follow->setObjectName(QStringLiteral("tclb"));
    m_follow->setInterval(kFollowInterval);
    connect(m_follow, &QTimer::timeout, this, &ClipboardWindow::Follow);
    m_follow->start();
}

void ClipboardWindow::ShowClipboardText() {
    m_shownChange = m_clipboard.ChangeCount();
    m_text->setPlainText(ShownPart(m_clipboard.Text(), m_state.language));
}

void ClipboardWindow::Follow() {
    // Nothing is asked of the clipboard while it has not changed since the text shown was read.
    const std::optional<std::uint64_t> change = m_clipboard.ChangeCount();
    if (change && change == m_shownChange) {
        return;
    }
    if (m_clipboard.HasText()) {
        ShowClipboardText();
    } else {
        // Whatever is offered now is no text: the box keeps what it shows until text comes.
        m_shownChange = change;
    }
}

void ClipboardWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplySizeRules(); // a resize while hidden reaches no resize rule
}

void ClipboardWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) {
        ApplySizeRules();
    }
}

void ClipboardWindow::ApplySizeRules() {
    if (isMinimized()) {
        return;
    }
    // The rules speak of the outer size, frame included; before the window manager has told the
    // frame, it is taken to be the main window's.
    const QMargins margins = m_mainWindow ? FrameOf(*this, *m_mainWindow) : QMargins();
    const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
    const int width = twips::FromPixels(this->width() + frame.width());
    const int height = twips::FromPixels(this->height() + frame.height());
    setMinimumSize(QSize(twips::ToPixels(twips::kMinimumWidth), twips::ToPixels(twips::kMinimumHeight)) - frame);
    if (width < twips::kMinimumWidth) {
        resize(twips::ToPixels(twips::kMinimumWidth) - frame.width(), this->height());
        return;
    }
    if (height < twips::kMinimumHeight) {
        resize(this->width(), twips::ToPixels(twips::kMinimumHeight) - frame.height());
        return;
    }
    m_text->resize(twips::ToPixels(width - twips::kTextWidthMargin),
                   twips::ToPixels(height - twips::kTextHeightMargin));
}

void ClipboardWindow::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (!m_mainWindow) {
        return;
    }
    const QPoint main = m_mainWindow->frameGeometry().topLeft();
    const QPoint own = frameGeometry().topLeft();
    const int left = twips::Snapped(twips::FromPixels(own.x()), twips::FromPixels(main.x()));
    const int top = twips::Snapped(twips::FromPixels(own.y()), twips::FromPixels(main.y()));
    const QPoint snapped(twips::ToPixels(left), twips::ToPixels(top));
    if (snapped != own) {
        move(snapped);
    }
}

void ClipboardWindow::closeEvent(QCloseEvent* event) {
    m_follow->stop();
    event->accept();
    Q_EMIT Closed();
}

} // namespace velt::app
