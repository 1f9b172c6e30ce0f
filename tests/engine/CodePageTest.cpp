#include "CodePage.h"

#include "Errors.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace velt;

namespace {

char32_t Refused(std::string_view utf8) {
    try {
        codepage::FromUtf8(utf8);
    } catch (const VeltError& error) {
        EXPECT_EQ(error.kind, ErrorKind::UncodableCharacter);
        return error.codePoint;
    }
    return 0;
}

} // namespace

TEST(CodePage_AllCodes, RoundTripThroughDistinctCharacters) {
    std::set<char32_t> characters;
    std::string every;
    for (int code = 0; code < 256; ++code) {
        characters.insert(codepage::CharOf(static_cast<std::uint8_t>(code)));
        ASSERT_EQ(codepage::CodeOf(codepage::CharOf(static_cast<std::uint8_t>(code))), code);
        every += static_cast<char>(code);
    }
    EXPECT_EQ(characters.size(), 256u);
    EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(every)), every);
    for (const int undefined : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        EXPECT_EQ(codepage::CharOf(static_cast<std::uint8_t>(undefined)), static_cast<char32_t>(undefined));
    }
}

TEST(CodePage_HungarianText, HasWindows1250Codes) {
    EXPECT_EQ(codepage::CodeOf(U'ő'), 0xF5);
    EXPECT_EQ(codepage::CodeOf(U'ű'), 0xFB);
    // Bytes worked out with iconv -t CP1250.
    const std::string codes = "\xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p \xD5\xDB\x80\x8A\x84\xFF";
    EXPECT_EQ(codepage::FromUtf8("árvíztűrő tükörfúrógép ŐŰ€Š„˙"), codes);
    EXPECT_EQ(codepage::ToUtf8(codes), "árvíztűrő tükörfúrógép ŐŰ€Š„˙");
}

TEST(CodePage_UncodableCharacter, RefusedNamingTheCharacter) {
    EXPECT_EQ(Refused("ok \xF0\x9F\x98\x80 more"), U'\U0001F600');
    EXPECT_EQ(Refused("Жук"), U'Ж');
    EXPECT_EQ(Refused("São"), U'ã'); // Latin, but not Central European
    // Malformed UTF-8 (cut off, overlong, surrogate, stray, too large) is refused as U+FFFD.
    for (const char* bad : {"ab\xC3", "\xC0\x80", "\xED\xA0\x80", "\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_EQ(Refused(bad), U'\uFFFD') << bad;
    }
}
