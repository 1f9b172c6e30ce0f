#include "conversion/CodedTextFile.h"

#include "resources/CoverImage.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

using namespace velt;

namespace {

std::string CoverText() {
    return {CoverImage().begin(), CoverImage().end()};
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '_' || c == '-' || c == '.';
}

} // namespace

TEST(CoverImage_Layout, JpegWithExifThenXmpAndSplitInsideAnElementName) {
    const std::string cover = CoverText();
    ASSERT_EQ(cover.size(), 120904u);
    const auto word = [&](std::size_t at) {
        return static_cast<unsigned char>(cover[at]) * 256u + static_cast<unsigned char>(cover[at + 1]);
    };
    EXPECT_EQ(std::tuple(word(0), word(cover.size() - 2), word(2)), std::tuple(0xFFD8u, 0xFFD9u, 0xFFE1u));
    // Exif first, XMP second (its packet at 234, past the split), then a baseline 960 x 320 frame.
    const std::size_t xmp = 4 + word(4);
    EXPECT_EQ(std::tuple(cover.substr(6, 6), word(xmp), cover.substr(234, 9)),
              std::tuple(std::string("Exif\0\0", 6), 0xFFE1u, "<?xpacket"));
    EXPECT_LT(kCoverHead, xmp + 2 + word(xmp + 2));
    std::size_t at = xmp;
    while (at + 9 < cover.size() && word(at) != 0xFFC0u && word(at) != 0xFFDAu) {
        at += 2 + word(at + 2);
    }
    EXPECT_EQ(std::tuple(word(at), word(at + 5), word(at + 7)), std::tuple(0xFFC0u, 320u, 960u));

    // The split falls between two letters of an element name.
    const std::size_t open = cover.rfind('<', kCoverHead);
    EXPECT_LT(open + 1, kCoverHead);
    EXPECT_TRUE(std::all_of(&cover[open + 1], &cover[kCoverHead + 1], IsNameChar));
}

TEST(CodedTextOf_File, NamePrefixCoverCutAndMarkedFilesRefused) {
    const std::string stored = "\"\"4142\"\"";
    EXPECT_EQ(CodedTextOf("SelTextC_x", stored), stored); // shorter than the cover: nothing cut
    for (const char* name : {"SelTextC_", "seltextc_093005.JPG", "SelText_093005.TXT", "xSelTextC_0", ""}) {
        EXPECT_EQ(CodedTextOf(name, stored), std::nullopt) << name;
    }

    const std::string text = "\"\"0A22FF00\"\"";
    std::string file = ComposeCodedTextFile(text);
    const std::string cover = CoverText();
    EXPECT_EQ(file, cover.substr(0, 2218) + text + cover.substr(2218) + "\r\n");
    file.resize(file.size() - 2); // as LoadFileText leaves it
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", file), text);
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", file.substr(0, 120904)), "");
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", file.substr(0, 120903)), file.substr(0, 120903));
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", "\x99\x99" + file.substr(2)), std::nullopt);
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", "\x99" + file.substr(1))->size(), text.size());
}
