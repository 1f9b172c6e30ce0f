#include "conversion/CodedTextFile.h"

#include "engine/Fingerprint.h"
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

TEST(CoverImage_Layout, TheKnownBytesSplitInsideAnElementName) {
    const std::string cover = CoverText();
    ASSERT_EQ(cover.size(), 120904u);
    // Every byte pinned by the SHA-256 fingerprint (worked out outside Velt): a JPEG with Exif, then
    // XMP whose packet lies past the split, then a baseline 960 x 320 frame.
    EXPECT_EQ(KeyFingerprint(CoverImage()), "GXCN-WF7Q-VMRF-EESF");

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
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", std::string("\x99\x99").append(file, 2)), std::nullopt);
    EXPECT_EQ(CodedTextOf("SelTextC_120000.JPG", std::string("\x99").append(file, 1))->size(), text.size());
}
