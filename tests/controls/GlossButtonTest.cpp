#include "GlossButton.h"

#include "PropertyBag.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList names(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list.append(QLatin1String(item));
    return list;
}

// Logs every raised event and every redraw ("draw3": asked for state 3) in the order they happen.
class RecordingButton final : public GlossButton {
public:
    QStringList log;
    explicit RecordingButton(QWidget* parent = nullptr) : GlossButton(parent) {
        const auto note = [this](const char* what) {
            return [this, what] { log.append(QLatin1String(what)); };
        };
        const auto mouse = [this](const char* what) {
            return [this, what](int b, int s, int x, int y) {
                log.append(
                    QStringLiteral("%1(%2,%3,%4,%5)").arg(QLatin1String(what)).arg(b).arg(s).arg(x).arg(y));
            };
        };
        connect(this, &GlossButton::Click, this, note("Click"));
        connect(this, &GlossButton::DblClick, this, note("DblClick"));
        connect(this, &GlossButton::MouseEnter, this, note("MouseEnter"));
        connect(this, &GlossButton::MouseLeave, this, note("MouseLeave"));
        connect(this, &GlossButton::MouseDown, this, mouse("MouseDown"));
        connect(this, &GlossButton::MouseUp, this, mouse("MouseUp"));
        connect(this, &GlossButton::MouseMove, this, mouse("MouseMove"));
    }

protected:
    void redraw(int state) override {
        log.append(QStringLiteral("draw%1").arg(state));
        GlossButton::redraw(state);
    }
};

void enter(QWidget& w) {
    QEnterEvent event(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(&w, &event);
}

void leave(QWidget& w) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &event);
}

