// Files and folders handed to the main window from outside: dropped on it or named on the
// command line, they open the file or folder window as the job buttons would.
#include "app/MaskedTextEdit.h"
#include "tests/app/AppFixture.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
/// Drags `urls` over `target` and drops them there; returns whether the drag was welcomed.
bool Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QList<QUrl> Local(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
    }
    return urls;
}
} // namespace

class OpenFromOutsideTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Drop_FileOrFolder_OpensItsWindowInModeOfName() {
        AppFixture shell;
        QVERIFY(QDir(shell.folder.path()).mkdir(u"letters"_s));
        for (const char* name : {"letter.txt", "letters/a.JPG", "letters/b.jpg", "photo.Jpg"}) {
            WriteFile(shell.Path(name), "x");
        }
        using velt::platform::Direction;
        const auto fileMode = [&] { return shell.jobs.file->direction; };
        const auto folderMode = [&] { return shell.jobs.folder->direction; };

        QVERIFY(Drop(shell.window.get(), Local({shell.Path("letter.txt")})));
        QTRY_COMPARE(shell.jobs.fileWindow, 1);
        QVERIFY(fileMode() == Direction::Sending);
        QCOMPARE(shell.jobs.file->source, std::filesystem::path(shell.Path("letter.txt").toStdString()));
        QCOMPARE(shell.jobs.file->title, std::string("letter.txt"));
        QVERIFY(!shell.window->isVisible());
        shell.window->show();

        // Over the reference text, which would otherwise take the file's name as text.
        auto* reference = shell.Find<app::MaskedTextEdit>("txtRef")->findChild<QPlainTextEdit*>();
        const QString before = reference->toPlainText();
        QVERIFY(Drop(reference->viewport(), Local({shell.Path("photo.Jpg")})));
        QTRY_COMPARE(shell.jobs.fileWindow, 2);
        QVERIFY(fileMode() == Direction::Reception);
        QCOMPARE(shell.jobs.file->title, std::string("photo.Jpg"));
        QCOMPARE(reference->toPlainText(), before);
        shell.window->show();

        QVERIFY(Drop(shell.window.get(), Local({shell.Path("letters")})));
        QTRY_COMPARE(shell.jobs.folderWindow, 1);
        QVERIFY(folderMode() == Direction::Sending);
        QCOMPARE(shell.jobs.folder->folder, std::filesystem::path(shell.Path("letters").toStdString()));
        QVERIFY(!shell.window->isVisible());
        shell.window->show();

        // Several coded files: the folder window of the first one's folder, restoring.
        QVERIFY(Drop(shell.window.get(), Local({shell.Path("letters/a.JPG"), shell.Path("letters/b.jpg")})));
        QTRY_COMPARE(shell.jobs.folderWindow, 2);
        QVERIFY(folderMode() == Direction::Reception);
        QCOMPARE(shell.jobs.folder->folder, std::filesystem::path(shell.Path("letters").toStdString()));
        shell.window->show();
        // One plain file among them: converting.
        QVERIFY(Drop(shell.window.get(), Local({shell.Path("photo.Jpg"), shell.Path("letter.txt")})));
        QTRY_COMPARE(shell.jobs.folderWindow, 3);
        QVERIFY(folderMode() == Direction::Sending);
        QCOMPARE(shell.jobs.folder->folder, std::filesystem::path(shell.folder.path().toStdString()));

        // Not local files: the window does not take the drag.
        shell.window->show();
        QVERIFY(!Drop(shell.window.get(), {QUrl(u"https://example.org/a.txt"_s)}));
        QVERIFY(!Drop(shell.window.get(), {QUrl::fromLocalFile(shell.Path("letter.txt")), QUrl(u"https://e.org/b"_s)}));
        // Nor while a modal window, such as the wait window, is up.
        QWidget wait;
        wait.setWindowModality(Qt::ApplicationModal);
        wait.show();
        QVERIFY(!Drop(shell.window.get(), Local({shell.Path("letter.txt")})));
        wait.close();
        QTest::qWait(20);
        QCOMPARE(shell.jobs.fileWindow + shell.jobs.folderWindow, 5);
        QVERIFY(shell.messages.shown.empty());
    }

    void Arguments_RelativeOrMissing_OpenAbsoluteOrNameTheMissingOne() {
        AppFixture shell;
        WriteFile(shell.Path("report.pdf.JPG"), "x");
        const QString previous = QDir::currentPath();
        QDir::setCurrent(shell.folder.path());
        const bool opened = shell.window->OpenFromOutside({u"report.pdf.JPG"_s});
        QDir::setCurrent(previous);
        QVERIFY(opened);
        QCOMPARE(shell.jobs.fileWindow, 1);
        QVERIFY(shell.jobs.file->direction == velt::platform::Direction::Reception);
        QCOMPARE(shell.jobs.file->source, std::filesystem::path(shell.Path("report.pdf.JPG").toStdString()));
        shell.window->show();

        // One missing path among several: it is named, nothing opens, the chosen paths stay.
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        const QString missing = shell.Path("gone ő.txt");
        QVERIFY(!shell.window->OpenFromOutside({shell.Path("report.pdf.JPG"), missing}));
        QCOMPARE(shell.jobs.fileWindow + shell.jobs.folderWindow, 1);
        QVERIFY(shell.window->isVisible());
        QCOMPARE(shell.jobs.file->source, std::filesystem::path(shell.Path("report.pdf.JPG").toStdString()));
        QCOMPARE(shell.messages.shown.size(), std::size_t{1});
        QCOMPARE(shell.messages.shown[0].icon, MessageIcon::Critical);
        QCOMPARE(QString::fromStdString(shell.messages.shown[0].text),
                 missing + u" nem nyitható meg: nincs ilyen fájl vagy mappa."_s);

        QVERIFY(!shell.window->OpenFromOutside({}));
        QCOMPARE(shell.messages.shown.size(), std::size_t{1});
    }
};

QTEST_MAIN(OpenFromOutsideTest)
#include "OpenFromOutsideTest.moc"
