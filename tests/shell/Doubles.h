#pragma once
// Scripted seams: each records what it was asked; an empty script answers like a user who cancels.

#include "Clipboard.h"
#include "ComponentCheck.h"
#include "Dialogs.h"
#include "JobWindows.h"
#include "Platform.h"
#include "WallClock.h"

#include <QMap>
#include <deque>
#include <optional>
#include <vector>

namespace velt::testing {

template <typename T> T Next(std::deque<T>& script, T fallback) {
    if (!script.empty()) {
        fallback = script.front();
        script.pop_front();
    }
    return fallback;
}

struct ScriptedDialogs final : shell::IDialogs {
    shell::OpenFileResult OpenFile(const shell::OpenFileRequest& request) override {
        opened.push_back(request);
        return Next(openAnswers, {});
    }
    QString SaveFile(const shell::SaveFileRequest& request) override {
        saved.push_back(request);
        return Next(saveAnswers, {});
    }
    QString FolderBrowser(const QString& title) override {
        folderTitles.push_back(title);
        return Next(folderAnswers, {});
    }
    std::deque<shell::OpenFileResult> openAnswers;
    std::deque<QString> saveAnswers, folderAnswers;
    std::vector<shell::OpenFileRequest> opened;
    std::vector<shell::SaveFileRequest> saved;
    std::vector<QString> folderTitles;
};

struct ScriptedMessages final : IMessages {
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        return Next(answers, message.defaultAnswer);
    }
    std::deque<MessageAnswer> answers;
    std::vector<Message> shown;
};

/// Counts the job windows asked for and keeps the last request of each kind.
struct RecordingJobWindows final : shell::IJobWindows {
    bool OpenEditor(QWidget&, shell::Direction direction) override {
        editorDirection = direction;
        return ++editor > 0;
    }
    bool OpenFileWindow(QWidget&, const shell::FileJob& job) override {
        file = job;
        return ++fileWindow > 0;
    }
    bool OpenFolderWindow(QWidget&, const shell::FolderJob& job) override {
        folder = job;
        return ++folderWindow > 0;
    }
    int editor = 0, fileWindow = 0, folderWindow = 0;
    std::optional<shell::Direction> editorDirection;
    std::optional<shell::FileJob> file;
    std::optional<shell::FolderJob> folder;
};

/// The real clipboard (it works headless on the offscreen platform), counting reads;
/// `failReads` makes every read come back empty, as a clipboard owned by a hung program would.
struct CountingClipboard final : shell::IClipboard {
    bool HasText() override { return !failReads && system.HasText(); }
    QString Text() override {
        ++reads;
        return failReads ? QString() : system.Text();
    }
    void Clear() override { system.Clear(); }
    void SetText(const QString& text) override { system.SetText(text); }
    std::optional<std::uint64_t> ChangeCount() override { return system.ChangeCount(); }
    shell::SystemClipboard system;
    int reads = 0;
    bool failReads = false;
};

struct FixedWallClock final : shell::IWallClock {
    QDateTime Now() override { return {QDate(2013, 8, 28), QTime(9, 5, 7)}; }
};

struct FakeComponents final : shell::IComponentSource {
    std::optional<QByteArray> Bytes(int id) override {
        return bytes.contains(id) ? std::optional(bytes[id]) : std::nullopt;
    }
    QMap<int, QByteArray> bytes;
};

} // namespace velt::testing
