#pragma once

#include <string>
#include <string_view>

namespace velt {

class AppState;

/// Whole-text coding on the state's shared buffers (plainText, codedText), and the key
/// check of every decoding caller. The state owns one.
class TextCoder final {
public:
    explicit TextCoder(AppState& state) : m_state(state) {}
    TextCoder(const TextCoder&) = delete;
    TextCoder& operator=(const TextCoder&) = delete;

    /// plainText -> codedText (pair text), LoadKey first.
    void EncodeText();
    /// codedText (pair text) -> plainText, LoadKey first. Throws VeltError(OddCodedText)
    /// for an odd-length pair text, leaving plainText empty.
    void DecodeText();
    /// Text coding in pieces, for texts too large to hold whole. StartTextRun() loads the key
    /// and starts the schedule, as EncodeText and DecodeText begin; every piece then goes on
    /// where the last one ended, so the pieces give together what the whole text gives.
    void StartTextRun();
    /// Appends the pair text of the plain codes `codes` to `pairs`.
    void EncodePiece(std::string_view codes, std::string& pairs);
    /// Appends the plain codes of the pair text `pairs` (an even number of codes) to `codes`.
    void DecodePiece(std::string_view pairs, std::string& codes);

    /// Shows the key-missing message and sets the state's keyMissing when the key file is
    /// absent. Returns true when decoding may go on (and clears keyMissing when it was set).
    bool KeyCheck();

private:
    AppState& m_state;
};

} // namespace velt
