// The wait window's Cancel: stoppable work ends on Cancel or Esc, other windows take no input
// meanwhile, and a cancelled packing leaves the editor's boxes and the clipboard as they were.
#include "EditorWindow.h"
#include "GlossButton.h"
#include "Printer.h"
#include "ProgressTicker.h"
#include "ShellFixture.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {

struct NoPrinter final : shell::IPrinter {
    bool ChoosePrinter(QWidget*) override { return false; }
    bool PrintText(const QString&) override { return false; }
};

/// Clicks the wait window's Cancel as soon as it offers one (the key loads without), while the work runs.
void CancelWhenOffered(shell::WaitProgress& progress) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&progress, poll] {
        if (progress.Window() && progress.Window()->CancelButton()->isVisible()) {
            QTest::mouseClick(progress.Window()->CancelButton(), Qt::LeftButton);
            poll->deleteLater();
        }
    });
    poll->start(0);
}

/// A click as the window system delivers it, which a modal window may hold back.
void SystemClick(QWidget& widget) {
    QTest::mouseClick(widget.windowHandle(), Qt::LeftButton, {}, widget.rect().center());
}

} // namespace

class CancelTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void WaitWindow_CancelOrEsc_StopsStoppableWorkOnlyAndBlocksOtherWindows() {
        ShellFixture shell;
        shell::WaitProgress& progress = *shell.progress;
        QPushButton other(u"other"_s);
        int otherClicks = 0;
        connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        {
            ProgressTicker ticker(progress, 1000);
            QVERIFY(progress.Window() && progress.Window()->isVisible());
            QVERIFY(!progress.Window()->CancelButton()->isVisible());
            QTest::keyClick(progress.Window(), Qt::Key_Escape);
            SystemClick(other);
            ticker.Tick(1000); // key loading and forming know no cancel
            QVERIFY(!progress.Cancelled());
        }
        QCOMPARE(otherClicks, 0);

        shell.state->language = 1;
        for (const bool byEsc : {false, true}) {
            bool stopped = false;
            try {
                ProgressTicker ticker(progress, 1000, {}, Stoppable::Yes);
                shell::WaitWindow* window = progress.Window();
                QCOMPARE(window->CancelButton()->text(), u"Mégse"_s);
                QVERIFY(window->CancelButton()->isVisible() && !progress.Cancelled());
                SystemClick(other);
                if (byEsc) {
                    QTest::keyClick(window, Qt::Key_Escape);
                } else {
                    QTest::mouseClick(window->CancelButton(), Qt::LeftButton);
                }
                QVERIFY(progress.Cancelled());
                ticker.Tick(1); // the next report ends the work
            } catch (const WorkCancelled&) {
                stopped = true;
            }
            QVERIFY(stopped && !progress.Window());
        }
        QCOMPARE(otherClicks, 0);
        SystemClick(other);
        QCOMPARE(otherClicks, 1); // input flows again once the work is over
    }

    void Packing_Cancelled_BoxesClipboardAndMessagesAsBefore() {
        ShellFixture shell(366);
        shell.state->sendingMode = true;
        NoPrinter printer;
        editor::EditorWindow editor(*shell.state, {shell.dialogs, shell.clipboard, printer, shell.clock},
                                    *shell.window);
        editor.show();
        shell.clipboard.SetText(u"on the clipboard before"_s);
        auto* plain = editor.findChild<QPlainTextEdit*>(u"RichTextBox1"_s);
        plain->setPlainText(u"a letter"_s);
        auto* start = editor.findChild<GlossButton*>(u"Command1"_s);
        start->setEnabled(true);

        CancelWhenOffered(*shell.progress);
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(plain->toPlainText(), u"a letter"_s);
        QCOMPARE(editor.findChild<QPlainTextEdit*>(u"RichTextBox2"_s)->toPlainText(), QString());
        QCOMPARE(shell.clipboard.Text(), u"on the clipboard before"_s);
        QVERIFY(shell.messages.shown.empty() && !shell.progress->Window());
        // START again, not cancelled, codes the letter.
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(shell.clipboard.Text().startsWith(u"\"\""_s));

        // The same on the main window's clipboard translation.
        shell.clipboard.SetText(u"plain on the clipboard"_s);
        CancelWhenOffered(*shell.progress);
        shell.Click(u"cbCheat"_s);
        QCOMPARE(shell.clipboard.Text(), u"plain on the clipboard"_s);
        QVERIFY(shell.messages.shown.empty());
    }
};

QTEST_MAIN(CancelTest)
#include "CancelTest.moc"
