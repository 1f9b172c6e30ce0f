#pragma once
// Where windows stand: beside or over the main window, always wholly on one screen.

#include "engine/OptionSettings.h"

#include <QList>
#include <QMargins>
#include <QRect>
#include <optional>

class QWidget;

namespace velt::platform {

/// `place` moved, and shrunk where it is larger, so that it lies wholly inside `screen`.
QRect Inside(QRect place, const QRect& screen);

/// A window of outer size `own` beside `main` with `gap` between them: on its right when it fits
/// on `screen`, else on its left when it fits there, else against the screen's right edge; its top
/// at `main`'s top; always wholly inside `screen`.
QRect BesideMain(const QRect& main, const QSize& own, const QRect& screen, int gap);

/// A window of outer size `own` centred over `over`, wholly inside `screen`.
QRect CentredOver(const QRect& over, const QSize& own, const QRect& screen);

/// A remembered outer rectangle, kept inside the screen it overlaps most; nullopt when it lies
/// off every screen in `screens`.
std::optional<QRect> OnAScreen(const QRect& place, const QList<QRect>& screens);

/// The available area of the screen that holds the centre of `window`, else the primary screen's.
QRect AvailableAround(const QWidget& window);

/// What the frame adds around `window`; the main window's where `window` has none yet (a window
/// manager tells it only after the window is shown).
QMargins FrameOf(const QWidget& window, const QWidget& mainWindow);

/// Gives `window` the outer rectangle `outer`. Set as the inner one: a window manager takes an
/// outer corner asked for before the window is shown as the inner one.
void SetOuterGeometry(QWidget& window, const QRect& outer, const QMargins& frame);

/// Shows a job window as a window of its own owned by `mainWindow` (transient for it) and centred
/// over it.
void ShowOver(QWidget& window, QWidget& mainWindow);

/// Moves `window` back inside the screen that holds it, where it reaches past an edge (a window
/// that grew once shown, to fit its texts).
void KeepOnScreen(QWidget& window);

/// `window`'s place as remembered between runs: its inner rectangle.
WindowPlace PlaceOf(const QWidget& window);

/// Puts `window` at `place` when that lies on a screen (inside it, frame included); returns false,
/// changing nothing, when it lies off every screen.
bool MoveToPlace(QWidget& window, const WindowPlace& place, const QMargins& frame);

} // namespace velt::platform
