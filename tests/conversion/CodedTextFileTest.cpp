#include "CodedTextFile.h"

#include "CoverImage.h"

#include <gtest/gtest.h>

using namespace velt;

namespace {

std::string CoverText() {
    const auto cover = CoverImage();
    return {reinterpret_cast<const char*>(cover.data()), cover.size()};
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
    EXPECT_EQ(word(0), 0xFFD8u);
    EXPECT_EQ(word(cover.size() - 2), 0xFFD9u);
    // Exif first, XMP second (its packet at 234, past the split), then a baseline 960 x 320 frame.
    EXPECT_EQ(word(2), 0xFFE1u);
    EXPECT_EQ(cover.substr(6, 6), std::string("Exif\0\0", 6));
    const std::size_t xmp = 4 + word(4);
    EXPECT_EQ(word(xmp), 0xFFE1u);
    EXPECT_EQ(cover.substr(234, 9), "<?xpacket");
    EXPECT_LT(kCoverHead, xmp + 2 + word(xmp + 2));
    std::size_t at = xmp;
    while (at + 9 < cover.size() && word(at) != 0xFFC0u && word(at) != 0xFFDAu) {
        at += 2 + word(at + 2);
    }
    ASSERT_EQ(word(at), 0xFFC0u);
    EXPECT_EQ(word(at + 5), 320u);
    EXPECT_EQ(word(at + 7), 960u);

    // The split falls between two letters of an element name.
    std::size_t open = kCoverHead;
    while (open > 234 && IsNameChar(cover[open - 1])) {
        --open;
    }
    EXPECT_EQ(cover[open - 1], '<');
    EXPECT_LT(open, kCoverHead);
    EXPECT_TRUE(IsNameChar(cover[kCoverHead]));
}

TEST(CodedTextOf_FileTitle, PrefixLongerThanNineWithCaseCounting) {
    const std::string stored = "\"\"4142\"\"";
    EXPECT_EQ(CodedTextOf("SelTextC_093005.JPG", stored), stored); // shorter than the cover: nothing cut
    EXPECT_EQ(CodedTextOf("SelTextC_x", stored), stored);
    EXPECT_EQ(CodedTextOf("SelTextC_", stored), std::nullopt);
    EXPECT_EQ(CodedTextOf("seltextc_093005.JPG", stored), std::nullopt);
    EXPECT_EQ(CodedTextOf("SelText_093005.TXT", stored), std::nullopt);
    EXPECT_EQ(CodedTextOf("", stored), std::nullopt);
    EXPECT_TRUE(HasCodedTextFileName("SelTextC_0"));
    EXPECT_FALSE(HasCodedTextFileName("xSelTextC_0"));
}

TEST(CodedTextOf_Contents, CoverCutAndMarkedFilesRefused) {
    const std::string text = "\"\"0A22FF00\"\"";
    std::string file = ComposeCodedTextFile(text);
    ASSERT_EQ(file.size(), 120904u + text.size() + 2);
    const std::string cover = CoverText();
    EXPECT_EQ(file.substr(0, 2218), cover.substr(0, 2218));
    EXPECT_EQ(file.substr(2218, text.size()), text);
    EXPECT_EQ(file.substr(2218 + text.size(), 118686), cover.substr(2218));
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n");

    file.resize(file.size() - 2); // as LoadFileText leaves it
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", file), text);
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", file.substr(0, 120904)), "");
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", file.substr(0, 120903)), file.substr(0, 120903));

    const std::string marked = "\x99\x99" + file.substr(2);
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", marked), std::nullopt);
    const std::string halfMarked = "\x99" + file.substr(1);
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", halfMarked)->size(), text.size());
}
