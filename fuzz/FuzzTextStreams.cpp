// velt-cli's text streams: a text fed in pieces of any size (empty ones too, characters and
// pairs cut anywhere) gives exactly what it gives fed whole, decoding what was encoded gives
// the text back, and the stream decoder agrees with the engine's whole-text decoder.
#include "cli/TextStreams.h"
#include "engine/AppState.h"
#include "engine/Armour.h"
#include "engine/Cipher.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/SystemServices.h"
#include "fuzz/FuzzSupport.h"

#include <random>
#include <stdexcept>
#include <type_traits>
#include <vector>

using namespace velt;

namespace {

constexpr int kLength = 100;

/// What a stream gave: its output, or the failure that ended it.
struct Result {
    std::string out, failure;
    bool operator==(const Result&) const = default;
};

/// Cuts `text` into pieces of 0 to 16 bytes drawn from `seed`, or none when `seed` is 0.
std::vector<std::string_view> Pieces(std::string_view text, std::uint8_t seed) {
    if (seed == 0) {
        return {text};
    }
    std::vector<std::string_view> pieces;
    std::mt19937 draw(seed);
    while (!text.empty()) {
        const std::size_t cut = std::min<std::size_t>(draw() % 17, text.size());
        pieces.push_back(text.substr(0, cut));
        text.remove_prefix(cut);
    }
    return pieces;
}

template <class Stream> Result Run(bool bytes, std::string_view text, std::uint8_t seed) {
    static fuzz::KeyFolder key(kLength);
    static fuzz::Draws draws;
    static AppState state(key.folder, Services{.random = &draws});
    // Every run starts from the same draws and encoder state, whole or in pieces.
    draws.state = 7;
    state.cipher = Cipher{};
    state.keyLength = kLength;
    Result result;
    try {
        Stream stream(state, bytes, [&](std::string_view piece) { result.out += piece; });
        for (const std::string_view piece : Pieces(text, seed)) {
            if constexpr (!std::is_same_v<Stream, cli::TextEncoder>) {
                if (stream.Done()) {
                    break; // as velt-cli stops reading
                }
            }
            stream.Feed(piece);
        }
        stream.Finish();
    } catch (const std::exception& error) {
        result.failure = error.what();
        result.out.clear(); // what a failed run wrote is not compared
    }
    return result;
}

} // namespace

/// Input: flags (bit 0 raw codes, bit 1 the text is to be decoded), the pieces' seed, the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const bool bytes = (data[0] & 1) != 0;
    const bool decode = (data[0] & 2) != 0;
    const std::uint8_t seed = data[1] == 0 ? 1 : data[1];
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    if (!decode) {
        const Result whole = Run<cli::TextEncoder>(bytes, text, 0);
        VELT_FUZZ_CHECK(Run<cli::TextEncoder>(bytes, text, seed) == whole);
        if (!whole.failure.empty()) {
            return 0; // a character without a code
        }
        const Result back = Run<cli::TextDecoder>(bytes, whole.out, seed);
        VELT_FUZZ_CHECK(back.failure.empty());
        const bool bom = !bytes && text.starts_with("\xEF\xBB\xBF");
        VELT_FUZZ_CHECK(back.out == (bom ? text.substr(3) : text));
        return 0;
    }
    const Result whole = Run<cli::TextDecoder>(bytes, text, 0);
    VELT_FUZZ_CHECK(Run<cli::TextDecoder>(bytes, text, seed) == whole);
    // The engine's own way, on the whole text at once.
    std::optional<std::string> pairs;
    try {
        pairs = armour::Unpack(text);
    } catch (const VeltError&) {
        VELT_FUZZ_CHECK(!whole.failure.empty()); // odd digits: the stream fails as well
        return 0;
    }
    VELT_FUZZ_CHECK(pairs.has_value() == whole.failure.empty() || (pairs && pairs->size() % 2 != 0));
    if (pairs && whole.failure.empty()) {
        static fuzz::KeyFolder key(kLength);
        AppState state(key.folder);
        state.keyLength = kLength;
        state.codedText = *pairs;
        state.textCoder.DecodeText();
        VELT_FUZZ_CHECK(whole.out == (bytes ? state.plainText : codepage::ToUtf8(state.plainText)));
    }
    return 0;
}
