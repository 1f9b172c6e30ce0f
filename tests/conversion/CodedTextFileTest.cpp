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
    EXPECT_EQ(cover.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(cover.substr(cover.size() - 2), "\xFF\xD9");

    // Walk the segments up to the frame: Exif first, then XMP, then a baseline frame of 960 x 320.
    std::vector<std::pair<int, std::size_t>> segments; // marker, offset
    int width = 0;
    int height = 0;
    for (std::size_t at = 2; at + 4 <= cover.size() && width == 0;) {
        ASSERT_EQ(static_cast<unsigned char>(cover[at]), 0xFF) << "at " << at;
        const int marker = static_cast<unsigned char>(cover[at + 1]);
        const std::size_t length =
            static_cast<unsigned char>(cover[at + 2]) * 256u + static_cast<unsigned char>(cover[at + 3]);
        segments.emplace_back(marker, at);
        if (marker == 0xC0) {
            height =
                static_cast<unsigned char>(cover[at + 5]) * 256 + static_cast<unsigned char>(cover[at + 6]);
            width =
                static_cast<unsigned char>(cover[at + 7]) * 256 + static_cast<unsigned char>(cover[at + 8]);
        }
        EXPECT_NE(marker, 0xC2) << "progressive frame";
        at += 2 + length;
    }
    EXPECT_EQ(width, 960);
    EXPECT_EQ(height, 320);
    ASSERT_GE(segments.size(), 3u);
    EXPECT_EQ(segments[0], std::make_pair(0xE1, std::size_t{2}));
    EXPECT_EQ(cover.substr(6, 6), std::string("Exif\0\0", 6));
    EXPECT_EQ(segments[1].first, 0xE1);
    const std::size_t xmpEnd = segments[2].second;
    EXPECT_EQ(cover.substr(234, 9), "<?xpacket");
    EXPECT_LT(kCoverHead, xmpEnd);

    // The split falls between two letters of an element name: '<' and name characters before,
    // name characters after.
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
