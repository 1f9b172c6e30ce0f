#include "cli/TextStreams.h"

#include "cli/CodingInputs.h"
#include "engine/AppState.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/Texts.h"

#include <stdexcept>

namespace velt::cli {
namespace {

/// Output gathered before it is handed on.
constexpr std::size_t kHeldBack = std::size_t{1} << 20;

} // namespace

TextEncoder::TextEncoder(AppState& state, bool bytes, TextSink sink)
    : m_state(state), m_bytes(bytes), m_sink(std::move(sink)) {
    m_state.textCoder.StartTextRun();
    m_out.assign(armour::kMarker);
}

void TextEncoder::Feed(std::string_view piece) {
    if (m_bytes) {
        Code(piece);
        return;
    }
    std::string text = std::exchange(m_carry, std::string());
    text.append(piece);
    if (!m_started) {
        // Too little to tell whether a byte order mark starts the text: wait for more.
        if (text.size() < 3 && std::string_view("\xEF\xBB\xBF").starts_with(text)) {
            m_carry = std::move(text);
            return;
        }
        m_started = true;
        Code(FromUtf8Text(text.substr(0, codepage::WholeCharacters(text))));
    } else {
        Code(codepage::FromUtf8(std::string_view(text).substr(0, codepage::WholeCharacters(text))));
    }
    m_carry = text.substr(codepage::WholeCharacters(text));
}

void TextEncoder::Finish() {
    if (!m_carry.empty()) {
        // A cut character that never got its end is refused as in a whole text.
        const std::string rest = std::exchange(m_carry, std::string());
        Code(m_started ? codepage::FromUtf8(rest) : FromUtf8Text(rest));
    }
    m_out.append(armour::kMarker);
    m_out += '\n';
    Flush(true);
}

void TextEncoder::Code(std::string_view codes) {
    m_pairs.clear();
    m_state.textCoder.EncodePiece(codes, m_pairs);
    armour::AppendBody(m_pairs, m_out);
    Flush(false);
}

void TextEncoder::Flush(bool all) {
    if (all || m_out.size() >= kHeldBack) {
        m_sink(m_out);
        m_out.clear();
    }
}

TextDecoder::TextDecoder(AppState& state, bool bytes, TextSink sink)
    : m_state(state), m_bytes(bytes), m_sink(std::move(sink)), m_unpacker(std::make_unique<armour::Unpacker>()) {
    m_state.textCoder.StartTextRun();
}

TextDecoder::~TextDecoder() = default;

void TextDecoder::Feed(std::string_view piece) {
    m_unpacker->Feed(piece);
    Decode(m_unpacker->TakePairText());
}

bool TextDecoder::Done() const {
    return m_unpacker->Done();
}

void TextDecoder::Finish() {
    auto rest = m_unpacker->Finish();
    if (!rest) {
        throw std::runtime_error(std::string(*Text(TextId::NoCodedText, Language::English)));
    }
    Decode(std::move(*rest));
    if (m_haveOdd) {
        throw VeltError(ErrorKind::OddCodedText, "the pair text has an odd number of characters");
    }
    Flush(true);
}

void TextDecoder::Decode(std::string pairText) {
    if (m_haveOdd) {
        pairText.insert(pairText.begin(), m_oddCode);
    }
    m_haveOdd = pairText.size() % 2 != 0;
    if (m_haveOdd) {
        m_oddCode = pairText.back();
        pairText.pop_back();
    }
    m_codes.clear();
    m_state.textCoder.DecodePiece(pairText, m_codes);
    if (m_bytes) {
        m_out += m_codes;
    } else {
        m_out += codepage::ToUtf8(m_codes);
    }
    Flush(false);
}

void TextDecoder::Flush(bool all) {
    if (all || m_out.size() >= kHeldBack) {
        m_sink(m_out);
        m_out.clear();
    }
}

} // namespace velt::cli
