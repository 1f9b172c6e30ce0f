#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QVector>

class QToolBar;
class QWidget;

namespace velt::platform {

/// Cuts `count` square icons of `side` pixels, left to right, out of a strip
/// whose `maskColour` pixels become transparent.
QVector<QIcon> CutIcons(const QPixmap& strip, int side, int count, const QColor& maskColour);

/// A fixed toolbar of 32-pixel icons named `name`: not movable, not floatable, and without the
/// context menu whose only entry would be its own blank, unswitchable toggle.
QToolBar* IconToolbar(QWidget* parent, const QString& name);

} // namespace velt::platform
