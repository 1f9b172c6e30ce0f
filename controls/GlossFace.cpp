#include "controls/GlossFace.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace velt::gloss {
namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kDisabledFace = 0xffc0c0b0; // RGB(192, 192, 176)

QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

// The per-pixel form of blendColors: same arithmetic, no QColor on the way.
QRgb blendRgb(QRgb a, QRgb b, int percent) {
    const int p = std::clamp(percent, 0, 100);
    const auto channel = [p](int c1, int c2) { return c1 + (c2 - c1) * p / 100; };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

// Rounds to nearest, halves to even, as the tuning table wants.
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

QRgb* row(QImage& image, int y) {
    return reinterpret_cast<QRgb*>(image.scanLine(y));
}

void fillSpan(QRgb* line, int from, int to, QRgb colour) {
    std::fill(line + from, line + to, colour);
}

// One span per row, offset into image coordinates; rows outside the rectangle are empty.
std::vector<Span> rowSpans(int imageHeight, const QRect& rect, int radius) {
    std::vector<Span> spans(static_cast<std::size_t>(std::max(imageHeight, 0)));
    for (int y = std::max(rect.top(), 0); y <= rect.bottom() && y < imageHeight; ++y) {
        const Span s = roundedRowSpan(y - rect.top(), rect.width(), rect.height(), radius);
        spans[static_cast<std::size_t>(y)] = {s.begin + rect.left(), s.end + rect.left()};
    }
    return spans;
}

bool contains(const Span& s, int x) {
    return x >= s.begin && x < s.end;
}

// Fills an ellipse with centre (cx, cy) and half-axes hw, hh by pixel centres, clipped to the image.
void fillEllipse(QImage& image, int cx, int cy, int hw, int hh, QRgb colour) {
    const int w = image.width();
    const int top = std::max(cy - hh, 0);
    const int bottom = std::min(cy + hh, image.height());
    for (int y = top; y < bottom; ++y) {
        const double dy = (y + 0.5 - cy) / hh;
        if (dy * dy > 1.0)
            continue;
        const double half = hw * std::sqrt(1.0 - dy * dy);
        const int from = std::max(static_cast<int>(std::ceil(cx - half - 0.5)), 0);
        const int to = std::min(static_cast<int>(std::floor(cx + half - 0.5)) + 1, w);
        if (from < to)
            fillSpan(row(image, y), from, to, colour);
    }
}

QRgb stateColour(const Look& look, int state) {
    if (!look.enabled)
        return kDisabledFace;
    switch (state) {
    case Hovered:
        return look.colorHover.rgb();
    case Pressed:
    case CheckedState:
        return look.colorDown.rgb();
    default:
        return look.colorUp.rgb();
    }
}

QRgb highlightColour(const Look& look) {
    return look.enabled ? look.colorBright.rgb() : kWhite;
}

struct Tuning {
    int gx, gy;         // glow centre
    int gw, gh;         // glow half-axes in percent of the size
    int gs;             // glow strength
    int gl, gt, gr, gb; // gloss rectangle
    int gc;             // gloss corner radius
    int gp;             // gloss fade
};

Tuning tuning(int style, int w, int h, int r) {
    const int cx = roundEven(w / 2.0);
    switch (style) {
    case 2:
        return {cx, h, 300, 60, 120, r / 2, 1, w + 2 * r, roundEven(1.1 * r), r / 2, 50};
    case 3:
        return {cx, h, 200, std::min(100 - 700 / h, 80), 130, r / 3, 0, w + 2 * r, 12, 10, 70};
    case 4:
        return {cx, h, 200, 70, 130, r / 3 - 1, 0, w + 2 * r, r, r / 2, 70};
    case 5:
        return {cx, h, 60, 60, 130, -1 - r / 2, -r, w + 2 * r, r + 1, r, 40};
    default: // 7
        return {cx,    roundEven(h / 2.0), 60, 60, 100, roundEven(r / 2.0), 2, roundEven(w - r),
                r + 1, roundEven(r / 2.0), 50};
    }
}

void drawColourStyle(QImage& image, const Look& look, int state) {
    const int w = image.width();
    const int h = image.height();
    const int r = cornerRadius(look.style, w, h);
    const QRgb face = stateColour(look, state);
    const QRgb highlight = highlightColour(look);
    const QRgb border = look.borderBrightness < 0 ? blendRgb(face, kBlack, -look.borderBrightness)
                                                  : blendRgb(face, kWhite, look.borderBrightness);
    image.fill(face);

    // Glow: shrinking ellipses whose colour approaches the highlight towards the centre.
    const Tuning t = tuning(look.style, w, h, r);
    int hw = roundEven(w * t.gw / 100.0);
    int hh = roundEven(h * t.gh / 100.0);
    const int hh0 = hh;
    if (hw > 0 && hh > 0) {
        const bool tall = hw < hh;
        const int ratio = std::max(roundEven(tall ? double(hh) / hw : double(hw) / hh), 1);
        for (int k = 1; hw > 0 && hh > 0; ++k) {
            const QRgb colour = k == 1 ? face : blendRgb(face, highlight, roundEven(double(t.gs) * k / hh0));
            fillEllipse(image, t.gx, t.gy, hw, hh, colour);
            (tall ? hw : hh) -= 1;
            (tall ? hh : hw) -= ratio;
        }
    }

    // Outline outside the inner region, then the gloss from the first gloss pixel to its mirror.
    const std::vector<Span> inner = rowSpans(h, QRect(1, 1, w - 2, h - 2), r);
    const std::vector<Span> gloss = rowSpans(h, QRect(QPoint(t.gl, t.gt), QPoint(t.gr - 1, t.gb - 1)), t.gc);
    const int half = (w + 1) / 2;
    for (int y = 0; y < h; ++y) {
        QRgb* line = row(image, y);
        const Span in = inner[static_cast<std::size_t>(y)];
        const Span g = gloss[static_cast<std::size_t>(y)];
        const int outsideEnd = in.begin < in.end ? std::min(in.begin, half) : half;
        for (int x = 0; x < outsideEnd; ++x)
            line[x] = line[w - 1 - x] = border;
        const int start = std::max(in.begin, g.begin);
        if (in.begin < in.end && start < std::min(in.end, g.end) && start < half)
            fillSpan(line, start, w - start, blendRgb(kWhite, face, t.gp * y / r));
    }
}

void drawSoftStyle(QImage& image, const Look& look, int state) {
    const int w = image.width();
    const int h = image.height();
    const int r = cornerRadius(look.style, w, h);
    const QRgb colour = stateColour(look, state);
    const QRgb bright = highlightColour(look);
    const QRgb halfway = blendRgb(kWhite, colour, 50);
    image.fill(look.background.rgb());

    // A two-pixel band along the edge, a halfway ring inside it, the row colour within.
    const std::vector<Span> outer = rowSpans(h, QRect(0, 0, w, h), r);
    const std::vector<Span> ring = rowSpans(h, QRect(2, 2, w - 4, h - 4), r);
    const std::vector<Span> core = rowSpans(h, QRect(3, 3, w - 6, h - 6), r);
    const int half = (w + 1) / 2;
    for (int y = 0; y < h; ++y) {
        QRgb* line = row(image, y);
        const QRgb rowColour = blendRgb(kWhite, colour, 30 * std::min(y, r - 1) / r);
        const QRgb band = blendRgb(colour, bright, std::abs(2 * y - h) * 100 / h);
        const std::size_t i = static_cast<std::size_t>(y);
        for (int x = outer[i].begin; x < half; ++x) {
            const QRgb c = contains(core[i], x) ? rowColour : contains(ring[i], x) ? halfway : band;
            line[x] = line[w - 1 - x] = c;
        }
    }
}

// Vertical blend of rows [from, to] from c1 to c2 across the full width.
void gradientRows(QImage& image, int from, int to, QRgb c1, QRgb c2) {
    const int span = std::max(to - from, 1);
    for (int y = std::max(from, 0); y <= to && y < image.height(); ++y)
        fillSpan(row(image, y), 0, image.width(), blendRgb(c1, c2, (y - from) * 100 / span));
}

void setPixel(QImage& image, int x, int y, QRgb c) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        row(image, y)[x] = c;
}

