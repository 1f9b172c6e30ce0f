#include "GlossFace.h"

#include "GlossButton.h"

#include <QTest>
#include <cmath>

namespace {

QImage shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void enter(QWidget& w) {
    QEnterEvent event(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(&w, &event);
}

void leave(QWidget& w) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &event);
}

// Bounding box of the pixels in which two images differ.
QRect difference(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Bounding box of the pixels of one colour.
QRect pixelsOf(const QImage& image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

const QList<int> colourStyles{2, 3, 4, 5, 7};

} // namespace

class GlossFaceTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void BlendColors_Percentages_TruncatedAndClamped() {
        const QColor from(255, 0, 10);
        const QColor to(0, 255, 3);
        QCOMPARE(GlossButton::BlendColors(from, to, 0), from);
        QCOMPARE(GlossButton::BlendColors(from, to, 100), to);
        // 255 - 127.5 truncates towards zero to 128; 10 - 3.5 to 7.
        QCOMPARE(GlossButton::BlendColors(from, to, 50), QColor(128, 127, 7));
        QCOMPARE(GlossButton::BlendColors(from, to, 150), to);
        QCOMPARE(GlossButton::BlendColors(from, to, -20), from);
    }

    void Shape_Style2Height20_RadiusElevenCornersCutBorderKept() {
        QCOMPARE(gloss::cornerRadius(2, 100, 20), 11);
        QCOMPARE(gloss::cornerRadius(2, 16, 20), 8); // capped at half the width
        QCOMPARE(gloss::cornerRadius(3, 100, 20), 12);
        QCOMPARE(gloss::cornerRadius(6, 90, 60), 20);
        QCOMPARE(gloss::cornerRadius(7, 100, 20), 6);
        QCOMPARE(gloss::cornerRadius(6, 2, 2), 1); // never below one
        QCOMPARE(gloss::cornerRadius(0, 100, 20), 0);

        GlossButton b;
        b.resize(100, 20);
        b.setStyle(2);
        const QRegion mask = b.mask();
        QCOMPARE(mask, gloss::roundedRegion(QRect(0, 0, 100, 20), 11));
        QVERIFY(mask != gloss::roundedRegion(QRect(0, 0, 100, 20), 10));
        for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 19), QPoint(99, 19), QPoint(2, 1)})
            QVERIFY(!mask.contains(corner));
        for (QPoint edge : {QPoint(50, 0), QPoint(50, 19), QPoint(0, 10), QPoint(99, 9), QPoint(11, 0)})
            QVERIFY(mask.contains(edge));
        b.setStyle(1);
        QVERIFY(b.mask().isEmpty());
    }

    void Shape_CornerRows_FollowTheCircle() {
        for (int r : {1, 4, 11, 21}) {
            const QRegion region = gloss::roundedRegion(QRect(0, 0, 4 * r + 10, 2 * r + 6), r);
            for (int y = 0; y < r; ++y)
                for (int x = 0; x < r; ++x) {
                    const double d = std::hypot(r - (x + 0.5), r - (y + 0.5));
                    if (d < r - 1.0)
                        QVERIFY(region.contains(QPoint(x, y)));
                    if (d > r + 1.0)
                        QVERIFY(!region.contains(QPoint(x, y)));
                }
        }
    }

    void Face_Disabled_GreyFaceWhiteHighlightGreyedCaption() {
        for (int style : colourStyles) {
            GlossButton b;
            b.resize(160, 40);
            b.setStyle(style);
            b.setEnabled(false);
            const QImage face = shot(b);
            // With no border brightness the outline shows the face colour itself.
            QCOMPARE(QColor(face.pixel(0, 20)), QColor(192, 192, 176));
        }
        GlossButton b;
        b.resize(160, 40);
        b.setStyle(7);
        b.setEnabled(false);
        QCOMPARE(QColor(shot(b).pixel(80, 20)), QColor(Qt::white)); // the glow's heart
        b.setEnabled(true);
        QCOMPARE(QColor(shot(b).pixel(80, 20)), QColor(176, 237, 255));

        b.setCaption(QStringLiteral("WWWW"));
        const auto darkest = [](const QImage& image) {
            int least = 255;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    least = std::min(least, qGray(image.pixel(x, y)));
            return least;
        };
        QVERIFY(darkest(shot(b)) < 60);
        b.setEnabled(false);
        QVERIFY(darkest(shot(b)) >= 110);
    }

    void Face_Checked_DrawnFromColorButtonDownWithoutRim() {
        for (int style : {0, 2, 3, 4, 5, 6, 7}) {
            GlossButton b;
            b.resize(160, 40);
            b.setStyle(style);
            b.setColorButtonUp(QColor(10, 20, 30));
            b.setColorButtonDown(QColor(200, 100, 50));
            const QImage rest = shot(b);
            b.setChecked(true);
            enter(b);
            if (style == 0)
                QCOMPARE(shot(b), rest); // no rim, not even the hover one
            else
                QCOMPARE(QColor(shot(b).pixel(0, 20)), QColor(200, 100, 50));
        }
    }

    void Face_EnterThenLeave_HoverLookAppearsAndGoes() {
        GlossButton b;
        b.resize(160, 40);
        b.setStyle(4);
        b.setColorButtonUp(QColor(0, 0, 200));
        b.setColorButtonHover(QColor(200, 0, 0));
        QCOMPARE(QColor(shot(b).pixel(0, 20)), QColor(0, 0, 200));
        enter(b);
        QCOMPARE(QColor(shot(b).pixel(0, 20)), QColor(200, 0, 0));
        leave(b);
        QCOMPARE(QColor(shot(b).pixel(0, 20)), QColor(0, 0, 200));

        b.setStyle(0);
        enter(b);
        QCOMPARE(QColor(shot(b).pixel(80, 1)), QColor(255, 240, 202));
        leave(b);
        QVERIFY(QColor(shot(b).pixel(80, 1)) != QColor(255, 240, 202));
    }

    void Caption_FocusedOrPressed_FramedOrShiftedOnePixel() {
        GlossButton b;
        b.resize(160, 40);
        b.setStyle(2); // rest and pressed share one face colour by default
        const QImage bare = shot(b);
        b.setCaption(QStringLiteral("&Go"));
        const QRect atRest = difference(bare, shot(b));
        QVERIFY(!atRest.isEmpty());
        QFocusEvent in(QEvent::FocusIn); // the keyboard focus shows as a frame around the caption
        QCoreApplication::sendEvent(&b, &in);
        QVERIFY(difference(bare, shot(b)).contains(atRest.adjusted(-2, -1, 2, 1)));
        QTest::mousePress(&b, Qt::LeftButton);
        QCOMPARE(difference(bare, shot(b)), atRest.translated(1, 1));
    }

    void Picture_Alignments_PlacedByTableAndHighlit() {
        QPixmap red(8, 8);
        red.fill(QColor(255, 0, 0));
        gloss::Look look;
        look.style = 2; // radius 21 at 160 x 40
        look.picture = red;
        const QSize size(160, 40);
        look.pictureAlignment = 2;
        QCOMPARE(pixelsOf(gloss::render(look, size, 0), qRgb(255, 0, 0)), QRect(21, 16, 8, 8));
        QCOMPARE(pixelsOf(gloss::render(look, size, 1), qRgb(255, 0, 0)), QRect(22, 17, 8, 8));
        look.pictureAlignment = 3;
        QCOMPARE(pixelsOf(gloss::render(look, size, 0), qRgb(255, 0, 0)), QRect(131, 16, 8, 8));
        look.style = 0; // no radius: inset by eight
        QCOMPARE(pixelsOf(gloss::render(look, size, 0), qRgb(255, 0, 0)), QRect(144, 16, 8, 8));

        look.caption = QStringLiteral("Go");
        for (int alignment : {0, 1}) {
            look.pictureAlignment = alignment;
            const QRect picture = pixelsOf(gloss::render(look, size, 0), qRgb(255, 0, 0));
            const QRect caption = pixelsOf(gloss::render(look, size, 0), qRgb(0, 0, 0));
            QCOMPARE(picture.center().x(), 160 / 2 - 1);
            QVERIFY(alignment == 0 ? picture.bottom() < caption.top() : caption.bottom() < picture.top());
        }
        look.iconHighLite = true;
        QVERIFY(!pixelsOf(gloss::render(look, size, 3), qRgb(0, 255, 0)).isEmpty());
        QVERIFY(pixelsOf(gloss::render(look, size, 3), qRgb(255, 0, 0)).isEmpty());
        look.enabled = false;
        QVERIFY(pixelsOf(gloss::render(look, size, 0), qRgb(255, 0, 0)).isEmpty());
    }

    void Render_TinyAndOddSizes_StayInsideTheImage() {
        QPixmap picture(30, 30);
        picture.fill(Qt::blue);
        for (QSize size : {QSize(1, 1), QSize(2, 2), QSize(3, 40), QSize(200, 3), QSize(5, 5), QSize(24, 10)})
            for (int style = 0; style < gloss::kStyleCount; ++style) {
                gloss::Look look;
                look.style = style;
                look.caption = QStringLiteral("&Long caption");
                look.picture = picture;
                for (int state = 0; state <= 4; ++state)
                    QCOMPARE(gloss::render(look, size, state).size(), size);
                const QRegion shape = gloss::windowShape(style, size);
                QVERIFY(QRegion(QRect(QPoint(0, 0), size)).united(shape) ==
                        QRegion(QRect(QPoint(0, 0), size)));
            }
    }
};

QTEST_MAIN(GlossFaceTest)
#include "GlossFaceTest.moc"
