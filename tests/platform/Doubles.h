#pragma once
// Scripted seams: each records what it was asked; an empty script answers like a user who cancels.

#include "engine/Platform.h"
#include "platform/Clipboard.h"
#include "platform/ComponentCheck.h"
#include "platform/Dialogs.h"
#include "platform/JobWindows.h"
#include "platform/WallClock.h"

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

/// Notes `request` in `log` and answers it from `script`.
template <typename Request, typename Answer>
Answer Ask(std::vector<Request>& log, const Request& request, std::deque<Answer>& script) {
    log.push_back(request);
    return Next(script, Answer{});
}

struct ScriptedDialogs final : platform::IDialogs {
    platform::OpenFileResult OpenFile(const platform::OpenFileRequest& r) override {
        return Ask(opened, r, openAnswers);
    }
    QString SaveFile(const platform::SaveFileRequest& r) override { return Ask(saved, r, saveAnswers); }
    QString FolderBrowser(const QString& title) override { return Ask(folderTitles, title, folderAnswers); }
    std::deque<platform::OpenFileResult> openAnswers;
    std::deque<QString> saveAnswers, folderAnswers;
    std::vector<platform::OpenFileRequest> opened;
    std::vector<platform::SaveFileRequest> saved;
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
struct RecordingJobWindows final : platform::IJobWindows {
    bool OpenEditor(QWidget&, platform::Direction d) override { return Note(editorDirection, d, editor); }
    bool OpenFileWindow(QWidget&, const platform::FileJob& j) override { return Note(file, j, fileWindow); }
    bool OpenFolderWindow(QWidget&, const platform::FolderJob& j) override {
        return Note(folder, j, folderWindow);
    }
    template <typename T> static bool Note(std::optional<T>& last, const T& request, int& count) {
        last = request;
        return ++count > 0;
    }
    int editor = 0, fileWindow = 0, folderWindow = 0;
    std::optional<platform::Direction> editorDirection;
    std::optional<platform::FileJob> file;
    std::optional<platform::FolderJob> folder;
};

/// The real clipboard (it works headless on the offscreen platform), counting reads;
/// `failReads` makes every read come back empty, as a clipboard owned by a hung program would.
struct CountingClipboard final : platform::IClipboard {
    bool HasText() override { return !failReads && system.HasText(); }
    QString Text() override {
        ++reads;
        return failReads ? QString() : system.Text();
    }
    void Clear() override { system.Clear(); }
    void SetText(const QString& text) override { system.SetText(text); }
    std::optional<std::uint64_t> ChangeCount() override { return system.ChangeCount(); }
    platform::SystemClipboard system;
    int reads = 0;
    bool failReads = false;
};

struct FixedWallClock final : platform::IWallClock {
    QDateTime Now() override { return {QDate(2013, 8, 28), QTime(9, 5, 7)}; }
};

struct FakeComponents final : platform::IComponentSource {
    std::optional<QByteArray> Bytes(int id) override {
        return bytes.contains(id) ? std::optional(bytes[id]) : std::nullopt;
    }
    QMap<int, QByteArray> bytes;
};

} // namespace velt::testing
