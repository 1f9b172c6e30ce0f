#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace velt::platform {

QRect Inside(QRect place, const QRect& screen) {
    place.setSize(place.size().boundedTo(screen.size()));
    place.moveLeft(std::clamp(place.left(), screen.left(), screen.right() - place.width() + 1));
    place.moveTop(std::clamp(place.top(), screen.top(), screen.bottom() - place.height() + 1));
    return place;
}

QRect BesideMain(const QRect& main, const QSize& own, const QRect& screen, int gap) {
    QRect place(QPoint(main.right() + 1 + gap, main.top()), own);
    if (place.right() > screen.right()) {
        const int left = main.left() - gap - own.width();
        // Left of the main window when it fits there; a screen too small for both keeps it right.
        place.moveLeft(left >= screen.left() ? left : screen.right() - own.width() + 1);
    }
    return Inside(place, screen);
}

QRect CentredOver(const QRect& over, const QSize& own, const QRect& screen) {
    QRect place(QPoint(), own);
    place.moveCenter(over.center());
    return Inside(place, screen);
}

std::optional<QRect> OnAScreen(const QRect& place, const QList<QRect>& screens) {
    const QRect* best = nullptr;
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const QRect common = place.intersected(screen);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return Inside(place, *best);
}

QRect AvailableAround(const QWidget& window) {
    QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry()
                             : QRect(window.frameGeometry().topLeft(), window.size());
}

QMargins FrameOf(const QWidget& window, const QWidget& mainWindow) {
    const auto margins = [](const QWidget& w) {
        const QRect inner = w.geometry();
        const QRect outer = w.frameGeometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    };
    const QMargins own = margins(window);
    return own.isNull() ? margins(mainWindow) : own;
}

void SetOuterGeometry(QWidget& window, const QRect& outer, const QMargins& frame) {
    window.setGeometry(outer.marginsRemoved(frame));
}

void ShowOver(QWidget& window, QWidget& mainWindow) {
    window.setParent(&mainWindow, window.windowFlags() | Qt::Window);
    if (!window.testAttribute(Qt::WA_Resized)) {
        window.adjustSize();
    }
    const QMargins frame = FrameOf(window, mainWindow);
    const QRect outer = QRect(QPoint(), window.size()).marginsAdded(frame);
    SetOuterGeometry(
        window, CentredOver(mainWindow.frameGeometry(), outer.size(), AvailableAround(mainWindow)), frame);
    window.show();
    QTimer::singleShot(0, &window, [&window] { KeepOnScreen(window); }); // grown to fit its texts
}

void KeepOnScreen(QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QPoint inside = Inside(outer, AvailableAround(window)).topLeft();
    if (inside != outer.topLeft()) {
        window.move(inside);
    }
}

WindowPlace PlaceOf(const QWidget& window) {
    const QRect inner = window.geometry();
    return {inner.x(), inner.y(), inner.width(), inner.height()};
}

bool MoveToPlace(QWidget& window, const WindowPlace& place, const QMargins& frame) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << screen->availableGeometry();
    }
    // Never smaller than the window can be shown, so that it does not grow past the screen later.
    const QSize size = QSize(place.width, place.height).expandedTo(window.minimumSizeHint());
    const auto kept = OnAScreen(QRect(QPoint(place.x, place.y), size).marginsAdded(frame), screens);
    if (!kept) {
        return false;
    }
    SetOuterGeometry(window, *kept, frame);
    return true;
}

} // namespace velt::platform