void move(QWidget& w, QPoint to, Qt::MouseButtons held) {
    QMouseEvent event(QEvent::MouseMove, to, w.mapToGlobal(to), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

// Remembers the order of reads and writes.
class OrderBag final : public PropertyBag {
public:
    mutable QStringList reads;
    QStringList writes;
    QVariantMap values;
    QVariant read(const QString& name, const QVariant& fallback) const override {
        reads.append(name);
        return values.value(name, fallback);
    }
    void write(const QString& name, const QVariant& value) override {
        writes.append(name);
        values.insert(name, value);
    }
};

} // namespace

class GlossButtonTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ColorScheme_PresetsAndSingleColours_FollowTable() {
        GlossButton b;
        const QList<QList<QColor>> table{
            {{32, 103, 208}, {80, 153, 233}, {16, 103, 160}, {176, 237, 255}},
            {{96, 144, 208}, {0, 96, 224}, {80, 128, 169}, {250, 250, 255}},
            {{0, 0, 128}, {0, 0, 160}, {0, 0, 240}, {0, 0, 255}},
            {{128, 0, 0}, {160, 0, 0}, {240, 0, 0}, {255, 0, 0}},
            {{0, 128, 0}, {0, 160, 0}, {0, 192, 0}, {0, 255, 0}},
            {{128, 128, 0}, {160, 160, 0}, {192, 192, 0}, {255, 255, 0}},
        };
        const auto colours = [&b] {
            return QList<QColor>{b.ColorButtonUp(), b.ColorButtonHover(), b.ColorButtonDown(),
                                 b.ColorBright()};
        };
        for (int scheme = 1; scheme <= 6; ++scheme) {
            b.setColorScheme(scheme);
            QCOMPARE(colours(), table[scheme - 1]);
        }
        b.setColorScheme(7); // kept, but no colour changes
        QCOMPARE(b.ColorScheme(), 7);
        QCOMPARE(colours(), table[5]);
        // One colour set by itself leaves the preset and keeps the other three.
        b.setColorScheme(3);
        b.setColorButtonUp(QColor(1, 2, 3));
        QCOMPARE(b.ColorScheme(), 0);
        QCOMPARE(colours(), QList<QColor>({QColor(1, 2, 3), table[2][1], table[2][2], table[2][3]}));
    }

    void Properties_OutOfRangeOrUnchanged_ClampedOrIgnored() {
        RecordingButton b;
        b.setBorderBrightness(150);
        QCOMPARE(b.BorderBrightness(), 100);
        b.setBorderBrightness(-101);
        QCOMPARE(b.BorderBrightness(), -100);
        b.setStyle(4);
        QSignalSpy changes(&b, &GlossButton::PropertyChanged);
        b.log.clear();
        b.setStyle(4);
        b.setPictureAlignment(0);
        b.setDisplayHand(true);  // stored only
        b.setIconHighLite(true); // marked, not redrawn
        QVERIFY(b.log.isEmpty());
        QCOMPARE(changes.count(), 1);
        b.setStyle(99);
        QCOMPARE(b.Style(), 7);
    }

    void MouseClick_Hovered_RaisesDownUpClickOnce() {
        RecordingButton b;
        b.resize(100, 30);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
        QTest::mouseRelease(&b, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
        QCOMPARE(b.log, names({"MouseEnter", "draw3", "draw1", "MouseDown(1,1,5,6)", "draw3",
                               "MouseUp(1,1,5,6)", "Click"}));
        QCOMPARE(clicked.count(), 1);

        // Dragged out with the button held: rest look, and no click on release outside.
        b.log.clear();
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mouseMove(&b, QPoint(150, 6));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(150, 6));
        leave(b);
        QCOMPARE(b.log, names({"draw1", "MouseDown(1,0,5,6)", "MouseMove(1,0,150,6)", "draw0", "draw2",
                               "MouseUp(1,0,150,6)", "MouseLeave", "draw2"}));
        QCOMPARE(clicked.count(), 1);
    }

    void DoubleClick_Enabled_RaisesOneClickThenDblClick() {
        RecordingButton b;
        b.resize(100, 30);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QTest::mouseDClick(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QCOMPARE(b.log, names({"draw1", "MouseDown(1,0,49,14)", "draw2", "MouseUp(1,0,49,14)", "Click",
                               "draw1", "DblClick", "draw2", "MouseUp(1,0,49,14)"}));
    }

    void EnterKey_DownAndUp_ActsAsLeftButtonAtOriginThenClick() {
        RecordingButton b;
        QTest::keyPress(&b, Qt::Key_Return);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(&b, &repeat); // a held key goes down once
        QTest::keyRelease(&b, Qt::Key_Return);
        QCOMPARE(b.log, names({"draw1", "MouseDown(1,0,0,0)", "draw2", "MouseUp(1,0,0,0)", "Click"}));
        b.log.clear();
        QTest::keyRelease(&b, Qt::Key_Enter); // its press went to another control
        QVERIFY(b.log.isEmpty());
    }

    void Disabled_AnyInput_OnlyEnterAndLeave() {
        RecordingButton b;
        b.resize(100, 30);
        b.setEnabled(false);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        b.log.clear();
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QTest::mouseDClick(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        move(b, QPoint(5, 5), Qt::NoButton);
        for (int i = 0; i < 2; ++i)
            QTest::ignoreMessage(QtWarningMsg, "Keyboard event not accepted by receiving widget");
        QTest::keyClick(&b, Qt::Key_Return);
        b.animateClick();
        QTest::qWait(150);
        leave(b);
        QCOMPARE(b.log, names({"MouseEnter", "draw3", "MouseLeave", "draw0"}));
        QCOMPARE(clicked.count(), 0);

        // The same through the platform's own pointer crossing.
        QWidget window;
        window.resize(300, 100);
        auto* real = new GlossButton(&window);
        real->setGeometry(50, 20, 100, 40);
        real->setEnabled(false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy entered(real, &GlossButton::MouseEnter);
        QSignalSpy left(real, &GlossButton::MouseLeave);
        QTest::mouseMove(&window, QPoint(10, 10));
        QTest::mouseMove(&window, QPoint(100, 40));
        QTRY_COMPARE(entered.count(), 1);
        QTest::mouseMove(&window, QPoint(250, 80));
        QTRY_COMPARE(left.count(), 1);
    }

    void Checked_PointerAndMouseUp_NotRedrawnOutOfCheckedLook() {
        RecordingButton b;
        b.resize(100, 30);
        b.setChecked(true);
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        leave(b);
        QCOMPARE(b.visualState(), 4);
        QCOMPARE(b.log, names({"draw4", "MouseEnter", "draw3", "draw1", "MouseDown(1,0,49,14)",
                               "MouseUp(1,0,49,14)", "Click", "MouseLeave"}));
        b.setChecked(false);
        QCOMPARE(b.visualState(), 0);
    }

    void Hover_LeftButtonHeldOnEntry_NoHoverLookUntilReleased() {
        RecordingButton b;
        b.resize(100, 30);
        move(b, QPoint(20, 10), Qt::LeftButton);
        move(b, QPoint(21, 10), Qt::NoButton);
        QCOMPARE(b.log, names({"MouseMove(1,0,20,10)", "MouseEnter", "draw3", "MouseMove(0,0,21,10)"}));

        // Pressed on a neighbour and dragged over the button through the platform.
        QWidget window;
        window.resize(300, 100);
        (new QWidget(&window))->setGeometry(0, 0, 40, 100);
        auto* real = new GlossButton(&window);
        real->setGeometry(50, 20, 100, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy entered(real, &GlossButton::MouseEnter);
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(window.windowHandle(), QPoint(100, 40));
        QTest::qWait(20);
        const bool hoveredWhileHeld = entered.count() > 0 || real->visualState() == 3;
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(100, 40));
        QVERIFY(!hoveredWhileHeld);
        QTRY_COMPARE(real->visualState(), 3);
    }

    void Focus_InAndOut_RedrawsFocusedUnlessHovered() {
        RecordingButton b;
        QFocusEvent in(QEvent::FocusIn);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(&b, &in);
        QCoreApplication::sendEvent(&b, &out);
        enter(b);
        QCoreApplication::sendEvent(&b, &in);
        QCOMPARE(b.log, names({"draw2", "draw0", "MouseEnter", "draw3"}));
    }

    void Platform_CaptionWithAmpersand_AccessKeyAndPushButtonAccessible() {
        QWidget window;
        auto* b = new GlossButton(&window);
        b->setCaption(QStringLiteral("&Start"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(b->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
        QCOMPARE(b->focusPolicy(), Qt::StrongFocus);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Start"));
        QSignalSpy click(b, &GlossButton::Click);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(click.count(), 1);
        b->setEnabled(false);
        QVERIFY(a->state().disabled);
    }

    void Persistence_WriteThenRead_SamePropertiesInTheirOrders() {
        GlossButton a;
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        const QVariantMap set{{QStringLiteral("Caption"), QStringLiteral("E&xit")},
                              {QStringLiteral("CaptionHighLite"), true},
                              {QStringLiteral("CaptionHighLiteColor"), QColor(1, 2, 3)},
                              {QStringLiteral("IconHighLite"), true},
                              {QStringLiteral("IconHighLiteColor"), QColor(4, 5, 6)},
                              {QStringLiteral("ForeColor"), QColor(7, 8, 9)},
                              {QStringLiteral("Picture"), picture},
                              {QStringLiteral("PictureAlignment"), 3},
                              {QStringLiteral("Style"), 5},
                              {QStringLiteral("Checked"), true},
                              {QStringLiteral("ColorScheme"), 4},
                              {QStringLiteral("BorderBrightness"), -40},
                              {QStringLiteral("DisplayHand"), true},
                              {QStringLiteral("Enabled"), false},
                              {QStringLiteral("Font"), QFont(QStringLiteral("DejaVu Sans"), 13)}};
        for (auto it = set.begin(); it != set.end(); ++it)
            a.setProperty(it.key().toLatin1().constData(), it.value());

        OrderBag bag;
        a.writeProperties(bag);
        QCOMPARE(bag.writes,
                 names({"Enabled", "Font", "Caption", "IconHighLite", "IconHighLiteColor", "CaptionHighLite",
                        "CaptionHighLiteColor", "ForeColor", "Picture", "PictureAlignment", "Style",
                        "Checked", "ColorButtonHover", "ColorButtonUp", "ColorButtonDown", "BorderBrightness",
                        "ColorBright", "DisplayHand", "ColorScheme"}));
        GlossButton b;
        b.readProperties(bag);
        QCOMPARE(bag.reads,
                 names({"Enabled", "Font", "Caption", "CaptionHighLite", "CaptionHighLiteColor",
                        "IconHighLite", "IconHighLiteColor", "ForeColor", "Picture", "PictureAlignment",
                        "Style", "Checked", "ColorButtonHover", "ColorButtonUp", "ColorButtonDown",
                        "ColorBright", "BorderBrightness", "DisplayHand", "ColorScheme"}));
        for (const QString& name : bag.writes)
            if (name != QLatin1String("Picture"))
                QVERIFY2(b.property(name.toLatin1()) == a.property(name.toLatin1()), qPrintable(name));
        QCOMPARE(b.Picture().toImage(), picture.toImage());
        QCOMPARE(b.ColorScheme(), 4); // read last, so the colours read before it do not undo it
        QCOMPARE(b.cursor().shape(), Qt::PointingHandCursor);
    }

    void Persistence_MissingKeys_DefaultsAndCheckedKept() {
        QWidget container;
        container.setFont(QFont(QStringLiteral("DejaVu Serif"), 15));
        auto* b = new GlossButton(&container);
        b->setObjectName(QStringLiteral("cmdStart"));
        b->setStyle(3);
        b->setColorScheme(5);
        b->setChecked(true);
        b->setEnabled(false);
        b->readProperties(MemoryPropertyBag({{QStringLiteral("BorderBrightness"), 500},
                                             {QStringLiteral("ColorButtonUp"), QStringLiteral("junk")}}));
        QVERIFY(b->isEnabled());
        QVERIFY(b->Checked());
        QCOMPARE(b->font(), container.font());
        QCOMPARE(b->Caption(), QStringLiteral("cmdStart"));
        QCOMPARE(b->Style(), 0);
        QCOMPARE(b->BorderBrightness(), 100);
        QCOMPARE(
            QList<QColor>({b->ColorButtonUp(), b->ColorButtonHover(), b->ColorButtonDown(), b->ColorBright(),
                           b->ForeColor(), b->CaptionHighLiteColor(), b->IconHighLiteColor()}),
            QList<QColor>({QColor(80, 153, 233), QColor(144, 192, 255), QColor(80, 153, 233),
                           QColor(176, 237, 255), QColor(0, 0, 0), QColor(0, 255, 0), QColor(0, 255, 0)}));
        QVERIFY(b->Picture().isNull());
        QCOMPARE(b->ColorScheme(), 0);
        QCOMPARE(b->cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(GlossButtonTest)
#include "GlossButtonTest.moc"
