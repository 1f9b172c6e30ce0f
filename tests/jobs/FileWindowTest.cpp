// The file window: what it shows for the chosen file, and what START and Leave do.
#include "CodedTextFile.h"
#include "JobsFixture.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
QString Label(QWidget* window, const QString& name) {
    return JobsFixture::In<QLabel>(window, name)->text();
}

/// Every byte value, so that a byte lost or changed on the way shows.
QByteArray AllBytes() {
    QByteArray bytes;
    for (int round = 0; round < 3; ++round) {
        for (int c = 0; c < 256; ++c) {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}
} // namespace

class FileWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void FileWindow_EncodeThenRestore_GivesBackTheBytesAndTheMainWindow() {
        JobsFixture jobs;
        ShellFixture& shell = jobs.shell;
        const QByteArray original = AllBytes();
        WriteFile(shell.Path("notes.txt"), original);

        auto window = jobs.OpenFile(u"notes.txt"_s, false);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), u"Transfer  O.K. ?"_s);
        QCOMPARE(JobsFixture::In<QGroupBox>(window, u"Frame1"_s)->title(), u"File "_s);
        QCOMPARE(Label(window, u"Label2"_s), u"notes.txt"_s);
        QCOMPARE(Label(window, u"Label4"_s), u"notes.txt.JPG"_s);
        QCOMPARE(JobsFixture::Caption(window, u"Command1"_s), u"START PROCESS"_s);
        JobsFixture::Click(window, u"Command1"_s);
        QTRY_VERIFY(!window);
        QVERIFY(shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt.JPG")).size(), 2 * original.size());

        // A second encoding, the overwrite declined: nothing changes, the main window returns all the same.
        const QByteArray coded = ReadFile(shell.Path("notes.txt.JPG"));
        window = jobs.OpenFile(u"notes.txt"_s, false);
        JobsFixture::Click(window, u"Command1"_s);
        QTRY_VERIFY(!window);
        QVERIFY(shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt.JPG")), coded);
        QCOMPARE(shell.messages.shown.size(), 1u);

        QVERIFY(QFile::rename(shell.Path("notes.txt"), shell.Path("original.txt")));
        window = jobs.OpenFile(u"notes.txt.JPG"_s, true);
        QCOMPARE(Label(window, u"Label2"_s), u"notes.txt.JPG"_s);
        QCOMPARE(Label(window, u"Label4"_s), u"notes.txt"_s);
        // A coded file is streamed by the restore, never also held whole in memory.
        QVERIFY(shell.state->codedText.empty());
        JobsFixture::Click(window, u"Command1"_s);
        QTRY_VERIFY(!window);
        QVERIFY(shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt")), original);
        QCOMPARE(shell.messages.shown.size(), 1u);
    }

    void FileWindow_CodedTextFile_HandedToEditorOnlyUnderItsSavedName() {
        JobsFixture jobs;
        ShellFixture& shell = jobs.shell;
        const std::string coded = "\"\"8A41C3\"\"";
        const std::string saved = ComposeCodedTextFile(coded);
        WriteFile(shell.Path("SelTextC_093005.JPG"), QByteArray::fromStdString(saved));

        for (std::uint8_t language : {0, 1}) {
            shell.state->language = language;
            auto window = jobs.OpenFile(u"SelTextC_093005.JPG"_s, true);
            QCOMPARE(Label(window, u"Label4"_s),
                     language == 0 ? u"A rescue was direct ...!"_s : u"Közvetlen mentés volt...!"_s);
            QCOMPARE(JobsFixture::Caption(window, u"Command1"_s),
                     language == 0 ? u"Reprimand"_s : u"Beolvasás"_s);
            QCOMPARE(shell.state->codedText, coded);
            JobsFixture::Click(window, u"Command1"_s);
            QTRY_VERIFY(!window);
            QCOMPARE(shell.jobs.editor, language + 1);
            QVERIFY(!shell.window->isVisible()); // the editor shows it again when left
        }
        QCOMPARE(FilesIn(shell.folder.path()).size(), 3); // key, settings, the coded text file

        // Marked 0x99 0x99 at its start, or renamed without the prefix, it is a coded file to restore.
        shell.state->language = 0;
        WriteFile(shell.Path("SelTextC_093006.JPG"), QByteArray::fromStdString("\x99\x99" + saved));
        auto window = jobs.OpenFile(u"SelTextC_093006.JPG"_s, true);
        QCOMPARE(Label(window, u"Label4"_s), u"SelTextC_093006"_s);
        QVERIFY(shell.state->codedText.empty());
        window->close();

        for (const std::string& body : {saved, saved + "x"}) {
            WriteFile(shell.Path("Text_093005.JPG"), QByteArray::fromStdString(body));
            shell.messages.shown.clear();
            window = jobs.OpenFile(u"Text_093005.JPG"_s, true);
            QCOMPARE(Label(window, u"Label4"_s), u"Text_093005"_s);
            JobsFixture::Click(window, u"Command1"_s);
            QTRY_VERIFY(!window);
            const bool odd = body.size() % 2 != 0;
            QCOMPARE(shell.messages.shown.size(), odd ? 1u : 0u);
            QCOMPARE(ReadFile(shell.Path("Text_093005")).size(), odd ? 0 : qsizetype(body.size() / 2));
            QFile::remove(shell.Path("Text_093005"));
        }
        QCOMPARE(shell.jobs.editor, 2);
    }

    void FileWindow_FileItCannotUse_SaysWhyAndOffersNoStart() {
        JobsFixture jobs;
        ShellFixture& shell = jobs.shell;
        WriteFile(shell.Path("a.JP"), "ab");
        QVERIFY(QDir(shell.folder.path()).mkdir(u"folder.JPG"_s));
        const QStringList before = FilesIn(shell.folder.path());
        const struct {
            QString name;
            bool reception;
            QString note;
        } cases[] = {
            {u"a.JP"_s, true, u"The name of a.JP is too short for a coded file."_s},
            {u"gone.txt"_s, false, u"cannot be read"_s},
            {u"gone.txt.JPG"_s, true, u"cannot be read"_s},
            {u"folder.JPG"_s, true, u"cannot be read"_s},
        };
        for (const auto& c : cases) {
            auto window = jobs.OpenFile(c.name, c.reception);
            QVERIFY2(Label(window, u"Label4"_s).contains(c.note), qPrintable(c.name));
            QVERIFY(!JobsFixture::In(window, u"Command1"_s)->isEnabled());
            JobsFixture::Click(window, u"Command1"_s);
            QVERIFY(window->isVisible() && !shell.window->isVisible());
            window->findChild<QAction*>(u"Kilépés"_s)->trigger();
            QTRY_VERIFY(!window);
            QVERIFY(shell.window->isVisible());
        }
        QCOMPARE(FilesIn(shell.folder.path()), before);
        QVERIFY(shell.messages.shown.empty());
    }

    void FileWindow_LeaveOrCloseBox_ShowsMainWindowAndConvertsNothing() {
        JobsFixture jobs;
        ShellFixture& shell = jobs.shell;
        WriteFile(shell.Path("notes.txt"), "hello");
        for (bool closeBox : {false, true}) {
            auto window = jobs.OpenFile(u"notes.txt"_s, false);
            if (closeBox) {
                window->close();
            } else {
                window->findChild<QAction*>(u"Kilépés"_s)->trigger();
            }
            QTRY_VERIFY(!window);
            QVERIFY(shell.window->isVisible());
        }
        QVERIFY(!QFile::exists(shell.Path("notes.txt.JPG")));
        QCOMPARE(shell.jobs.editor, 0);
    }
};

QTEST_MAIN(FileWindowTest)
#include "FileWindowTest.moc"
