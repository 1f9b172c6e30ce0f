#include "platform/IconStrip.h"

#include <QAction>
#include <QBitmap>
#include <QToolBar>

namespace velt::platform {

QVector<QIcon> CutIcons(const QPixmap& strip, int side, int count, const QColor& maskColour) {
    QVector<QIcon> icons;
    for (int i = 0; i < count; ++i) {
        QPixmap slice = strip.copy(i * side, 0, side, side);
        slice.setMask(slice.createMaskFromColor(maskColour, Qt::MaskInColor));
        icons << QIcon(slice);
    }
    return icons;
}

QToolBar* IconToolbar(QWidget* parent, const QString& name) {
    auto* toolbar = new QToolBar(parent);
    toolbar->setObjectName(name);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setIconSize(QSize(32, 32));
    toolbar->toggleViewAction()->setEnabled(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    return toolbar;
}

} // namespace velt::platform
