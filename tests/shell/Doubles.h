#pragma once
// Scripted stand-ins for the shell's seams: each records what was asked of it and
// answers from a script (an empty script answers like a user who cancels).

#include "ComponentCheck.h"
#include "Dialogs.h"
#include "JobWindows.h"
#include "Platform.h"
#include "WallClock.h"

#include <QByteArray>
#include <QMap>
#include <deque>
#include <vector>

namespace velt::testing {

class ScriptedDialogs final : public shell::IDialogs {
public:
    shell::OpenFileResult OpenFile(const shell::OpenFileRequest& request) override {
        opened.push_back(request);
        return Next(openAnswers, shell::OpenFileResult{});
    }
    QString SaveFile(const shell::SaveFileRequest& request) override {
        saved.push_back(request);
        return Next(saveAnswers, QString());
    }
    QString FolderBrowser() override {
        ++folderBrowsed;
        return Next(folderAnswers, QString());
    }

    std::deque<shell::OpenFileResult> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<QString> folderAnswers;
    std::vector<shell::OpenFileRequest> opened;
    std::vector<shell::SaveFileRequest> saved;
    int folderBrowsed = 0;

private:
    template <typename T> static T Next(std::deque<T>& script, T fallback) {
        if (script.empty()) {
            return fallback;
        }
        T answer = script.front();
        script.pop_front();
        return answer;
    }
};

class ScriptedMessages final : public IMessages {
public:
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        if (answers.empty()) {
            return message.defaultAnswer;
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<MessageAnswer> answers;
    std::vector<Message> shown;
};

class RecordingJobWindows final : public shell::IJobWindows {
public:
    bool OpenEditor(QWidget&) override { return Open(editor); }
    bool OpenFileWindow(QWidget&) override { return Open(fileWindow); }
    bool OpenFolderWindow(QWidget&) override { return Open(folderWindow); }
    int editor = 0;
    int fileWindow = 0;
    int folderWindow = 0;
    bool opens = true;

private:
    bool Open(int& count) {
        ++count;
        return opens;
    }
};

class FixedWallClock final : public shell::IWallClock {
public:
    QDateTime Now() override { return now; }
    QDateTime now{QDate(2013, 8, 28), QTime(9, 5, 7)};
};

class FakeComponents final : public shell::IComponentSource {
public:
    std::optional<QByteArray> Bytes(int resourceId) override {
        if (!bytes.contains(resourceId)) {
            return std::nullopt;
        }
        return bytes.value(resourceId);
    }
    QMap<int, QByteArray> bytes;
};

} // namespace velt::testing
