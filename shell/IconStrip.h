#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QVector>

namespace velt::shell {

/// Cuts `count` square icons of `side` pixels, left to right, out of a strip
/// whose `maskColour` pixels become transparent.
QVector<QIcon> CutIcons(const QPixmap& strip, int side, int count, const QColor& maskColour);

} // namespace velt::shell
