#include "cli/TextStreams.h"

#include "cli/CodingInputs.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/Texts.h"
#include "tests/engine/Fakes.h"

#include <gtest/gtest.h>

using namespace velt;
using namespace velt::test;

namespace {

/// A program with a key of 20 positions and a seeded random source, so that two of them
/// draw the same pairs for the same text.
struct Keyed {
    explicit Keyed(const std::string& reference = "") : box(reference) {
        WriteAll(folder / "KEY.ORB", KeyBytes(100));
        state.keyLength = 20;
    }
    TempFolder folder;
    ScriptedRandom random;
    ReferenceBox box;
    NullProgress progress;
    AppState state{folder.Path(), Services{.random = &random, .progress = &progress, .reference = &box}};
};

/// The outcome of `run`: what it wrote, or the failure it ended with.
template <class Run> std::string Outcome(Run run) {
    std::string out;
    try {
        run(out);
    } catch (const VeltError& error) {
        return "failed: " + std::to_string(static_cast<int>(error.kind));
    } catch (const std::runtime_error& error) {
        return std::string("failed: ") + error.what();
    }
    return out;
}

std::string EncodeWhole(const std::string& text, bool bytes, const std::string& reference = "") {
    Keyed k(reference);
    return Outcome([&](std::string& out) {
        k.state.plainText = bytes ? text : cli::FromUtf8Text(text);
        k.state.textCoder.EncodeText();
        out = armour::Pack(k.state.codedText, k.progress) + "\n";
    });
}

std::string DecodeWhole(const std::string& text, bool bytes) {
    Keyed k;
    return Outcome([&](std::string& out) {
        auto pairText = armour::Unpack(text);
        if (!pairText) {
            throw std::runtime_error(std::string(*Text(TextId::NoCodedText, Language::English)));
        }
        k.state.codedText = *pairText;
        k.state.textCoder.DecodeText();
        out = bytes ? k.state.plainText : codepage::ToUtf8(k.state.plainText);
    });
}

/// `text` fed in the pieces that the cuts make.
template <class Coder>
std::string InPieces(const std::string& text, std::vector<std::size_t> cuts, bool bytes,
                     const std::string& reference = "") {
    Keyed k(reference);
    return Outcome([&](std::string& out) {
        Coder coder(k.state, bytes, [&out](std::string_view piece) { out += piece; });
        std::size_t from = 0;
        cuts.push_back(text.size());
        for (const std::size_t cut : cuts) {
            coder.Feed(std::string_view(text).substr(from, cut - from));
            from = cut;
        }
        coder.Finish();
    });
}

/// Every cut into two pieces, and into three near the start, the middle and the end.
template <class Coder, class Whole> void ExpectSameAtEveryCut(const std::string& text, bool bytes, Whole whole) {
    const std::string expected = whole(text, bytes);
    for (std::size_t i = 0; i <= text.size(); ++i) {
        ASSERT_EQ(InPieces<Coder>(text, {i}, bytes), expected) << "cut at " << i << " of '" << text << "'";
        for (std::size_t j = i; j <= text.size() && j < i + 6; ++j) {
            ASSERT_EQ(InPieces<Coder>(text, {i, j}, bytes), expected) << "cuts at " << i << ", " << j;
        }
    }
}

} // namespace

TEST(TextStreams_Encode, PiecesCutAnywhereGiveTheWholeTextsResult) {
    const auto whole = [](const std::string& text, bool bytes) { return EncodeWhole(text, bytes); };
    // A byte order mark, characters of two and three bytes, markers and line ends in the text; failures are
    // the whole text's: a character without a code, a cut-off one at the end.
    for (const std::string text : {"\xEF\xBB\xBF\xC5\x91\"\"\xE2\x82\xAC a\r\n\xC3\x81", "\xEF\xBB", "",
                                   "ab\xF0\x9F\x98\x80" "cd", "ab\xE2\x82"}) {
        ExpectSameAtEveryCut<cli::TextEncoder>(text, false, whole);
    }
    EXPECT_NE(whole("ab\xE2\x82", false).rfind("failed", 0), std::string::npos);
    ExpectSameAtEveryCut<cli::TextEncoder>(std::string("\xEF\xBB\xBF\x00\xFF\"", 6), true, whole);

    // Long texts go on with the schedule from piece to piece, in reference mode too.
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "\xC5\x91" "abc\xE2\x82\xAC";
    }
    EXPECT_EQ(InPieces<cli::TextEncoder>(text, {1, 1000, 1001, 7777}, false, "\xC8kulcs"),
              EncodeWhole(text, false, "\xC8kulcs"));
}

TEST(TextStreams_Decode, PiecesCutAnywhereGiveTheWholeTextsResult) {
    const auto whole = [](const std::string& text, bool bytes) { return DecodeWhole(text, bytes); };
    std::string armoured = EncodeWhole("\xC5\x91\xE2\x82\xAC" "a\n\"", false);
    armoured.pop_back(); // the line end
    // Text around the armour, a second armour after it, blanks and lower case inside it.
    const std::string mail = "Re: \"x\" " + armoured.substr(0, 9) + " \n" + armoured.substr(9) + " \"\"00\"\"";
    ExpectSameAtEveryCut<cli::TextDecoder>(mail, false, whole);
    ExpectSameAtEveryCut<cli::TextDecoder>(mail, true, whole);
    ExpectSameAtEveryCut<cli::TextDecoder>("\"\"0a0B\xC3\xA9" "c\"\"", false, whole);
    // No closing marker; odd digits; an odd number of codes; no marker at all.
    for (const std::string text : {"\"\"4142", "\"\"ABC\"\"", "\"\"ABCDEF\"\"", "no \"coded\" text\""}) {
        ExpectSameAtEveryCut<cli::TextDecoder>(text, false, whole);
    }
    EXPECT_EQ(whole("\"\"ABCDEF\"\"", false), "failed: " + std::to_string(static_cast<int>(ErrorKind::OddCodedText)));
}
