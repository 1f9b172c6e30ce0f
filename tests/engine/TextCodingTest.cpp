#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/PositionSchedule.h"
#include "tests/engine/Fakes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <variant>
#include <functional>

using namespace velt;
using namespace velt::test;

namespace {

/// The first `count` positions; no reference text means plain mode.
std::vector<int> Positions(int keyLength, std::optional<std::string> reference, int count) {
    ReferenceBox box(reference.value_or(""));
    PositionSchedule schedule;
    schedule.Start(keyLength, reference ? &box : nullptr);
    std::vector<int> positions(static_cast<std::size_t>(count));
    for (int& position : positions) {
        position = schedule.Next();
    }
    return positions;
}

/// Decodes by the test's own reading of the key file: plain in the second's row, the first's column.
std::string DecodeByHand(const std::string& armoured, const std::vector<std::uint8_t>& keyFile,
                         const std::vector<int>& positions) {
    std::string plain;
    for (std::size_t k = 0; 4 * k + 6 <= armoured.size(); ++k) {
        const auto grid = keyFile.begin() + (positions[k % positions.size()] - 1) * 258 + 2;
        const auto indexOf = [&](std::size_t at) {
            const auto code = static_cast<std::uint8_t>(std::stoi(armoured.substr(at, 2), nullptr, 16));
            return std::find(grid, grid + 256, code) - grid;
        };
        plain += static_cast<char>(grid[indexOf(4 + 4 * k) / 16 * 16 + indexOf(2 + 4 * k) % 16]);
    }
    return plain;
}

/// The character named by the VeltError that `run` throws.
template <class Run> char32_t RefusedCharacter(Run run) {
    try {
        run();
    } catch (const VeltError& error) {
        return error.kind == ErrorKind::UncodableCharacter || error.kind == ErrorKind::StrayInCodedText ? error.codePoint
                                                                                                       : U'?';
    }
    return U'\0';
}

struct Coder : Program {
    explicit Coder(int keyLength) {
        // A short key length in use, the key file as long as any sound one must be.
        WriteAll(folder / "KEY.ORB", KeyBytes(std::max(keyLength, 100)));
        state.keyLength = static_cast<std::int16_t>(keyLength);
    }
    std::string Encode(const std::string& plain) {
        state.plainText = plain;
        state.textCoder.EncodeText();
        return armour::Pack(state.codedText, progress);
    }
    std::string Decode(const std::string& armoured) {
        state.codedText = armour::Unpack(armoured).value();
        state.textCoder.DecodeText();
        return state.plainText;
    }
};

} // namespace

