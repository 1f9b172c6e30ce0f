#include "conversion/FileCoder.h"
#include "engine/AppState.h"

#include "tests/conversion/TestFiles.h"

#include <gtest/gtest.h>
#include <random>

using namespace velt;
using namespace velt::test;

namespace {

/// The reference box and the wait window, quiet.
struct Quiet final : IMessages, IProgress, IReferenceText {
    MessageAnswer Show(const Message& message) override { return message.defaultAnswer; }
    void Begin(std::int64_t, std::string_view) override {}
    void Update(std::int64_t) override {}
    void End() override {}
    const std::string& Codes() override { return reference; }
    std::string reference;
};

} // namespace

TEST(RestoreFile_Pieces, SameBytesOnOneThreadAndOnManyAtEveryPieceEdge) {
    constexpr std::size_t kPiece = std::size_t{256} << 10; // the pairs of one restoring piece
    TempFolder folder;
    WriteAll(folder / "KEY.ORB", KeyBytes(366));
    Quiet io;
    AppState state(folder.Path(), Services{.progress = &io, .messages = &io, .reference = &io});
    state.keyLength = 366;
    std::mt19937 draw(24);
    for (const std::string reference : {"", "ab\xC8"}) {
        io.reference = reference;
        for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{367},
                                       kPiece - 1, kPiece, kPiece + 1, 2 * kPiece + 1}) {
            std::string plain(size, '\0');
            for (char& c : plain) {
                c = static_cast<char>(draw());
            }
            WriteFile(folder / "plain", plain);
            state.sourcePath = folder / "plain";
            FileCoder coder(state);
            ASSERT_EQ(coder.EncodeFile(), FileOutcome::Converted);
            for (const std::size_t threads : {1, 3}) {
                SCOPED_TRACE(std::to_string(size) + " bytes on " + std::to_string(threads) +
                             " threads, reference '" + reference + "'");
                std::filesystem::remove(folder / "plain");
                state.sourcePath = folder / "plain.JPG";
                coder.LimitThreads(threads);
                ASSERT_EQ(coder.RestoreFile(), FileOutcome::Converted);
                EXPECT_TRUE(ReadFile(folder / "plain") == plain);
            }
            std::filesystem::remove(folder / "plain.JPG");
        }
    }
}
