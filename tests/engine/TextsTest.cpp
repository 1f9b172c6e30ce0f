#include <gtest/gtest.h>

#include "Errors.h"
#include "Texts.h"

using namespace velt;

TEST(Texts_Language, EnglishHungarianAndNothingElse) {
    EXPECT_EQ(*Text(TextId::ErrorTitle, 0), "ERROR");
    EXPECT_EQ(*Text(TextId::ErrorTitle, 1), "HIBA");
    EXPECT_FALSE(Text(TextId::ErrorTitle, 2).has_value());
    EXPECT_FALSE(FormatText(TextId::OverwriteText, 7, {"x"}).has_value());
}

TEST(Texts_Format, PlaceholdersReplacedInPlace) {
    EXPECT_EQ(*FormatText(TextId::OverwriteText, 0, {"C:\\a b.JPG"}),
              "File C:\\a b.JPG is exist !\r\nWe coded this once already I may overwrite it ??");
    EXPECT_EQ(*FormatText(TextId::OverwriteText, 1, {"x"}),
              "A(z) x létezik !\r\nEzt már egyszer kódoltuk ! Felülírhatom ??");
}

TEST(Texts_DescribeError, NamesRecordAndCharacter) {
    const VeltError shortKey(ErrorKind::KeyTooShort, "short", 367, 0, "KEY.ORB");
    EXPECT_EQ(DescribeError(shortKey, 0), "The key file KEY.ORB is too short: record 367 is missing.");
    EXPECT_EQ(DescribeError(shortKey, 1), "A(z) KEY.ORB kulcsfájl túl rövid: a(z) 367. rekord hiányzik.");
    // Any other language value falls back to English rather than saying nothing.
    EXPECT_EQ(DescribeError(shortKey, 9), DescribeError(shortKey, 0));
    const VeltError emoji(ErrorKind::UncodableCharacter, "emoji", 0, U'\U0001F600');
    EXPECT_EQ(DescribeError(emoji, 0), "The character \"\xF0\x9F\x98\x80\" (U+1F600) cannot be coded.");
}
