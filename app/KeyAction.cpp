#include "app/KeyAction.h"

#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "engine/Fingerprint.h"
#include "engine/KeyFile.h"
#include "engine/KeyStore.h"
#include "platform/Dialogs.h"
#include "platform/UiText.h"

#include <QtGlobal>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velt::app {
using namespace platform;
namespace {
namespace fs = std::filesystem;

/// The key in `file` when it passes the key check; otherwise the user is told why.
std::optional<WholeKey> ReadKeyOrTell(AppState& state, const fs::path& file, const std::string& name) {
    try {
        return ReadWholeKey(file, name);
    } catch (const VeltError& error) {
        ShowError(state, error);
    }
    return std::nullopt;
}

/// After a key has been formed or switched: which file, its fingerprint, and that the
/// correspondent needs the very same file.
void Confirm(AppState& state, WindowTextId text, const std::string& name, int length) {
    const Language language = SpokenLanguage(state.language);
    Message message;
    message.icon = MessageIcon::Information;
    message.title = "Velt";
    message.text = *FormatText(text, language, {name, std::to_string(length)}) + "\n\n" +
                   *FormatText(WindowTextId::KeySameFileReminder, language, {state.keyFingerprint});
    state.Messages().Show(message);
}

/// GenerateKey into the current key file name, then the store is refreshed and the new key
/// confirmed. On a failed write the previous name and length come back and the user is told.
void FormKey(AppState& state, const std::string& previousName, std::int16_t previousLength,
             CommitMode commit = CommitMode::Replace) {
    try {
        state.GenerateKey(commit);
    } catch (const VeltError& error) {
        state.keyFileName = previousName;
        state.keyLength = previousLength;
        ShowError(state, error);
        return;
    }
    if (const std::string why = state.OpenKeyStore(); !why.empty()) {
        qWarning("The key just formed is not in use, %s: %s", state.keyFileName.c_str(), why.c_str());
    }
    if (state.keyPresent) {
        Confirm(state, WindowTextId::KeyFormed, state.keyFileName, state.keyLength);
    }
}

/// Key `name`, lying in the program's folder, becomes the key in use everywhere.
void TakeIntoUse(AppState& state, const std::string& name, const WholeKey& key) {
    state.keyFileName = name;
    state.keyLength = static_cast<std::int16_t>(key.records);
    state.keyFileRecords = key.records;
    state.keyFingerprint = KeyFingerprint(key.bytes);
    state.keyPresent = true;
    const std::string lengthText = std::to_string(key.records);
    state.Indicators().ShowKeyLength(key.records);
    state.Indicators().SetLengthLabel(lengthText);
    state.Options().SaveKey(name, key.records);
    state.Indicators().ShowKeyFileName(name);
    state.Indicators().ShowFingerprint(state.keyFingerprint);
    state.Indicators().SetKeyFileChecked(true);
}

bool SameBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    try {
        return ReadKeyBytes(file, bytes.size() + 1, {}) == bytes;
    } catch (const VeltError&) {
        return false;
    }
}

/// Yes or No, No the default, under the key dialog's title.
bool AskYes(AppState& state, const std::string& text) {
    Message question;
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::No;
    question.title = std::string(*Text(WindowTextId::KeyDialogTitle, SpokenLanguage(state.language)));
    question.text = text;
    return state.Messages().Show(question) == MessageAnswer::Yes;
}

