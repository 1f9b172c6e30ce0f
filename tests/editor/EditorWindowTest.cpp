// The direct entry editor driven through the real windows: the main window opens it. And the wait
// window's Cancel: stoppable work ends on Cancel or Esc while other windows take no input, and a
// cancelled packing leaves boxes and clipboard as they were, with nothing said.
#include "controls/GlossButton.h"
#include "conversion/CodedTextFile.h"
#include "editor/EditorWindow.h"
#include "editor/TextBox.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/ProgressTicker.h"
#include "platform/Printer.h"
#include "resources/CoverImage.h"
#include "tests/app/AppFixture.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {

/// Prints to a PDF file in place of paper; the print dialog answers from a script (empty: cancel).
struct PdfPrinter final : platform::IPrinter {
    bool ChoosePrinter(QWidget*) override {
        ++dialogs;
        return Next(answers, false);
    }
    bool PrintText(const QString& text) override {
        printed << text;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return platform::PrintPlainText(printer, text);
    }
    std::deque<bool> answers;
    int dialogs = 0;
    QStringList printed;
    QString pdfPath;
};

/// Plain text (UTF-8) as the editor encodes it: CR LF line ends, Windows-1250 codes.
std::string Codes(QString text) {
    return codepage::FromUtf8(text.replace(u"\n"_s, u"\r\n"_s).toStdString());
}

/// The main window over a key of 366 positions; its editor job opens the real editor.
struct EditorFixture final {
    explicit EditorFixture(int language = 0) {
        if (language != 0) {
            shell.settings.Write("lang", std::to_string(language));
            shell.Start();
        }
        printer.pdfPath = Path(u"print.pdf"_s);
    }
    ~EditorFixture() { delete window.data(); }

    QString Path(const QString& name) const { return shell.Path(name); }

    /// "Direct entry" (sending) or "From a clipboard" (reception) on the main window's job tab.
    void Open(bool sending) {
        shell.Press(sending ? "Küldés" : "Fogadás");
        shell.Click(sending ? "Command1" : "Command3");
        QVERIFY(!shell.window->isVisible());
        OpenEditor(*shell.jobs.editorDirection); // as the main window asked
    }
    /// Opens the editor as the job windows do, and makes it the active window.
    void OpenEditor(velt::platform::Direction direction) {
        editor::OpenEditor(*shell.state, {shell.dialogs, shell.clipboard, printer, shell.clock}, *shell.window,
                           direction);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"Form2"_s && widget->isVisible()) {
                window = qobject_cast<editor::EditorWindow*>(widget);
            }
        }
        QVERIFY(window);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    editor::TextBox* Plain() const { return window->findChild<editor::TextBox*>(u"RichTextBox1"_s); }
    editor::TextBox* Coded() const { return window->findChild<editor::TextBox*>(u"RichTextBox2"_s); }
    GlossButton* Start() const { return window->findChild<GlossButton*>(u"Command1"_s); }
    void ClickStart() const { QTest::mouseClick(Start(), Qt::LeftButton); }
    void Click(QPlainTextEdit* box) const { QTest::mouseClick(box->viewport(), Qt::LeftButton); }
    void Press(const QString& key) const { window->findChild<QAction*>(key)->trigger(); }
    void Exit() {
        Press(u"Kilépés"_s);
        QTRY_VERIFY(!window);
        QVERIFY(shell.window->isVisible());
    }
    /// Pasted as a user would: `text` on the clipboard, a click in the box, then paste.
    void Paste(QPlainTextEdit* box, const QString& text) {
        shell.clipboard.SetText(text);
        Click(box);
        box->paste();
    }
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
    /// A sending session through the window: `text` typed, START, the armoured text from the coded box.
    QString EncodeInWindow(const QString& text) {
        Open(true);
        Type(Plain(), text);
        ClickStart();
        const QString armoured = Coded()->toPlainText();
        Exit();
        return armoured;
    }

    AppFixture shell{366};
    PdfPrinter printer;
    QPointer<editor::EditorWindow> window;
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

class EditorWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Sending_TypeAndStart_CodedBoxAndClipboardHoldTheArmouredText() {
        EditorFixture f;
        f.Open(true);
        QCOMPARE(f.window->windowTitle(), u"Transfer"_s);
        QCOMPARE(f.Start()->Caption(), u"START PROCESS"_s);
        QVERIFY(!f.Start()->isEnabled() && f.Coded()->isReadOnly() && !f.Plain()->isReadOnly());

        QStringList tips; // each command's key is in its tooltip
        for (const QString& key : {u"Mentés"_s, u"Nyomtatás"_s, u"Törlés"_s, u"Kilépés"_s}) {
            tips << f.window->findChild<QAction*>(key)->toolTip();
        }
        QCOMPARE(tips.join(u'|') + u'|' + f.Start()->toolTip(),
                 u"Save file (Ctrl+S)|Active window print (Ctrl+P)|Erase content (Ctrl+Shift+Del)|Exit (Esc)|"
                 u"START PROCESS (Ctrl+Return)"_s);

        // By keys alone: typed, then Ctrl+Return (START is off until something is typed).
        QTest::keyClick(f.window, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(f.shell.messages.shown.empty());
        const QString letter = u"Dear Anna,\nőű \"\" ÁÉ!"_s;
        f.Type(f.Plain(), letter); // START comes on, and the first key typed is kept: the codes below show both
        QTest::keyClick(f.Plain(), Qt::Key_Return, Qt::ControlModifier);
        const QString armoured = f.Coded()->toPlainText();
        QCOMPARE(f.shell.clipboard.Text(), armoured);
        const std::string codes = Codes(letter);
        QCOMPARE(armoured.size(), qsizetype(4 * codes.size() + 4));
        // The engine alone decodes it to the letter's codes, CR LF and 0xF5 0xFB included.
        f.shell.state->codedText = armour::Unpack(armoured.toStdString()).value();
        f.shell.state->textCoder.DecodeText();
        QCOMPARE(f.shell.state->plainText, codes);
        QVERIFY(f.Plain()->isReadOnly() && f.Coded()->isReadOnly() && !f.Start()->isEnabled());
        QCOMPARE(f.window->CurrentBox(), editor::EditorWindow::CodedBox);
        QVERIFY(f.shell.messages.shown.empty());
        // Ctrl+S saves the current box into the file the dialog is answered with.
        f.window->activateWindow(); // the wait window took it headless, where no manager gives it back
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        f.shell.dialogs.saveAnswers = {f.Path(u"typed"_s)};
        f.Coded()->setFocus();
        QTest::keyClick(f.Coded(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(ReadFile(f.Path(u"typed.JPG"_s)).contains(armoured.toLatin1()));

        // A double-click on the plain box copies its whole text, read-only as it now is.
        QTest::mouseDClick(f.Plain()->viewport(), Qt::LeftButton);
        QCOMPARE(f.shell.clipboard.Text(), letter);
        // Erase (Ctrl+Shift+Delete): both boxes and the clipboard empty, the focus in the plain box
        // ready to type again; pasting enables START too.
        f.window->activateWindow(); // the wait window took it headless, where no manager gives it back
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        f.Coded()->setFocus();
        QTest::keyClick(f.Coded(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.Plain()->toPlainText().isEmpty() && f.Coded()->toPlainText().isEmpty());
        QVERIFY(!f.shell.clipboard.HasText() && !f.Start()->isEnabled() && !f.Plain()->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), f.Plain());
        QTest::keyClick(f.Plain(), Qt::Key_Tab, Qt::ControlModifier); // a tab character, for a letter that needs one
        QCOMPARE(f.Plain()->toPlainText(), u"\t"_s);
        QTest::keyClick(f.Plain(), Qt::Key_Tab); // Tab leaves the box, and reaches the toolbar
        for (int i = 0; i < 8 && QApplication::focusWidget()->objectName() != u"Mentés"_s; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget()->objectName(), u"Mentés"_s);
        f.Paste(f.Plain(), u"pasted"_s);
        QVERIFY(f.Start()->isEnabled());
        QTest::keyClick(f.Plain(), Qt::Key_Escape); // leaves as Exit does
        QTRY_VERIFY(!f.window);
        QVERIFY(f.shell.window->isVisible());
        QVERIFY(f.shell.state->codedText.empty() && f.shell.state->plainText.empty());
    }

    void Reception_PasteAndStart_GivesThePlainTextBack() {
        EditorFixture f;
        const QString letter = u"Line one\nárvíztűrő tükörfúrógép ŐŰ\n\n  end\n"_s;
        const QString armoured = f.EncodeInWindow(letter);
        f.Open(false);
        QVERIFY(f.Coded()->toPlainText().isEmpty()); // the earlier encoding's leftover is no hand-over
        QVERIFY(f.Plain()->isReadOnly() && !f.Coded()->isReadOnly() && !f.Start()->isEnabled());
        // A whole mail: the words around the markers are ignored.
        f.Paste(f.Coded(), u"Hello,\n\n"_s + armoured + u"\n-- \nBye"_s);
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText(), letter);
        QVERIFY(f.Coded()->isReadOnly() && !f.Start()->isEnabled());
        QCOMPARE(f.window->CurrentBox(), editor::EditorWindow::PlainBox);
        QVERIFY(f.shell.messages.shown.empty());
        // A text without markers: both boxes end empty.
        f.Press(u"Törlés"_s);
        f.Type(f.Coded(), u"no coded text here"_s);
        f.ClickStart();
        QVERIFY(f.Coded()->toPlainText().isEmpty() && f.Plain()->toPlainText().isEmpty());
    }

    void Boxes_LetterOfAMebibyte_DrawnWhileTheLoopRunsAndCodedBack() {
        EditorFixture f;
        QString letter;
        while (letter.size() <= (1 << 20)) {
            letter += u"Kedves Anna, ez egy hosszú levél egy sora: árvíztűrő tükörfúrógép.\n"_s;
        }
        f.Open(true);
        f.Paste(f.Plain(), letter); // too large to lay out: taken whole and drawn
        QVERIFY(f.Plain()->Drawn());
        QCOMPARE(f.Plain()->Text(), letter);

        LoopProbe probe;
        f.ClickStart();
        const QString armoured = f.shell.clipboard.Text();
        QCOMPARE(armoured.size(), 4 * (letter.size() + letter.count(u'\n')) + 4); // CR LF line ends
        QVERIFY(f.Coded()->Drawn());
        QCOMPARE(f.Coded()->Text(), armoured); // drawn in rows, not a character changed
        QCoreApplication::processEvents(); // the drawing it asked for
        QVERIFY2(probe.Longest() < 1000, qPrintable(QString::number(probe.longest)));

        // Drawn where visible, and scrolling moves on.
        const QImage shown = f.Coded()->viewport()->grab().toImage();
        qsizetype inked = 0;
        for (int i = 0; i < shown.width() * shown.height(); ++i) {
            inked += shown.pixelColor(i % shown.width(), i / shown.width()) != f.Coded()->palette().color(QPalette::Base);
        }
        QVERIFY(inked > shown.width() * shown.height() / 20);
        f.Coded()->setFocus();
        QTest::keyClick(f.Coded(), Qt::Key_PageDown);
        QVERIFY(f.Coded()->verticalScrollBar()->value() > 0);
        QTest::keyClick(f.Coded(), Qt::Key_Delete); // read-only: nothing removed
        QCOMPARE(f.Coded()->Text(), armoured);
        f.Exit();

        f.Open(false);
        f.Paste(f.Coded(), armoured);
        f.ClickStart();
        QCOMPARE(f.Plain()->Text(), letter);
    }

    void Start_Failure_SaysWhyAndKeepsTheText() {
        EditorFixture f;
        const QString armoured = f.EncodeInWindow(u"secret"_s);
        const auto hideKey = [&f](bool hide) {
            QVERIFY(QFile::rename(f.Path(hide ? u"KEY.ORB"_s : u"KEY.bak"_s), f.Path(hide ? u"KEY.bak"_s : u"KEY.ORB"_s)));
        };
        // Encoding without a key, and a character without a code.
        hideKey(true);
        f.Open(true);
        f.shell.clipboard.SetText(u"before"_s);
        f.Type(f.Plain(), u"letter"_s);
        f.ClickStart();
        f.Plain()->insertPlainText(u" 😀"_s);
        hideKey(false);
        f.ClickStart();
        QCOMPARE(f.shell.Said(), QStringList({u"ERROR: The key file KEY.ORB does not exist."_s,
                                        u"ERROR: The character \"😀\" (U+1F600) cannot be coded."_s}));
        QCOMPARE(f.Plain()->toPlainText(), u"letter 😀"_s);
        QVERIFY(f.Coded()->toPlainText().isEmpty() && f.Start()->isEnabled() && !f.Plain()->isReadOnly());
        QCOMPARE(f.shell.clipboard.Text(), u"before"_s);
        f.Exit();

        // Decoding: an odd body, then a missing key; the coded text waits until the key is back.
        f.shell.messages.shown.clear();
        f.Open(false);
        f.Type(f.Coded(), u"\"\"ABC\"\""_s);
        f.ClickStart();
        QCOMPARE(f.Coded()->toPlainText(), u"\"\"ABC\"\""_s);
        f.Coded()->setPlainText(armoured);
        hideKey(true);
        f.ClickStart();
        QCOMPARE(f.shell.Said(),
                 QStringList({u"ERROR: The coded text is damaged: it has an odd number of characters."_s,
                              u"ERROR: YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\n"
                              u"The key file does not exist !"_s}));
        QCOMPARE(f.Coded()->toPlainText(), armoured);
        QVERIFY(f.Plain()->toPlainText().isEmpty() && f.Start()->isEnabled() && !f.shell.state->keyMissing);
        hideKey(false);
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText(), u"secret"_s);
    }

