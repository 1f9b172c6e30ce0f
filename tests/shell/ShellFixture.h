#pragma once
// A main window on a fresh state in a temporary program folder, with scripted seams.

#include "AppState.h"
#include "Doubles.h"
#include "MainWindow.h"
#include "SettingsStore.h"
#include "WaitWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace velt::testing {

/// Writes a well-formed key file of `records` positions (every grid the codes in order).
inline void WriteKeyFile(const QString& path, int records) {
    QByteArray record(258, '\0');
    record[0] = '\x00';
    record[1] = '\x01';
    for (int c = 0; c < 256; ++c) {
        record[2 + c] = static_cast<char>(c);
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        for (int i = 0; i < records; ++i) {
            file.write(record);
        }
    }
}

class ShellFixture final {
public:
    ShellFixture() : settings(folder.path() + QStringLiteral("/velt.ini")) {}

    QString Path(const QString& name) const { return folder.path() + QLatin1Char('/') + name; }

    /// Creates and loads the main window (a previous one is dropped first).
    shell::MainWindow& Start() {
        window.reset();
        progress.reset();
        state = std::make_unique<AppState>(std::filesystem::path(folder.path().toStdString()),
                                           Services{nullptr, nullptr, &settings, nullptr, &messages});
        progress = std::make_unique<shell::WaitProgress>(*state);
        Services waiting;
        waiting.progress = progress.get();
        state->Attach(waiting);
        window = std::make_unique<shell::MainWindow>(
            *state, shell::ShellServices{dialogs, jobs, clock, [this] { ++ended; }});
        window->Load();
        return *window;
    }

    template <typename T> T* Find(const QString& name) const { return window->findChild<T*>(name); }

    QTemporaryDir folder;
    shell::SettingsStore settings;
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    RecordingJobWindows jobs;
    FixedWallClock clock;
    int ended = 0;
    std::unique_ptr<AppState> state;
    std::unique_ptr<shell::WaitProgress> progress;
    std::unique_ptr<shell::MainWindow> window;
};

} // namespace velt::testing
