// The wait window's Cancel: stoppable work ends on Cancel or Esc while other windows take no
// input, and a cancelled packing leaves boxes and clipboard as they were, with nothing said.
#include "controls/GlossButton.h"
#include "editor/EditorWindow.h"
#include "engine/ProgressTicker.h"
#include "platform/Printer.h"
#include "tests/app/AppFixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
struct NoPrinter final : platform::IPrinter {
    bool ChoosePrinter(QWidget*) override { return false; }
    bool PrintText(const QString&) override { return false; }
};

/// Clicks Cancel once the wait window offers it (the key loads without), while the work runs.
void CancelWhenOffered(platform::WaitProgress& progress) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&progress, poll] {
        if (progress.Window() && progress.Window()->CancelButton()->isVisible()) {
            QTest::mouseClick(progress.Window()->CancelButton(), Qt::LeftButton);
            poll->deleteLater();
        }
    });
    poll->start(0);
}
} // namespace

class CancelTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Cancel_ByButtonOrEsc_StopsTheWorkChangesNothingAndOtherWindowsTakeNoClick() {
        AppFixture shell(366);
        shell.state->language = Language::Hungarian;
        QPushButton other;
        int clicks = 0;
        connect(&other, &QPushButton::clicked, [&] { ++clicks; });
        other.show();
        for (const bool byEsc : {false, true}) {
            try {
                ProgressTicker ticker(*shell.progress, 1000, {}, Stoppable::Yes);
                platform::WaitWindow* window = shell.progress->Window();
                QCOMPARE(window->CancelButton()->text(), u"Mégse"_s);
                // Through the window system, where the modal wait window holds it back.
                QTest::mouseClick(other.windowHandle(), Qt::LeftButton, {}, {5, 5});
                if (byEsc) {
                    QTest::keyClick(window, Qt::Key_Escape);
                } else {
                    QTest::mouseClick(window->CancelButton(), Qt::LeftButton);
                }
                ticker.Tick(1);
                QFAIL("not stopped at the next report");
            } catch (const WorkCancelled&) {
            }
        }
        QCOMPARE(clicks, 0);

        // Packing in the editor, then on the main window's CHECK.
        NoPrinter printer;
        editor::EditorWindow editor(*shell.state, {shell.dialogs, shell.clipboard, printer, shell.clock},
                                    *shell.window, velt::platform::Direction::Sending);
        editor.show();
        shell.clipboard.SetText(u"before"_s);
        auto* plain = editor.findChild<QPlainTextEdit*>(u"RichTextBox1"_s);
        plain->setPlainText(u"a letter"_s);
        auto* start = editor.findChild<GlossButton*>(u"Command1"_s);
        start->setEnabled(true);
        CancelWhenOffered(*shell.progress);
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(plain->toPlainText() + editor.findChild<QPlainTextEdit*>(u"RichTextBox2"_s)->toPlainText() +
                     shell.clipboard.Text(),
                 u"a letterbefore"_s);
        shell.clipboard.SetText(u"plain"_s);
        CancelWhenOffered(*shell.progress);
        shell.Click(u"cbCheat"_s);
        QCOMPARE(shell.clipboard.Text(), u"plain"_s);
        QVERIFY(shell.messages.shown.empty());
    }
};

QTEST_MAIN(CancelTest)
#include "CancelTest.moc"
