// The direct entry editor driven through the real windows: the main window opens it.
#include "AppState.h"
#include "Armour.h"
#include "CodePage.h"
#include "CodedTextFile.h"
#include "CoverImage.h"
#include "Doubles.h"
#include "EditorWindow.h"
#include "GlossButton.h"
#include "MainWindow.h"
#include "Printer.h"
#include "WaitWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {

/// Prints to a PDF file in place of paper; the print dialog answers from a script (empty: cancel).
struct PdfPrinter final : shell::IPrinter {
    bool ChoosePrinter(QWidget*) override {
        ++dialogs;
        return Next(answers, false);
    }
    bool PrintText(const QString& text) override {
        printed << text;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return shell::PrintPlainText(printer, text);
    }
    std::deque<bool> answers;
    int dialogs = 0;
    QStringList printed;
    QString pdfPath;
};

void WriteKeyFile(const QString& path, int records) {
    QByteArray record("\x00\x01", 2);
    for (int c = 0; c < 256; ++c) {
        record += static_cast<char>(c);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(record.repeated(records));
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Plain text (UTF-8) as the editor encodes it: CR LF line ends, Windows-1250 codes.
std::string Codes(const QString& text) {
    QString crlf = text;
    crlf.replace(u"\n"_s, u"\r\n"_s);
    return codepage::FromUtf8(crlf.toStdString());
}

/// The main window on a fresh state with a key of 366 positions; its editor job opens the real editor.
struct EditorFixture final {
    explicit EditorFixture(std::uint8_t language = 0) {
        WriteKeyFile(Path(u"KEY.ORB"_s), 366);
        state = std::make_unique<AppState>(folder.path().toStdString(), Services{.messages = &messages});
        progress = std::make_unique<shell::WaitProgress>(*state);
        state->Attach({.progress = progress.get()});
        state->Settings().Write("lang", std::to_string(language));
        printer.pdfPath = Path(u"print.pdf"_s);
        jobs.editor = [this](QWidget& mainWindow) {
            return editor::OpenEditor(*state, {dialogs, clipboard, printer, clock}, mainWindow);
        };
        main = std::make_unique<shell::MainWindow>(
            *state, shell::ShellServices{dialogs, jobs, clipboard, clock, [] {}});
        main->Load();
    }
    ~EditorFixture() {
        delete window.data();
        main.reset();
    }

    QString Path(const QString& name) const { return folder.path() + u'/' + name; }

    /// "Direct entry" (sending) or "From a clipboard" (reception) on the main window's job tab.
    void Open(bool sending) {
        main->findChild<QTabWidget*>(u"SSTab2"_s)->setCurrentIndex(1);
        main->findChild<QAction*>(sending ? u"Küldés"_s : u"Fogadás"_s)->trigger();
        QTest::mouseClick(main->findChild<QWidget*>(sending ? u"Command1"_s : u"Command3"_s), Qt::LeftButton);
        Attach();
    }
    /// Finds the editor that the job windows opened and makes it the active window.
    void Attach() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"Form2"_s && widget->isVisible()) {
                window = qobject_cast<editor::EditorWindow*>(widget);
            }
        }
        QVERIFY(window);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    QPlainTextEdit* Plain() const { return window->findChild<QPlainTextEdit*>(u"RichTextBox1"_s); }
    QPlainTextEdit* Coded() const { return window->findChild<QPlainTextEdit*>(u"RichTextBox2"_s); }
    GlossButton* Start() const { return window->findChild<GlossButton*>(u"Command1"_s); }
    void ClickStart() const { QTest::mouseClick(Start(), Qt::LeftButton); }
    void Click(QPlainTextEdit* box) const { QTest::mouseClick(box->viewport(), Qt::LeftButton); }
    void Press(const QString& key) const { window->findChild<QAction*>(key)->trigger(); }
    /// Typed as a user would: focus by a click, then the keys.
    void Type(QPlainTextEdit* box, const QString& text) const {
        Click(box);
        for (const QChar c : text) {
            if (c == u'\n') {
                QTest::keyClick(box, Qt::Key_Return);
            } else {
                QTest::sendKeyEvent(QTest::KeyAction::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
    }
    /// What messages said, their titles first.
    QStringList Said() const {
        QStringList said;
        for (const Message& m : messages.shown) {
            said << QString::fromStdString(m.title) + u": "_s + QString::fromStdString(m.text);
        }
        return said;
    }
    /// A sending session through the window: `text` typed, START, the armoured text from the coded box.
    QString EncodeInWindow(const QString& text) {
        Open(true);
        Type(Plain(), text);
        ClickStart();
        const QString armoured = Coded()->toPlainText();
        Press(u"Kilépés"_s);
        [&] { QTRY_VERIFY(!window); }();
        return armoured;
    }

    QTemporaryDir folder;
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    CountingClipboard clipboard;
    FixedWallClock clock;
    PdfPrinter printer;
    shell::JobWindows jobs;
    std::unique_ptr<AppState> state;
    std::unique_ptr<shell::WaitProgress> progress;
    std::unique_ptr<shell::MainWindow> main;
    QPointer<editor::EditorWindow> window;
};

} // namespace

class EditorWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Sending_TypeAndStart_CodedBoxAndClipboardHoldTheArmouredText() {
        EditorFixture f;
        f.Open(true);
        QVERIFY(!f.main->isVisible());
        QCOMPARE(f.window->windowTitle(), u"Transfer"_s);
        QCOMPARE(f.Start()->Caption(), u"START PROCESS"_s);
        QVERIFY(!f.Start()->isEnabled());
        QVERIFY(f.Coded()->isReadOnly() && !f.Plain()->isReadOnly());

        const QString letter = u"Dear Anna,\nőű \"\" ÁÉ!"_s;
        f.Type(f.Plain(), letter);
        QCOMPARE(f.Plain()->toPlainText(), letter); // the first key typed is kept
        QVERIFY(f.Start()->isEnabled());
        f.ClickStart();

        const QString armoured = f.Coded()->toPlainText();
        QCOMPARE(f.clipboard.Text(), armoured);
        const std::string codes = Codes(letter);
        QCOMPARE(armoured.size(), qsizetype(4 * codes.size() + 4));
        QVERIFY(armoured.startsWith(u"\"\""_s) && armoured.endsWith(u"\"\""_s));
        QCOMPARE(armoured.mid(2, armoured.size() - 4).toUpper(), armoured.mid(2, armoured.size() - 4));
        // The engine alone decodes it to the letter's codes, CR LF and 0xF5 0xFB included.
        f.state->codedText = *armour::Unpack(armoured.toStdString());
        f.state->DecodeText();
        QCOMPARE(f.state->plainText, codes);

        QVERIFY(f.Plain()->isReadOnly() && f.Coded()->isReadOnly() && !f.Start()->isEnabled());
        QCOMPARE(f.window->CurrentBox(), editor::EditorWindow::CodedBox);
        QVERIFY(f.messages.shown.empty());

        // A double-click on the plain box copies its whole text, read-only as it now is.
        QTest::mouseDClick(f.Plain()->viewport(), Qt::LeftButton);
        QCOMPARE(f.clipboard.Text(), letter);

        // Erase: both boxes and the clipboard empty, ready to type again.
        f.Press(u"Törlés"_s);
        QVERIFY(f.Plain()->toPlainText().isEmpty() && f.Coded()->toPlainText().isEmpty());
        QVERIFY(!f.clipboard.HasText() && !f.Start()->isEnabled() && !f.Plain()->isReadOnly());
        // Pasted text enables START PROCESS as typed text does.
        f.clipboard.SetText(u"pasted"_s);
        f.Click(f.Plain());
        f.Plain()->paste();
        QVERIFY(f.Start()->isEnabled());

        f.Press(u"Kilépés"_s);
        QTRY_VERIFY(!f.window);
        QVERIFY(f.main->isVisible());
        QVERIFY(f.state->codedText.empty() && f.state->plainText.empty());
    }

    void Reception_PasteAndStart_GivesThePlainTextBack() {
        EditorFixture f;
        const QString letter = u"Line one\nárvíztűrő tükörfúrógép ŐŰ\n\n  end\n"_s;
        const QString armoured = f.EncodeInWindow(letter);
        QVERIFY(f.main->isVisible());

        f.Open(false);
        QVERIFY(f.Coded()->toPlainText().isEmpty()); // the earlier encoding's leftover is no hand-over
        QVERIFY(f.Plain()->isReadOnly() && !f.Coded()->isReadOnly() && !f.Start()->isEnabled());
        // A whole mail: the words around the markers are ignored.
        f.clipboard.SetText(u"Hello,\n\n"_s + armoured + u"\n-- \nBye"_s);
        f.Click(f.Coded());
        f.Coded()->paste();
        QVERIFY(f.Start()->isEnabled());
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText(), letter);
        QVERIFY(f.Coded()->isReadOnly() && !f.Start()->isEnabled());
        QCOMPARE(f.window->CurrentBox(), editor::EditorWindow::PlainBox);
        QVERIFY(f.messages.shown.empty());

        // A text without markers: both boxes end empty.
        f.Press(u"Törlés"_s);
        f.Type(f.Coded(), u"no coded text here"_s);
        f.ClickStart();
        QVERIFY(f.Coded()->toPlainText().isEmpty() && f.Plain()->toPlainText().isEmpty());
    }

    void Start_NothingOrBothBoxesFilled_SaysSoAndChangesNothing() {
        for (const std::uint8_t language : {0, 1}) {
            EditorFixture f(language);
            f.Open(true);
            f.Start()->setEnabled(true);
            f.ClickStart();
            f.Plain()->setPlainText(u"plain"_s);
            f.Coded()->setPlainText(u"\"\"41\"\""_s);
            f.clipboard.SetText(u"kept"_s);
            f.ClickStart();
            const QString said = language == 0 ? u"ERROR: Is not what to code ... !"_s
                                                : u"HIBA: Nincs mit kódolni ... !"_s;
            QCOMPARE(f.Said(), QStringList({said, said}));
            QCOMPARE(f.Plain()->toPlainText(), u"plain"_s);
            QCOMPARE(f.Coded()->toPlainText(), u"\"\"41\"\""_s);
            QCOMPARE(f.clipboard.Text(), u"kept"_s);
            QCOMPARE(f.window->CurrentBox(), editor::EditorWindow::NoBox);
        }
    }

    void Start_Failure_SaysWhyAndKeepsTheText() {
        EditorFixture f;
        const QString armoured = f.EncodeInWindow(u"secret"_s);
        QFile::rename(f.Path(u"KEY.ORB"_s), f.Path(u"KEY.bak"_s));

        // Encoding without a key, and a character without a code.
        f.Open(true);
        f.clipboard.SetText(u"before"_s);
        f.Type(f.Plain(), u"letter"_s);
        f.ClickStart();
        f.Plain()->insertPlainText(u" 😀"_s);
        QFile::rename(f.Path(u"KEY.bak"_s), f.Path(u"KEY.ORB"_s));
        f.ClickStart();
        QCOMPARE(f.Said(), QStringList({u"ERROR: The key file KEY.ORB does not exist."_s,
                                        u"ERROR: The character \"😀\" (U+1F600) cannot be coded."_s}));
        QCOMPARE(f.Plain()->toPlainText(), u"letter 😀"_s);
        QVERIFY(f.Coded()->toPlainText().isEmpty() && f.Start()->isEnabled() && !f.Plain()->isReadOnly());
        QCOMPARE(f.clipboard.Text(), u"before"_s);
        f.Press(u"Kilépés"_s);
        QTRY_VERIFY(!f.window);

        // Decoding: an odd body, then a missing key; the coded text waits until the key is back.
        f.messages.shown.clear();
        f.Open(false);
        f.Type(f.Coded(), u"\"\"ABC\"\""_s);
        f.ClickStart();
        QCOMPARE(f.Coded()->toPlainText(), u"\"\"ABC\"\""_s);
        f.Coded()->setPlainText(armoured);
        QFile::rename(f.Path(u"KEY.ORB"_s), f.Path(u"KEY.bak"_s));
        f.ClickStart();
        QCOMPARE(f.Said(),
                 QStringList({u"ERROR: The coded text is damaged: it has an odd number of characters."_s,
                              u"ERROR: YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\n"
                              u"The key file does not exist !"_s}));
        QCOMPARE(f.Coded()->toPlainText(), armoured);
        QVERIFY(f.Plain()->toPlainText().isEmpty() && f.Start()->isEnabled() && !f.state->keyMissing);
        QFile::rename(f.Path(u"KEY.bak"_s), f.Path(u"KEY.ORB"_s));
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText(), u"secret"_s);

        // A key file cut short.
        f.Press(u"Törlés"_s);
        QFile::resize(f.Path(u"KEY.ORB"_s), 258 * 100);
        f.Type(f.Coded(), armoured);
        f.ClickStart();
        QCOMPARE(f.Said().last(), u"ERROR: The key file KEY.ORB is too short: record 101 is missing."_s);
        QCOMPARE(f.Coded()->toPlainText(), armoured);
    }

    void Handover_CodedTextFromTheFileWindow_ShownAndNotErasedByAClick() {
        EditorFixture f;
        f.state->plainText = Codes(u"from a file ő\n"_s);
        f.state->EncodeText();
        const std::string armoured = armour::Pack(f.state->codedText, f.state->Progress());
        // The file window hides the main window, puts the coded text in the buffer and opens the editor.
        f.main->hide();
        f.state->sendingMode = false;
        f.state->receptionMode = true;
        f.state->codedText = armoured;
        QVERIFY(f.jobs.OpenEditor(*f.main));
        f.Attach();
        QCOMPARE(f.Coded()->toPlainText(), QString::fromStdString(armoured));
        QVERIFY(f.Start()->isEnabled());
        f.Click(f.Coded());
        f.Click(f.Plain());
        QCOMPARE(f.Coded()->toPlainText(), QString::fromStdString(armoured));
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText(), u"from a file ő\n"_s);
        // Its own close box leaves it as Exit does.
        f.window->close();
        QTRY_VERIFY(!f.window);
        QVERIFY(f.main->isVisible() && f.state->codedText.empty());
    }

    void Save_EachBox_WritesTheExactBytes() {
        EditorFixture f;
        f.Open(true);
        f.Start()->setEnabled(true);
        f.ClickStart(); // the message of an empty editor leaves no box current
        f.Press(u"Mentés"_s);
        QCOMPARE(f.Said(), QStringList({u"ERROR: Is not what to code ... !"_s,
                                        u"ERROR: There is not a selected text ... !"_s}));
        QVERIFY(f.dialogs.saved.empty());

        // The empty plain box: only CR LF; a name without an extension gets ".TXT".
        f.Click(f.Plain());
        f.dialogs.saveAnswers = {f.Path(u"empty"_s)};
        f.Press(u"Mentés"_s);
        QCOMPARE(ReadFile(f.Path(u"empty.TXT"_s)), QByteArray("\r\n"));
        const shell::SaveFileRequest& asked = f.dialogs.saved.back();
        QCOMPARE(asked.fileName, u"SelText_090507"_s);
        QCOMPARE(asked.title, u"The rescue of a selected text"_s);
        QCOMPARE(asked.filter, u"Text file (*.TXT)| *.TXT"_s);
        QVERIFY(asked.confirmOverwrite);
        QVERIFY(!(QFile::permissions(f.Path(u"empty.TXT"_s)) & (QFile::ReadOther | QFile::ReadGroup)));

        // The plain box in Windows-1250 with CR LF, replacing an existing file; a cancel writes nothing.
        f.Type(f.Plain(), u"Kő és fű\nvége"_s);
        QFile::copy(f.Path(u"empty.TXT"_s), f.Path(u"letter.txt"_s));
        f.dialogs.saveAnswers = {f.Path(u"letter.txt"_s), QString()};
        f.Press(u"Mentés"_s);
        f.Press(u"Mentés"_s);
        QCOMPARE(ReadFile(f.Path(u"letter.txt"_s)), QByteArray("K\xF5 \xE9s f\xFB\r\nv\xE9ge\r\n"));
        // The key, the two saved files and nothing left behind.
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

        // The coded box after START: cover head, armoured text, cover tail, CR LF.
        f.ClickStart();
        const QByteArray armoured = f.Coded()->toPlainText().toLatin1();
        f.dialogs.saveAnswers = {f.Path(u"SelTextC_090507"_s)};
        f.Press(u"Mentés"_s);
        QCOMPARE(f.dialogs.saved.back().fileName, u"SelTextC_090507"_s);
        QCOMPARE(f.dialogs.saved.back().filter, u"Coded text file (*.JPG)| *.JPG"_s);
        const QByteArray file = ReadFile(f.Path(u"SelTextC_090507.JPG"_s));
        const auto cover = CoverImage();
        const QByteArray image(reinterpret_cast<const char*>(cover.data()), static_cast<qsizetype>(cover.size()));
        QCOMPARE(file, image.left(2218) + armoured + image.mid(2218) + "\r\n");
        // Read back by the file window's rule: the same coded text.
        const std::string stored(file.constData(), static_cast<std::size_t>(file.size() - 2));
        QCOMPARE(CodedTextOf("SelTextC_090507.JPG", stored), std::optional(armoured.toStdString()));

        // A folder that does not exist: the reason is given, nothing written.
        f.dialogs.saveAnswers = {f.Path(u"gone/SelTextC_1.JPG"_s)};
        f.Press(u"Mentés"_s);
        QCOMPARE(f.Said().last(), u"ERROR: The folder %1 does not exist; nothing was written."_s.arg(f.Path(u"gone"_s)));
    }

    void Save_Hungarian_DialogTextsInHungarian() {
        EditorFixture f(1);
        f.Open(false);
        QCOMPARE(f.Start()->Caption(), u"FOLYAMAT INDÍTÁSA"_s);
        QCOMPARE(f.window->findChild<QAction*>(u"Kilépés"_s)->toolTip(), u"Kilépés az alkalmazásból"_s);
        f.Click(f.Coded());
        f.Press(u"Mentés"_s);
        QCOMPARE(f.dialogs.saved.back().title, u"Kijelölt kódolt szöveg mentése"_s);
        QCOMPARE(f.dialogs.saved.back().filter, u"Kódolt Text fájl (*.JPG)| *.JPG"_s);
        f.Click(f.Plain());
        f.Press(u"Mentés"_s);
        QCOMPARE(f.dialogs.saved.back().title, u"Kijelölt szöveg mentése"_s);
    }

    void Print_CurrentBox_TheWholeTextReachesThePages() {
        EditorFixture f;
        f.Open(true);
        f.Start()->setEnabled(true);
        f.ClickStart();
        f.Press(u"Nyomtatás"_s);
        QCOMPARE(f.Said(), QStringList({u"ERROR: Is not what to code ... !"_s,
                                        u"ERROR: Is not what to print ... ?!"_s}));
        QCOMPARE(f.printer.dialogs, 0);

        QString letter;
        for (int i = 0; i < 600; ++i) {
            letter += u"line %1 ő\n"_s.arg(i);
        }
        f.Type(f.Plain(), u"x"_s);
        f.Plain()->insertPlainText(letter);
        f.Press(u"Nyomtatás"_s); // the dialog cancelled: nothing printed
        QVERIFY(f.printer.printed.isEmpty());
        f.ClickStart();
        const QString armoured = f.Coded()->toPlainText(); // one line of some 38,000 characters
        f.printer.answers = {true};
        f.Press(u"Nyomtatás"_s);
        QCOMPARE(f.printer.printed, QStringList{armoured});

        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, {f.printer.pdfPath, u"-"_s});
        QVERIFY(pdftotext.waitForFinished(60000));
        // Page by page, each ending in its page number.
        QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
        pages.removeAll(u"\n"_s);
        pages.removeAll(QString());
        QVERIFY(pages.size() > 1);
        QString printed;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            QString page = pages[i].remove(QRegularExpression(u"\\s"_s));
            QVERIFY(page.endsWith(QString::number(i + 1)));
            printed += page.chopped(QString::number(i + 1).size());
        }
        QCOMPARE(printed, armoured);

        // A printer that cannot print says so.
        f.printer.pdfPath = f.Path(u"gone/print.pdf"_s);
        f.printer.answers = {true};
        f.Press(u"Nyomtatás"_s);
        QCOMPARE(f.Said().last(), u"ERROR: The text could not be printed."_s);
    }
};

QTEST_MAIN(EditorWindowTest)
#include "EditorWindowTest.moc"
