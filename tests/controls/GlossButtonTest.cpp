#include "controls/GlossButton.h"

#include "controls/GlossFace.h"
#include "controls/PropertyBag.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

using namespace velt;

namespace {

// Logs every raised event and every redraw ("draw3": asked for state 3) in the order they happen.
class RecordingButton final : public GlossButton {
public:
    QStringList log;
    RecordingButton() {
        resize(100, 30);
        const auto note = [this](QString name) {
            return [this, name](auto... args) {
                const QStringList values{QString::number(args)...};
                log.append(values.isEmpty() ? name : u"%1(%2)"_s.arg(name, values.join(u',')));
            };
        };
        connect(this, &GlossButton::Click, this, note(u"Click"_s));
        connect(this, &GlossButton::DblClick, this, note(u"DblClick"_s));
        connect(this, &GlossButton::MouseEnter, this, note(u"MouseEnter"_s));
        connect(this, &GlossButton::MouseLeave, this, note(u"MouseLeave"_s));
        connect(this, &GlossButton::MouseDown, this, note(u"MouseDown"_s));
        connect(this, &GlossButton::MouseUp, this, note(u"MouseUp"_s));
        connect(this, &GlossButton::MouseMove, this, note(u"MouseMove"_s));
    }
    QString take() { return std::exchange(log, {}).join(u' '); }

protected:
    void redraw(int state) override {
        log.append(u"draw%1"_s.arg(state));
        GlossButton::redraw(state);
    }
};

} // namespace

class GlossButtonTest final : public QObject {
    Q_OBJECT

