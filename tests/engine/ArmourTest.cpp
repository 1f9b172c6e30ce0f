#include "Armour.h"

#include "Errors.h"
#include "Fakes.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velt;

namespace {

bool IsOdd(std::string_view text) {
    try {
        armour::Unpack(text);
    } catch (const VeltError& error) {
        return error.kind == ErrorKind::OddCodedText;
    }
    return false;
}

} // namespace

TEST(Armour_Pack, UpperCaseDigitsBetweenMarkers) {
    test::RecordingProgress progress;
    EXPECT_EQ(armour::Pack(std::string("\x0A\xFF\x22\x00\xAB", 5), progress), "\"\"0AFF2200AB\"\"");
    EXPECT_EQ(progress.maximum, 5);
    EXPECT_EQ(progress.last, 5);
    EXPECT_EQ(progress.ends, 1);
    // n plain characters -> 2n pair characters -> 4n + 4 armoured characters.
    EXPECT_EQ(armour::Pack(std::string(2 * 1000, 'x'), progress).size(), 4u * 1000 + 4);
    EXPECT_EQ(armour::Pack("", progress), "\"\"\"\"");
}

TEST(Armour_Unpack, FindsBodyAndReadsDigitsLikeTheNumberReader) {
    EXPECT_EQ(armour::Unpack("Hi,\r\nhere: \"\"0aff2C\"\" bye \"\"4142\"\""), "\x0A\xFF\x2C");
    EXPECT_EQ(armour::Unpack("see \"\"4142"), "AB"); // no closing marker: body runs to the end
    EXPECT_EQ(armour::Unpack("\"\"\"\""), "");
    EXPECT_FALSE(armour::Unpack("plain \"quoted\" text").has_value());
    EXPECT_FALSE(armour::Unpack("").has_value());
    // Blanks, tabs and line feeds are skipped; the first other character ends the number;
    // a character beyond ASCII counts once, not once per UTF-8 byte.
    EXPECT_EQ(armour::Unpack("\"\" A\tF\nb  1GG1\r1é12é\"\""),
              std::string("\x0A\x0F\x0B\x00\x01\x00\x00\x00\x02", 9));

    // A body without a single digit pair must still unpack in linear time.
    std::string others = "\"\"";
    for (int i = 0; i < (1 << 20); ++i) {
        others += "é1";
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(armour::Unpack(others), std::string(1 << 20, '\0'));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    EXPECT_TRUE(IsOdd("\"\"ABC\"\""));
    EXPECT_TRUE(IsOdd("\"\"ABé\"\""));
    EXPECT_TRUE(IsOdd("\"\"\"")); // a marker and a body of one quotation mark
}

TEST(Armour_Unpacker, PiecesSplitAnywhereGiveTheWholeResult) {
    for (const std::string text : {"a\"b \"\"0A é1\"3\t\nf\"\"zz\"\"", "\"\"\"\"", "none \"", "ő\"\"Ű1€2"}) {
        const auto whole = armour::Unpack(text);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            armour::Unpacker unpacker;
            unpacker.Feed(text.substr(0, cut));
            unpacker.Feed(text.substr(cut));
            ASSERT_EQ(unpacker.Finish(), whole) << text << " cut at " << cut;
        }
    }
    EXPECT_EQ(armour::Unpack("a\"b \"\"0A é1\"3\t\nf\"\""), std::string("\x0A\x00\x01\x03\x0F", 5));

    std::string every;
    for (int i = 0; i < 200000; ++i) { // several of the packer's pieces
        every += static_cast<char>(i % 256);
    }
    test::RecordingProgress progress;
    EXPECT_EQ(armour::Unpack("x" + armour::Pack(every, progress) + "y"), every);
}
