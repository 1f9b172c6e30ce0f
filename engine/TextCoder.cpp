// Whole-text coding on the shared buffers, and the key check of decoding callers.
#include "AppState.h"
#include "Errors.h"
#include "Texts.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <system_error>

namespace velt {

void AppState::EncodeText() {
    LoadKey();
    codedText.clear();
    schedule.Start(keyLength, &Reference());
    // Built aside and moved in, so a failure never leaves a partial pair text behind.
    std::string pairs;
    EncodePiece(plainText, pairs);
    codedText = std::move(pairs);
}

void AppState::DecodeText() {
    LoadKey();
    plainText.clear();
    if (codedText.size() % 2 != 0) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    schedule.Start(keyLength, &Reference());
    std::string plain;
    DecodePiece(codedText, plain);
    plainText = std::move(plain);
}

void AppState::StartTextRun() {
    LoadKey();
    schedule.Start(keyLength, &Reference());
}

void AppState::EncodePiece(std::string_view codes, std::string& pairs) {
    const std::size_t n = codes.size();
    const std::size_t start = pairs.size();
    pairs.resize(start + 2 * n);
    // Nothing else runs while a text is coded: one reading of the reference text serves the piece.
    PositionWalk walk = schedule.Walk();
    cipher.EncodeWalk(key, Random(), walk, reinterpret_cast<const std::uint8_t*>(codes.data()), n,
                      reinterpret_cast<std::uint8_t*>(pairs.data()) + start);
    schedule.Continue(walk, n);
}

void AppState::DecodePiece(std::string_view pairs, std::string& codes) {
    if (pairs.size() % 2 != 0) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    const std::size_t n = pairs.size() / 2;
    const std::size_t start = codes.size();
    codes.resize(start + n);
    PositionWalk walk = schedule.Walk();
    Cipher::DecodeWalk(key, walk, reinterpret_cast<const std::uint8_t*>(pairs.data()), n,
                       reinterpret_cast<std::uint8_t*>(codes.data()) + start);
    schedule.Continue(walk, n);
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