    void Handover_CodedTextFromTheFileWindow_ShownAndNotErasedByAClick() {
        EditorFixture f;
        AppState& state = *f.shell.state;
        const QString armoured = f.EncodeInWindow(u"from a file ő\n"_s);
        // The file window hides the main window, puts the coded text in the buffer and opens the editor.
        f.shell.window->hide();
        state.codedText = armoured.toStdString();
        f.OpenEditor(velt::platform::Direction::Reception);
        QCOMPARE(f.Coded()->toPlainText(), armoured);
        QVERIFY(f.Start()->isEnabled());
        f.Click(f.Coded());
        QCOMPARE(f.Coded()->toPlainText(), armoured);
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText(), u"from a file ő\n"_s);
        // Its own close box leaves it as Exit does.
        f.window->close();
        QTRY_VERIFY(!f.window);
        QVERIFY(f.shell.window->isVisible() && state.codedText.empty());
    }

    void Save_EachBox_WritesTheExactBytes() {
        EditorFixture f;
        ScriptedDialogs& dialogs = f.shell.dialogs;
        f.Open(true);
        f.Start()->setEnabled(true);
        f.ClickStart(); // the message of an empty editor leaves no box current
        f.Press(u"Mentés"_s);
        f.Press(u"Nyomtatás"_s);
        QCOMPARE(f.shell.Said(), QStringList({u"ERROR: Is not what to code ... !"_s,
                                              u"ERROR: There is not a selected text ... !"_s,
                                              u"ERROR: Is not what to print ... ?!"_s}));
        QVERIFY(dialogs.saved.empty() && f.printer.dialogs == 0);

        // The empty plain box: only CR LF, private; a name without an extension gets ".TXT".
        f.Click(f.Plain());
        dialogs.saveAnswers = {f.Path(u"empty"_s)};
        f.Press(u"Mentés"_s);
        QCOMPARE(ReadFile(f.Path(u"empty.TXT"_s)), QByteArray("\r\n"));
        const platform::SaveFileRequest& asked = dialogs.saved.back();
        QCOMPARE(QStringList({asked.fileName, asked.title, asked.filter}),
                 QStringList({u"SelText_090507"_s, u"The rescue of a selected text"_s, u"Text file (*.TXT)| *.TXT"_s}));
        QVERIFY(asked.confirmOverwrite);
        QVERIFY(!(QFile::permissions(f.Path(u"empty.TXT"_s)) & (QFile::ReadOther | QFile::ReadGroup)));

        // The plain box in Windows-1250 with CR LF, replacing an existing file; a cancel writes nothing.
        f.Type(f.Plain(), u"Kő és fű\nvége"_s);
        QFile::copy(f.Path(u"empty.TXT"_s), f.Path(u"letter.txt"_s));
        dialogs.saveAnswers = {f.Path(u"letter.txt"_s), QString()};
        f.Press(u"Mentés"_s);
        f.Press(u"Mentés"_s);
        QCOMPARE(ReadFile(f.Path(u"letter.txt"_s)), QByteArray("K\xF5 \xE9s f\xFB\r\nv\xE9ge\r\n"));
        // The key, the settings, the two saved files and nothing left behind.
        QCOMPARE(QDir(f.shell.folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({u"KEY.ORB"_s, u"empty.TXT"_s, u"letter.txt"_s, u"velt.ini"_s}));

        // The coded box after START: cover head, armoured text, cover tail, CR LF.
        f.ClickStart();
        const QByteArray armoured = f.Coded()->toPlainText().toLatin1();
        dialogs.saveAnswers = {f.Path(u"SelTextC_090507"_s)};
        f.Press(u"Mentés"_s);
        QCOMPARE(dialogs.saved.back().fileName, u"SelTextC_090507"_s);
        QCOMPARE(dialogs.saved.back().filter, u"Coded text file (*.JPG)| *.JPG"_s);
        const QByteArray file = ReadFile(f.Path(u"SelTextC_090507.JPG"_s));
        const auto cover = CoverImage();
        const QByteArray image(reinterpret_cast<const char*>(cover.data()), static_cast<qsizetype>(cover.size()));
        QCOMPARE(file, image.left(2218) + armoured + image.mid(2218) + "\r\n");
        // Read back by the file window's rule: the same coded text.
        const std::string stored(file.constData(), static_cast<std::size_t>(file.size() - 2));
        QCOMPARE(CodedTextOf("SelTextC_090507.JPG", stored), std::optional(armoured.toStdString()));

        // A folder that does not exist: the reason is given, nothing written.
        dialogs.saveAnswers = {f.Path(u"gone/SelTextC_1.JPG"_s)};
        f.Press(u"Mentés"_s);
        QCOMPARE(f.shell.Said().last(), u"ERROR: The folder %1 does not exist; nothing was written."_s.arg(f.Path(u"gone"_s)));
    }

    void Hungarian_StartWithNothingOrBothAndSave_ToldInHungarianNothingChanged() {
        EditorFixture f(1);
        f.Open(false);
        QCOMPARE(f.Start()->Caption(), u"FOLYAMAT INDÍTÁSA"_s);
        QCOMPARE(f.window->findChild<QAction*>(u"Kilépés"_s)->toolTip(), u"Kilépés az alkalmazásból (Esc)"_s);
        // START with both boxes empty, then both filled: the same message, nothing changed.
        f.Start()->setEnabled(true);
        f.ClickStart();
        f.Plain()->setPlainText(u"plain"_s);
        f.Coded()->setPlainText(u"\"\"41\"\""_s);
        f.shell.clipboard.SetText(u"kept"_s);
        f.ClickStart();
        QCOMPARE(f.shell.Said(), QStringList(2, u"HIBA: Nincs mit kódolni ... !"_s));
        QCOMPARE(f.Plain()->toPlainText() + f.Coded()->toPlainText(), u"plain\"\"41\"\""_s);
        QCOMPARE(f.shell.clipboard.Text(), u"kept"_s);
        QCOMPARE(f.window->CurrentBox(), editor::EditorWindow::NoBox);

        f.Click(f.Coded());
        f.Press(u"Mentés"_s);
        QCOMPARE(f.shell.dialogs.saved.back().title, u"Kijelölt kódolt szöveg mentése"_s);
        QCOMPARE(f.shell.dialogs.saved.back().filter, u"Kódolt Text fájl (*.JPG)| *.JPG"_s);
        f.Click(f.Plain());
        f.Press(u"Mentés"_s);
        QCOMPARE(f.shell.dialogs.saved.back().title, u"Kijelölt szöveg mentése"_s);
    }

    void Print_CurrentBox_TheWholeTextReachesThePages() {
        EditorFixture f;
        f.Open(true);
        QString letter;
        for (int i = 0; i < 600; ++i) {
            letter += u"line %1 ő\n"_s.arg(i);
        }
        f.Type(f.Plain(), u"x"_s);
        f.Plain()->insertPlainText(letter);
        f.Press(u"Nyomtatás"_s); // the dialog cancelled: nothing printed
        QVERIFY(f.printer.printed.isEmpty());
        f.ClickStart();
        const QString armoured = f.Coded()->Text(); // one line of some 38,000 characters, drawn
        f.printer.answers = {true};
        f.Press(u"Nyomtatás"_s);
        QCOMPARE(f.printer.printed, QStringList{armoured});

        // Page by page, each ending in its page number.
        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, {f.printer.pdfPath, u"-"_s});
        QVERIFY(pdftotext.waitForFinished(60000));
        const QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput())
                                      .remove(QRegularExpression(u"[ \\n]"_s)).split(u'\f', Qt::SkipEmptyParts);
        QString printed;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            QVERIFY(pages[i].endsWith(QString::number(i + 1)));
            printed += pages[i].chopped(QString::number(i + 1).size());
        }
        QVERIFY(pages.size() > 1 && printed == armoured);

        // A printer that cannot print says so.
        f.printer.pdfPath = f.Path(u"gone/print.pdf"_s);
        f.printer.answers = {true};
        f.Press(u"Nyomtatás"_s);
        QCOMPARE(f.shell.Said().last(), u"ERROR: The text could not be printed."_s);
    }

    void Cancel_ByButtonOrEsc_StopsTheWorkChangesNothingAndOtherWindowsTakeNoClick() {
        EditorFixture f(1);
        QPushButton other;
        int clicks = 0;
        connect(&other, &QPushButton::clicked, [&] { ++clicks; });
        other.show();
        for (const bool byEsc : {false, true}) {
            try {
                ProgressTicker ticker(*f.shell.progress, 1000, {}, Stoppable::Yes);
                platform::WaitWindow* window = f.shell.progress->Window();
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
        f.OpenEditor(velt::platform::Direction::Sending);
        f.shell.clipboard.SetText(u"before"_s);
        f.Type(f.Plain(), u"a letter"_s);
        CancelWhenOffered(*f.shell.progress);
        f.ClickStart();
        QCOMPARE(f.Plain()->toPlainText() + f.Coded()->toPlainText() + f.shell.clipboard.Text(), u"a letterbefore"_s);
        f.Exit();
        f.shell.clipboard.SetText(u"plain"_s);
        CancelWhenOffered(*f.shell.progress);
        f.shell.Click(u"cbCheat"_s);
        QCOMPARE(f.shell.clipboard.Text(), u"plain"_s);
        QVERIFY(f.shell.messages.shown.empty());
    }
};

QTEST_MAIN(EditorWindowTest)
#include "EditorWindowTest.moc"
