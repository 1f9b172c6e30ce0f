#pragma once
// A main window on a fresh state in a temporary program folder, with scripted seams.

#include "app/MainWindow.h"
#include "engine/AppState.h"
#include "platform/SettingsStore.h"
#include "platform/WaitWindow.h"
#include "tests/platform/Doubles.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace velt::testing {

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A well-formed key file of `records` positions, every grid the codes in order, each
/// position's grid turned `shift` codes further than the one before.
inline void WriteKeyFile(const QString& path, int records, int shift = 0) {
    QByteArray bytes;
    for (int p = 0; p < records; ++p) {
        bytes += QByteArray("\x00\x01", 2);
        for (int c = 0; c < 256; ++c) {
            bytes += static_cast<char>((c + p * shift) % 256);
        }
    }
    WriteFile(path, bytes);
}

/// Notes every run of the event loop; Longest() is the longest time it went without one.
struct LoopProbe final {
    LoopProbe() {
        clock.start();
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] { Note(); });
        timer.start(5);
    }
    void Note() { longest = std::max(longest, clock.restart()); }
    qint64 Longest() {
        Note();
        return longest;
    }
    QElapsedTimer clock;
    QTimer timer;
    qint64 longest = 0;
};

struct AppFixture {
    /// Starts the main window, over a KEY.ORB of `keyRecords` positions when that is not 0.
    explicit AppFixture(int keyRecords = 0) {
        if (keyRecords > 0) {
            WriteKeyFile(Path("KEY.ORB"), keyRecords);
        }
        Start();
    }

    QString Path(QAnyStringView name) const { return folder.path() + QLatin1Char('/') + name.toString(); }

    void Start() {
        window.reset();
        progress.reset();
        state = std::make_unique<AppState>(folder.path().toStdString(),
                                           Services{.settings = &settings, .messages = &messages});
        progress = std::make_unique<platform::WaitProgress>(*state);
        state->Attach({.progress = progress.get()});
        window = std::make_unique<app::MainWindow>(
            *state, app::MainWindowServices{dialogs, jobs, clipboard, clock, [this] { ++ended; }});
        window->Load();
    }

    template <typename T = QWidget> T* Find(QAnyStringView name) const {
        return window->findChild<T*>(name.toString());
    }
    QString Text(QAnyStringView label) const { return Find<QLabel>(label)->text(); }
    void Click(QAnyStringView name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }
    /// One tick of every running timer of the window and its clipboard window, without waiting for it.
    void Tick() const {
        for (QTimer* timer : window->findChildren<QTimer*>()) {
            if (timer->isActive()) {
                QMetaObject::invokeMethod(timer, "timeout");
            }
        }
    }
    /// A toolbar button, on the job tab where the toolbar offers them.
    void Press(QAnyStringView action) const {
        Find<QTabWidget>("SSTab2")->setCurrentIndex(1);
        Find<QAction>(action)->trigger();
    }
    /// The key action, its save dialog answering `answer` (empty: cancelled).
    void PressKey(const QString& answer) {
        dialogs.saveAnswers = {answer};
        Press("Kulcs");
    }
    bool KeyChecked() const { return Find<QCheckBox>("Check2")->isChecked(); }
    /// What messages said, each as "title: text".
    QStringList Said() const {
        QStringList said;
        for (const Message& m : messages.shown) {
            said << QString::fromStdString(m.title + ": " + m.text);
        }
        return said;
    }
    QString Setting(const char* key) { return QString::fromStdString(settings.Read(key).value_or("-")); }

    /// The key as the state, Label9, Panel2, Slider, lblSL and the stored settings show it.
    QStringList KeyShown() {
        QStringList shown{QString::fromStdString(state->keyFileName), QString::number(state->keyLength)};
        return shown << Text("Label9") << Text("Panel2") << QString::number(Find<QSlider>("Slider")->value())
                     << Text("lblSL") << Setting("key") << Setting("keyLenght");
    }
    /// KeyShown() once key `name` of `length` is in use everywhere.
    static QStringList KeyInUse(const QString& name, int length) {
        const QString n = QString::number(length);
        return {name, n, name, name, n, n, name, n};
    }

    QTemporaryDir folder;
    platform::SettingsStore settings{Path("velt.ini")};
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    RecordingJobWindows jobs;
    CountingClipboard clipboard;
    FixedWallClock clock;
    int ended = 0;
    std::unique_ptr<AppState> state;
    std::unique_ptr<platform::WaitProgress> progress;
    std::unique_ptr<app::MainWindow> window;
};

} // namespace velt::testing
