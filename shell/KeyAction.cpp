#include "KeyAction.h"

#include "AppState.h"
#include "Dialogs.h"
#include "Errors.h"
#include "FileStreams.h"
#include "KeyFile.h"
#include "KeyStore.h"
#include "UiText.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velt::shell {
namespace {
namespace fs = std::filesystem;

/// A key file read whole and checked record by record.
struct WholeKey {
    std::vector<std::uint8_t> bytes;
    int length = 0;
};

/// The key in `file` when it is whole: 100 to 10000 records, each with a sound length field
/// and every code once. Otherwise `fault` says what is wrong in `language`, naming the record at fault.
std::optional<WholeKey> ReadWholeKey(const fs::path& file, const std::string& name, std::uint8_t language,
                                     std::string& fault) {
    const std::uint8_t lang = language <= 1 ? language : 0;
    try {
        WholeKey key;
        // One byte more than the largest key shows a file that is too long without reading all of it.
        key.bytes = ReadKeyBytes(file, static_cast<std::size_t>(kKeyCapacity) * kRecordSize + 1, name);
        if (key.bytes.empty()) {
            fault = *FormatText(TextId::KeyFileEmpty, lang, {name});
            return std::nullopt;
        }
        const auto records = static_cast<long long>((key.bytes.size() + kRecordSize - 1) / kRecordSize);
        if (records < kMinKeyLength || records > kKeyCapacity) {
            fault = *FormatText(TextId::KeyLengthOutOfRange, lang, {name, std::to_string(records)});
            return std::nullopt;
        }
        key.length = static_cast<int>(records);
        CheckRecordFrames(key.bytes, key.length, name);
        if (const int bad = FirstNonPermutationRecord(key.bytes); bad != 0) {
            fault = *FormatText(TextId::KeyRecordNotPermutation, lang, {name, std::to_string(bad)});
            return std::nullopt;
        }
        return key;
    } catch (const VeltError& error) {
        fault = DescribeError(error, lang);
    }
    return std::nullopt;
}

/// ReadWholeKey(), a fault told to the user.
std::optional<WholeKey> ReadWholeKey(AppState& state, const fs::path& file, const std::string& name) {
    std::string fault;
    std::optional<WholeKey> key = ReadWholeKey(file, name, state.language, fault);
    if (!key) {
        const std::uint8_t language = state.language <= 1 ? state.language : 0;
        Message message;
        message.title = std::string(*Text(TextId::ErrorTitle, language));
        message.text = fault;
        state.Messages().Show(message);
    }
    return key;
}

bool IsWholeKey(const fs::path& file) {
    std::string fault;
    return ReadWholeKey(file, {}, 0, fault).has_value();
}

/// GenerateKey into the current key file name, then the store is refreshed. On a
/// failed write the previous name and length come back and the user is told.
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
    state.OpenKeyStore();
}

/// Key `name` of `length` positions, lying in the program's folder, becomes the key in use everywhere.
void TakeIntoUse(AppState& state, const std::string& name, int length) {
    state.keyFileName = name;
    state.keyLength = static_cast<std::int16_t>(length);
    state.keyPresent = true;
    const std::string lengthText = std::to_string(length);
    state.Indicators().SetSliderValue(length);
    state.Indicators().SetLengthLabel(lengthText);
    state.Settings().Write(kSettingKey, name);
    state.Settings().Write(kSettingKeyLength, lengthText);
    state.Indicators().ShowKeyFileName(name);
    state.Indicators().SetKeyFileChecked(true);
}

void Confirm(AppState& state, TextId text, const std::string& name, int length) {
    const std::uint8_t language = state.language <= 1 ? state.language : 0;
    Message message;
    message.icon = MessageIcon::Information;
    message.title = "Velt";
    message.text = *FormatText(text, language, {name, std::to_string(length)});
    state.Messages().Show(message);
}

bool SameBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    try {
        return ReadKeyBytes(file, bytes.size() + 1, {}) == bytes;
    } catch (const VeltError&) {
        return false;
    }
}

bool AllowedToReplace(AppState& state, const std::string& name) {
    const std::uint8_t language = state.language <= 1 ? state.language : 0;
    Message question;
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::No;
    question.title = std::string(*Text(TextId::KeyDialogTitle, language));
    question.text = *FormatText(TextId::KeyReplaceQuestion, language, {name});
    return state.Messages().Show(question) == MessageAnswer::Yes;
}

/// A whole key chosen outside the program's folder is copied in under its name and used.
void ReceiveKey(AppState& state, const fs::path& chosen) {
    const std::string name = chosen.filename().string();
    const std::optional<WholeKey> key = ReadWholeKey(state, chosen, DisplayPath(chosen));
    if (!key) {
        return;
    }
    const fs::path destination = state.ProgramFolder() / name;
    std::error_code failed;
    const bool existed = fs::exists(destination, failed);
    if (!existed || !SameBytes(destination, key->bytes)) {
        if (existed && !AllowedToReplace(state, name)) {
            return;
        }
        try {
            // Through the key writer: complete or not at all, and private like every key file.
            KeyFileWriter writer(destination, state.Temporaries());
            KeyRecord record;
            for (int p = 1; p <= key->length; ++p) {
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
    TakeIntoUse(state, name, key->length);
    Confirm(state, TextId::KeyReceived, name, key->length);
}

/// A key file already lying in the program's folder is checked whole before it is used.
void ExchangeKey(AppState& state, const std::string& name) {
    const std::optional<WholeKey> key = ReadWholeKey(state, state.ProgramFolder() / name, name);
    if (!key) {
        return;
    }
    TakeIntoUse(state, name, key->length);
    Confirm(state, TextId::KeyExchanged, name, key->length);
}

bool InProgramFolder(const AppState& state, const fs::path& chosen) {
    std::error_code failed;
    const fs::path folder = chosen.parent_path();
    return folder.empty() || fs::equivalent(folder, state.ProgramFolder(), failed);
}
} // namespace

void FormOrExchangeKey(AppState& state, IDialogs& dialogs) {
    if (!state.keyPresent && !IsWholeKey(state.KeyFilePath())) {
        // No usable key at start-up: the current name is the default one; form it at once.
        // A sound default key is never overwritten unasked: the dialog below is shown instead.
        FormKey(state, state.keyFileName, state.keyLength);
        return;
    }
    SaveFileRequest request;
    request.fileName = QStringLiteral("Key");
    if (const auto filter = UiText(TextId::KeyDialogFilter, state.language)) {
        request.filter = *filter;
    }
    if (const auto title = UiText(TextId::KeyDialogTitle, state.language)) {
        request.title = *title;
    }
    request.initialFolder = QString::fromStdString(state.ProgramFolder().string());
    const QString answer = dialogs.SaveFile(request);
    if (answer.isEmpty()) {
        return;
    }
    const fs::path chosen(answer.toStdString());
    const std::string name = chosen.filename().string();
    if (name.empty()) {
        return;
    }
    std::error_code failed;
    if (!InProgramFolder(state, chosen) && fs::exists(chosen, failed)) {
        ReceiveKey(state, chosen);
        return;
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

} // namespace velt::shell