TEST(PositionSchedule_Next, FollowsWorkedExamplesAndTheReferenceAsItIsNow) {
    EXPECT_EQ(Positions(3, std::nullopt, 7), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(Positions(1, "", 3), (std::vector<int>{1, 1, 1}));
    EXPECT_THROW(Positions(0, std::nullopt, 1), std::invalid_argument);

    // Code 65, key length 366: 130..366, then 1..65, then 66.
    const std::vector<int> positions = Positions(366, "A", 303);
    for (int k = 1; k <= 303; ++k) {
        ASSERT_EQ(positions[k - 1], k <= 237 ? 129 + k : k - 237) << "character " << k;
    }
    // Code 200, key length 100: 400 -> 0 -> 1; key position 201 wraps to 1, so 201 -> 1.
    EXPECT_EQ(Positions(100, "\xC8", 3), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(Positions(100, "AC", 3), (std::vector<int>{30, 33, 32})); // 130, 133, 132
    EXPECT_EQ(Positions(10, std::string(1, '\0'), 2), (std::vector<int>{1, 1})) << "no key has position 0";

    // The reference text is read afresh for every character.
    PositionSchedule schedule;
    ReferenceBox box("ABC");
    schedule.Start(1000, &box);
    EXPECT_EQ(schedule.Next(), 65 + 65);
    box.text = "A"; // shrunk below the index: wraps to the first code
    EXPECT_EQ(schedule.Next(), 65 + 66);
    box.text.clear(); // emptied: code 0, the key position goes on
    EXPECT_EQ(schedule.Next(), 67);
    box.text = "B";
    EXPECT_EQ(schedule.Next(), 66 + 68);

    // The mode is chosen at the start: text typed later does not switch a plain run.
    box.text.clear();
    schedule.Start(3, &box);
    box.text = "A";
    EXPECT_EQ(schedule.Next(), 1);
}

TEST(Armour_PackAndUnpack, UpperCaseOutDigitsAndTransportNoiseIn) {
    RecordingProgress progress;
    EXPECT_EQ(armour::Pack(std::string("\x0A\xFF\x22\x00\xAB", 5), progress), "\"\"0AFF2200AB\"\"");
    EXPECT_EQ(std::tuple(progress.maximum, progress.last, progress.ends), std::tuple(5, 5, 1));
    EXPECT_EQ(armour::Pack("", progress), "\"\"\"\"");

    // What the body may hold besides digits: blanks, tabs, line breaks, and a reply's ">"
    // at the start of a line. Markers may be folded the same way. Anything else is damage.
    const std::optional<std::string> none;
    const struct {
        std::string text;
        std::variant<std::optional<std::string>, ErrorKind> verdict;
    } cases[] = {
        {"Hi,\r\nhere: \"\"0aff2C\"\" bye \"\"4142\"\"", std::string("\x0A\xFF\x2C")},
        {"\"\"\"\"", std::string()},
        {"plain \"quoted\" text", none},
        {"", none},
        {"\"\" A\tF\nb  1\r\n>> 2 3\r\n> > 4\n>5\"\"", std::string("\xAF\xB1\x23\x45")},
        {"\"\n\"4142\"\r\n \"", std::string("AB")},
        {"> \"\r\n> \"41\n>> \"\t\"", std::string("A")},
        {"He wrote \"hi\" \"\"41\"\" and \"\"", std::string("A")},
        {"see \"\"4142", ErrorKind::UnclosedCodedText},
        {"\"\"\"", ErrorKind::UnclosedCodedText},
        {"\"\"41\"", ErrorKind::UnclosedCodedText},
        {"\"\"41\" 42\"\"", ErrorKind::StrayInCodedText},
        {"\"\"41G2\"\"", ErrorKind::StrayInCodedText},
        {"\"\"41é2\"\"", ErrorKind::StrayInCodedText},
        {"\"\"4>1\"\"", ErrorKind::StrayInCodedText},
        {"He said \"yes\" \"no\"", std::nullopt}, // quoted words, no digit after them: no marker
        {"He said \"yes\" \"no\" \"\"41\"\"", std::string("A")},
        {"\"a\" \" x \"\"41\"\"", std::string("A")},
        {"\"\"ABC\"\"", ErrorKind::OddCodedText},
        {"\"\"4\r\n14\r\n\"\"", ErrorKind::OddCodedText},
    };
    const auto verdict = [](const std::function<std::optional<std::string>()>& unpack)
        -> std::variant<std::optional<std::string>, ErrorKind> {
        try {
            return unpack();
        } catch (const VeltError& error) {
            return error.kind;
        }
    };
    for (const auto& [input, expected] : cases) {
        const std::string& text = input; // clang 14 cannot capture a structured binding
        EXPECT_EQ(verdict([&] { return armour::Unpack(text); }), expected) << text;
        const bool marked = !std::holds_alternative<std::optional<std::string>>(expected) ||
                            std::get<std::optional<std::string>>(expected).has_value();
        EXPECT_EQ(armour::HasMarker(text), marked) << text;
        // Fed in two pieces split anywhere, the streaming reader gives the same verdict.
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            ASSERT_EQ(verdict([&] {
                          armour::Unpacker unpacker;
                          unpacker.Feed(text.substr(0, cut));
                          unpacker.Feed(text.substr(cut));
                          return unpacker.Finish();
                      }),
                      expected)
                << text << " cut at " << cut;
        }
    }
    EXPECT_EQ(RefusedCharacter([] { armour::Unpack("\"\"41é2\"\""); }), U'é');
}

TEST(Armour_Unpack, FoldedAndQuotedMailsDecodeACutOneIsDamaged) {
    Coder coder(366);
    const std::string plain = "Dear Anna,\r\nőű \"\" 0A\xFF";
    const std::string armoured = coder.Encode(plain);
    const std::string mail = "Hello,\r\n" + armoured + "\r\n-- \r\nBob \"\" 1F";
    for (const std::string lineEnd : {"\n", "\r\n"}) {
        // A fold anywhere: in the greeting, inside either marker, in the body, in the signature.
        for (std::size_t at = 0; at <= mail.size(); ++at) {
            std::string folded = mail;
            folded.insert(at, lineEnd);
            ASSERT_EQ(coder.Decode(folded), plain) << "fold at " << at;
        }
        // Replies quote every line once or twice, a wrapped body included.
        for (const std::string prefix : {"> ", ">> ", ">"}) {
            std::string quoted;
            for (std::size_t at = 0; at < mail.size(); at += 17) {
                quoted += prefix + mail.substr(at, 17) + lineEnd;
            }
            ASSERT_EQ(coder.Decode(quoted), plain) << prefix;
        }
    }
    // Without its closing marker the signature would be read as code: refused instead.
    const std::string cut = "Hello,\r\n" + armoured.substr(0, armoured.size() - 2);
    EXPECT_EQ(FailureOf([&] { coder.Decode(cut + "\r\n-- \r\nBob 1F"); }).first, ErrorKind::StrayInCodedText);
    EXPECT_EQ(FailureOf([&] { coder.Decode(cut + "\r\n> "); }).first, ErrorKind::UnclosedCodedText);
}

TEST(CodePage_Conversion, EveryCodeRoundTripsOthersAreRefusedByName) {
    std::string every;
    for (int code = 0; code < 256; ++code) {
        ASSERT_EQ(codepage::CodeOf(codepage::CharOf(static_cast<std::uint8_t>(code))), code);
        every += static_cast<char>(code);
    }
    EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(every)), every);
    EXPECT_EQ(codepage::CodeOf(U'ő'), 0xF5);
    EXPECT_EQ(codepage::CodeOf(U'ű'), 0xFB);
    // Bytes worked out with iconv -t CP1250.
    const std::string codes = "\xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p \xD5\xDB\x80\x8A\x84\xFF";
    EXPECT_EQ(codepage::FromUtf8("árvíztűrő tükörfúrógép ŐŰ€Š„˙"), codes);
    EXPECT_EQ(codepage::ToUtf8(codes), "árvíztűrő tükörfúrógép ŐŰ€Š„˙");

    const auto refused = [](const char* text) { return RefusedCharacter([&] { codepage::FromUtf8(text); }); };
    EXPECT_EQ(refused("ok \xF0\x9F\x98\x80 more"), U'\U0001F600');
    EXPECT_EQ(refused("Жук"), U'Ж');
    EXPECT_EQ(refused("São"), U'ã'); // Latin, but not Central European
    // Malformed UTF-8 (cut off, overlong, surrogate, stray, too large) is refused as U+FFFD.
    for (const char* bad : {"ab\xC3", "\xC0\x80", "\xED\xA0\x80", "\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_EQ(refused(bad), U'\uFFFD') << bad;
    }
}

