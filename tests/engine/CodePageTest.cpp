#include "CodePage.h"

#include "Errors.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace velt;

namespace {

char32_t RefusedCharacter(std::string_view utf8) {
    try {
        codepage::FromUtf8(utf8);
    } catch (const VeltError& error) {
        EXPECT_EQ(error.kind, ErrorKind::UncodableCharacter);
        return error.codePoint;
    }
    ADD_FAILURE() << "accepted " << utf8;
    return 0;
}

} // namespace

TEST(CodePage_AllCodes, RoundTripThroughDistinctCharacters) {
    std::set<char32_t> characters;
    std::string every;
    for (int code = 0; code < 256; ++code) {
        const char32_t c = codepage::CharOf(static_cast<std::uint8_t>(code));
        characters.insert(c);
        ASSERT_EQ(codepage::CodeOf(c), code) << "code " << code;
        every += static_cast<char>(code);
    }
    EXPECT_EQ(characters.size(), 256u);
    EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(every)), every);

    // The codes Windows-1250 leaves undefined stand for the control character of their number.
    for (const int code : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        EXPECT_EQ(codepage::CharOf(static_cast<std::uint8_t>(code)), static_cast<char32_t>(code));
    }
    EXPECT_EQ(codepage::ToUtf8(std::string(1, '\x81')), "\xC2\x81");
}

TEST(CodePage_HungarianText, HasWindows1250Codes) {
    EXPECT_EQ(codepage::CodeOf(U'ő'), 0xF5);
    EXPECT_EQ(codepage::CodeOf(U'ű'), 0xFB);
    // Bytes worked out with iconv -t CP1250.
    const std::string codes = "\xE1\x72\x76\xED\x7A\x74\xFB\x72\xF5\x20\x74\xFC\x6B\xF6\x72\x66"
                              "\xFA\x72\xF3\x67\xE9\x70\x20\xD5\xDB\x80\x8A\x84\xFF";
    const std::string utf8 = "árvíztűrő tükörfúrógép ŐŰ€Š„˙";
    EXPECT_EQ(codepage::FromUtf8(utf8), codes);
    EXPECT_EQ(codepage::ToUtf8(codes), utf8);
    EXPECT_EQ(codepage::FromUtf8(std::string("a\0b\r\n", 5)), std::string("a\0b\r\n", 5));
    EXPECT_EQ(codepage::FromUtf8(""), "");
}

TEST(CodePage_UncodableCharacter, RefusedNamingTheCharacter) {
    EXPECT_EQ(RefusedCharacter("ok \xF0\x9F\x98\x80 then more"), U'\U0001F600');
    EXPECT_EQ(RefusedCharacter("Жук"), U'Ж');
    EXPECT_EQ(RefusedCharacter("São"), U'ã'); // Latin, but not Central European
    EXPECT_FALSE(codepage::CodeOf(U'\u00C0').has_value());

    // Malformed UTF-8 is refused as U+FFFD: truncated, overlong, surrogate, stray byte.
    EXPECT_EQ(RefusedCharacter("ab\xC3"), U'\uFFFD');
    EXPECT_EQ(RefusedCharacter("\xC0\x80"), U'\uFFFD');
    EXPECT_EQ(RefusedCharacter("\xED\xA0\x80"), U'\uFFFD');
    EXPECT_EQ(RefusedCharacter("\x80"), U'\uFFFD');
    EXPECT_EQ(RefusedCharacter("\xF4\x90\x80\x80"), U'\uFFFD');
}
