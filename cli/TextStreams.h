#pragma once
// velt-cli's text commands over texts that arrive and leave in pieces, so that memory
// stays flat whatever the size; the pieces together give what the whole text gives.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velt {
class AppState;
namespace armour {
class Unpacker;
}
} // namespace velt

namespace velt::cli {

using TextSink = std::function<void(std::string_view)>;

/// Plain text (UTF-8, or raw codes with `bytes`) in, armoured coded text and a line end out.
/// Output is held back until a megabyte has gathered, so a failure in a small text writes nothing.
class TextEncoder final {
public:
    /// Loads the key and starts the schedule of `state`. Throws VeltError.
    TextEncoder(AppState& state, bool bytes, TextSink sink);
    /// Throws VeltError(UncodableCharacter) at the first character without a code.
    void Feed(std::string_view piece);
    /// Codes what is left, then the closing marker and the line end, and hands out the rest.
    void Finish();

private:
    void Code(std::string_view codes);
    void Flush(bool all);

    AppState& m_state;
    bool m_bytes;
    TextSink m_sink;
    bool m_started = false; ///< a leading byte order mark is dropped only at the start
    std::string m_carry;    ///< a character cut by the end of a piece
    std::string m_pairs, m_out;
};

/// A text holding an armoured coded text in, the plain text (UTF-8, or raw codes with `bytes`) out.
class TextDecoder final {
public:
    /// Loads the key and starts the schedule of `state`. Throws VeltError.
    TextDecoder(AppState& state, bool bytes, TextSink sink);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    void Feed(std::string_view piece);
    /// True once the closing marker has been read.
    bool Done() const;
    /// Decodes what is left and hands out the rest. Throws VeltError(OddCodedText), or
    /// std::runtime_error when the text held no coded text.
    void Finish();

private:
    void Decode(std::string pairText);
    void Flush(bool all);

    AppState& m_state;
    bool m_bytes;
    TextSink m_sink;
    std::unique_ptr<armour::Unpacker> m_unpacker;
    char m_oddCode = 0; ///< the first code of a pair cut by the end of a piece
    bool m_haveOdd = false;
    std::string m_codes, m_out;
};

} // namespace velt::cli
