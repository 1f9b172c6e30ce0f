// How the windows cope with large texts: for one target, the wall time and the longest stretch
// in which the event loop did not run (a 5 ms probe timer notes every firing), and the peak memory.
//   text_paths_probe TARGET    TARGET: check5mb check40mb follow673k follow40mb editor1mib seltext60mb
// Runs offscreen by default; under a display (QT_QPA_PLATFORM=xcb) the follow targets let xclip,
// another program, put the text on the clipboard.
#include "app/MainWindow.h"
#include "controls/GlossButton.h"
#include "editor/EditorWindow.h"
#include "engine/AppState.h"
#include "jobs/FileWindow.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/JobWindows.h"
#include "platform/Printer.h"
#include "platform/WaitWindow.h"
#include "platform/WallClock.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>

namespace {
using namespace Qt::StringLiterals;

struct Quiet final : velt::IMessages {
    velt::MessageAnswer Show(const velt::Message& message) override {
        std::fprintf(stderr, "message: %s\n", message.text.c_str());
        return velt::MessageAnswer::No;
    }
};

struct MemorySettings final : velt::ISettingsStore {
    std::optional<std::string> Read(const std::string&) override { return std::nullopt; }
    void Write(const std::string&, const std::string&) override {}
};

/// Notes every run of the event loop; the longest gap between two is the longest freeze.
class Probe final {
public:
    Probe() {
        m_clock.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Note(); });
        m_timer.start();
    }
    void Note() {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    qint64 Longest() {
        Note();
        return m_longest;
    }
    qint64 Elapsed() const { return m_clock.elapsed(); }

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

/// Runs the event loop until `done` holds (or `limitMs` passed); false on the limit.
bool RunUntil(const std::function<bool()>& done, qint64 limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Settle(qint64 ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

void WriteKey(const QString& path) {
    QByteArray bytes;
    for (int p = 0; p < 366; ++p) {
        bytes += QByteArray("\x00\x01", 2);
        for (int c = 0; c < 256; ++c) {
            bytes += static_cast<char>((c + p * 7) % 256);
        }
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

/// Prose without a line break, `size` characters.
QString Prose(qsizetype size) {
    const QString words = u"Kedves Anna, a level hosszu, de nem tor meg egyetlen sort sem. "_s;
    QString text;
    text.reserve(size);
    while (text.size() < size) {
        text += words;
    }
    text.truncate(size);
    return text;
}

/// An armoured text of `size` characters, digits only between the markers.
QString Armoured(qsizetype size) {
    QString text(size, u'0');
    const char16_t digits[] = u"0123456789ABCDEF";
    for (qsizetype i = 2; i + 2 < size; ++i) {
        text[i] = QChar(digits[(i * 7 + i / 13) % 16]);
    }
    text[0] = text[1] = text[size - 2] = text[size - 1] = u'"';
    return text;
}

/// Puts `text` on the clipboard as another program would: xclip under a display, else in-process.
void OtherProgramCopies(const QString& text) {
    if (QGuiApplication::platformName() != u"xcb"_s) {
        QGuiApplication::clipboard()->setText(text);
        return;
    }
    auto* xclip = new QProcess;
    xclip->start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s});
    xclip->waitForStarted();
    xclip->write(text.toUtf8());
    xclip->closeWriteChannel();
}

template <typename T = QWidget> T* Find(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name && top->isVisible()) {
            return qobject_cast<T*>(top);
        }
        if (auto* found = top->findChild<T*>(name); found != nullptr && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

/// A box's whole text: an editor box that draws a long text itself holds it as `wholeText`.
QString Shown(const QString& box) {
    auto* edit = Find<QPlainTextEdit>(box);
    if (edit == nullptr) {
        return {};
    }
    const QVariant whole = edit->property("wholeText");
    return whole.isValid() ? whole.toString() : edit->toPlainText();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s check5mb|check40mb|follow673k|follow40mb|editor1mib|seltext60mb\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QString target = QString::fromLatin1(argv[1]);
    QTemporaryDir folder;
    WriteKey(folder.filePath(u"KEY.ORB"_s));

    Quiet messages;
    MemorySettings settings;
    velt::AppState state(folder.path().toStdString(), {.settings = &settings, .messages = &messages});
    velt::platform::WaitProgress progress(state);
    state.Attach({.progress = &progress});
    velt::platform::Dialogs dialogs;
    velt::platform::SystemWallClock wallClock;
    velt::platform::SystemClipboard clipboard;
    velt::platform::Printer printer;
    velt::platform::JobWindows jobs;
    jobs.editor = [&](QWidget& main, velt::platform::Direction direction) {
        return velt::editor::OpenEditor(state, {dialogs, clipboard, printer, wallClock}, main, direction);
    };
    jobs.fileWindow = [&](QWidget& main, const velt::platform::FileJob& job) {
        return velt::jobs::FileWindow::Open(state, jobs, main, job);
    };
    velt::app::MainWindow window(state, {dialogs, jobs, clipboard, wallClock, [] {}});
    window.Load();
    window.show();
    window.findChild<QTabWidget*>(u"SSTab2"_s)->setCurrentIndex(2);
    QGuiApplication::clipboard()->setText(u"start"_s);
    Settle(200);

    std::function<void()> act;
    std::function<bool()> done;
    QString expected;
    if (target.startsWith(u"check"_s)) {
        Q_EMIT window.findChild<velt::GlossButton*>(u"clb"_s)->Click(); // the clipboard window, open
        Settle(400);
        QGuiApplication::clipboard()->setText(Prose(target == u"check5mb"_s ? 5'000'000 : 40'000'000));
        Settle(700); // the window follows the new text before CHECK is clicked
        act = [&] { Q_EMIT window.findChild<velt::GlossButton*>(u"cbCheat"_s)->Click(); };
        done = [] { return QGuiApplication::clipboard()->text().startsWith(u"\"\""_s); };
    } else if (target.startsWith(u"follow"_s)) {
        Q_EMIT window.findChild<velt::GlossButton*>(u"clb"_s)->Click();
        Settle(400);
        expected = Armoured(target == u"follow673k"_s ? 673'000 : 40'000'000);
        act = [&] { OtherProgramCopies(expected); };
        done = [&] { return Shown(u"txtCLB"_s).startsWith(expected.left(40)); };
    } else if (target == u"editor1mib"_s) {
        jobs.OpenEditor(window, velt::platform::Direction::Sending);
        QString letter;
        while (letter.size() < (1 << 20)) {
            letter += u"Kedves Anna, ez a level egy sora, hetven betunyi hosszan, vesszovel.\n"_s;
        }
        letter.truncate(1 << 20);
        Find<QPlainTextEdit>(u"RichTextBox1"_s)->setPlainText(letter);
        Settle(300);
        act = [&] { Q_EMIT Find<velt::GlossButton>(u"Command1"_s)->Click(); };
        done = [] { return !Shown(u"RichTextBox2"_s).isEmpty(); };
    } else if (target == u"seltext60mb"_s) {
        const QString name = u"SelTextC_120000.JPG"_s;
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        const QByteArray digits(1 << 20, '7');
        for (int i = 0; i < 60; ++i) {
            file.write(digits);
        }
        file.close();
        const velt::platform::FileJob job{velt::platform::Direction::Reception, folder.filePath(name).toStdString(),
                                       name.toStdString()};
        act = [&, job] {
            jobs.OpenFileWindow(window, job);
            auto* start = Find<velt::GlossButton>(u"Command1"_s);
            if (start != nullptr && start->isEnabled()) {
                Q_EMIT start->Click(); // hands the text to the editor
            }
        };
        done = [] {
            auto* start = Find<velt::GlossButton>(u"Command1"_s);
            return !Shown(u"RichTextBox2"_s).isEmpty() || (start != nullptr && !start->isEnabled());
        };
    } else {
        std::fprintf(stderr, "unknown target\n");
        return 2;
    }

    Probe probe;
    act();
    const bool finished = RunUntil(done, 600'000);
    const qint64 wall = probe.Elapsed();
    Settle(700); // layouts and paints that come after, and two ticks of the follow timer
    const qint64 longest = probe.Longest();
    QString note = finished ? u"done"_s : u"NOT DONE"_s;
    if (target == u"editor1mib"_s) {
        note += QGuiApplication::clipboard()->text() == Shown(u"RichTextBox2"_s) ? u", box = clipboard"_s
                                                                                 : u", box differs"_s;
    }
    if (auto* refused = Find<QLabel>(u"Label4"_s); refused != nullptr && target == u"seltext60mb"_s) {
        note += u", file window says: "_s + refused->text();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-12s wall %7lld ms  longest stretch %6lld ms  peak %5ld MB  %s\n", argv[1],
                static_cast<long long>(wall), static_cast<long long>(longest), usage.ru_maxrss / 1024,
                qPrintable(note));
    return finished ? 0 : 1;
}
