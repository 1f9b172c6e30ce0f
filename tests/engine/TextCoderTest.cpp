#include "AppState.h"
#include "Armour.h"
#include "Errors.h"
#include "Fakes.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace velt;
using namespace velt::test;

namespace {

using Grid = std::array<std::uint8_t, 256>; // row by row, as in a key record

class MessageLog final : public IMessages {
public:
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        return MessageAnswer::Ok;
    }
    std::vector<Message> shown;
};

class ReferenceBox final : public IReferenceText {
public:
    const std::string& Codes() override { return text; }
    std::string text;
};

/// Scrambled grids (not the rotated identity), so a row/column mix-up cannot hide.
std::vector<Grid> ScrambledGrids(int count) {
    std::vector<Grid> grids(static_cast<std::size_t>(count));
    std::mt19937 engine(2024);
    for (Grid& grid : grids) {
        for (int c = 0; c < 256; ++c) {
            grid[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
        }
        std::shuffle(grid.begin(), grid.end(), engine);
    }
    return grids;
}

void WriteKeyFile(const std::filesystem::path& file, const std::vector<Grid>& grids) {
    std::vector<std::uint8_t> bytes;
    for (const Grid& grid : grids) {
        bytes.push_back(0x00);
        bytes.push_back(0x01);
        bytes.insert(bytes.end(), grid.begin(), grid.end());
    }
    WriteAll(file, bytes);
}

/// The test's own reading of a key file: 258-byte records, cells after a 2-byte length.
std::vector<Grid> ReadKeyFile(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = ReadAll(file);
    std::vector<Grid> grids(bytes.size() / 258);
    for (std::size_t p = 0; p < grids.size(); ++p) {
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(p * 258 + 2), 256, grids[p].begin());
    }
    return grids;
}

struct Cell {
    int row;
    int column;
};
Cell Find(const Grid& grid, std::uint8_t code) {
    const auto at = static_cast<int>(std::find(grid.begin(), grid.end(), code) - grid.begin());
    return {at / 16, at % 16};
}

/// Reads an armoured text by hand and checks every pair against the grid of its position:
/// the first code in the plain code's column (another row), the second in its row (another column).
void CheckByHand(const std::string& armoured, const std::string& plain, const std::vector<Grid>& grids,
                 const std::vector<int>& positions) {
    ASSERT_EQ(armoured.size(), 4 * plain.size() + 4);
    ASSERT_EQ(armoured.substr(0, 2), "\"\"");
    ASSERT_EQ(armoured.substr(armoured.size() - 2), "\"\"");
    for (std::size_t k = 0; k < plain.size(); ++k) {
        const std::string digits = armoured.substr(2 + 4 * k, 4);
        ASSERT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << digits;
        const auto first = static_cast<std::uint8_t>(std::stoi(digits.substr(0, 2), nullptr, 16));
        const auto second = static_cast<std::uint8_t>(std::stoi(digits.substr(2, 2), nullptr, 16));
        const Grid& grid = grids[static_cast<std::size_t>(positions[k % positions.size()] - 1)];
        const Cell c = Find(grid, static_cast<std::uint8_t>(plain[k]));
        const Cell a = Find(grid, first);
        const Cell b = Find(grid, second);
        EXPECT_EQ(a.column, c.column) << "character " << k;
        EXPECT_NE(a.row, c.row) << "character " << k;
        EXPECT_EQ(b.row, c.row) << "character " << k;
        EXPECT_NE(b.column, c.column) << "character " << k;
    }
}

/// An armoured text made by hand from the grids: for each plain code another row in its
/// column, then another column in its row.
std::string ArmourByHand(const std::string& plain, const std::vector<Grid>& grids,
                         const std::vector<int>& positions) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string armoured = "\"\"";
    for (std::size_t k = 0; k < plain.size(); ++k) {
        const Grid& grid = grids[static_cast<std::size_t>(positions[k] - 1)];
        const Cell c = Find(grid, static_cast<std::uint8_t>(plain[k]));
        const int shift = 1 + static_cast<int>(k % 15);
        for (const std::uint8_t code :
             {grid[static_cast<std::size_t>(((c.row + shift) % 16) * 16 + c.column)],
              grid[static_cast<std::size_t>(c.row * 16 + (c.column + shift) % 16)]}) {
            armoured += kHex[code >> 4];
            armoured += kHex[code & 15];
        }
    }
    return armoured + "\"\"";
}

struct Fixture {
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
    Fixture f;
    WriteKeyFile(f.folder / "KEY.ORB", ScrambledGrids(3));
    const std::vector<Grid> grids = ReadKeyFile(f.folder / "KEY.ORB");
    f.state.keyLength = 3;
    const std::string plain = std::string("H\xF5\"\n", 4) + std::string(1, '\0') + "\xFF" + "H";