    static void send(QWidget& w, QEvent&& event) { QCoreApplication::sendEvent(&w, &event); }
    static void enter(QWidget& w) { send(w, QEnterEvent({10, 10}, {10, 10}, {10, 10})); }
    static void leave(QWidget& w) { send(w, QEvent(QEvent::Leave)); }
    static void move(QWidget& w, QPoint to, Qt::MouseButtons held) {
        send(w, QMouseEvent(QEvent::MouseMove, to, w.mapToGlobal(to), Qt::NoButton, held, Qt::NoModifier));
    }
    static QImage shot(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static QColor pixel(QWidget& w, QPoint at) { return shot(w).pixel(at); }

    template <typename Pick> static QRect box(QSize size, Pick pick) {
        QRect found;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                found |= pick(x, y) ? QRect(x, y, 1, 1) : QRect();
        return found;
    }
    static QRect difference(const QImage& a, const QImage& b) {
        return box(a.size(), [&](int x, int y) { return a.pixel(x, y) != b.pixel(x, y); });
    }

private Q_SLOTS:
    void Properties_SchemeOutOfRangeUnchangedOrBlended_TabledClampedOrIgnored() {
        RecordingButton b;
        const auto colours = [&b] {
            return QList<QColor>{b.ColorButtonUp(), b.ColorButtonHover(), b.ColorButtonDown(),
                                 b.ColorBright()};
        };
        const QList<QColor> red{{128, 0, 0}, {160, 0, 0}, {240, 0, 0}, {255, 0, 0}};
        b.setColorScheme(4);
        QCOMPARE(colours(), red);
        b.setColorScheme(7); // no such preset: no colour changes
        QCOMPARE(colours(), red);
        // One colour set by itself leaves the preset and keeps the other three.
        b.setColorScheme(3);
        b.setColorButtonUp(QColor(1, 2, 3));
        QCOMPARE(b.ColorScheme(), 0);
        QCOMPARE(colours(), QList<QColor>({QColor(1, 2, 3), {0, 0, 160}, {0, 0, 240}, {0, 0, 255}}));
        for (const auto& [set, kept] : {std::pair{150, 100}, {-101, -100}}) {
            b.setBorderBrightness(set);
            QCOMPARE(b.BorderBrightness(), kept);
        }
        b.setButtonStyle(99);
        QCOMPARE(b.ButtonStyle(), 7);
        b.take();
        QSignalSpy changes(&b, &GlossButton::PropertyChanged);
        b.setButtonStyle(7); // unchanged: no redraw, no event
        b.setPictureAlignment(0);
        QVERIFY(b.take().isEmpty() && changes.isEmpty());

        // Blending: at 50, 255 - 127.5 truncates towards zero to 128, and 10 - 3.5 to 7.
        const auto blend = [](int percent) {
            return GlossButton::BlendColors(QColor(255, 0, 10), QColor(0, 255, 3), percent);
        };
        QCOMPARE(QList<QColor>({blend(0), blend(50), blend(100), blend(150), blend(-20)}),
                 QList<QColor>({{255, 0, 10}, {128, 127, 7}, {0, 255, 3}, {0, 255, 3}, {255, 0, 10}}));
    }

    void PointerAndKeyboard_EveryGesture_RaisesTheStateTableSequence() {
        RecordingButton b;
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        b.setEnabled(false); // only MouseEnter and MouseLeave
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        move(b, QPoint(5, 5), Qt::NoButton);
        leave(b);
        b.setEnabled(true);
        QCOMPARE(b.take(), u"draw0 MouseEnter draw3 MouseLeave draw0 draw0"_s);
        move(b, QPoint(20, 10), Qt::LeftButton); // came in held: no hover look until released
        move(b, QPoint(21, 10), Qt::NoButton);
        QTest::mousePress(&b, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
        QTest::mouseRelease(&b, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
        QCOMPARE(b.take(),
                 u"MouseMove(1,0,20,10) MouseEnter draw3 MouseMove(0,0,21,10) draw1 MouseDown(1,1,5,6) "
                 u"draw3 MouseUp(1,1,5,6) Click"_s);
        // Dragged out with the button held: rest look, and no click on release outside.
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mouseMove(&b, QPoint(150, 6));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(150, 6));
        leave(b);
        QCOMPARE(b.take(), u"draw1 MouseDown(1,0,5,6) MouseMove(1,0,150,6) draw0 draw2 MouseUp(1,0,150,6) "
                           u"MouseLeave draw2"_s);
        // A double-click: one Click for the first release, DblClick for the second press.
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QTest::mouseDClick(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QCOMPARE(b.take(), u"draw1 MouseDown(1,0,49,14) draw2 MouseUp(1,0,49,14) Click draw1 DblClick draw2 "
                           u"MouseUp(1,0,49,14)"_s);
        // Checked: neither the leave nor the mouse up redraws it out of the checked look.
        b.setCheckedLook(true);
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        leave(b);
        QCOMPARE(b.take(), u"draw4 MouseEnter draw3 draw1 MouseDown(1,0,49,14) MouseUp(1,0,49,14) Click "
                           u"MouseLeave"_s);
        QCOMPARE(b.visualState(), 4);
        b.setCheckedLook(false);
        QCOMPARE(b.visualState(), 0);
        QCOMPARE(clicked.count(), 3); // none while disabled or released outside

        // Focus and the Enter key: the focused look, and the left button at the origin.
        leave(b);
        b.take();
        send(b, QFocusEvent(QEvent::FocusIn));
        send(b, QFocusEvent(QEvent::FocusOut));
        QTest::keyPress(&b, Qt::Key_Return);
        send(b, QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true)); // held: once
        QTest::keyRelease(&b, Qt::Key_Return);
        QTest::keyRelease(&b, Qt::Key_Enter); // its press went to another control
        enter(b);
        send(b, QFocusEvent(QEvent::FocusIn)); // the hover look stays
        QCOMPARE(b.take(),
                 u"draw2 draw0 draw1 MouseDown(1,0,0,0) draw2 MouseUp(1,0,0,0) Click MouseEnter draw3"_s);
    }

    void Platform_RealWindow_AccessibleAndCrossedByThePointer() {
        QWidget window;
        window.resize(300, 100);
        auto* b = new GlossButton(&window);
        b->setGeometry(50, 20, 100, 40);
        b->setCaption(u"&Start"_s);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(b->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), u"Start"_s);
        QSignalSpy click(b, &GlossButton::Click);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(click.count(), 1);
        // Pressed beside the button and dragged over it: the hover look only after the release.
        QSignalSpy entered(b, &GlossButton::MouseEnter);
        QSignalSpy left(b, &GlossButton::MouseLeave);
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(window.windowHandle(), QPoint(100, 40));
        QCoreApplication::processEvents();
        const bool hoveredWhileHeld = entered.count() > 0 || b->visualState() == 3;
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(100, 40));
        QVERIFY(!hoveredWhileHeld);
        QTRY_COMPARE(b->visualState(), 3);
        // Disabled, it still hears the pointer cross it.
        b->setEnabled(false);
        QVERIFY(a->state().disabled);
        QTest::mouseMove(window.windowHandle(), QPoint(250, 80));
        QTRY_COMPARE(left.count(), 1);
        QTest::mouseMove(window.windowHandle(), QPoint(100, 40));
        QTRY_COMPARE(entered.count(), 2);
    }

