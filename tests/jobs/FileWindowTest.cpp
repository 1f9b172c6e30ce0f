// The file window: what it shows for the chosen file, and what START and Leave do.
#include "conversion/CodedTextFile.h"
#include "tests/jobs/JobsFixture.h"

#include <QGroupBox>
#include <QLabel>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
QString Result(QWidget* window) {
    return In<QLabel>(window, "Label4")->text();
}
} // namespace

class FileWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void FileWindow_EncodeThenRestore_GivesBackTheBytesAndTheMainWindow() {
        JobsFixture jobs;
        AppFixture& shell = jobs.shell;
        QByteArray original;
        for (int c = 0; c < 3 * 256; ++c) {
            original += static_cast<char>(c);
        }
        WriteFile(shell.Path("notes.txt"), original);

        QPointer window = jobs.OpenFile(u"notes.txt"_s, false);
        QCOMPARE(window->windowTitle(), u"Transfer  O.K. ?"_s);
        QCOMPARE(In<QGroupBox>(window, "Frame1")->title() + In<QLabel>(window, "Label2")->text(),
                 u"File notes.txt"_s);
        QCOMPARE(Result(window), u"notes.txt.JPG"_s);
        QCOMPARE(Caption(window, "Command1"), u"START PROCESS"_s);
        Click(window, "Command1");
        QTRY_VERIFY(!window);
        QVERIFY(shell.window->isVisible());
        const QByteArray coded = ReadFile(shell.Path("notes.txt.JPG"));
        QCOMPARE(coded.size(), 2 * original.size());

