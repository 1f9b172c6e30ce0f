// The shell's platform seams: directory search, component check, settings, dialog filters,
// the masked reference box and the wait window.
#include "AppState.h"
#include "ComponentCheck.h"
#include "Dialogs.h"
#include "Doubles.h"
#include "MaskedTextEdit.h"
#include "Messages.h"
#include "SettingsStore.h"
#include "WaitWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::shell;

namespace {
void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class SeamsTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void FileExist_WildcardsAndMask_FindAsDirectorySearch() {
        QTemporaryDir dir;
        const QString root = dir.path() + u"/"_s;
        QVERIFY(!FileExist(root + u"*.*"_s, 2)); // empty folder: empty result
        WriteFile(root + u".secret"_s, "x");
        QVERIFY(!FileExist(root + u"*.*"_s)); // hidden entries need the mask
        QVERIFY(FileExist(root + u"*.*"_s, 2));
        WriteFile(root + u"NOEXT"_s, "x");
        QVERIFY(FileExist(root + u"*.*"_s)); // "*.*" also matches names without a dot
        WriteFile(root + u"Mscomctl.ocx"_s, "x");
        QVERIFY(FileExist(root + u"MSCOMCTL.OCX"_s, 2));
        QVERIFY(FileExist(root + u"Ms?omctl.*"_s));
        QVERIFY(!FileExist(root + u"Comdlg32.ocx"_s, 2));
        QVERIFY(QDir(root).mkdir(u"sub"_s));
        QVERIFY(!FileExist(root + u"sub"_s)); // a folder only with the directory bit
        QVERIFY(FileExist(root + u"sub"_s, 16));
        QVERIFY(FileExist(QString(root + u"Mscomctl.ocx"_s).replace(u'/', u'\\')));
        QVERIFY(!FileExist(root)); // a bare folder name searches for nothing
        QVERIFY(!FileExist(root + u"missing/*.*"_s, 2));
    }

    void ComponentCheck_SystemFolder_InstallsOnlyMissingComponents() {
        QTemporaryDir windows;
        QTemporaryDir winnt;
        const QString missing = windows.path() + u"/nowhere/"_s;
        const QString first = windows.path() + u"/"_s;
        const QString second = winnt.path() + u"/"_s;
        testing::FakeComponents source;
        for (const auto& component : kRuntimeComponents) {
            source.bytes[component.resourceId] =
                QByteArray(300 + component.resourceId, char(component.resourceId));
        }
        source.bytes[103][7] = '\0';

        // No candidate folder exists or none has an entry: nothing is checked or written.
        QCOMPARE(CheckComponents({missing, first}, source).systemFolder, QString());

        // Only the second candidate holds anything; only its missing components are written.
        WriteFile(second + u"Mscomctl.ocx"_s, "kept as it is");
        const ComponentCheckResult result = CheckComponents({missing, first, second}, source);
        QCOMPARE(result.systemFolder, second);
        QCOMPARE(result.written, QStringList({second + u"Comdlg32.ocx"_s, second + u"Richtx32.ocx"_s,
                                              second + u"Tabctl32.ocx"_s}));
        QVERIFY(result.failedComponent.isEmpty());
        QCOMPARE(ReadFile(second + u"Mscomctl.ocx"_s), QByteArray("kept as it is"));
        QCOMPARE(ReadFile(second + u"Richtx32.ocx"_s), source.bytes[103]);
        QCOMPARE(ReadFile(second + u"Tabctl32.ocx"_s), source.bytes[104]);

        // All four present: nothing is written, whatever they hold.
        QVERIFY(CheckComponents({second}, source).written.isEmpty());

        // A component that cannot be installed is named; the check stops there.
        WriteFile(first + u"other"_s, "x");
        source.bytes.remove(102);
        const ComponentCheckResult failed = CheckComponents({first}, source);
        QCOMPARE(failed.written, QStringList({first + u"Comdlg32.ocx"_s}));
        QCOMPARE(failed.failedComponent, u"Mscomctl.ocx"_s);
        QVERIFY(!QFile::exists(first + u"Mscomctl.ocx"_s));
        QVERIFY(!QFile::exists(first + u"Richtx32.ocx"_s));
    }

    void SettingsStore_TestFile_ReadsBackUnderOption() {
        QTemporaryDir dir;
        const QString path = dir.path() + u"/velt.ini"_s;
        {
            SettingsStore store(path);
            QVERIFY(!store.Read("lang").has_value());
            store.Write("lang", "1");
            store.Write("key", "Kulcs ő.orb");
            store.Write("keyLenght", "366");
        }
        SettingsStore again(path);
        QCOMPARE(again.Read("lang"), std::optional<std::string>("1"));
        QCOMPARE(again.Read("key"), std::optional<std::string>("Kulcs ő.orb"));
        QCOMPARE(again.Read("keyLenght"), std::optional<std::string>("366"));
        QVERIFY(!again.Read("keyLength").has_value());
        const QByteArray stored = ReadFile(path);
        QVERIFY(stored.contains("[Option]"));
        QVERIFY(stored.contains("keyLenght=366"));
    }

    void QtFilter_BarPairs_BecomeQtEntries() {
        QCOMPARE(QtFilter(u"KEY file (*.orb)| *.orb"_s), u"KEY file (*.orb)"_s);
        QCOMPARE(QtFilter(u"Text|*.txt|Coded|*.JPG"_s), u"Text (*.txt);;Coded (*.JPG)"_s);
    }

