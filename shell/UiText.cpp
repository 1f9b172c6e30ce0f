#include "UiText.h"

#include "AppState.h"
#include "Errors.h"

namespace velt::shell {
namespace {
void ShowCritical(AppState& state, std::string text) {
    const std::uint8_t language = state.language <= 1 ? state.language : 0;
    Message message;
    message.title = std::string(*Text(TextId::ErrorTitle, language));
    message.text = std::move(text);
    state.Messages().Show(message);
}
} // namespace

std::optional<QString> UiText(TextId id, std::uint8_t language) {
    const auto text = Text(id, language);
    if (!text) {
        return std::nullopt;
    }
    return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
}

std::uint8_t StoredLanguage(AppState& state) {
    const QString stored = QString::fromStdString(state.Settings().Read("lang").value_or(std::string()));
    bool number = false;
    const int value = stored.trimmed().toInt(&number);
    return number && value == 1 ? 1 : 0;
}

void ShowError(AppState& state, const VeltError& error) {
    ShowCritical(state, DescribeError(error, state.language));
}

void ShowError(AppState& state, TextId text, std::initializer_list<std::string_view> args) {
    ShowCritical(state, *FormatText(text, state.language <= 1 ? state.language : 0, args));
}

} // namespace velt::shell
