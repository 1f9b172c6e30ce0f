// The file and folder windows: what they show, and what START and Leave do, over a main window
// on a 366-position key that hides while the job window it opened is up.
#include "conversion/CodedTextFile.h"
#include "controls/GlossButton.h"
#include "jobs/FileWindow.h"
#include "jobs/FolderWindow.h"
#include "tests/app/AppFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
QStringList FilesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }
template <typename T = QWidget> T* In(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
}
QString Caption(QWidget* window, const char* button) { return In<GlossButton>(window, button)->Caption(); }
void Click(QWidget* window, const char* button) { QTest::mouseClick(In(window, button), Qt::LeftButton); }
void Leave(QWidget* window) { In<QAction>(window, "Kilépés")->trigger(); }
/// Tab pressed in the active `window` until `name` has the focus; false when it never comes.
bool TabReaches(QWidget* window, const char* name) {
    for (int i = 0; i < 8; ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->objectName() == QString::fromUtf8(name)) {
            return true;
        }
        QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
    }
    return false;
}

/// A main window on a key of 366 positions that opens the job windows.
struct JobsFixture final : AppFixture {
    JobsFixture() : AppFixture(366) {}
    /// A test that failed half-way must not leave its windows to the next one.
    ~JobsFixture() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<jobs::FileWindow*>(widget) || qobject_cast<jobs::FolderWindow*>(widget)) {
                delete widget;
            }
        }
    }
    /// The file or folder window, opened as the main window opens it, the main window hidden as it hides itself.
    QPointer<QWidget> OpenFile(const QString& name, bool reception) {
        const QWidgetList before = QApplication::topLevelWidgets();
        const platform::FileJob job{Of(reception), Path(name).toStdString(), name.toStdString()};
        return Opened(jobs::FileWindow::Open(*state, jobs, *window, job), before);
    }
    QPointer<QWidget> OpenFolder(const QString& path, bool reception, std::vector<std::string> selected = {}) {
        const QWidgetList before = QApplication::topLevelWidgets();
        return Opened(jobs::FolderWindow::Open(*state, *window, {Of(reception), path.toStdString(), selected}),
                      before);
    }
    static platform::Direction Of(bool reception) {
        return reception ? platform::Direction::Reception : platform::Direction::Sending;
    }
    QPointer<QWidget> Opened(bool opened, const QWidgetList& before) {
        window->hide();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (opened && !before.contains(widget) && widget->isVisible()) {
                // As a window manager does once the main window is gone.
                widget->activateWindow();
                return QTest::qWaitFor([widget] { return QApplication::activeWindow() == widget; }) ? widget
                                                                                                    : nullptr;
            }
        }
        return nullptr;
    }
};

QString Result(QWidget* window) { return In<QLabel>(window, "Label4")->text(); }
QListWidget* List(QWidget* window) { return In<QListWidget>(window, "File"); }

QStringList Entries(QWidget* window, bool selectedOnly = false) {
    QStringList names;
    for (int row = 0; row < List(window)->count(); ++row) {
        if (!selectedOnly || List(window)->item(row)->isSelected()) {
            names << List(window)->item(row)->text();
        }
    }
    return names;
}

void Select(QWidget* window, const QStringList& names) {
    for (const QString& name : names) {
        List(window)->findItems(name, Qt::MatchExactly).value(0)->setSelected(true);
    }
}

/// A click (or double-click) on entry `row` as the mouse gives it.
void ClickEntry(QWidget* window, int row, Qt::KeyboardModifiers keys = {}, bool dbl = false) {
    const QPoint at = List(window)->visualItemRect(List(window)->item(row)).center();
    if (dbl) {
        QTest::mouseDClick(List(window)->viewport(), Qt::LeftButton, keys, at);
    } else {
        QTest::mouseClick(List(window)->viewport(), Qt::LeftButton, keys, at);
    }
}

bool StartEnabled(QWidget* window) { return In(window, "Command")->isEnabled(); }

/// A wait window that lets the test act while a conversion runs.
struct ProbeProgress final : IProgress {
    void Begin(std::int64_t, std::string_view) override { onBegin(); }
    void Update(std::int64_t) override {}
    void End() override {}
    std::function<void()> onBegin;
};

/// Cancels the stoppable work of the `at`-th file (from 1) at its first report.
struct CancellingProgress final : IProgress {
    void Begin(std::int64_t, std::string_view) override { now = false; }
    void BeginCancellable(std::int64_t, std::string_view) override { now = ++files == at; }
    void Update(std::int64_t) override {}
    void End() override {}
    bool Cancelled() const override { return now; }
    int at = 0, files = 0;
    bool now = false;
};

