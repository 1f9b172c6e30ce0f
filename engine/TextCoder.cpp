// Whole-text coding on the shared buffers, and the key check of decoding callers.
#include "engine/TextCoder.h"

#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/Texts.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <system_error>

namespace velt {

void TextCoder::EncodeText() {
    m_state.LoadKey();
    m_state.codedText.clear();
    m_state.schedule.Start(m_state.keyLength, &m_state.Reference());
    // Built aside and moved in, so a failure never leaves a partial pair text behind.
    std::string pairs;
    EncodePiece(m_state.plainText, pairs);
    m_state.codedText = std::move(pairs);
}

void TextCoder::DecodeText() {
    m_state.LoadKey();
    m_state.plainText.clear();
    if (m_state.codedText.size() % 2 != 0) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    m_state.schedule.Start(m_state.keyLength, &m_state.Reference());
    std::string plain;
    DecodePiece(m_state.codedText, plain);
    m_state.plainText = std::move(plain);
}

void TextCoder::StartTextRun() {
    m_state.LoadKey();
    m_state.schedule.Start(m_state.keyLength, &m_state.Reference());
}

void TextCoder::EncodePiece(std::string_view codes, std::string& pairs) {
    const std::size_t n = codes.size();
    const std::size_t start = pairs.size();
    pairs.resize(start + 2 * n);
    // Nothing else runs while a text is coded: one reading of the reference text serves the piece.
    PositionWalk walk = m_state.schedule.Walk();
    m_state.cipher.EncodeWalk(m_state.key, m_state.Random(), walk,
                              reinterpret_cast<const std::uint8_t*>(codes.data()), n,
                              reinterpret_cast<std::uint8_t*>(pairs.data()) + start);
    m_state.schedule.Continue(walk, n);
}

void TextCoder::DecodePiece(std::string_view pairs, std::string& codes) {
    if (pairs.size() % 2 != 0) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    const std::size_t n = pairs.size() / 2;
    const std::size_t start = codes.size();
    codes.resize(start + n);
    PositionWalk walk = m_state.schedule.Walk();
    Cipher::DecodeWalk(m_state.key, walk, reinterpret_cast<const std::uint8_t*>(pairs.data()), n,
                       reinterpret_cast<std::uint8_t*>(codes.data()) + start);
    m_state.schedule.Continue(walk, n);
}

bool TextCoder::KeyCheck() {
    std::error_code error;
    if (!std::filesystem::is_regular_file(m_state.KeyFilePath(), error)) {
        const auto title = Text(TextId::ErrorTitle, m_state.language);
        const auto text = Text(TextId::KeyMissingText, m_state.language);
        if (title && text) {
            m_state.Messages().Show(Message{MessageIcon::Critical, MessageButtons::Ok, MessageAnswer::Ok,
                                            std::string(*title), std::string(*text)});
        }
        m_state.keyMissing = true;
    }
    if (!m_state.keyMissing) {
        return true;
    }
    m_state.keyMissing = false;
    return false;
}

} // namespace velt
