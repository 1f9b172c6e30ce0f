#include "app/ClipboardFollower.h"

#include "app/ClipboardTranslation.h"
#include "app/ClipboardWindow.h"
#include "controls/GlossButton.h"
#include "engine/AppState.h"
#include "platform/Clipboard.h"
#include "platform/WindowPlace.h"

#include <QTimer>

namespace velt::app {
using namespace platform;
namespace {
using namespace Qt::StringLiterals;

constexpr int kTimerInterval = 300;
} // namespace

ClipboardFollower::ClipboardFollower(AppState& state, IClipboard& clipboard, QWidget& mainWindow,
                                     GlossButton& translate, GlossButton& windowSwitch)
    : QObject(&mainWindow), m_state(state), m_clipboard(clipboard), m_mainWindow(mainWindow), m_translate(translate),
      m_switch(windowSwitch), m_timer(new QTimer(this)) {
    m_timer->setObjectName(u"Timer"_s);
    m_timer->setInterval(kTimerInterval);
    connect(m_timer, &QTimer::timeout, this, &ClipboardFollower::OnTimer);
    connect(&m_translate, &GlossButton::Click, this, &ClipboardFollower::OnTranslate);
    connect(&m_switch, &GlossButton::Click, this, &ClipboardFollower::OnSwitch);
    m_switch.setProperty("tag", u"0"_s);
}

void ClipboardFollower::SetFollowing(bool on) {
    if (on) {
        m_timer->start();
    } else {
        m_timer->stop();
    }
}

void ClipboardFollower::OnTimer() {
    if (m_state.Busy()) {
        return;
    }
    // Only the offered formats are asked, and only after the clipboard changed: a large
    // text on the clipboard costs an idle window nothing.
    const std::optional<std::uint64_t> change = m_clipboard.ChangeCount();
    if (change && change == m_seenClipboard) {
        return;
    }
    m_seenClipboard = change;
    m_translate.setEnabled(m_clipboard.HasText());
}

void ClipboardFollower::OnTranslate() {
    if (m_state.Busy()) {
        return;
    }
    m_translate.setEnabled(false);
    {
        const AppState::Work work(m_state);
        TranslateClipboard(m_state, m_clipboard);
    }
    m_translate.setEnabled(true);
    ShowClipboardWindow();
}

void ClipboardFollower::OnSwitch() {
    const QString tag = m_switch.property("tag").toString();
    if (tag == u"0"_s) {
        ShowClipboardWindow();
    } else if (tag == u"1"_s) {
        if (m_view) {
            m_view->close();
        }
        m_switch.setProperty("tag", u"0"_s);
    }
}

void ClipboardFollower::RememberPlace() {
    if (m_view) {
        m_state.Options().SavePlace(PlacedWindow::Clipboard, platform::PlaceOf(*m_view));
    }
}

void ClipboardFollower::ShowClipboardWindow() {
    if (!m_view) {
        m_view = new ClipboardWindow(m_clipboard, m_mainWindow, m_state,
                                     m_state.Options().Place(PlacedWindow::Clipboard));
        connect(m_view, &ClipboardWindow::Closed, this, [this] {
            RememberPlace();
            m_switch.setProperty("tag", u"0"_s);
        });
    }
    m_view->show();
    m_switch.setProperty("tag", u"1"_s);
    m_view->ShowClipboardText();
}

} // namespace velt::app