// Two rim lines at top and bottom, two side columns each side shading from top to bottom.
void drawRim(QImage& image, QRgb top1, QRgb top2, QRgb sideTop, QRgb sideBottom, QRgb bottom1, QRgb bottom2) {
    const int w = image.width();
    const int h = image.height();
    if (w < 6 || h < 6)
        return;
    for (int y = 3; y <= h - 4; ++y) {
        const QRgb c = blendRgb(sideTop, sideBottom, (y - 3) * 100 / std::max(h - 7, 1));
        QRgb* line = row(image, y);
        line[1] = line[2] = line[w - 2] = line[w - 3] = c;
    }
    fillSpan(row(image, 1), 2, w - 2, top1);
    fillSpan(row(image, 2), 1, w - 1, top2);
    fillSpan(row(image, h - 3), 1, w - 1, bottom1);
    fillSpan(row(image, h - 2), 2, w - 2, bottom2);
}

// The outermost ring: outline colour, with softened corners.
void drawFrame(QImage& image, QRgb outline, QRgb besideCorner, QRgb corner) {
    const int w = image.width();
    const int h = image.height();
    fillSpan(row(image, 0), 0, w, outline);
    fillSpan(row(image, h - 1), 0, w, outline);
    for (int y = 0; y < h; ++y)
        row(image, y)[0] = row(image, y)[w - 1] = outline;
    for (const auto& [cx, cy, dx, dy] : {std::array{0, 0, 1, 1}, std::array{w - 1, 0, -1, 1},
                                         std::array{0, h - 1, 1, -1}, std::array{w - 1, h - 1, -1, -1}}) {
        setPixel(image, cx + dx, cy, besideCorner);
        setPixel(image, cx, cy + dy, besideCorner);
        setPixel(image, cx, cy, corner);
    }
}

