#include "Armour.h"

#include "Errors.h"
#include "Platform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velt;

namespace {

class ProgressLog final : public IProgress {
public:
    void Begin(std::int64_t maximum, std::string_view caption) override {
        began = maximum;
        shownCaption = caption;
    }
    void Update(std::int64_t value) override { values.push_back(value); }
    void End() override { ++ended; }
    std::int64_t began = -1;
    std::string shownCaption;
    std::vector<std::int64_t> values;
    int ended = 0;
};

std::string Pairs(std::initializer_list<int> codes) {
    std::string s;
    for (const int c : codes) {
        s += static_cast<char>(c);
    }
    return s;
}

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
    ProgressLog progress;
    EXPECT_EQ(armour::Pack(Pairs({10, 255, 34, 0, 0xAB, 0x5c}), progress), "\"\"0AFF2200AB5C\"\"");
    EXPECT_EQ(progress.began, 6);
    EXPECT_EQ(progress.shownCaption, "Várj...  ");
    ASSERT_FALSE(progress.values.empty());
    EXPECT_EQ(progress.values.back(), 6);
    EXPECT_EQ(progress.ended, 1);

    // n plain characters -> 2n pair characters -> 4n + 4 armoured characters.
    const std::string pairText(2 * 1000, '\x7F');
    EXPECT_EQ(armour::Pack(pairText, progress).size(), 4u * 1000 + 4);
    EXPECT_EQ(armour::Pack("", progress), "\"\"\"\"");
}

TEST(Armour_Unpack, FindsBodyBetweenMarkers) {
    EXPECT_EQ(armour::Unpack("\"\"0AFF22\"\""), Pairs({10, 255, 34}));
    EXPECT_EQ(armour::Unpack("Hi,\r\nhere it is: \"\"0aff2c\"\" -- bye \"\"4142\"\""), Pairs({10, 255, 44}));
    // No closing marker: the body runs to the end of the text.
    EXPECT_EQ(armour::Unpack("see \"\"4142"), "AB");
    EXPECT_EQ(armour::Unpack("\"\"\"\""), "");
    // No marker at all, or a lone quotation mark: no armoured text.
    EXPECT_FALSE(armour::Unpack("plain text \"quoted\"").has_value());
    EXPECT_FALSE(armour::Unpack("").has_value());
    // Two quotation marks anywhere are a marker, even in plain text.
    EXPECT_EQ(armour::Unpack("he said \"\"hey!\"\""), Pairs({0, 0}));
}

TEST(Armour_Unpack, ReadsDigitsLikeTheNumberReader) {
    // Blanks, tabs and line feeds are skipped; the first other character ends the number.
    EXPECT_EQ(armour::Unpack("\"\" A\tF\nb  \"\""), Pairs({10, 15, 11, 0}));
    EXPECT_EQ(armour::Unpack("\"\"1GG1zz\"\""), Pairs({1, 0, 0}));
    EXPECT_EQ(armour::Unpack("\"\"\r1\"\""), Pairs({0}));
    // A character beyond ASCII is one character, not one per UTF-8 byte.
    EXPECT_EQ(armour::Unpack("\"\"é1\"\""), Pairs({0}));
    EXPECT_EQ(armour::Unpack("\"\"2é\"\""), Pairs({2}));
}

TEST(Armour_RoundTrip, EveryCodeAcrossManyPieces) {
    std::string every;
    for (int i = 0; i < 200000; ++i) { // several of the packer's pieces
        every += static_cast<char>(i % 256);
    }
    ProgressLog progress;
    const std::string armoured = armour::Pack(every, progress);
    EXPECT_EQ(armoured.substr(0, 10), "\"\"00010203");
    EXPECT_EQ(armour::Unpack("x" + armoured + "y"), every);
}

TEST(Armour_Unpacker, PiecesSplitAnywhereGiveTheWholeResult) {
    const std::vector<std::string> texts = {"a\"b \"\"0A é1\"3\t\nf\"\"zz\"\"ff\"\"", "\"\"\"\"",
                                            "no marker \"", "\"\"4\"",
                                            "ő\"\"Ű1\xE2\x82\xAC"
                                            "2"};
    for (const std::string& text : texts) {
        const auto whole = armour::Unpack(text);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            armour::Unpacker unpacker;
            unpacker.Feed(text.substr(0, cut));
            unpacker.Feed(text.substr(cut));
            ASSERT_EQ(unpacker.Finish(), whole) << text << " cut at " << cut;
        }
        armour::Unpacker bytewise;
        for (const char c : text) {
            bytewise.Feed(std::string_view(&c, 1));
        }
        EXPECT_EQ(bytewise.Finish(), whole) << text;
    }
    EXPECT_EQ(armour::Unpack(texts[0]), Pairs({10, 0, 1, 3, 15}));
}

TEST(Armour_Unpack, OddBodyIsAnError) {
    EXPECT_TRUE(IsOdd("\"\"ABC\"\""));
    EXPECT_TRUE(IsOdd("\"\"A"));
    EXPECT_TRUE(IsOdd("\"\"ABé\"\""));
    EXPECT_TRUE(IsOdd("\"\"\"")); // three quotation marks: a marker and a body of one
    EXPECT_FALSE(IsOdd("\"\"ABé1\"\""));
}