    void Persistence_WriteThenReadOrMissingKeys_SameOrDefaultProperties() {
        QWidget container;
        container.setFont(QFont(u"DejaVu Serif"_s, 15));
        // Name, a value to store (none: the scheme sets it), and what a bag without it or with junk gives.
        // clang-format off
        const std::tuple<const char*, QVariant, QVariant> table[] = {
            {"Enabled", false, true}, {"Font", QFont(u"DejaVu Sans"_s, 13), container.font()},
            {"Caption", u"E&xit"_s, u"cmdStart"_s}, {"CaptionHighLite", true, false},
            {"CaptionHighLiteColor", QColor(1, 2, 3), QColor(0, 255, 0)}, {"IconHighLite", true, false},
            {"IconHighLiteColor", QColor(4, 5, 6), QColor(0, 255, 0)},
            {"ForeColor", QColor(7, 8, 9), QColor(0, 0, 0)}, {"PictureAlignment", 3, 0}, {"Style", 5, 0},
            {"Checked", true, true}, {"DisplayHand", true, false},
            {"ColorButtonHover", {}, QColor(144, 192, 255)}, {"ColorButtonUp", {}, QColor(80, 153, 233)},
            {"ColorButtonDown", {}, QColor(80, 153, 233)}, {"ColorBright", {}, QColor(176, 237, 255)},
            {"BorderBrightness", -40, 100}, {"ColorScheme", 4, 0}};
        // clang-format on
        GlossButton a;
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        a.setPicture(picture);
        for (const auto& [name, value, fallback] : table)
            if (value.isValid())
                a.setProperty(name, value);
        MemoryPropertyBag bag;
        a.writeProperties(bag);
        GlossButton& b = *new GlossButton(&container);
        b.readProperties(bag);
        for (const auto& [name, value, fallback] : table)
            QVERIFY2(b.property(name) == a.property(name), name);
        QCOMPARE(b.Picture().toImage(), picture.toImage());
        QCOMPARE(b.cursor().shape(), Qt::PointingHandCursor);

        b.setObjectName(u"cmdStart"_s); // Checked keeps its value
        b.readProperties(MemoryPropertyBag({{u"BorderBrightness"_s, 500}, {u"ColorButtonUp"_s, u"junk"_s}}));
        for (const auto& [name, value, fallback] : table)
            QVERIFY2(b.property(name) == fallback, name);
        QVERIFY(b.Picture().isNull());
        QCOMPARE(b.cursor().shape(), Qt::ArrowCursor);
    }