    // Plain mode: positions 1, 2, 3, 1, ...
    const std::string armoured = f.Encode(plain);
    CheckByHand(armoured, plain, grids, {1, 2, 3});
    EXPECT_EQ(f.Decode(armoured), plain);
    EXPECT_EQ(f.Decode(ArmourByHand("Ab\r\n", grids, {1, 2, 3, 1})), "Ab\r\n");

    // Reference code 1: key position 1 -> 1+1 = 2, 1+2 = 3, 1+3 = 4 -> 1, 1+1 = 2, ...
    f.reference.text = "\x01";
    const std::string shifted = f.Encode(plain);
    CheckByHand(shifted, plain, grids, {2, 3, 1});
    EXPECT_EQ(f.Decode(shifted), plain);
    EXPECT_EQ(f.Decode(ArmourByHand("Ab\r\n", grids, {2, 3, 1, 2})), "Ab\r\n");
}

TEST(TextCoder_RoundTrip, LongTextsInPlainAndReferenceMode) {
    Fixture f;
    WriteKeyFile(f.folder / "KEY.ORB", ScrambledGrids(10));
    f.state.keyLength = 10;
    std::string plain;
    for (int block = 0; block < 40; ++block) {
        for (int code = 0; code < 256; ++code) {
            plain += static_cast<char>(code);
        }
        plain += "\r\n";
    }

    const std::string armoured = f.Encode(plain);
    EXPECT_EQ(f.state.codedText.size(), 2 * plain.size());
    EXPECT_EQ(f.Decode(armoured), plain);
    // Encoding draws afresh: the same text twice gives different coded texts.
    EXPECT_NE(f.Encode(plain), armoured);

    f.reference.text = "kulcs \xF5";
    const std::string withReference = f.Encode(plain);
    EXPECT_EQ(f.Decode(withReference), plain);
    f.reference.text = "kulcs";
    EXPECT_NE(f.Decode(withReference), plain);
    f.reference.text.clear();
    EXPECT_NE(f.Decode(withReference), plain);

    EXPECT_EQ(f.Encode(""), "\"\"\"\"");
    EXPECT_EQ(f.Decode("\"\"\"\""), "");
}

TEST(TextCoder_Failures, NothingHalfDoneIsHandedBack) {
    Fixture f;
    f.state.codedText = "earlier";
    f.state.plainText = "typed";
    try {
        f.state.EncodeText();
        FAIL() << "encoded without a key";
    } catch (const VeltError& error) {
        EXPECT_EQ(error.kind, ErrorKind::KeyFileMissing);
    }
    EXPECT_EQ(f.state.plainText, "typed");

    WriteKeyFile(f.folder / "KEY.ORB", ScrambledGrids(3));
    f.state.keyLength = 3;
    f.state.codedText = "odd";
    try {
        f.state.DecodeText();
        FAIL() << "decoded an odd pair text";
    } catch (const VeltError& error) {
        EXPECT_EQ(error.kind, ErrorKind::OddCodedText);
    }
    EXPECT_EQ(f.state.plainText, "");

    // A key length beyond the records: loading fails, the pair text is not touched.
    f.state.keyLength = 4;
    f.state.plainText = "abc";
    f.state.codedText = "earlier";
    EXPECT_THROW(f.state.EncodeText(), VeltError);
    EXPECT_EQ(f.state.codedText, "earlier");
}

TEST(TextCoder_KeyCheck, MissingKeyMessageInEachLanguage) {
    Fixture f;
    f.state.language = 0;
    EXPECT_FALSE(f.state.KeyCheck());
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(f.messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(f.messages.shown[0].title, "ERROR");
    EXPECT_EQ(f.messages.shown[0].text,
              "YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\nThe key file does not exist !");
    EXPECT_FALSE(f.state.keyMissing); // cleared after the skipped decoding

    f.state.language = 1;
    EXPECT_FALSE(f.state.KeyCheck());
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[1].title, "HIBA");
    EXPECT_EQ(f.messages.shown[1].text,
              "ÖN NEM JOGOSULT A SZÖVEG MEGTEKINTÉSÉRE !\r\nA kulcsfájl nem létezik !");

    // Another language: no message, but decoding is still skipped.
    f.state.language = 2;
    EXPECT_FALSE(f.state.KeyCheck());
    EXPECT_EQ(f.messages.shown.size(), 2u);

    // A folder of the key file's name is no key file.
    std::filesystem::create_directory(f.folder / "KEY.ORB");
    f.state.language = 0;
    EXPECT_FALSE(f.state.KeyCheck());
    EXPECT_EQ(f.messages.shown.size(), 3u);
    std::filesystem::remove(f.folder / "KEY.ORB");

    WriteKeyFile(f.folder / "KEY.ORB", ScrambledGrids(1));
    EXPECT_TRUE(f.state.KeyCheck());
    // A flag left set by an earlier caller skips this decoding once, silently.
    f.state.keyMissing = true;
    EXPECT_FALSE(f.state.KeyCheck());
    EXPECT_FALSE(f.state.keyMissing);
    EXPECT_TRUE(f.state.KeyCheck());
    EXPECT_EQ(f.messages.shown.size(), 3u);
}
