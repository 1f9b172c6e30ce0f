#include "IconStrip.h"

#include <QBitmap>

namespace velt::shell {

QVector<QIcon> CutIcons(const QPixmap& strip, int side, int count, const QColor& maskColour) {
    QVector<QIcon> icons;
    for (int i = 0; i < count; ++i) {
        QPixmap slice = strip.copy(i * side, 0, side, side);
        slice.setMask(slice.createMaskFromColor(maskColour, Qt::MaskInColor));
        icons << QIcon(slice);
    }
    return icons;
}

} // namespace velt::shell