    void Shape_Style2Height20_RadiusElevenCornersCutBorderKept() {
        GlossButton b;
        b.resize(100, 20);
        b.setButtonStyle(2);
        const QRegion mask = b.mask();
        for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 19), QPoint(99, 19), QPoint(2, 1)})
            QVERIFY(!mask.contains(corner));
        for (QPoint edge : {QPoint(50, 0), QPoint(50, 19), QPoint(0, 10), QPoint(99, 9), QPoint(11, 0)})
            QVERIFY(mask.contains(edge));
        b.setButtonStyle(1);
        QVERIFY(b.mask().isEmpty());
    }

    void Face_HoveredDisabledOrChecked_DrawnFromTheirColours() {
        for (int style : {0, 2, 3, 4, 5, 6, 7}) {
            GlossButton b;
            b.resize(160, 40);
            b.setButtonStyle(style);
            b.setColorButtonHover(QColor(200, 0, 0));
            b.setColorButtonDown(QColor(200, 100, 50));
            // Hover: a rim of ColorButtonHover, or the fixed warm one of style 0; gone after a leave.
            const QPoint spot = style == 0 ? QPoint(80, 1) : QPoint(0, 20);
            const QColor hover = style == 0 ? QColor(255, 240, 202) : QColor(200, 0, 0);
            const QImage rest = shot(b);
            QVERIFY(rest.pixel(spot) != hover.rgb());
            enter(b);
            QCOMPARE(pixel(b, spot), hover);
            leave(b);
            QCOMPARE(shot(b), rest);
            // Disabled colour styles: a grey face (the outline too, at no border brightness), a white glow.
            b.setEnabled(false);
            if (style != 0 && style != 6)
                QCOMPARE(pixel(b, {0, 20}), QColor(192, 192, 176));
            if (style == 7)
                QCOMPARE(QList<QColor>({rest.pixel(80, 20), pixel(b, {80, 20})}),
                         QList<QColor>({{176, 237, 255}, Qt::white}));
            b.setEnabled(true);
            b.setCheckedLook(true);
            enter(b);
            if (style == 0)
                QCOMPARE(shot(b), rest); // no rim, not even the hover one
            else
                QCOMPARE(pixel(b, {0, 20}), QColor(200, 100, 50));
        }
    }

    void Caption_FocusedOrPressed_FramedOrShiftedOnePixel() {
        GlossButton b;
        b.resize(160, 40);
        b.setButtonStyle(2); // rest and pressed share one face colour by default
        const QImage bare = shot(b);
        b.setCaption(u"&Go"_s);
        const QRect atRest = difference(bare, shot(b));
        QVERIFY(!atRest.isEmpty());
        send(b, QFocusEvent(QEvent::FocusIn)); // the keyboard focus shows as a frame around the caption
        QVERIFY(difference(bare, shot(b)).contains(atRest.adjusted(-2, -1, 2, 1)));
        QTest::mousePress(&b, Qt::LeftButton);
        QCOMPARE(difference(bare, shot(b)), atRest.translated(1, 1));
    }

    void Picture_Alignments_PlacedByTableAndHighlit() {
        gloss::Look look;
        look.style = 2; // radius 21 at 160 x 40
        look.picture = QPixmap(8, 8);
        look.picture.fill(QColor(255, 0, 0));
        const auto found = [&look](int state, QRgb colour = qRgb(255, 0, 0)) {
            const QImage image = gloss::render(look, QSize(160, 40), state);
            return box(image.size(), [&](int x, int y) { return image.pixel(x, y) == colour; });
        };
        look.pictureAlignment = 2;
        QCOMPARE(found(0), QRect(21, 16, 8, 8));
        QCOMPARE(found(1), QRect(22, 17, 8, 8)); // pressed: one pixel down and right
        look.pictureAlignment = 3;
        QCOMPARE(found(0), QRect(131, 16, 8, 8));
        look.caption = u"Go"_s;
        look.pictureAlignment = 0; // above the caption
        QVERIFY(found(0).bottom() < found(0, qRgb(0, 0, 0)).top());
        look.iconHighLite = true;
        QVERIFY(!found(3, qRgb(0, 255, 0)).isEmpty());
        QVERIFY(found(3).isEmpty());
        look.style = 7;
        look.enabled = false; // greyed picture and caption: nothing darker than mid grey
        const QImage greyed = gloss::render(look, QSize(160, 40), 0);
        QVERIFY(found(0).isEmpty());
        QVERIFY(box(greyed.size(), [&](int x, int y) { return qGray(greyed.pixel(x, y)) < 110; }).isEmpty());
    }

    void Render_DoublePixelRatio_SameFaceSharperCaption() {
        gloss::Look look;
        look.caption = u"&Convert"_s;
        look.font.setPixelSize(14);
        for (look.style = 0; look.style < gloss::kStyleCount; ++look.style) {
            const QImage one = gloss::render(look, QSize(160, 40), gloss::AtRest);
            const QImage two = gloss::render(look, QSize(160, 40), gloss::AtRest, 2.0);
            QCOMPARE(two.size(), QSize(320, 80));
            QCOMPARE(two.deviceIndependentSize().toSize(), QSize(160, 40));
            // Brought back to 1x it is the same button: face, caption place and size.
            const QImage down = two.scaled(160, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            qint64 total = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 160; ++x)
                    total += std::abs(qGray(one.pixel(x, y)) - qGray(down.pixel(x, y)));
            QVERIFY2(total / (160 * 40) < 4, qPrintable(QString::number(total / (160.0 * 40))));
            // But not the 1x button blown up: the caption has detail of its own within the 2 by 2 blocks.
            int detailed = 0;
            for (int y = 0; y < 80; y += 2)
                for (int x = 0; x < 320; x += 2) {
                    const QRgb c = two.pixel(x, y);
                    detailed += c != two.pixel(x + 1, y) || c != two.pixel(x, y + 1) || c != two.pixel(x + 1, y + 1);
                }
            QVERIFY2(detailed > 50, qPrintable(QString::number(detailed)));
        }
    }

    void Render_TinyAndOddSizes_StayInsideTheImage() {
        gloss::Look look;
        look.caption = u"&Long caption"_s;
        look.picture = QPixmap(30, 30);
        for (QSize size : {QSize(1, 1), QSize(3, 40), QSize(200, 3), QSize(24, 10)})
            for (look.style = 0; look.style < gloss::kStyleCount; ++look.style) {
                QCOMPARE(gloss::render(look, size, gloss::Pressed).size(), size);
                QVERIFY(gloss::windowShape(look.style, size).subtracted(QRect(QPoint(0, 0), size)).isEmpty());
            }
    }
};

QTEST_MAIN(GlossButtonTest)
#include "GlossButtonTest.moc"
