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
    const std::string& plain = plainText;
    const std::size_t n = plain.size();
    // Built aside and moved in, so a failure never leaves a partial pair text behind.
    std::string pairs;
    pairs.resize(2 * n);
    schedule.Start(keyLength, &Reference());
    // Nothing else runs while a text is coded: one reading of the reference text serves it all.
    PositionWalk walk = schedule.Walk();
    IRandomSource& random = Random();
    std::uint16_t positions[4096];
    for (std::size_t done = 0; done < n;) {
        const std::size_t count = std::min(n - done, std::size(positions));
        for (std::size_t k = 0; k < count; ++k) {
            positions[k] = static_cast<std::uint16_t>(walk.Next());
        }
        cipher.EncodeRun(key, random, std::span(positions, count),
                         reinterpret_cast<const std::uint8_t*>(plain.data()) + done,
                         reinterpret_cast<std::uint8_t*>(pairs.data()) + 2 * done);
        done += count;
    }
    schedule.Continue(walk, n);
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
    PositionWalk walk = schedule.Walk();
    Cipher::DecodeRun(key, [&walk] { return walk.Next(); }, reinterpret_cast<const std::uint8_t*>(codedText.data()),
                      m / 2, reinterpret_cast<std::uint8_t*>(plain.data()));
    schedule.Continue(walk, m / 2);
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
