// The platform seams and the small widgets behind them.
#include "app/MaskedTextEdit.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "platform/Messages.h"
#include "platform/WindowPlace.h"
#include "tests/app/AppFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::app;
using namespace velt::platform;
using namespace velt::testing;
using namespace std::chrono_literals;

namespace {
/// What a start in another process would get from HandOverOrListen, while this one's loop runs.
bool StartAgain(const QString& folder, const QStringList& paths) {
    auto later =
        std::async(std::launch::async, [&] { return SingleInstance(folder, 5s).HandOverOrListen(paths); });
    while (later.wait_for(5ms) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents(); // what the answered request queued
    return later.get();
}

/// A socket file as a crashed Velt leaves it (nobody listens), or one that a hung Velt listens on
/// without ever answering. Returns the listening descriptor, to close.
int LeaveSocket(const QString& path, bool listening) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (bound && listening && ::listen(socket, 4) == 0) {
        return socket;
    }
    ::close(socket);
    return -1;
}
} // namespace

class SeamsTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void WindowPlace_EdgesAndSmallScreens_BesideOrOverMainWhollyInside() {
        const QRect screen(0, 0, 1280, 1024);
        const QSize clip(479, 304);
        // Room on the right; at the right edge on the left; a screen too small for both: against its
        // right edge; lower than the screen allows: raised; larger than the screen: shrunk into it.
        QCOMPARE(BesideMain({0, 100, 480, 404}, clip, screen, 1), QRect(QPoint(481, 100), clip));
        QCOMPARE(BesideMain({790, 300, 490, 404}, clip, screen, 1), QRect(QPoint(310, 300), clip));
        QCOMPARE(BesideMain({100, 500, 480, 404}, clip, {0, 0, 800, 600}, 1), QRect(QPoint(321, 296), clip));
        QCOMPARE(BesideMain({0, 0, 480, 404}, clip, {0, 0, 400, 300}, 1), QRect(0, 0, 400, 300));
        QCOMPARE(BesideMain({1300, 0, 480, 404}, clip, {1280, 0, 1024, 768}, 1),
                 QRect(QPoint(1781, 0), clip));
        QCOMPARE(CentredOver({0, 0, 200, 100}, {400, 300}, screen), QRect(0, 0, 400, 300));
        QCOMPARE(CentredOver({100, 100, 600, 500}, {400, 300}, screen), QRect(200, 200, 400, 300));
        // A remembered place: on the screen it overlaps most, pulled inside; off every screen, none.
        const QList<QRect> screens{screen, {1280, 0, 1024, 768}};
        QCOMPARE(OnAScreen({2200, 700, 300, 200}, screens), QRect(2004, 568, 300, 200));
        QCOMPARE(OnAScreen({-400, 0, 300, 200}, screens), std::nullopt);
        QCOMPARE(OnAScreen({1280, 768, 300, 200}, screens), std::nullopt);
    }

    void ProgramFolder_WritableOrNot_ExecutableFolderOrPrivateDataFolder() {
        QTemporaryDir home;
        const QByteArray xdg = qgetenv("XDG_DATA_HOME"), homeVariable = qgetenv("HOME");
        NameApplication();
        // velt-cli has no Qt and names the folder itself: both must land on the same one.
        const auto agree = [] {
            return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) ==
                   QDir::cleanPath(QString::fromStdString(UserDataFolder().string()));
        };
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(agree());
        qputenv("HOME", "");
        QVERIFY(agree());
        qputenv("XDG_DATA_HOME", (home.path() + u"/data"_s).toUtf8());
        QVERIFY(agree());

        const std::filesystem::path data = (home.path() + u"/data/VELT"_s).toStdString();
        const std::filesystem::path executable = QCoreApplication::applicationDirPath().toStdString();
        QCOMPARE(ProgramFolder([](const std::filesystem::path&) { return true; }), executable);
        QVERIFY(!std::filesystem::exists(data));
        QCOMPARE(ProgramFolder([](const std::filesystem::path&) { return false; }), data);
        QCOMPARE(std::filesystem::status(data).permissions(), std::filesystem::perms::owner_all);
        QCOMPARE(ProgramFolder([](const std::filesystem::path&) { return false; }), data);
        qputenv("XDG_DATA_HOME", xdg);
        qputenv("HOME", homeVariable);
    }

    void ComponentCheck_SystemFolder_InstallsOnlyMissingComponents() {
        QTemporaryDir windows, winnt;
        const QString missing = windows.path() + u"/nowhere/"_s;
        const QString first = windows.path() + u"/"_s;
        const QString second = winnt.path() + u"/"_s;
        FakeComponents source;
        source.bytes = {{101, "dlg"}, {102, "ctl"}, {103, QByteArray("r\0tx", 4)}, {104, "tab"}};
        WriteFile(second + u"Mscomctl.ocx"_s, "kept as it is");
        const ComponentCheckResult result = CheckComponents({missing, first, second}, source);
        QCOMPARE(result.systemFolder, second);
        QCOMPARE(result.written, QStringList({second + u"Comdlg32.ocx"_s, second + u"Richtx32.ocx"_s,
                                              second + u"Tabctl32.ocx"_s}));
        QVERIFY(result.failedComponent.isEmpty());
        QCOMPARE(ReadFile(second + u"Mscomctl.ocx"_s), QByteArray("kept as it is"));
        QCOMPARE(ReadFile(second + u"Richtx32.ocx"_s), source.bytes[103]);
        QVERIFY(CheckComponents({second}, source).written.isEmpty());

        // A component that cannot be installed is reported once, by name; the check stops there.
        WriteFile(first + u"other"_s, "x");
        source.bytes.remove(102);
        ScriptedMessages messages;
        AppState state(first.toStdString(), Services{.messages = &messages});
        RunComponentCheck(state, {first}, source);
        QCOMPARE(messages.shown.size(), std::size_t{1});
        QVERIFY(messages.shown[0].text.find("Mscomctl.ocx") != std::string::npos);
        QVERIFY(QFile::exists(first + u"Comdlg32.ocx"_s) && !QFile::exists(first + u"Richtx32.ocx"_s));
    }

    void QtFilter_BarPairs_BecomeQtEntries() {
        // "*.*" also finds names without a dot; the dialog shows the description alone.
        QCOMPARE(QtFilter(u"All file (*.*)|*.*"_s), u"All file (*.*) (*)"_s);
        QCOMPARE(QtFilter(u"Text|*.txt|Coded|*.JPG"_s), u"Text (*.txt);;Coded (*.JPG)"_s);
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            shown = dialog ? dialog->findChild<QComboBox*>(u"fileTypeCombo"_s)->currentText() : QString();
            QApplication::activeModalWidget()->close();
        });
        QVERIFY(
            Dialogs().SaveFile({u"Key"_s, u"KEY file (*.orb)| *.orb"_s, u"T"_s, QDir::tempPath()}).isEmpty());
        QCOMPARE(shown, u"KEY file (*.orb)"_s);
    }

    void Messages_YesNoQuestion_DefaultAndEscapeMeanNoTextAsItIs() {
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box && box->icon() == QMessageBox::Question && box->text() == u"<h1>Text ő</h1>"_s);
            QCOMPARE(box->textFormat(), Qt::PlainText); // a file name with markup is not rendered
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            QTest::keyClick(box, Qt::Key_Escape);
        });
        Messages messages;
        QCOMPARE(
            messages.Show({MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No, "T", "<h1>Text ő</h1>"}),
            MessageAnswer::No);
    }

    void Messages_LongPath_WrapsWithinTheScreen() {
        QSize shown;
        QTimer::singleShot(0, [&shown] {
            shown = QApplication::activeModalWidget()->frameGeometry().size();
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        const std::string path = "/home/anna/" + std::string(300, 'x') + "/" + std::string(200, 'y') + ".txt";
        Messages().Show({MessageIcon::Critical, MessageButtons::Ok, MessageAnswer::Ok, "T", path + " cannot be read."});
        QVERIFY(!shown.isEmpty() && shown.width() <= QGuiApplication::primaryScreen()->availableGeometry().width());
    }

    void MaskedTextEdit_EditingWhileMasked_KeepsRealText() {
        MaskedTextEdit edit;
        edit.SetMasked(true);
        QSignalSpy changed(&edit, &MaskedTextEdit::TextChanged);
        QPlainTextEdit* shown = edit.ActiveView();
        QTest::keyClicks(shown, u"ab"_s);
        QTest::keyClick(shown, Qt::Key_Return);
        QTest::sendKeyEvent(QTest::Click, shown, Qt::Key_unknown, u"ő"_s, Qt::NoModifier);
        QTest::keyClick(shown, Qt::Key_C);
        QTest::keyClick(shown, Qt::Key_Backspace);
        QCOMPARE(edit.Text(), u"ab\nő"_s);
        QCOMPARE(shown->toPlainText(), u"**\n*"_s);
        QCOMPARE(changed.count(), 6);

        shown->moveCursor(QTextCursor::Start);
        shown->moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
        shown->insertPlainText(u"xyz"_s);
        QCOMPARE(edit.Text(), u"xyzb\nő"_s);
        QCOMPARE(shown->toPlainText(), u"****\n*"_s);
    }

    void WaitProgress_BeginUpdateEnd_ShowsMovesAndClosesCheaply() {
        AppState state(std::filesystem::temp_directory_path());
        state.language = Language::Hungarian;
        WaitProgress progress(state);
        progress.Begin(1000, {});
        QCOMPARE(progress.Window()->windowTitle(), u"Kérlek várj ..."_s);
        progress.End();
        QVERIFY(!progress.Window());

        // A given caption wins; amounts beyond int are shown in coarser steps.
        const std::int64_t huge = std::int64_t{5} << 32;
        progress.Begin(huge, "Várj...  ");
        QCOMPARE(progress.Window()->windowTitle(), u"Várj...  "_s);
        progress.Update(huge);
        QCOMPARE(progress.Window()->Bar()->value(), progress.Window()->Bar()->maximum());
        // The bar and the events follow at most every few tens of milliseconds, however hot the
        // loop; counted rather than timed, so a slow or loaded machine cannot fail it.
        QSignalSpy moved(progress.Window()->Bar(), &QProgressBar::valueChanged);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 300'000; ++i) {
            progress.Update(i);
        }
        const qint64 allowed = timer.elapsed() / 25 + 2;
        QVERIFY2(moved.count() <= allowed, qPrintable(u"%1 > %2"_s.arg(moved.count()).arg(allowed)));
    }

    void SingleInstance_LaterStart_HandsItsPathsToTheRunningOne() {
        QTemporaryDir folder;
        SingleInstance running(folder.path());
        QVERIFY(!running.HandOverOrListen({}));
        QVERIFY(running.Listening());
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                            QFileDevice::WriteOther;
        QCOMPARE(QFileInfo(folder.path() + u"/velt.socket"_s).permissions() & others,
                 QFileDevice::Permissions());

        // Requests that come before the window serves are kept for it, in their order.
        QList<QStringList> requests;
        QVERIFY(StartAgain(folder.path(), {u"levél ő.txt"_s, u"/tmp/photo.JPG"_s}));
        QVERIFY(StartAgain(folder.path(), {}));
        running.Serve([&requests](const QStringList& paths) { requests.append(paths); });
        QCOMPARE(requests,
                 QList<QStringList>(
                     {{QDir::current().absoluteFilePath(u"levél ő.txt"_s), u"/tmp/photo.JPG"_s}, {}}));
        QVERIFY(StartAgain(folder.path(), {u"/a.txt"_s}));
        QCOMPARE(requests.back(), QStringList{u"/a.txt"_s});

        // A sender that does not speak Velt's request is cut off and delivers nothing.
        QLocalSocket stranger;
        stranger.connectToServer(folder.path() + u"/velt.socket"_s);
        QVERIFY(stranger.waitForConnected(1000));
        QDataStream out(&stranger);
        out << u"other/1"_s << QStringList{u"/b.txt"_s};
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(requests.size(), 3);
    }

    void SingleInstance_CrashedOrHungOne_LaterStartTakesOver() {
        for (const bool hung : {false, true}) {
            QTemporaryDir folder;
            const QString socket = folder.path() + u"/velt.socket"_s;
            const int left = LeaveSocket(socket, hung);
            QVERIFY(QFileInfo::exists(socket) && (left >= 0) == hung);
            SingleInstance later(folder.path(), 300ms);
            QVERIFY(!later.HandOverOrListen({u"/a.txt"_s}));
            QVERIFY(later.Listening());
            QList<QStringList> requests;
            later.Serve([&requests](const QStringList& paths) { requests.append(paths); });
            QVERIFY(StartAgain(folder.path(), {u"/b.txt"_s}));
            QCOMPARE(requests, QList<QStringList>{{u"/b.txt"_s}});
            ::close(left);
        }
    }

    void InstanceFolder_OpenToOthersOrNotOwn_NotUsed() {
        QTemporaryDir runtime, temporary;
        const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR"), tmpBefore = qgetenv("TMPDIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qputenv("TMPDIR", temporary.path().toUtf8());
        QFile::setPermissions(runtime.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(InstanceFolder(), runtime.path());
        // Others may enter: a folder of the user's own in the temporary folder instead, closed to them.
        QFile::setPermissions(runtime.path(), QFile::permissions(runtime.path()) | QFileDevice::ExeOther);
        const QString own = temporary.path() + u"/velt-"_s + QString::number(::geteuid());
        QCOMPARE(InstanceFolder(), own);
        QCOMPARE(QFile::permissions(own) & ~QFileDevice::Permissions(0x7700), QFileDevice::Permissions());
        // One that others could have made ready is not trusted.
        QFile::setPermissions(own, QFile::permissions(own) | QFileDevice::WriteOther);
        QCOMPARE(InstanceFolder(), QString());
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        qputenv("TMPDIR", tmpBefore);
    }
};

QTEST_MAIN(SeamsTest)
#include "SeamsTest.moc"
