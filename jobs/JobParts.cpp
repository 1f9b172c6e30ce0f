#include "jobs/JobParts.h"

#include "controls/GlossButton.h"
#include "controls/PropertyBag.h"
#include "platform/AccessKeys.h"
#include "platform/IconStrip.h"

#include <QAction>
#include <QFont>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QToolBar>
#include <QWidget>
#include <algorithm>

static void InitJobIcons() {
    Q_INIT_RESOURCE(jobs_icons);
}

namespace velt::jobs {
using namespace Qt::StringLiterals;

const QString kLeaveKey = u"Kilépés"_s;

GlossButton* MakeStartButton(const QString& name, bool enabled, QWidget* parent) {
    auto* button = new GlossButton(parent);
    button->setObjectName(name);
    QFont font(u"Tahoma"_s, 9);
    font.setWeight(QFont::Normal);
    const MemoryPropertyBag design(QVariantMap{
        {u"Enabled"_s, enabled},
        {u"Font"_s, font},
        {u"Caption"_s, QString()},
        {u"Checked"_s, false},
        {u"ColorButtonHover"_s, QColor(144, 192, 255)},
        {u"ColorButtonUp"_s, QColor(80, 153, 233)},
        {u"ColorButtonDown"_s, QColor(80, 153, 233)},
        {u"ColorBright"_s, QColor(176, 237, 255)},
        {u"BorderBrightness"_s, 0},
        {u"DisplayHand"_s, false},
        {u"ColorScheme"_s, 0},
    });
    button->readProperties(design);
    button->setMinimumSize(220, 36);
    return button;
}

void SetStartCaption(GlossButton& start, const QString& caption) {
    QString taken;
    start.setCaption(platform::WithAccessKey(caption, taken));
    start.setAccessibleName(caption);
}

QWidget* StartPanel(const QString& name, QWidget* start, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    auto* layout = new QHBoxLayout(panel);
    layout->addStretch(1);
    layout->addWidget(start);
    layout->addStretch(1);
    return panel;
}

QAction* AddLeaveToolbar(QMainWindow& window, const QString& name) {
    QToolBar* toolbar = platform::IconToolbar(&window, name);
    const QString tooltip = u"Kilépés az alkalmazásból"_s;
    QAction* leave = toolbar->addAction(kLeaveKey);
    leave->setObjectName(kLeaveKey);
    leave->setToolTip(tooltip);
    if (QWidget* button = toolbar->widgetForAction(leave)) {
        button->setObjectName(kLeaveKey);
        button->setAccessibleName(tooltip);
        button->setFocusPolicy(Qt::TabFocus); // toolbars leave their buttons out of the Tab chain
    }
    window.addToolBar(Qt::TopToolBarArea, toolbar);
    return leave;
}

void SetLeaveIcon(QAction& leave) {
    InitJobIcons();
    const QPixmap strip(u":/icons/jobs_toolbar.png"_s);
    leave.setIcon(platform::CutIcons(strip, 32, 1, QColor(255, 0, 255)).value(0));
}

PathLabel::PathLabel(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void PathLabel::SetPath(const QString& path) {
    m_path = path;
    setWordWrap(false);
    // Escaped, as a tooltip that looks like markup is drawn as markup; kept on one line.
    setToolTip(u"<p style='white-space:pre'>"_s + path.toHtmlEscaped() + u"</p>"_s);
    Elide();
}

void PathLabel::SetNote(const QString& note) {
    m_path.clear();
    setToolTip(QString());
    setWordWrap(true);
    setText(note);
}

void PathLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void PathLabel::Elide() {
    if (!wordWrap()) {
        setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, contentsRect().width() - std::max(0, indent())));
    }
}

void ShowMainWindow(const QPointer<QWidget>& mainWindow) {
    if (mainWindow) {
        mainWindow->show();
        mainWindow->activateWindow();
    }
}

} // namespace velt::jobs
