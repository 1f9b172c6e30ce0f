#include "KeyAction.h"

#include "AppState.h"
#include "Dialogs.h"
#include "Errors.h"
#include "KeyFile.h"
#include "KeyStore.h"
#include "UiText.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace velt::shell {
namespace {
namespace fs = std::filesystem;


/// GenerateKey into the current key file name, then the store is refreshed. On a
/// failed write the previous name and length come back and the user is told.
void FormKey(AppState& state, const std::string& previousName, std::int16_t previousLength) {
    try {
        state.GenerateKey();
    } catch (const VeltError& error) {
        state.keyFileName = previousName;
        state.keyLength = previousLength;
        ShowError(state, error);
        return;
    }
    state.OpenKeyStore();
}

void ExchangeKey(AppState& state, const std::string& name, const fs::path& file) {
    std::error_code failed;
    const auto size = fs::file_size(file, failed);
    if (failed) {
        ShowError(state, VeltError(ErrorKind::KeyFileUnreadable, failed.message(), 0, 0, name));
        return;
    }
    const long long length = KeyLengthOfSize(size);
    // Checked before anything changes: a key the slider cannot show would otherwise be
    // used for coding while the window still named the previous one.
    if (length < kMinKeyLength || length > kKeyCapacity) {
        ShowError(state, TextId::KeyLengthOutOfRange, {name, std::to_string(length)});
        return;
    }
    state.keyFileName = name;
    state.keyLength = static_cast<std::int16_t>(length);
    const std::string lengthText = std::to_string(length);
    state.Indicators().SetSliderValue(static_cast<int>(length));
    state.Indicators().SetLengthLabel(lengthText);
    state.Settings().Write("key", name);
    state.Settings().Write("keyLenght", lengthText);
    state.Indicators().ShowKeyFileName(name);
}
/// A well-formed key of a length the slider can show. Such a file may be the key the
/// correspondents share, even when the key named in the settings could not be used.
bool IsWholeKey(const fs::path& file) {
    try {
        const auto bytes = ReadKeyBytes(file, static_cast<std::size_t>(kKeyCapacity) * kRecordSize + 1, {});
        const auto length = static_cast<long long>(bytes.size() / kRecordSize);
        if (bytes.size() % kRecordSize != 0 || length < kMinKeyLength || length > kKeyCapacity) {
            return false;
        }
        CheckRecordFrames(bytes, static_cast<int>(length), {});
        return FirstNonPermutationRecord(bytes) == 0;
    } catch (const VeltError&) {
        return false;
    }
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
    // Only the name counts: the key file always lies in the program's folder.
    const std::string chosen =
        std::filesystem::path(dialogs.SaveFile(request).toStdString()).filename().string();
    if (chosen.empty()) {
        return;
    }
    const fs::path file = state.ProgramFolder() / chosen;
    std::error_code failed;
    if (fs::exists(file, failed)) {
        ExchangeKey(state, chosen, file);
        return;
    }
    const std::string previousName = state.keyFileName;
    state.keyFileName = chosen;
    FormKey(state, previousName, state.keyLength);
}

} // namespace velt::shell