struct Folder {
    explicit Folder(AppFixture& shell, std::initializer_list<const char*> files) : path(shell.Path("in")) {
        QDir().mkpath(path);
        for (const char* name : files) {
            WriteFile(File(name), QByteArray(name).repeated(100));
        }
    }
    QString File(const char* name) const { return path + u'/' + QString::fromUtf8(name); }
    QString path;
};
} // namespace

class JobWindowsTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void FileWindow_EncodeThenRestore_GivesBackTheBytesAndTheMainWindow() {
        JobsFixture shell;
        QByteArray original;
        for (int c = 0; c < 3 * 256; ++c) {
            original += static_cast<char>(c);
        }
        WriteFile(shell.Path("notes.txt"), original);

        QPointer window = shell.OpenFile(u"notes.txt"_s, false);
        QCOMPARE(window->windowTitle() + In<QGroupBox>(window, "Frame1")->title() + In<QLabel>(window, "Label2")->text() +
                     u" "_s + Result(window) + u" "_s + Caption(window, "Command1"),
                 u"Transfer  O.K. ?File notes.txt notes.txt.JPG &START PROCESS"_s);
        // By keys alone: Tab passes the leave button and reaches START, Space starts.
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(TabReaches(window, "Kilépés") && TabReaches(window, "Command1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!window);
        QVERIFY(shell.window->isVisible());
        const QByteArray coded = ReadFile(shell.Path("notes.txt.JPG"));
        QCOMPARE(coded.size(), 2 * original.size());

        // Encoded again with the overwrite declined: nothing changes, the main window returns all the same.
        window = shell.OpenFile(u"notes.txt"_s, false);
        Click(window, "Command1");
        QTRY_VERIFY(!window && shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt.JPG")), coded);

        QVERIFY(QFile::rename(shell.Path("notes.txt"), shell.Path("original.txt")));
        window = shell.OpenFile(u"notes.txt.JPG"_s, true);
        QCOMPARE(Result(window), u"notes.txt"_s);
        QVERIFY(shell.state->codedText.empty()); // a coded file is streamed, never also held whole
        Click(window, "Command1");
        QTRY_VERIFY(!window && shell.window->isVisible());
        QCOMPARE(ReadFile(shell.Path("notes.txt")), original);
        QCOMPARE(shell.messages.shown.size(), 1u); // the one overwrite question
    }

    void FileWindow_CodedTextFile_HandedToEditorOnlyUnderItsSavedName() {
        JobsFixture shell;
        const std::string coded = "\"\"8A41C3\"\"";
        const std::string saved = ComposeCodedTextFile(coded);
        WriteFile(shell.Path("SelTextC_093005.JPG"), QByteArray::fromStdString(saved));
        for (const Language language : {Language::English, Language::Hungarian}) {
            shell.state->language = language;
            QPointer window = shell.OpenFile(u"SelTextC_093005.JPG"_s, true);
            QCOMPARE(Result(window), language == Language::English ? u"A rescue was direct ...!"_s
                                                                   : u"Közvetlen mentés volt...!"_s);
            const bool english = language == Language::English;
            QCOMPARE(Caption(window, "Command1"), english ? u"&Reprimand"_s : u"&Beolvasás"_s);
            QCOMPARE(shell.state->codedText, coded);
            QTest::keyClick(window, english ? Qt::Key_R : Qt::Key_B, Qt::AltModifier); // its access key
            QTRY_VERIFY(!window);
            QCOMPARE(shell.jobs.editor, static_cast<int>(language) + 1);
            QVERIFY(!shell.window->isVisible()); // the editor shows it again when left
        }
        QCOMPARE(FilesIn(shell.folder.path()).size(), 3); // key, settings, the coded text file

        // Marked 0x99 0x99 at its start, or renamed without the prefix, it is a coded file to restore.
        shell.state->language = Language::English;
        WriteFile(shell.Path("SelTextC_093006.JPG"), QByteArray::fromStdString("\x99\x99" + saved));
        QPointer window = shell.OpenFile(u"SelTextC_093006.JPG"_s, true);
        QCOMPARE(Result(window), u"SelTextC_093006"_s);
        QVERIFY(shell.state->codedText.empty());
        window->close();
        for (const std::string& body : {saved, saved + "x"}) {
            WriteFile(shell.Path("Text_093005.JPG"), QByteArray::fromStdString(body));
            shell.messages.shown.clear();
            window = shell.OpenFile(u"Text_093005.JPG"_s, true);
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
        JobsFixture shell;
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
            QPointer window = shell.OpenFile(c.name, c.reception);
            if (c.note.isEmpty()) {
                window->close();
            } else {
                QVERIFY2(Result(window).contains(c.note), qPrintable(c.name));
                QVERIFY(!In(window, "Command1")->isEnabled());
                if (c.reception) { // Esc leaves as the toolbar does
                    QVERIFY(QTest::qWaitForWindowActive(window));
                    QTest::keyClick(window, Qt::Key_Escape);
                } else {
                    Leave(window);
                }
            }
            QTRY_VERIFY(!window && shell.window->isVisible());
        }
        QCOMPARE(FilesIn(shell.folder.path()), before);
        QVERIFY(shell.messages.shown.empty());
    }

    void FileWindow_LongOrMarkupName_ElidedWholeInTooltipTooLongRefusedBeforeStart() {
        JobsFixture shell;
        const QString name = u"<h1><font color=red>invoice.pdf<font color=white size=1>.exe"_s;
        WriteFile(shell.Path(name), "bill");
        WriteFile(shell.Path(name + u".JPG"_s), "earlier");
        QPointer window = shell.OpenFile(name, false);
        // Elided in the middle, as plain text; whole in the tooltip.
        for (const auto& [label, shown] : {std::pair{"Label2", name}, {"Label4", name + u".JPG"_s}}) {
            const auto* text = In<QLabel>(window, label);
            QCOMPARE(text->textFormat(), Qt::PlainText);
            QVERIFY(text->text().startsWith(u"<h1>"_s) && text->text().contains(u'\u2026') &&
                    text->text().endsWith(shown.right(4)) && text->toolTip().contains(shown.toHtmlEscaped()));
        }
        Click(window, "Command1");
        QTRY_VERIFY(!window);
        QCOMPARE(shell.messages.shown.size(), 1u); // the overwrite question names the file as it is
        QVERIFY(QString::fromStdString(shell.messages.shown[0].text).contains(name + u".JPG"_s));

        // A result name longer than the folder takes: told in the window, START not offered.
        const QString longName = QString(248, u'n') + u".txt"_s;
        WriteFile(shell.Path(longName), "x");
        for (const Language language : {Language::English, Language::Hungarian}) {
            shell.state->language = language;
            window = shell.OpenFile(longName, false);
            QVERIFY(!In(window, "Command1")->isEnabled());
            QVERIFY(Result(window).contains(language == Language::English ? u"256 bytes long; this folder takes names of at most 255"_s
                                                                        : u"256 bájt hosszú lenne"_s));
            Leave(window);
            QTRY_VERIFY(!window);
        }
    }

    void FolderWindow_ListAndSelection_StartFollowsItAndLeavingConvertsNothing() {
        JobsFixture shell;
        const Folder folder(shell, {"b.txt", "A.JPG", "c.Jpg", "d.jpg.txt", "jpg", ".hidden.jpg"});
        QVERIFY(QDir().mkpath(folder.File("sub.jpg")));

        QPointer window = shell.OpenFolder(folder.path, false);
        QCOMPARE(Entries(window),
                 (QStringList{u"A.JPG"_s, u"b.txt"_s, u"c.Jpg"_s, u"d.jpg.txt"_s, u"jpg"_s}));
        QCOMPARE(window->windowTitle() + Caption(window, "Command"),
                 u"SELECTED FOLDER CONTENTS | SELECT !&START CONVERT"_s);
        QVERIFY(!StartEnabled(window));
        ClickEntry(window, 1);
        QVERIFY(StartEnabled(window));
        ClickEntry(window, 1, Qt::ControlModifier);
        QVERIFY(Entries(window, true).isEmpty() && !StartEnabled(window));
        // A double-click selects all, the next one none.
        ClickEntry(window, 0, {}, true);
        QVERIFY(Entries(window, true) == Entries(window) && StartEnabled(window));
        ClickEntry(window, 3, {}, true);
        QVERIFY(Entries(window, true).isEmpty() && !StartEnabled(window));

        window->close();
        // Files dropped on the main window come selected, and only they.
        window = shell.OpenFolder(folder.path, false, {"c.Jpg", "b.txt", "gone"});
        QVERIFY(Entries(window, true) == (QStringList{u"b.txt"_s, u"c.Jpg"_s}) && StartEnabled(window));
        window->close();
        // Esc, the toolbar and the close box each leave without converting.
        shell.state->language = Language::Hungarian;
        for (int way = 0; way < 3; ++way) {
            window = shell.OpenFolder(folder.path, true);
            QCOMPARE(Entries(window), (QStringList{u"A.JPG"_s, u"c.Jpg"_s}));
            QCOMPARE(window->windowTitle() + Caption(window, "Command"),
                     u"A KIVÁLASZTOTT MAPPA TARTALMA | VÁLASSZON !&HELYREÁLLÍTÁS INDÍTÁSA"_s);
            List(window)->selectAll();
            if (way == 0) {
                QVERIFY(QTest::qWaitForWindowActive(window));
                QTest::keyClick(List(window), Qt::Key_Escape);
            } else if (way == 1) {
                Leave(window);
            } else {
                window->close();
            }
            QTRY_VERIFY2(!window && shell.window->isVisible(), qPrintable(QString::number(way)));
        }
        QCOMPARE(FilesIn(folder.path).size(), 5);
        QVERIFY(shell.messages.shown.empty());

        // The folder listed is named above the list: whole when it fits, else elided in the middle
        // with the whole path, markup and all, in the tooltip; the window keeps its width.
        const QString longer = shell.Path("<b>") + QString(200, u'x') + u"/end"_s;
        QVERIFY(QDir().mkpath(longer));
        for (const QString& path : {folder.path, longer}) {
            window = shell.OpenFolder(path, false);
            auto* label = In<QLabel>(window, "FolderPath");
            QCOMPARE(label->text() == path, path == folder.path);
            QVERIFY(label->text().startsWith(shell.folder.path()) && label->text().endsWith(path.right(3)));
            QCOMPARE(label->toolTip(), u"<p style='white-space:pre'>"_s + path.toHtmlEscaped() + u"</p>"_s);
            QCOMPARE(window->width(), 520);
            window->close();
        }
    }

    void FolderWindow_SecondOfThreeDeclined_RunGoesOnAndTellsTheCounts() {
        JobsFixture shell;
        const Folder folder(shell, {"a.txt", "b.txt", "c.txt"});
        WriteFile(folder.File("b.txt.JPG"), "kept");

        QPointer window = shell.OpenFolder(folder.path, false);
        Select(window, {u"c.txt"_s, u"a.txt"_s, u"b.txt"_s});
        Click(window, "Command");
        QTRY_VERIFY(!window && shell.window->isVisible());
        QCOMPARE(ReadFile(folder.File("a.txt.JPG")).size(), 1000);
        QCOMPARE(ReadFile(folder.File("b.txt.JPG")), "kept");
        QCOMPARE(ReadFile(folder.File("c.txt.JPG")).size(), 1000);
        // One question, for b only, its path with one separator added; then the counts.
        QCOMPARE(shell.messages.shown.size(), 2u);
        QVERIFY(QString::fromStdString(shell.messages.shown[0].text)
                    .startsWith(u"File "_s + folder.File("b.txt.JPG")));
        QCOMPARE(shell.messages.shown[1].text, "Files converted: 2\r\nKept, not overwritten: 1\r\nFailed: 0");

        // Restored: a coded text file is not recognised here, and its odd size fails on its own.
        QVERIFY(QFile::rename(folder.File("a.txt"), folder.File("a.orig")));
        QVERIFY(QFile::rename(folder.File("c.txt"), folder.File("c.orig")));
        WriteFile(folder.File("SelTextC_093005.JPG"), "\"\"41\"\"\r\n!");
        shell.messages.shown.clear();
        window = shell.OpenFolder(folder.path + u'/', true);
        Select(window, {u"a.txt.JPG"_s, u"SelTextC_093005.JPG"_s, u"c.txt.JPG"_s});
        Click(window, "Command");
        QTRY_VERIFY(!window);
        QCOMPARE(ReadFile(folder.File("a.txt")), ReadFile(folder.File("a.orig")));
        QCOMPARE(ReadFile(folder.File("c.txt")), ReadFile(folder.File("c.orig")));
        QVERIFY(!QFile::exists(folder.File("SelTextC_093005")));
        QCOMPARE(shell.messages.shown.size(), 2u);
        QCOMPARE(shell.messages.shown[0].text, "BAD FILE !\r\nControl over the content of error !");
        QCOMPARE(shell.messages.shown[1].text, "Files converted: 2\r\nKept, not overwritten: 0\r\nFailed: 1");
        QCOMPARE(shell.jobs.editor, 0);
    }

    void FolderWindow_NameNotUtf8_ListedWithReplacementAndConvertedUnderItsBytes() {
        JobsFixture shell;
        const Folder folder(shell, {"b.txt"});
        const std::filesystem::path in = folder.path.toStdString();
        const std::string latin1 = "caf\xE9.txt"; // written by a system that names files in Latin-1
        std::filesystem::copy_file(in / "b.txt", in / latin1);

        QPointer window = shell.OpenFolder(folder.path, false);
        QCOMPARE(Entries(window), (QStringList{u"b.txt"_s, u"caf\uFFFD.txt"_s}));
        Select(window, {u"caf\uFFFD.txt"_s});
        Click(window, "Command");
        QTRY_VERIFY(!window);
        QCOMPARE(std::filesystem::file_size(in / (latin1 + ".JPG")), 1000u);
        QCOMPARE(shell.messages.shown.back().text, "Files converted: 1\r\nKept, not overwritten: 0\r\nFailed: 0");

        std::filesystem::remove(in / latin1);
        window = shell.OpenFolder(folder.path, true);
        QCOMPARE(Entries(window), (QStringList{u"caf\uFFFD.txt.JPG"_s}));
        List(window)->selectAll();
        Click(window, "Command");
        QTRY_VERIFY(!window);
        QVERIFY(std::filesystem::exists(in / latin1));
        std::filesystem::remove_all(in); // beyond what Qt can name
    }

    void FolderWindow_DuringARun_ControlsOffAndLeavingHasNoEffect() {
        JobsFixture shell;
        const Folder folder(shell, {"a.txt", "b.txt"});
        QPointer window = shell.OpenFolder(folder.path, false);
        QVERIFY(QTest::qWaitForWindowActive(window));
        ProbeProgress probe;
        QStringList seen;
        probe.onBegin = [&] {
            seen << u"%1%2%3"_s.arg(List(window)->isEnabled())
                        .arg(StartEnabled(window))
                        .arg(In<QAction>(window, "Kilépés")->isEnabled());
            Leave(window);
            QTest::keyClick(window, Qt::Key_Escape);
            window->close();
            seen << QString::number(window->isVisible());
        };
        shell.state->Attach({.progress = &probe});
        List(window)->selectAll();
        Click(window, "Command");
        QTRY_VERIFY(!window && shell.window->isVisible());
        seen.removeDuplicates(); // the key load shows progress too
        QCOMPARE(seen, (QStringList{u"000"_s, u"1"_s}));
        QCOMPARE(FilesIn(folder.path).size(), 4);
    }

    void FolderWindow_CancelledFile_YesStopsTheRunNoGoesOn() {
        JobsFixture shell;
        const Folder folder(shell, {"a", "b", "c"});
        CancellingProgress cancel;
        shell.state->Attach({.progress = &cancel});
        // Cancelled at b, then Yes or No; cancelled at c, the last, with nothing left to ask about.
        const struct { int at; MessageAnswer answer; QString coded; int left; } runs[] = {
            {2, MessageAnswer::Yes, u"a.JPG"_s, 2},
            {2, MessageAnswer::No, u"a.JPG c.JPG"_s, 1},
            {3, MessageAnswer::No, u"a.JPG b.JPG"_s, 1}};
        for (const auto& run : runs) {
            cancel.at = run.at;
            cancel.files = 0;
            shell.messages = {};
            shell.messages.answers = {run.answer};
            QPointer window = shell.OpenFolder(folder.path, false);
            List(window)->selectAll();
            Click(window, "Command");
            QTRY_VERIFY(!window);
            const QStringList coded = FilesIn(folder.path).filter(u".JPG"_s);
            QCOMPARE(coded.join(u' '), run.coded);
            for (const QString& file : coded) {
                QFile::remove(folder.path + u'/' + file);
            }
            QCOMPARE(shell.Said().join(u'|'),
                     (run.at == 2 ? u"Stop converting?: The conversion of b was cancelled; nothing was written.\r\n"
                                    u"Stop converting the remaining files?|"_s
                                  : QString()) +
                         u"Folder finished: Files converted: %1\r\nKept, not overwritten: 0\r\nFailed: 0\r\n"
                         u"Cancelled, not converted: %2"_s.arg(coded.size()).arg(run.left));
        }
    }
};

QTEST_MAIN(JobWindowsTest)
#include "JobWindowsTest.moc"