void drawLightPalette(QImage& image, const Look& look, int state) {
    const int h = image.height();
    image.fill(look.background.rgb());
    if (state == Pressed) {
        gradientRows(image, 0, 3, rgb(209, 204, 193), rgb(229, 228, 221));
        gradientRows(image, 4, h - 5, rgb(229, 228, 221), rgb(226, 226, 218));
        gradientRows(image, h - 5, h - 1, rgb(226, 226, 218), rgb(242, 241, 236));
    } else {
        gradientRows(image, 0, h - 4, kWhite, rgb(236, 235, 230));
        gradientRows(image, h - 4, h - 1, rgb(236, 235, 230), rgb(214, 208, 197));
    }
    if (look.enabled && state == Hovered)
        drawRim(image, rgb(255, 240, 202), rgb(253, 216, 137), rgb(253, 216, 137), rgb(248, 178, 48),
                rgb(248, 178, 48), rgb(229, 151, 0));
    else if (look.enabled && state == Focused)
        drawRim(image, rgb(206, 231, 255), rgb(188, 212, 246), rgb(188, 212, 246), rgb(137, 173, 228),
                rgb(137, 173, 228), rgb(105, 130, 238));
    if (look.enabled)
        drawFrame(image, rgb(0, 60, 116), rgb(37, 87, 131), rgb(122, 149, 168));
    else
        drawFrame(image, rgb(201, 199, 186), rgb(216, 214, 203), rgb(230, 228, 220));
}

