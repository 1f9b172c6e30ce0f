#include "FileStreams.h"

#include "Errors.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace velt;
using namespace velt::test;

TEST(FileStreams_Destination, ReplacedOnlyAtCommitAndTextsLimited) {
    TempFolder folder;
    const auto write = [](const std::filesystem::path& target, const std::string& text) {
        ReplacingFile file(target);
        file.Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        EXPECT_NE(ReadFile(target), text);
        EXPECT_EQ(file.TemporaryPath().parent_path(),
                  target.parent_path()); // beside it: the rename is atomic
        file.Commit();
        EXPECT_EQ(ReadFile(target), text);
    };
    const auto target = folder / "report.doc.JPG";
    WriteFile(target, "old contents");
    std::filesystem::permissions(target, std::filesystem::perms(0640));
    write(target, "new contents");
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
    write(folder / std::string(250, 'n'), "x"); // no room left in the name for a temporary suffix
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{std::string(250, 'n'), "report.doc.JPG"}));
    EXPECT_THROW(ReplacingFile(folder / "no" / "such" / "file"), VeltError);

    WriteFile(folder / "text", "0123456789");
    EXPECT_EQ(ReadWholeFile(folder / "text", 10), "0123456789");
    EXPECT_THROW(ReadWholeFile(folder / "text", 9), VeltError);
}
