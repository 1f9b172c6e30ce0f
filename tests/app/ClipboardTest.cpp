// The clipboard translation on tab "!" and the clipboard window, through the real main window.
#include "app/ClipboardTranslation.h"
#include "app/ClipboardWindow.h"
#include "tests/app/AppFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {

constexpr qsizetype kShown = app::kShownCharacters;

QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }

/// The main window on tab "!" over a key of 366 positions.
struct ClipboardShell {
    ClipboardShell() { shell.Find<QTabWidget>("SSTab2")->setCurrentIndex(2); }
    app::ClipboardWindow* View() const { return shell.window->findChild<app::ClipboardWindow*>(u"frmCLB"_s); }
    QString Shown() const { return View()->findChild<QPlainTextEdit*>(u"txtCLB"_s)->toPlainText(); }
    QString Tag() const { return shell.Find("clb")->property("tag").toString(); }
    /// A click on CHECK; the messages it showed.
    std::size_t Translate() {
        shell.messages.shown.clear();
        shell.Click("cbCheat");
        return shell.messages.shown.size();
    }
    AppFixture shell{366};
};

/// A wait window that, while the translation runs, lets the timers fire and clicks CHECK again.
struct MeddlingProgress final : IProgress {
    void Begin(std::int64_t, std::string_view caption) override {
        captions.emplace_back(caption);
        if (meddle) {
            meddle = false;
            SetClipboard(u"changed meanwhile"_s);
            target->Tick(); // the follower's tick must not turn CHECK back on
            enabledDuringWork = target->Find("cbCheat")->isEnabled();
            target->Click("cbCheat");
        }
    }
    void Update(std::int64_t) override {}
    void End() override {}
    AppFixture* target = nullptr;
    bool meddle = true;
    bool enabledDuringWork = true;
    std::vector<std::string> captions;
};

} // namespace

class ClipboardTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QGuiApplication::clipboard()->clear(); }

    void Translate_PlainThenCoded_ArmouredAndBackInWindow() {
        ClipboardShell clip;
        SetClipboard(u"Hello"_s);
        QCOMPARE(clip.Translate(), std::size_t{0});
        const QString armoured = ClipboardText();
        QCOMPARE(armoured.size(), 24);
        QVERIFY(armoured.startsWith(u"\"\""_s) && armoured.endsWith(u"\"\""_s));
        QVERIFY(clip.View() && clip.View()->isVisible());
        QCOMPARE(clip.Shown(), armoured);
        QCOMPARE(clip.Tag(), u"1"_s);
        QVERIFY(clip.shell.Find("cbCheat")->isEnabled());

        clip.Translate();
        QCOMPARE(ClipboardText(), u"Hello"_s);
        QCOMPARE(clip.Shown(), u"Hello"_s);

        // Words around the markers are dropped; line breaks and ő, ű come back as they went.
        SetClipboard(u"Line one ő\nline two ű"_s);
        clip.Translate();
        SetClipboard(u"Dear Anna, "_s + ClipboardText() + u" regards"_s);
        QCOMPARE(clip.Translate(), std::size_t{0});
        QCOMPARE(ClipboardText(), u"Line one ő\nline two ű"_s);
        QCOMPARE(clip.shell.state->plainText, std::string("Line one \xF5\r\nline two \xFB"));
    }

    void Translate_Failures_ToldClipboardKeptWindowOpens() {
        ClipboardShell clip;
        const auto failsWith = [&](const QString& text, const std::string& told) {
            SetClipboard(text);
            if (clip.View()) {
                clip.View()->close();
            }
            QCOMPARE(clip.Translate(), std::size_t{1});
            QVERIFY2(clip.shell.messages.shown[0].text.find(told) != std::string::npos,
                     clip.shell.messages.shown[0].text.c_str());
            QCOMPARE(clip.shell.messages.shown[0].title, std::string("ERROR"));
            QCOMPARE(ClipboardText(), text);
            QVERIFY(clip.View() && clip.View()->isVisible());
            QCOMPARE(clip.Shown(), text);
            QVERIFY(clip.shell.Find("cbCheat")->isEnabled());
        };
        failsWith(u"smile 😀"_s, "cannot be coded");
        failsWith(u"\"\"ABC\"\""_s, "odd number");
        failsWith(u"\"\"41\n-- \nBob"_s, "\"-\" (U+002D), which is no hexadecimal digit");
        QFile::remove(clip.shell.Path("KEY.ORB"));
        failsWith(u"\"\"41424344\"\""_s, "NOT ELIGIBLE");
        failsWith(u"plain"_s, "KEY.ORB does not exist");
    }

    void Translate_WhileRunning_NoSecondStartAndButtonStaysOff() {
        ClipboardShell clip;
        MeddlingProgress progress;
        progress.target = &clip.shell;
        clip.shell.state->Attach({.progress = &progress});
        SetClipboard(u"abc"_s);
        clip.Translate();
        QVERIFY(!progress.enabledDuringWork);
        // One key load and one packing: the click during the work started nothing.
        QCOMPARE(progress.captions, std::vector<std::string>({"", "Várj...  "}));
        QCOMPARE(ClipboardText().size(), 16);
    }

    void Window_MultiMegabyteLine_ShownBoundedWhileTheLoopRuns() {
        ClipboardShell clip;
        SetClipboard(u"small"_s);
        clip.shell.Click("clb");
        QString line;
        while (line.size() < 3'000'000) {
            line += u"egy hosszú sor, sortörés nélkül, "_s;
        }
        LoopProbe probe;
        SetClipboard(line);
        QTRY_VERIFY(clip.Shown().startsWith(line.left(kShown)));
        QVERIFY(clip.Shown().endsWith(u"[... and %1 more characters, not shown here]"_s.arg(line.size() - kShown)));
        clip.shell.state->language = Language::Hungarian;
        QCOMPARE(clip.Translate(), std::size_t{0});
        const QString armoured = ClipboardText();
        QCOMPARE(armoured.size(), 4 * line.size() + 4); // the clipboard holds all of it
        QVERIFY(clip.Shown().startsWith(armoured.left(kShown)));
        QVERIFY(clip.Shown().endsWith(u"[... és még %1 karakter, amely itt nem látszik]"_s.arg(armoured.size() - kShown)));
        probe.Note();
        clip.shell.Tick(); // a tick of both followers over the large text
        // Offscreen on a shared machine: far below the seconds it took to lay the line out.
        QVERIFY2(probe.Longest() < 1000, qPrintable(QString::number(probe.longest)));
        clip.Translate();
        QCOMPARE(ClipboardText(), line);
    }

    void Translate_AboveTheLimits_ToldAndClipboardKept() {
        ClipboardShell clip;
        const app::TranslationLimits limits{10, 44};
        for (const QString& text : {u"eleven char"_s, u"\"\"414243444546474849504152535455565758596061\"\""_s}) {
            SetClipboard(text);
            clip.shell.messages.shown.clear();
            QCOMPARE(app::TranslateClipboard(*clip.shell.state, clip.shell.clipboard, limits),
                     app::Translation::NothingDone);
            QCOMPARE(clip.shell.messages.shown.size(), std::size_t{1});
            QCOMPARE(QString::fromStdString(clip.shell.messages.shown[0].text),
                     u"The text has %1 characters; Velt codes at most %2 at a time. Nothing was changed."_s.arg(
                         text.size()).arg(text.size() > 44 ? 44 : 10));
            QCOMPARE(ClipboardText(), text);
        }
        SetClipboard(u"ten chars!"_s); // at the limit: coded
        QCOMPARE(app::TranslateClipboard(*clip.shell.state, clip.shell.clipboard, limits),
                 app::Translation::Encoded);
    }

    void Window_SwitchAndFollow_TagFollowsWindowOnlyChangedTextFetched() {
        ClipboardShell clip;
        SetClipboard(u"shown"_s);
        for (int open = 0; open < 2; ++open) { // closed by the switch, then by its own close box
            clip.shell.Click("clb");
            QVERIFY(clip.View()->isVisible() && clip.Tag() == u"1"_s && clip.Shown() == u"shown"_s);
            if (open == 0) {
                clip.shell.Click("clb");
            } else {
                QVERIFY(clip.View()->close());
            }
            QTRY_VERIFY(!clip.View());
            QCOMPARE(clip.Tag(), u"0"_s);
        }
        clip.shell.Click("clb");
        const int reads = clip.shell.clipboard.reads;
        for (int tick = 0; tick < 3; ++tick) {
            clip.shell.Tick();
        }
        QCOMPARE(clip.shell.clipboard.reads, reads);

        SetClipboard(u"next"_s);
        clip.shell.Tick();
        QCOMPARE(clip.Shown(), u"next"_s);
        clip.shell.Tick();
        QCOMPARE(clip.shell.clipboard.reads, reads + 1);

        // Something that is no text leaves the box as it is and CHECK off.
        auto* picture = new QMimeData;
        picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(picture);
        clip.shell.Tick();
        QVERIFY(!clip.shell.Find("cbCheat")->isEnabled());
        QCOMPARE(clip.Shown(), u"next"_s);
        QCOMPARE(clip.shell.clipboard.reads, reads + 1);

        // CHECK comes on at the next tick while its own tab shows, and the timer ticks within 300 ms.
        SetClipboard(u"text again"_s);
        clip.shell.Tick();
        QVERIFY(clip.shell.Find("cbCheat")->isEnabled());
        QVERIFY(clip.shell.window->findChild<QTimer*>(u"Timer"_s)->interval() <= 300);
    }
};
QTEST_MAIN(ClipboardTest)
#include "ClipboardTest.moc"