void drawBeigePalette(QImage& image, const Look& look, int state) {
    const int w = image.width();
    const int h = image.height();
    image.fill(look.background.rgb());
    if (state == Pressed) {
        gradientRows(image, 0, 3, rgb(220, 218, 209), rgb(231, 230, 224));
        gradientRows(image, 4, h - 1, rgb(231, 230, 224), rgb(240, 240, 234));
    } else {
        gradientRows(image, 0, h - 1, rgb(248, 248, 244), rgb(226, 225, 216));
    }
    const bool lit = look.enabled && (state == Hovered || state == CheckedState);
    if (w >= 3 && h >= 3 && lit) {
        fillSpan(row(image, 1), 1, w - 1, kWhite);
        for (int y = 1; y < h - 1; ++y)
            row(image, y)[1] = kWhite;
    }
    const QRgb outer = lit ? rgb(122, 152, 175) : rgb(157, 157, 146);
    const QRgb inner = lit ? rgb(152, 175, 190) : rgb(179, 179, 168);
    // The inner rim shades the bottom and right edges, the outer one frames the whole face.
    if (w >= 3 && h >= 3) {
        fillSpan(row(image, h - 2), 1, w - 1, inner);
        for (int y = 1; y < h - 1; ++y)
            row(image, y)[w - 2] = inner;
    }
    const QRgb corner = lit ? rgb(203, 213, 214) : rgb(215, 215, 204);
    drawFrame(image, outer, outer, corner);
}

QImage silhouette(const QPixmap& picture, QColor colour) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), colour);
    return image;
}

// The greyed look: an embossed silhouette, light below-right, shadow on top.
void drawGreyed(QPainter& p, QPoint at, const QPixmap& picture) {
    p.drawImage(at + QPoint(1, 1), silhouette(picture, Qt::white));
    p.drawImage(at, silhouette(picture, QColor(128, 128, 128)));
}

} // namespace

QColor blendColors(const QColor& c1, const QColor& c2, int percent) {
    return QColor(blendRgb(c1.rgb(), c2.rgb(), percent));
}

int cornerRadius(int style, int width, int height) {
    int r = 0;
    switch (style) {
    case 2:
    case 4:
    case 5:
        r = std::min(height / 2 + 1, width / 2);
        break;
    case 3:
        r = 12;
        break;
    case 6:
        r = std::min(height / 3, width / 3);
        break;
    case 7:
        r = std::min(height / 4 + 1, width / 4);
        break;
    default:
        return 0;
    }
    return std::max(r, 1);
}

Span roundedRowSpan(int y, int w, int h, int radius) {
    if (y < 0 || y >= h || w <= 0)
        return {};
    // Distance of the pixel centre's row from the centre row of the nearer corner circle(s).
    double inset = 0.0;
    const double rr = double(radius) * radius;
    if (y < radius) {
        const double d = radius - (y + 0.5);
        inset = std::max(inset, radius - std::sqrt(std::max(rr - d * d, 0.0)));
    }
    if (y >= h - radius) {
        const double d = (y + 0.5) - (h - radius);
        inset = std::max(inset, radius - std::sqrt(std::max(rr - d * d, 0.0)));
    }
    const int i = std::min(static_cast<int>(std::lround(inset)), (w + 1) / 2);
    return {i, std::max(w - i, i)};
}

