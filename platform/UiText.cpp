#include "platform/UiText.h"

#include "engine/AppState.h"
#include "engine/Errors.h"

namespace velt::platform {
namespace {
void ShowCritical(AppState& state, std::string text) {
    const Language language = SpokenLanguage(state.language);
    Message message;
    message.title = std::string(*Text(TextId::ErrorTitle, language));
    message.text = std::move(text);
    state.Messages().Show(message);
}
} // namespace

std::optional<QString> UiText(WindowTextId id, Language language) {
    const auto text = Text(id, language);
    if (!text) {
        return std::nullopt;
    }
    return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
}

void ShowError(AppState& state, const VeltError& error) {
    ShowCritical(state, DescribeError(error, state.language));
}

void ShowError(AppState& state, WindowTextId text, std::initializer_list<std::string_view> args) {
    ShowCritical(state, *FormatText(text, SpokenLanguage(state.language), args));
}

} // namespace velt::platform
