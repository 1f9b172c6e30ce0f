#pragma once

#include <QPixmap>

namespace velt::app {

/// The picture of the clipboard window switch: a clipboard with a sheet on it, at the screen's pixel ratio.
QPixmap ClipboardPicture(qreal pixelRatio);

/// The golden key of the information tab, drawn at the size it is shown (not a small icon blown up).
QPixmap KeyPicture(int side, qreal pixelRatio);

} // namespace velt::app
