#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QString>

// Turns a button's look and a visual state into pixels. Kept apart from the widget so that the
// drawing can be measured and checked without any event handling.
namespace velt::gloss {

/// Visual states a button is drawn in.
enum State { AtRest = 0, Pressed = 1, Focused = 2, Hovered = 3, CheckedState = 4 };

inline constexpr int kStyleCount = 8;
inline constexpr int kAlignmentCount = 4;

/// Everything the drawing reads, copied from the button's properties.
struct Look {
    int style = 0;
    bool enabled = true;
    QColor colorUp{80, 153, 233};
    QColor colorHover{144, 192, 255};
    QColor colorDown{80, 153, 233};
    QColor colorBright{176, 237, 255};
    int borderBrightness = 0;
    QColor background{236, 233, 216}; ///< the container's colour, shown around styles 0 and 1
    QFont font;
    QString caption;
    QColor foreColor{0, 0, 0};
    bool captionHighLite = false;
    QColor captionHighLiteColor{0, 255, 0};
    bool iconHighLite = false;
    QColor iconHighLiteColor{0, 255, 0};
    QPixmap picture;
    int pictureAlignment = 0;
};

/// Each channel moved percent (clamped to 0..100) of the way from c1 to c2, truncating.
QColor blendColors(const QColor& c1, const QColor& c2, int percent);

/// Corner radius of a style for a button of the given size; 0 for the rectangular styles 0 and 1.
int cornerRadius(int style, int width, int height);

/// First and one-past-last column of row y of a rounded rectangle of size w x h.
struct Span {
    int begin = 0;
    int end = 0;
};
Span roundedRowSpan(int y, int w, int h, int radius);

/// The rounded rectangle, one rectangle per row traced from the circle equation.
QRegion roundedRegion(const QRect& rect, int radius);

/// The window shape of a style; empty for styles 0 and 1, which have none.
QRegion windowShape(int style, QSize size);

/// Draws the face of the whole button into image (RGB32, the button's size) for a state.
void drawFace(QImage& image, const Look& look, int state);

/// Draws the picture and the caption of a state on top of an already drawn face, in the
/// image's logical pixels (its device pixel ratio applies).
void drawIconWCaption(QImage& image, const Look& look, int state);

/// The complete redraw: face, then picture and caption, for a button of `size` logical pixels
/// on a screen of `pixelRatio` device pixels per logical one. The face keeps the shapes of the
/// logical grid (so it fits the window shape exactly); picture and caption are drawn at the
/// device's resolution, so they stay sharp.
QImage render(const Look& look, QSize size, int state, qreal pixelRatio = 1.0);

} // namespace velt::gloss