TEST(TextCoder_HandWorkedVector, PairsLieWhereTheKeyFileSays) {
    Coder c(3);
    const std::vector<std::uint8_t> keyFile = ReadAll(c.folder / "KEY.ORB");
    const std::string plain("H\xF5\"\n\0\xFFH", 7);
    const std::string armoured = c.Encode(plain);
    ASSERT_EQ(armoured.size(), 4 * plain.size() + 4);
    EXPECT_EQ(DecodeByHand(armoured, keyFile, {1, 2, 3}), plain);
    EXPECT_EQ(c.Decode(armoured), plain);

    c.reference.text = "\x01"; // 1+1 = 2, 1+2 = 3, 1+3 = 4 -> 1, then 2 again
    const std::string shifted = c.Encode(plain);
    EXPECT_EQ(DecodeByHand(shifted, keyFile, {2, 3, 1}), plain);
    EXPECT_EQ(c.Decode(shifted), plain);
}

TEST(TextCoder_RoundTrip, LongTextsInPlainAndReferenceMode) {
    Coder c(10);
    std::string plain;
    for (int i = 0; i < 200 * 256; ++i) { // over 64 Ki codes: several of the packer's pieces
        plain += static_cast<char>(i % 256);
        plain += i % 256 == 255 ? "\r\n" : "";
    }
    const std::string armoured = c.Encode(plain);
    EXPECT_EQ(c.Decode(armoured), plain);
    EXPECT_NE(c.Encode(plain), armoured); // drawn afresh every time

    c.reference.text = "kulcs \xF5";
    const std::string withReference = c.Encode(plain);
    EXPECT_EQ(c.Decode(withReference), plain);
    c.reference.text = "kulcs";
    EXPECT_NE(c.Decode(withReference), plain);
}

TEST(TextCoder_MissingKey, MessageInEachLanguageAndNothingHalfDoneIsHandedBack) {
    Coder c(1);
    std::filesystem::remove(c.folder / "KEY.ORB");
    c.state.plainText = "typed";
    c.state.codedText = "earlier";
    EXPECT_THROW(c.state.textCoder.EncodeText(), VeltError);
    EXPECT_EQ(c.state.codedText, "earlier");
    for (const Language language : {Language::English, Language::Hungarian,
                                    static_cast<Language>(2)}) { // 2: no message, decoding still skipped
        c.state.language = language;
        EXPECT_FALSE(c.state.textCoder.KeyCheck());
        EXPECT_FALSE(c.state.keyMissing) << "cleared after the skipped decoding";
    }
    ASSERT_EQ(c.messages.shown.size(), 2u);
    const Message& english = c.messages.shown[0];
    EXPECT_TRUE(english.icon == MessageIcon::Critical && english.buttons == MessageButtons::Ok);
    EXPECT_EQ(
        english.title + "|" + english.text,
        "ERROR|YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\nThe key file does not exist !");
    EXPECT_EQ(c.messages.shown[1].title + "|" + c.messages.shown[1].text,
              "HIBA|ÖN NEM JOGOSULT A SZÖVEG MEGTEKINTÉSÉRE !\r\nA kulcsfájl nem létezik !");

    WriteAll(c.folder / "KEY.ORB", KeyBytes(100));
    c.state.plainText = "typed";
    c.state.codedText = "odd";
    EXPECT_THROW(c.state.textCoder.DecodeText(), VeltError);
    EXPECT_EQ(c.state.plainText, "");
    EXPECT_TRUE(c.state.textCoder.KeyCheck());
    c.state.keyMissing = true; // left set by an earlier caller: skips once, silently
    EXPECT_FALSE(c.state.textCoder.KeyCheck());
    EXPECT_TRUE(c.state.textCoder.KeyCheck());
    EXPECT_EQ(c.messages.shown.size(), 2u);
}