QRegion roundedRegion(const QRect& rect, int radius) {
    std::vector<QRect> rects;
    for (int y = 0; y < rect.height(); ++y) {
        const Span s = roundedRowSpan(y, rect.width(), rect.height(), radius);
        if (s.begin >= s.end)
            continue;
        const QRect line(rect.left() + s.begin, rect.top() + y, s.end - s.begin, 1);
        // Rows with the same span merge into one band.
        if (!rects.empty() && rects.back().left() == line.left() && rects.back().right() == line.right() &&
            rects.back().bottom() + 1 == line.top())
            rects.back().setBottom(line.bottom());
        else
            rects.push_back(line);
    }
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

QRegion windowShape(int style, QSize size) {
    if (style < 2 || size.isEmpty())
        return {};
    return roundedRegion(QRect(QPoint(0, 0), size), cornerRadius(style, size.width(), size.height()));
}

void drawFace(QImage& image, const Look& look, int state) {
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return;
    switch (look.style) {
    case 0:
        drawLightPalette(image, look, state);
        break;
    case 1:
        drawBeigePalette(image, look, state);
        break;
    case 6:
        drawSoftStyle(image, look, state);
        break;
    default:
        drawColourStyle(image, look, state);
        break;
    }
}

void drawIconWCaption(QImage& image, const Look& look, int state) {
    if (image.isNull())
        return;
    const QSize logical = image.deviceIndependentSize().toSize();
    const int w = logical.width();
    const int h = logical.height();
    const QFontMetrics metrics(look.font);
    const QSize text = look.caption.isEmpty() ? QSize() : metrics.size(Qt::TextShowMnemonic, look.caption);
    const QSize pic = look.picture.isNull() ? QSize() : look.picture.deviceIndependentSize().toSize();
    const int radius = cornerRadius(look.style, w, h);
    const int inset = radius > 0 ? radius : 8;

    QPoint picAt((w - pic.width()) / 2, (h - pic.height()) / 2);
    QPoint textAt((w - text.width()) / 2, (h - text.height()) / 2);
    switch (look.pictureAlignment) {
    case 0:
        picAt.setY((h - pic.height() - text.height()) / 2);
        textAt.setY(picAt.y() + pic.height());
        break;
    case 1:
        textAt.setY((h - pic.height() - text.height()) / 2);
        picAt.setY(textAt.y() + text.height());
        break;
    case 2:
        picAt.setX(inset);
        break;
    default:
        picAt.setX(w - inset - pic.width());
        break;
    }
    if (state == Pressed) {
        picAt += QPoint(1, 1);
        textAt += QPoint(1, 1);
    }

    QPainter p(&image);
    if (!pic.isEmpty()) {
        if (!look.enabled)
            drawGreyed(p, picAt, look.picture);
        else if (state == Hovered && look.iconHighLite)
            p.drawImage(picAt, silhouette(look.picture, look.iconHighLiteColor));
        else
            p.drawPixmap(picAt, look.picture);
    }
    if (!text.isEmpty()) {
        p.setFont(look.font);
        const auto drawText = [&](QPoint at, const QColor& colour) {
            p.setPen(colour);
            p.drawText(QRect(at, text), Qt::TextShowMnemonic, look.caption);
        };
        if (!look.enabled) {
            drawText(textAt + QPoint(1, 1), Qt::white);
            drawText(textAt, QColor(128, 128, 128));
        } else {
            drawText(textAt,
                     state == Hovered && look.captionHighLite ? look.captionHighLiteColor : look.foreColor);
        }
        // Only style 0 has a focus rim; elsewhere a keyboard user would not see where the focus is.
        if (look.enabled && state == Focused && look.style != 0) {
            p.setPen(QPen(look.foreColor, 1, Qt::DotLine));
            p.drawRect(QRect(textAt, text).adjusted(-4, -2, 3, 1));
        }
    }
}

QImage render(const Look& look, QSize size, int state, qreal pixelRatio) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    drawFace(image, look, state);
    if (pixelRatio > 0 && pixelRatio != 1.0) {
        // Whole ratios copy each face pixel into a block, so edges stay as crisp as at 1x.
        const bool whole = pixelRatio == std::floor(pixelRatio);
        image = image.scaled((QSizeF(size) * pixelRatio).toSize(), Qt::IgnoreAspectRatio,
                             whole ? Qt::FastTransformation : Qt::SmoothTransformation);
        image.setDevicePixelRatio(pixelRatio);
    }
    drawIconWCaption(image, look, state);
    return image;
}

} // namespace velt::gloss