    void Dialogs_RealDialogs_ShowRequestAndReturnTitles() {
        QTemporaryDir dir;
        Dialogs dialogs;
        QString shownName;
        QString shownTitle;
        // Answers the next modal dialog: notes what it shows, types `name` and accepts (or rejects when
        // empty).
        const auto answer = [&](const QString& name) {
            QTimer::singleShot(0, [&, name] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
                shownTitle = dialog->windowTitle();
                shownName = edit->text();
                edit->setText(name);
                name.isEmpty() ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();
            });
        };
        answer(u"Kulcs.orb"_s);
        QCOMPARE(dialogs.SaveFile({u"Key"_s, u"KEY file (*.orb)| *.orb"_s, u"Title"_s, dir.path()}),
                 u"Kulcs.orb"_s);
        QCOMPARE(shownName, u"Key"_s);
        QCOMPARE(shownTitle, u"Title"_s);

        WriteFile(dir.path() + u"/a.JPG"_s, "x");
        answer(u"a.JPG"_s);
        const OpenFileResult chosen =
            dialogs.OpenFile({u"Pick"_s, dir.path() + u"/"_s, u"VELT file (*.JPG)|*.JPG"_s, u"*.JPG"_s});
        QCOMPARE(shownName, u"*.JPG"_s);
        QCOMPARE(chosen.path, dir.path() + u"/a.JPG"_s);
        QCOMPARE(chosen.title, u"a.JPG"_s);
        answer(QString());
        QVERIFY(dialogs.OpenFile({u"Pick"_s, dir.path(), u"All file (*.*)|*.*"_s, {}}).title.isEmpty());
    }

    void Messages_YesNoQuestion_DefaultAndEscapeMeanNo() {
        Messages messages;
        Message question{MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No, "Title", "Text ő"};
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), u"Title"_s);
            QCOMPARE(box->text(), u"Text ő"_s);
            QCOMPARE(box->icon(), QMessageBox::Question);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(messages.Show(question), MessageAnswer::No);
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box && box->icon() == QMessageBox::Critical);
            box->button(QMessageBox::Ok)->click();
        });
        QCOMPARE(messages.Show({MessageIcon::Critical, MessageButtons::Ok, MessageAnswer::Ok, "ERROR", "x"}),
                 MessageAnswer::Ok);
    }

    void MaskedTextEdit_EditingWhileMasked_KeepsRealText() {
        MaskedTextEdit edit;
        edit.SetMasked(true);
        edit.show();
        QSignalSpy changed(&edit, &MaskedTextEdit::TextChanged);
        QPlainTextEdit* shown = edit.ActiveView();
        shown->setFocus();
        QTest::keyClicks(shown, u"ab"_s);
        QTest::keyClick(shown, Qt::Key_Return);
        QTest::keyClick(shown, Qt::Key_C);
        QTest::sendKeyEvent(QTest::Click, shown, Qt::Key_unknown, u"ő"_s, Qt::NoModifier);
        QCOMPARE(edit.Text(), u"ab\ncő"_s);
        QCOMPARE(shown->toPlainText(), u"**\n**"_s);
        QVERIFY(changed.count() >= 5);

        // Deleting and replacing a selection act on the real text at the same place.
        QTest::keyClick(shown, Qt::Key_Backspace);
        QTextCursor cursor = shown->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        shown->setTextCursor(cursor);
        shown->insertPlainText(u"xyz"_s);
        QCOMPARE(edit.Text(), u"xyz\nc"_s);
        QCOMPARE(shown->toPlainText(), u"***\n*"_s);

        // Unmasked the real text shows and stays editable; masking again hides it again.
        edit.SetMasked(false);
        QCOMPARE(edit.ActiveView()->toPlainText(), u"xyz\nc"_s);
        edit.ActiveView()->appendPlainText(u"d"_s);
        edit.SetMasked(true);
        QCOMPARE(edit.Text(), u"xyz\nc\nd"_s);
        QCOMPARE(edit.ActiveView()->toPlainText(), u"***\n*\n*"_s);
    }

    void WaitProgress_BeginUpdateEnd_ShowsMovesAndClosesCheaply() {
        AppState state(std::filesystem::temp_directory_path());
        state.language = 1;
        WaitProgress progress(state);
        QCOMPARE(WaitWindow(0).windowTitle(), u"Please wait ..."_s);
        QCOMPARE(WaitWindow(7).windowTitle(), u"Várj ..."_s); // no language: the design caption
        progress.Begin(1000, {});
        QVERIFY(progress.Window() && progress.Window()->isVisible());
        QCOMPARE(progress.Window()->objectName(), u"Form5"_s);
        QCOMPARE(progress.Window()->windowTitle(), u"Kérlek várj ..."_s);
        QTest::qWait(40);
        progress.Update(400);
        QCOMPARE(progress.Window()->Bar()->value(), 400);
        progress.End();
        QVERIFY(!progress.Window());

        // A given caption wins; amounts beyond int are shown in coarser steps.
        const std::int64_t huge = std::int64_t{5} << 32;
        progress.Begin(huge, "Várj...  ");
        QCOMPARE(progress.Window()->windowTitle(), u"Várj...  "_s);
        progress.Update(huge);
        QCOMPARE(progress.Window()->Bar()->value(), progress.Window()->Bar()->maximum());

        // Events run at most every few tens of milliseconds, so a hot loop barely notices.
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 2'000'000; ++i) {
            progress.Update(i);
        }
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        progress.End();
    }
};

QTEST_MAIN(SeamsTest)
#include "SeamsTest.moc"
