#include "app/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace velt::app {

QPixmap ClipboardPicture(qreal pixelRatio) {
    QPixmap picture(QSize(32, 32) * pixelRatio);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(90, 60, 20));
    painter.setBrush(QColor(190, 140, 70));
    painter.drawRoundedRect(5, 4, 22, 26, 3, 3);
    painter.setBrush(Qt::white);
    painter.drawRect(8, 9, 16, 18);
    painter.setBrush(QColor(150, 150, 150));
    painter.drawRect(11, 2, 10, 5);
    painter.setPen(QColor(120, 120, 120));
    for (int y = 13; y <= 23; y += 4) {
        painter.drawLine(11, y, 21, y);
    }
    return picture;
}

QPixmap KeyPicture(int side, qreal pixelRatio) {
    QPixmap picture(QSize(side, side) * pixelRatio);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 32.0, side / 32.0); // drawn on the 32-unit grid of the toolbar's key icon
    const QColor gold(230, 180, 20);
    const QColor dark(120, 80, 0);
    painter.setPen(QPen(gold, 2.4, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(14.5, 15.5), QPointF(29.5, 30.5));
    painter.drawLine(QPointF(23, 24), QPointF(20.5, 26.5));
    painter.drawLine(QPointF(27, 28), QPointF(24.5, 30.5));
    painter.setPen(QPen(dark, 1.6));
    painter.setBrush(gold);
    QPainterPath ring;
    ring.addEllipse(QPointF(10, 11), 7.2, 7.2);
    ring.addEllipse(QPointF(10, 11), 2.4, 2.4);
    painter.drawPath(ring);
    return picture;
}

} // namespace velt::app
