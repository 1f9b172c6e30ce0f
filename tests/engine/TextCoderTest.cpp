#include "AppState.h"
#include "Armour.h"
#include "Errors.h"
#include "Fakes.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace velt;
using namespace velt::test;

namespace {

using Grid = std::array<std::uint8_t, 256>; // row by row, as in a key record

struct MessageLog final : IMessages {
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        return MessageAnswer::Ok;
    }
    std::vector<Message> shown;
};

struct ReferenceBox final : IReferenceText {
    const std::string& Codes() override { return text; }
    std::string text;
};

/// Scrambled grids (not a rotated identity), so that a row/column mix-up cannot hide.
void WriteScrambledKey(const std::filesystem::path& file, int records) {
    std::mt19937 engine(2024);
    std::vector<std::uint8_t> bytes;
    for (int p = 0; p < records; ++p) {
        Grid grid;
        std::iota(grid.begin(), grid.end(), 0);
        std::shuffle(grid.begin(), grid.end(), engine);
        bytes.insert(bytes.end(), {0x00, 0x01});
        bytes.insert(bytes.end(), grid.begin(), grid.end());
    }
    WriteAll(file, bytes);
}

/// Where `code` lies in the grid of `position`, by the test's own reading of the key file.
std::pair<int, int> RowAndColumn(const std::vector<std::uint8_t>& keyFile, int position, std::uint8_t code) {
    const auto grid = keyFile.begin() + (position - 1) * 258 + 2;
    const auto at = static_cast<int>(std::find(grid, grid + 256, code) - grid);
    return {at / 16, at % 16};
}

/// Reads an armoured text by hand: every pair's first code must lie in the plain code's
/// column (another row), its second in the plain code's row (another column).
void CheckByHand(const std::string& armoured, const std::string& plain,
                 const std::vector<std::uint8_t>& keyFile, const std::vector<int>& positions) {
    ASSERT_EQ(armoured.size(), 4 * plain.size() + 4);
    ASSERT_EQ(armoured.substr(0, 2) + armoured.substr(armoured.size() - 2), "\"\"\"\"");
    ASSERT_EQ(armoured.find_first_not_of("0123456789ABCDEF", 2), armoured.size() - 2);
    for (std::size_t k = 0; k < plain.size(); ++k) {
        const int position = positions[k % positions.size()];
        const auto first = static_cast<std::uint8_t>(std::stoi(armoured.substr(2 + 4 * k, 2), nullptr, 16));
        const auto second = static_cast<std::uint8_t>(std::stoi(armoured.substr(4 + 4 * k, 2), nullptr, 16));
        const auto [row, column] = RowAndColumn(keyFile, position, static_cast<std::uint8_t>(plain[k]));
        const auto [firstRow, firstColumn] = RowAndColumn(keyFile, position, first);
        const auto [secondRow, secondColumn] = RowAndColumn(keyFile, position, second);
        EXPECT_TRUE(firstColumn == column && firstRow != row) << "character " << k;
        EXPECT_TRUE(secondRow == row && secondColumn != column) << "character " << k;
    }
}

struct Coder {
    TempFolder folder;
    MessageLog messages;
    ReferenceBox reference;
    RecordingProgress progress;
    AppState state{folder.Path(),
                   Services{.progress = &progress, .messages = &messages, .reference = &reference}};

    std::string Encode(const std::string& plain) {
        state.plainText = plain;
        state.EncodeText();
        return armour::Pack(state.codedText, progress);
    }
    std::string Decode(const std::string& armoured) {
        state.codedText = armour::Unpack(armoured).value();
        state.DecodeText();
        return state.plainText;
    }
};

} // namespace

TEST(TextCoder_HandWorkedVector, PairsLieWhereTheKeyFileSays) {
    Coder c;
    WriteScrambledKey(c.folder / "KEY.ORB", 3);
    const std::vector<std::uint8_t> keyFile = ReadAll(c.folder / "KEY.ORB");
    c.state.keyLength = 3;
    const std::string plain("H\xF5\"\n\0\xFFH", 7);

    const std::string armoured = c.Encode(plain);
    CheckByHand(armoured, plain, keyFile, {1, 2, 3});
    EXPECT_EQ(c.Decode(armoured), plain);

    // Reference code 1: 1+1 = 2, 1+2 = 3, 1+3 = 4 -> 1, then 2 again.
    c.reference.text = "\x01";
    const std::string shifted = c.Encode(plain);
    CheckByHand(shifted, plain, keyFile, {2, 3, 1});
    EXPECT_EQ(c.Decode(shifted), plain);
}

TEST(TextCoder_RoundTrip, LongTextsInPlainAndReferenceMode) {
    Coder c;
    WriteScrambledKey(c.folder / "KEY.ORB", 10);
    c.state.keyLength = 10;
    std::string plain;
    for (int i = 0; i < 40 * 256; ++i) {
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

TEST(TextCoder_Failures, NothingHalfDoneIsHandedBack) {
    Coder c;
    c.state.plainText = "typed";
    c.state.codedText = "earlier";
    EXPECT_THROW(c.state.EncodeText(), VeltError); // no key file
    EXPECT_EQ(c.state.codedText, "earlier");

    WriteScrambledKey(c.folder / "KEY.ORB", 3);
    c.state.keyLength = 3;
    c.state.codedText = "odd";
    try {
        c.state.DecodeText();
        FAIL() << "decoded an odd pair text";
    } catch (const VeltError& error) {
        EXPECT_EQ(error.kind, ErrorKind::OddCodedText);
    }
    EXPECT_EQ(c.state.plainText, "");
}

TEST(TextCoder_KeyCheck, MissingKeyMessageInEachLanguage) {
    Coder c;
    EXPECT_FALSE(c.state.KeyCheck());
    c.state.language = 1;
    EXPECT_FALSE(c.state.KeyCheck());
    ASSERT_EQ(c.messages.shown.size(), 2u);
    const Message& english = c.messages.shown[0];
    EXPECT_EQ(english.icon, MessageIcon::Critical);
    EXPECT_EQ(english.buttons, MessageButtons::Ok);
    EXPECT_EQ(english.title, "ERROR");
    EXPECT_EQ(english.text,
              "YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\nThe key file does not exist !");
    EXPECT_EQ(c.messages.shown[1].title, "HIBA");
    EXPECT_EQ(c.messages.shown[1].text,
              "ÖN NEM JOGOSULT A SZÖVEG MEGTEKINTÉSÉRE !\r\nA kulcsfájl nem létezik !");
    EXPECT_FALSE(c.state.keyMissing); // cleared after the skipped decoding

    c.state.language = 2; // no message, decoding still skipped
    EXPECT_FALSE(c.state.KeyCheck());
    EXPECT_EQ(c.messages.shown.size(), 2u);

    WriteScrambledKey(c.folder / "KEY.ORB", 1);
    EXPECT_TRUE(c.state.KeyCheck());
    c.state.keyMissing = true; // left set by an earlier caller: skips once, silently
    EXPECT_FALSE(c.state.KeyCheck());
    EXPECT_TRUE(c.state.KeyCheck());
    EXPECT_EQ(c.messages.shown.size(), 2u);
}