        // Encoded again with the overwrite declined: nothing changes, the main window returns all the same.
        window = jobs.OpenFile(u"notes.txt"_s, false);
        Click(window, "Command1");
        QTRY_VERIFY(!window && shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt.JPG")), coded);

        QVERIFY(QFile::rename(shell.Path("notes.txt"), shell.Path("original.txt")));
        window = jobs.OpenFile(u"notes.txt.JPG"_s, true);
        QCOMPARE(Result(window), u"notes.txt"_s);
        QVERIFY(shell.state->codedText.empty()); // a coded file is streamed, never also held whole
        Click(window, "Command1");
        QTRY_VERIFY(!window && shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt")), original);
        QCOMPARE(shell.messages.shown.size(), 1u); // the one overwrite question
    }

    void FileWindow_CodedTextFile_HandedToEditorOnlyUnderItsSavedName() {
        JobsFixture jobs;
        AppFixture& shell = jobs.shell;
        const std::string coded = "\"\"8A41C3\"\"";
        const std::string saved = ComposeCodedTextFile(coded);
        WriteFile(shell.Path("SelTextC_093005.JPG"), QByteArray::fromStdString(saved));
        for (const Language language : {Language::English, Language::Hungarian}) {
            shell.state->language = language;
            QPointer window = jobs.OpenFile(u"SelTextC_093005.JPG"_s, true);
            QCOMPARE(Result(window), language == Language::English ? u"A rescue was direct ...!"_s
                                                                   : u"Közvetlen mentés volt...!"_s);
            QCOMPARE(Caption(window, "Command1"),
                     language == Language::English ? u"Reprimand"_s : u"Beolvasás"_s);
            QCOMPARE(shell.state->codedText, coded);
            Click(window, "Command1");
            QTRY_VERIFY(!window);
            QCOMPARE(shell.jobs.editor, static_cast<int>(language) + 1);
            QVERIFY(!shell.window->isVisible()); // the editor shows it again when left
        }
        QCOMPARE(FilesIn(shell.folder.path()).size(), 3); // key, settings, the coded text file

        // Marked 0x99 0x99 at its start, or renamed without the prefix, it is a coded file to restore.
        shell.state->language = Language::English;
        WriteFile(shell.Path("SelTextC_093006.JPG"), QByteArray::fromStdString("\x99\x99" + saved));
        QPointer window = jobs.OpenFile(u"SelTextC_093006.JPG"_s, true);
        QCOMPARE(Result(window), u"SelTextC_093006"_s);
        QVERIFY(shell.state->codedText.empty());
        window->close();
        for (const std::string& body : {saved, saved + "x"}) {
            WriteFile(shell.Path("Text_093005.JPG"), QByteArray::fromStdString(body));
            shell.messages.shown.clear();
            window = jobs.OpenFile(u"Text_093005.JPG"_s, true);
            QCOMPARE(Result(window), u"Text_093005"_s);
            Click(window, "Command1");
            QTRY_VERIFY(!window);
            const bool odd = body.size() % 2 != 0; // an odd size gets the bad-file message
            QCOMPARE(shell.messages.shown.size(), odd ? 1u : 0u);
            QCOMPARE(ReadFile(shell.Path("Text_093005")).size(), odd ? 0 : qsizetype(body.size() / 2));
            QFile::remove(shell.Path("Text_093005"));
        }
        QCOMPARE(shell.jobs.editor, 2);
    }

    void FileWindow_UnusableFileOrLeaving_ConvertsNothingAndShowsMainWindow() {
        JobsFixture jobs;
        AppFixture& shell = jobs.shell;
        WriteFile(shell.Path("a.JP"), "ab");
        WriteFile(shell.Path("notes.txt"), "hello");
        QVERIFY(QDir(shell.folder.path()).mkdir(u"folder.JPG"_s));
        QFile large(shell.Path("SelTextC_000001.JPG")); // a coded text file too large to read whole
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize((16 << 20) + 1));
        large.close();
        const QStringList before = FilesIn(shell.folder.path());
        const struct {
            QString name;
            bool reception;
            QString note; // empty: a usable file, left through the close box
        } cases[] = {
            {u"a.JP"_s, true, u"The name of a.JP is too short for a coded file."_s},
            {u"gone.txt"_s, false, u"cannot be read"_s},
            {u"gone.txt.JPG"_s, true, u"cannot be read"_s},
            {u"folder.JPG"_s, true, u"is not a regular file"_s},
            {u"SelTextC_000001.JPG"_s, true, u"SelTextC_000001.JPG is too large to be read as a text."_s},
            {u"notes.txt"_s, false, {}},
        };
        for (const auto& c : cases) {
            QPointer window = jobs.OpenFile(c.name, c.reception);
            if (c.note.isEmpty()) {
                window->close();
            } else {
                QVERIFY2(Result(window).contains(c.note), qPrintable(c.name));
                QVERIFY(!In(window, "Command1")->isEnabled());
                Leave(window);
            }
            QTRY_VERIFY(!window && shell.window->isVisible());
        }
        QCOMPARE(FilesIn(shell.folder.path()), before);
        QVERIFY(shell.messages.shown.empty());
    }

    void FileWindow_NameWithMarkup_ShownAsItIsInLabelsAndQuestion() {
        JobsFixture jobs;
        AppFixture& shell = jobs.shell;
        const QString name = u"<h1><font color=red>invoice.pdf<font color=white size=1>.exe"_s;
        WriteFile(shell.Path(name), "bill");
        WriteFile(shell.Path(name + u".JPG"_s), "earlier");
        QPointer window = jobs.OpenFile(name, false);
        for (const char* label : {"Label2", "Label4"}) {
            QCOMPARE(In<QLabel>(window, label)->textFormat(), Qt::PlainText);
        }
        QCOMPARE(In<QLabel>(window, "Label2")->text() + u" "_s + Result(window), name + u" "_s + name + u".JPG"_s);
        Click(window, "Command1");
        QTRY_VERIFY(!window);
        QCOMPARE(shell.messages.shown.size(), 1u); // the overwrite question names the file as it is
        QVERIFY(QString::fromStdString(shell.messages.shown[0].text).contains(name + u".JPG"_s));
    }
};

QTEST_MAIN(FileWindowTest)
#include "FileWindowTest.moc"