/// A whole key chosen outside the program's folder is copied in under its name and used.
void ReceiveKey(AppState& state, const fs::path& chosen) {
    const std::string name = chosen.filename().string();
    const std::optional<WholeKey> key = ReadKeyOrTell(state, chosen, DisplayPath(chosen));
    if (!key) {
        return;
    }
    const fs::path destination = state.ProgramFolder() / name;
    std::error_code failed;
    const bool existed = fs::exists(fs::symlink_status(destination, failed));
    if (!existed || !SameBytes(destination, key->bytes)) {
        if (existed && !AskYes(state, *FormatText(WindowTextId::KeyReplaceQuestion,
                                                  SpokenLanguage(state.language), {name}))) {
            return;
        }
        try {
            // Through the key writer: complete or not at all, and private like every key file.
            KeyFileWriter writer(destination, state.Temporaries());
            KeyRecord record;
            for (int p = 1; p <= key->records; ++p) {
                const auto cells = key->bytes.begin() + static_cast<std::ptrdiff_t>(p - 1) * kRecordSize + 2;
                std::copy_n(cells, kGridCells, record.begin());
                writer.WriteKeyRecord(p, record);
            }
            // A file of that name that appears meanwhile was never allowed to be replaced.
            writer.Commit(existed ? CommitMode::Replace : CommitMode::NoReplace);
        } catch (const VeltError& error) {
            ShowError(state, error);
            return;
        }
    }
    TakeIntoUse(state, name, *key);
    Confirm(state, WindowTextId::KeyReceived, name, key->records);
}

/// A key file already lying in the program's folder is checked whole before it is used.
void ExchangeKey(AppState& state, const std::string& name) {
    const std::optional<WholeKey> key = ReadKeyOrTell(state, state.ProgramFolder() / name, name);
    if (!key) {
        return;
    }
    TakeIntoUse(state, name, *key);
    Confirm(state, WindowTextId::KeyExchanged, name, key->records);
}

bool InProgramFolder(const AppState& state, const fs::path& chosen) {
    std::error_code failed;
    const fs::path folder = chosen.parent_path();
    return folder.empty() || fs::equivalent(folder, state.ProgramFolder(), failed);
}

/// With no key in use, the default key is formed at once; but a key file lying there that
/// could not be read whole and sound is replaced only when the user agrees, knowing that what
/// was coded with it is lost. Returns false when a sound key lies there (the dialog decides).
bool FormFirstKey(AppState& state) {
    std::error_code failed;
    if (fs::exists(fs::symlink_status(state.KeyFilePath(), failed))) {
        std::string fault;
        try {
            ReadWholeKey(state.KeyFilePath(), state.keyFileName);
            return false;
        } catch (const VeltError& error) {
            fault = DescribeError(error, SpokenLanguage(state.language));
        }
        const std::string name = DisplayPath(state.KeyFilePath());
        if (!AskYes(state, *FormatText(WindowTextId::KeyUnsoundReplaceQuestion,
                                       SpokenLanguage(state.language), {name, fault}))) {
            return true;
        }
    }
    FormKey(state, state.keyFileName, state.keyLength);
    return true;
}

} // namespace

void FormOrExchangeKey(AppState& state, IDialogs& dialogs) {
    if (!state.keyPresent && FormFirstKey(state)) {
        return;
    }
    SaveFileRequest request;
    request.fileName = QStringLiteral("Key");
    if (const auto filter = UiText(WindowTextId::KeyDialogFilter, state.language)) {
        request.filter = *filter;
    }
    if (const auto title = UiText(WindowTextId::KeyDialogTitle, state.language)) {
        request.title = *title;
    }
    request.initialFolder = QString::fromStdString(state.ProgramFolder().string());
    const QString answer = dialogs.SaveFile(request);
    if (answer.isEmpty()) {
        return;
    }
    const fs::path chosen(answer.toStdString());
    std::string name = chosen.filename().string();
    if (name.empty()) {
        return;
    }
    std::error_code failed;
    if (!InProgramFolder(state, chosen) && fs::exists(chosen, failed)) {
        ReceiveKey(state, chosen);
        return;
    }
    if (!fs::exists(state.ProgramFolder() / name, failed) && fs::path(name).extension().empty()) {
        // A new key the dialog's "*.orb" filter lists.
        name += ".orb";
    }
    // A new name, wherever it was typed, names a new key in the program's folder.
    if (fs::exists(state.ProgramFolder() / name, failed)) {
        ExchangeKey(state, name);
        return;
    }
    const std::string previousName = state.keyFileName;
    state.keyFileName = name;
    // The name was free when chosen: a file that takes it meanwhile is kept, not replaced.
    FormKey(state, previousName, state.keyLength, CommitMode::NoReplace);
}

} // namespace velt::app
