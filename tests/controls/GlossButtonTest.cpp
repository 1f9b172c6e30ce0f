#include "GlossButton.h"

#include "PropertyBag.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>

namespace {

// Records the state each redraw asks for, before the checked look overrides it.
class RecordingButton final : public GlossButton {
public:
    using GlossButton::GlossButton;
    QList<int> redraws;

protected:
    void redraw(int state) override {
        redraws.append(state);
        GlossButton::redraw(state);
    }
};

QStringList names(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list.append(QLatin1String(item));
    return list;
}

// Every event the button raises, in order, as text.
QStringList* recordEvents(GlossButton& button) {
    auto* log = new QStringList;
    QObject::connect(&button, &QObject::destroyed, [log] { delete log; });
    const auto args = [](int b, int s, int x, int y) {
        return QStringLiteral("(%1,%2,%3,%4)").arg(b).arg(s).arg(x).arg(y);
    };
    QObject::connect(&button, &GlossButton::Click, [log] { log->append(QStringLiteral("Click")); });
    QObject::connect(&button, &GlossButton::DblClick, [log] { log->append(QStringLiteral("DblClick")); });
    QObject::connect(&button, &GlossButton::MouseEnter, [log] { log->append(QStringLiteral("MouseEnter")); });
    QObject::connect(&button, &GlossButton::MouseLeave, [log] { log->append(QStringLiteral("MouseLeave")); });
    QObject::connect(&button, &GlossButton::MouseDown, [log, args](int b, int s, int x, int y) {
        log->append(QStringLiteral("MouseDown") + args(b, s, x, y));
    });
    QObject::connect(&button, &GlossButton::MouseUp, [log, args](int b, int s, int x, int y) {
        log->append(QStringLiteral("MouseUp") + args(b, s, x, y));
    });
    QObject::connect(&button, &GlossButton::MouseMove, [log, args](int b, int s, int x, int y) {
        log->append(QStringLiteral("MouseMove") + args(b, s, x, y));
    });
    return log;
}

void enter(QWidget& w, QPoint at = QPoint(10, 10)) {
    QEnterEvent event(at, w.mapTo(w.window(), at), w.mapToGlobal(at));
    QCoreApplication::sendEvent(&w, &event);
}

void leave(QWidget& w) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &event);
}

