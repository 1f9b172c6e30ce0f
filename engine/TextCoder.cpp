// Whole-text coding on the shared buffers, and the key check of decoding callers.
#include "AppState.h"
#include "Errors.h"
#include "Texts.h"

#include <system_error>

namespace velt {

void AppState::EncodeText() {
    LoadKey();
    codedText.clear();
    const std::string& plain = plainText;
    const std::size_t n = plain.size();
    // Built aside and moved in, so a failure never leaves a partial pair text behind.
    std::string pairs;
    pairs.resize(2 * n);
    schedule.Start(keyLength, &Reference());
    IRandomSource& random = Random();
    for (std::size_t k = 0; k < n; ++k) {
        const CodePair pair =
            cipher.EncodeChar(key, random, schedule.Next(), static_cast<std::uint8_t>(plain[k]));
        pairs[2 * k] = static_cast<char>(pair.first);
        pairs[2 * k + 1] = static_cast<char>(pair.second);
    }
    codedText = std::move(pairs);
}

void AppState::DecodeText() {
    LoadKey();
    plainText.clear();
    const std::size_t m = codedText.size();
    if (m % 2 != 0) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    std::string plain;
    plain.resize(m / 2);
    schedule.Start(keyLength, &Reference());
    for (std::size_t k = 0; k < m / 2; ++k) {
        plain[k] = static_cast<char>(Cipher::DecodePair(key, schedule.Next(),
                                                        static_cast<std::uint8_t>(codedText[2 * k]),
                                                        static_cast<std::uint8_t>(codedText[2 * k + 1])));
    }
    plainText = std::move(plain);
}

bool AppState::KeyCheck() {
    std::error_code error;
    if (!std::filesystem::is_regular_file(KeyFilePath(), error)) {
        const auto title = Text(TextId::ErrorTitle, language);
        const auto text = Text(TextId::KeyMissingText, language);
        if (title && text) {
            Messages().Show(Message{MessageIcon::Critical, MessageButtons::Ok, MessageAnswer::Ok,
                                    std::string(*title), std::string(*text)});
        }
        keyMissing = true;
    }
    if (!keyMissing) {
        return true;
    }
    keyMissing = false;
    return false;
}

} // namespace velt