// Records the order in which the button reads and writes its properties.
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
        for (int scheme = 1; scheme <= 6; ++scheme) {
            b.setColorScheme(scheme);
            const QList<QColor> want = table[scheme - 1];
            QCOMPARE(b.ColorScheme(), scheme);
            QCOMPARE(QList<QColor>(
                         {b.ColorButtonUp(), b.ColorButtonHover(), b.ColorButtonDown(), b.ColorBright()}),
                     want);
        }
        // Beyond the table the number is kept but the colours stay.
        b.setColorScheme(7);
        QCOMPARE(b.ColorScheme(), 7);
        QCOMPARE(b.ColorButtonUp(), QColor(128, 128, 0));
        // One colour set by itself leaves the preset and keeps the other three.
        b.setColorScheme(3);
        b.setColorButtonUp(QColor(1, 2, 3));
        QCOMPARE(b.ColorScheme(), 0);
        QCOMPARE(b.ColorButtonHover(), QColor(0, 0, 160));
        QCOMPARE(b.ColorButtonDown(), QColor(0, 0, 240));
        QCOMPARE(b.ColorBright(), QColor(0, 0, 255));
        for (auto setter : {&GlossButton::setColorButtonHover, &GlossButton::setColorButtonDown,
                            &GlossButton::setColorBright}) {
            b.setColorScheme(2);
            (b.*setter)(QColor(9, 9, 9));
            QCOMPARE(b.ColorScheme(), 0);
        }
    }

    void Properties_OutOfRangeOrUnchanged_ClampedOrIgnored() {
        RecordingButton b;
        b.setBorderBrightness(150);
        QCOMPARE(b.BorderBrightness(), 100);
        b.setBorderBrightness(-101);
        QCOMPARE(b.BorderBrightness(), -100);
        b.setBorderBrightness(-37);
        QCOMPARE(b.BorderBrightness(), -37);

        QSignalSpy changes(&b, &GlossButton::PropertyChanged);
        b.setStyle(4);
        b.redraws.clear();
        changes.clear();
        b.setStyle(4);
        b.setPictureAlignment(0);
        b.setDisplayHand(true); // stored only
        QVERIFY(b.redraws.isEmpty());
        QCOMPARE(changes.count(), 0);
        b.setStyle(99);
        QCOMPARE(b.Style(), 7);
        b.setIconHighLite(true); // marked, not redrawn
        QCOMPARE(b.redraws, QList<int>({0}));
        QCOMPARE(changes.last().at(0).toString(), QStringLiteral("IconHighLite"));
    }

    void MouseClick_Hovered_RaisesDownUpClickOnce() {
        RecordingButton b;
        b.resize(100, 30);
        QStringList& log = *recordEvents(b);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
        QCOMPARE(b.visualState(), 1);
        QTest::mouseRelease(&b, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
        QCOMPARE(log, names({"MouseEnter", "MouseDown(1,1,5,6)", "MouseUp(1,1,5,6)", "Click"}));
        QCOMPARE(b.redraws, QList<int>({3, 1, 3}));
        QCOMPARE(clicked.count(), 1);

        // Released outside after dragging out: no click, the button falls back to rest, then focus.
        log.clear();
        b.redraws.clear();
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mouseMove(&b, QPoint(150, 6));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(150, 6));
        QCOMPARE(log, names({"MouseDown(1,0,5,6)", "MouseMove(1,0,150,6)", "MouseUp(1,0,150,6)"}));
        QCOMPARE(b.redraws, QList<int>({1, 0, 2}));
        QCOMPARE(clicked.count(), 1);
    }

    void DoubleClick_Enabled_RaisesOneClickThenDblClick() {
        RecordingButton b;
        b.resize(100, 30);
        QStringList& log = *recordEvents(b);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QTest::mouseDClick(&b, Qt::LeftButton);
        QCOMPARE(b.visualState(), 1);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QCOMPARE(log, names({"MouseDown(1,0,49,14)", "MouseUp(1,0,49,14)", "Click", "DblClick",
                             "MouseUp(1,0,49,14)"}));
        QCOMPARE(clicked.count(), 1);
    }

    void EnterKey_DownAndUp_ActsAsLeftButtonAtOriginThenClick() {
        RecordingButton b;
        QStringList& log = *recordEvents(b);
        QTest::keyPress(&b, Qt::Key_Return);
        QCOMPARE(b.visualState(), 1);
        // A held key repeats; the button goes down once.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(&b, &repeat);
        QTest::keyRelease(&b, Qt::Key_Return);
        QCOMPARE(log, names({"MouseDown(1,0,0,0)", "MouseUp(1,0,0,0)", "Click"}));
        QCOMPARE(b.redraws, QList<int>({1, 2}));

        // A release whose press went to another control does not click.
        log.clear();
        QTest::keyRelease(&b, Qt::Key_Enter);
        QVERIFY(log.isEmpty());
    }

    void Disabled_AllInput_OnlyEnterAndLeave() {
        RecordingButton b;
        b.resize(100, 30);
        b.setEnabled(false);
        QStringList& log = *recordEvents(b);
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        enter(b);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        QTest::mouseDClick(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        for (int i = 0; i < 2; ++i)
            QTest::ignoreMessage(QtWarningMsg, "Keyboard event not accepted by receiving widget");
        QTest::keyClick(&b, Qt::Key_Return);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&b, &move);
        b.animateClick();
        QTest::qWait(150);
        leave(b);
        QCOMPARE(log, names({"MouseEnter", "MouseLeave"}));
        QCOMPARE(clicked.count(), 0);
    }

    void Disabled_RealPointerCrossing_RaisesEnterAndLeave() {
        QWidget window;
        window.resize(300, 100);
        auto* b = new GlossButton(&window);
        b->setGeometry(50, 20, 100, 40);
        b->setEnabled(false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy entered(b, &GlossButton::MouseEnter);
        QSignalSpy left(b, &GlossButton::MouseLeave);
        QTest::mouseMove(&window, QPoint(10, 10));
        QTest::mouseMove(&window, QPoint(100, 40));
        QTRY_COMPARE(entered.count(), 1);
        QTest::mouseMove(&window, QPoint(250, 80));
        QTRY_COMPARE(left.count(), 1);
    }

    void Checked_PointerAndMouseUp_StayInCheckedLook() {
        RecordingButton b;
        b.resize(100, 30);
        b.setChecked(true);
        QCOMPARE(b.visualState(), 4);
        b.redraws.clear();
        enter(b);
        QCOMPARE(b.visualState(), 4);
        QTest::mousePress(&b, Qt::LeftButton);
        QTest::mouseRelease(&b, Qt::LeftButton);
        leave(b);
        // Enter and press still ask; mouse up and leave do not redraw at all.
        QCOMPARE(b.redraws, QList<int>({3, 1}));
        QCOMPARE(b.visualState(), 4);
        b.setChecked(false);
        QCOMPARE(b.visualState(), 0);
    }

    void Hover_LeftButtonHeldOnEntry_NoHoverUntilReleased() {
        RecordingButton b;
        b.resize(100, 30);
        QStringList& log = *recordEvents(b);
        QMouseEvent drag(QEvent::MouseMove, QPointF(20, 10), QPointF(20, 10), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&b, &drag);
        QCOMPARE(b.visualState(), 0);
        QMouseEvent free(QEvent::MouseMove, QPointF(21, 10), QPointF(21, 10), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&b, &free);
        QCOMPARE(b.visualState(), 3);
        QCOMPARE(log, names({"MouseMove(1,0,20,10)", "MouseEnter", "MouseMove(0,0,21,10)"}));
    }

    void Hover_DragFromNeighbour_NoHoverWhileHeld() {
        QWidget window;
        window.resize(300, 100);
        auto* neighbour = new QWidget(&window);
        neighbour->setGeometry(0, 0, 40, 100);
        auto* b = new GlossButton(&window);
        b->setGeometry(50, 20, 100, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy entered(b, &GlossButton::MouseEnter);
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(window.windowHandle(), QPoint(100, 40));
        QTest::qWait(20);
        QCOMPARE(entered.count(), 0);
        QVERIFY(b->visualState() != 3);
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(100, 40));
        QTRY_COMPARE(entered.count(), 1);
        QCOMPARE(b->visualState(), 3);
    }

    void Focus_InAndOut_RedrawsFocusedThenRest() {
        RecordingButton b;
        QFocusEvent in(QEvent::FocusIn);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(&b, &in);
        QCoreApplication::sendEvent(&b, &out);
        enter(b);
        QCoreApplication::sendEvent(&b, &in); // hovering: the hover look stays
        QCOMPARE(b.redraws, QList<int>({2, 0, 3}));
    }

    void Platform_CaptionWithAmpersand_AccessKeyAndPushButtonAccessible() {
        QWidget window;
        auto* b = new GlossButton(&window);
        b->setCaption(QStringLiteral("&Start"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(b->shortcut(), QKeySequence(QKeySequence::mnemonic(QStringLiteral("&Start"))));
        QCOMPARE(b->focusPolicy(), Qt::StrongFocus);

        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Start"));
        QSignalSpy click(b, &GlossButton::Click);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(click.count(), 1);
        b->setEnabled(false);
        QVERIFY(a->state().disabled);
    }

    void Persistence_WriteThenRead_SameProperties() {
        GlossButton a;
        a.setCaption(QStringLiteral("E&xit"));
        a.setCaptionHighLite(true);
        a.setCaptionHighLiteColor(QColor(1, 2, 3));
        a.setIconHighLite(true);
        a.setIconHighLiteColor(QColor(4, 5, 6));
        a.setForeColor(QColor(7, 8, 9));
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        a.setPicture(picture);
        a.setPictureAlignment(3);
        a.setStyle(5);
        a.setChecked(true);
        a.setColorScheme(4);
        a.setBorderBrightness(-40);
        a.setDisplayHand(true);
        a.setEnabled(false);
        QFont font(QStringLiteral("DejaVu Sans"), 13);
        a.setFont(font);

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
        for (const char* name : {"Enabled", "Font", "Caption", "CaptionHighLite", "CaptionHighLiteColor",
                                 "IconHighLite", "IconHighLiteColor", "ForeColor", "PictureAlignment",
                                 "Style", "Checked", "ColorButtonHover", "ColorButtonUp", "ColorButtonDown",
                                 "ColorBright", "BorderBrightness", "DisplayHand", "ColorScheme"})
            QVERIFY2(b.property(name) == a.property(name), name);
        QCOMPARE(b.Picture().toImage(), a.Picture().toImage());
        QCOMPARE(b.ColorScheme(), 4); // the scheme read last is not undone by the colours read before it
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
        b->readProperties(
            MemoryPropertyBag(QVariantMap{{QStringLiteral("BorderBrightness"), 500},
                                          {QStringLiteral("ColorButtonUp"), QStringLiteral("junk")}}));
        QVERIFY(b->isEnabled());
        QCOMPARE(b->font(), container.font());
        QCOMPARE(b->Caption(), QStringLiteral("cmdStart"));
        QCOMPARE(b->Style(), 0);
        QVERIFY(b->Checked());
        QCOMPARE(b->BorderBrightness(), 100);
        QCOMPARE(b->ColorButtonUp(), QColor(80, 153, 233));
        QCOMPARE(b->ColorButtonHover(), QColor(144, 192, 255));
        QCOMPARE(b->ColorButtonDown(), QColor(80, 153, 233));
        QCOMPARE(b->ColorBright(), QColor(176, 237, 255));
        QCOMPARE(b->ForeColor(), QColor(0, 0, 0));
        QCOMPARE(b->CaptionHighLiteColor(), QColor(0, 255, 0));
        QCOMPARE(b->IconHighLiteColor(), QColor(0, 255, 0));
        QVERIFY(b->Picture().isNull());
        QCOMPARE(b->ColorScheme(), 0);
        QCOMPARE(b->cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(GlossButtonTest)
#include "GlossButtonTest.moc"
