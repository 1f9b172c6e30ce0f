#include "FileCoder.h"

#include "AppState.h"
#include "CodedTextFile.h"
#include "CoverImage.h"
#include "Errors.h"
#include "TestFiles.h"
#include "Texts.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace velt;
using namespace velt::test;

namespace {

/// Plays the user, the wait window, the reference box and the file window; records what they saw.
class Recorder final : public IMessages, public IProgress, public IReferenceText, public IFileWindow {
public:
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        const MessageAnswer answer = answers.empty() ? message.defaultAnswer : answers.front();
        answers.clear();
        return answer;
    }
    void Begin(std::int64_t maximum, std::string_view) override {
        maxima.push_back(maximum);
        ++open;
    }
    void Update(std::int64_t) override {}
    void End() override { --open; }
    const std::string& Codes() override { return reference; }
    void CloseFileWindow() override { window += "close;"; }
    void HideFileWindow() override { window += "hide;"; }

    std::vector<Message> shown;
    std::vector<MessageAnswer> answers; ///< the next answer, used once
    std::vector<std::int64_t> maxima;
    int open = 0;
    std::string reference;
    std::string window;
};

/// A program folder with a test key, and an application state on it.
struct Bench {
    explicit Bench(int keyLength = 7) : key(keyLength) {
        key.WriteTo(folder / "KEY.ORB");
        state = std::make_unique<AppState>(folder.Path(),
                                           Services{.progress = &io, .messages = &io, .reference = &io});
        state->keyLength = static_cast<std::int16_t>(keyLength);
    }
    FileOutcome Encode(const std::filesystem::path& source) {
        state->sourcePath = source;
        return FileCoder(*state, &io).EncodeFile();
    }
    FileOutcome Restore(const std::filesystem::path& source) {
        state->sourcePath = source;
        return FileCoder(*state, &io).RestoreFile();
    }

    TempFolder folder;
    TestKey key;
    Recorder io;
    std::unique_ptr<AppState> state;
};

/// Checks every pair of `coded` against `plain` at the positions `positionOf(k)` (k from 1).
template <class PositionOf>
void ExpectPairsAt(const TestKey& key, const std::string& plain, const std::string& coded,
                   PositionOf positionOf) {
    ASSERT_EQ(coded.size(), 2 * plain.size());
    for (std::size_t k = 1; k <= plain.size(); ++k) {
        const int p = positionOf(static_cast<int>(k));
        const auto code = static_cast<std::uint8_t>(plain[k - 1]);
        const int plainAt = key.IndexOf(p, code);
        const int firstAt = key.IndexOf(p, static_cast<std::uint8_t>(coded[2 * (k - 1)]));
        const int secondAt = key.IndexOf(p, static_cast<std::uint8_t>(coded[2 * (k - 1) + 1]));
        // First: the plain code's column, another row. Second: its row, another column.
        EXPECT_EQ(firstAt % 16, plainAt % 16) << "pair " << k;
        EXPECT_NE(firstAt / 16, plainAt / 16) << "pair " << k;
        EXPECT_EQ(secondAt / 16, plainAt / 16) << "pair " << k;
        EXPECT_NE(secondAt % 16, plainAt % 16) << "pair " << k;
        EXPECT_EQ(key.Cell(p, secondAt / 16 + 1, firstAt % 16 + 1), code) << "pair " << k;
    }
}

} // namespace

TEST(FileCoder_EncodeFile, PairsAtScheduledPositionsInPlainAndReferenceMode) {
    Bench bench(3);
    const std::string plain("\x00\x0A\x0D\xFF"
                            "ABCDEFGH\"\"",
                            14);
    WriteFile(bench.folder / "report.doc", plain);
    ASSERT_EQ(bench.Encode(bench.folder / "report.doc"), FileOutcome::Converted);
    EXPECT_EQ(bench.state->destinationPath, bench.folder / "report.doc.JPG");
    ExpectPairsAt(bench.key, plain, ReadFile(bench.folder / "report.doc.JPG"),
                  [](int k) { return (k - 1) % 3 + 1; });

    // The next file of a run starts again at position 1; a .JPG gets a second one.
    WriteFile(bench.folder / "photo.JPG", "xyz");
    ASSERT_EQ(bench.Encode(bench.folder / "photo.JPG"), FileOutcome::Converted);
    ExpectPairsAt(bench.key, "xyz", ReadFile(bench.folder / "photo.JPG.JPG"),
                  [](int k) { return (k - 1) % 3 + 1; });

    // Reference "A" (65) with key length 100: position 65 + key position, reduced by 100, from 65 on.
    Bench shifted(100);
    shifted.io.reference = "A";
    const std::string many(80, '\x42');
    WriteFile(shifted.folder / "many", many);
    ASSERT_EQ(shifted.Encode(shifted.folder / "many"), FileOutcome::Converted);
    ExpectPairsAt(shifted.key, many, ReadFile(shifted.folder / "many.JPG"), [](int k) {
        const int keyPosition = (65 + k - 1 - 1) % 100 + 1;
        const int effective = 65 + keyPosition;
        return effective > 100 ? std::max(effective % 100, 1) : effective;
    });
    EXPECT_TRUE(bench.io.shown.empty());
}

TEST(FileCoder_RoundTrip, RealFilesComeBackExactlyInBothModes) {
    const auto cover = CoverImage();
    const std::vector<std::pair<std::string, std::string>> files = {
        {"every-byte.bin", AllByteValues((std::size_t{1} << 20) + 4099)}, // crosses a chunk boundary
        {"cover.jpg", std::string(reinterpret_cast<const char*>(cover.data()), cover.size())},
        {"levél.txt", "Árvíztűrő tükörfúrógép\r\n\"idézet\"\r\n\x1A"},
        {"empty", ""},
    };
    for (const std::string reference : {"", "titok \xF5"}) {
        Bench bench(366);
        bench.io.reference = reference;
        std::filesystem::create_directory(bench.folder / "out");
        for (const auto& [name, contents] : files) {
            SCOPED_TRACE(name + " with reference '" + reference + "'");
            WriteFile(bench.folder / name, contents);
            ASSERT_EQ(bench.Encode(bench.folder / name), FileOutcome::Converted);
            const std::string coded = ReadFile(bench.folder / (name + ".JPG"));
            ASSERT_EQ(coded.size(), 2 * contents.size());
            std::filesystem::rename(bench.folder / (name + ".JPG"), bench.folder / "out" / (name + ".JPG"));
            ASSERT_EQ(bench.Restore(bench.folder / "out" / (name + ".JPG")), FileOutcome::Converted);
            EXPECT_EQ(ReadFile(bench.folder / "out" / name), contents);
            EXPECT_EQ(bench.io.maxima.back(), static_cast<std::int64_t>(coded.size()));

            // Encoding again draws other pairs; they restore (over the original, after a Yes) all the same.
            ASSERT_EQ(bench.Encode(bench.folder / name), FileOutcome::Converted);
            if (!contents.empty()) {
                EXPECT_NE(ReadFile(bench.folder / (name + ".JPG")), coded);
            }
            bench.io.answers = {MessageAnswer::Yes};
            ASSERT_EQ(bench.Restore(bench.folder / (name + ".JPG")), FileOutcome::Converted);
            EXPECT_EQ(ReadFile(bench.folder / name), contents);
        }
        EXPECT_EQ(bench.io.shown.size(), files.size()); // only the overwrite questions
        EXPECT_EQ(bench.io.open, 0);
    }
}

TEST(FileCoder_OverwriteQuestion, NoAndFailuresAfterYesLeaveTheOldDestination) {
    Bench bench;
    WriteFile(bench.folder / "a.txt", "new text");
    WriteFile(bench.folder / "a.txt.JPG", "old coded");
    EXPECT_EQ(bench.Encode(bench.folder / "a.txt"), FileOutcome::Declined);
    ASSERT_EQ(bench.io.shown.size(), 1u);
    const Message& question = bench.io.shown[0];
    EXPECT_EQ(std::tuple(question.icon, question.buttons, question.defaultAnswer),
              std::tuple(MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No));
    EXPECT_EQ(question.title, "The file gets deleted finally !!!");
    EXPECT_EQ(question.text, "File " + (bench.folder / "a.txt.JPG").string() +
                                 " is exist !\r\nWe coded this once already I may overwrite it ??");
    EXPECT_EQ(bench.io.window, ""); // the window stays until a conversion really starts
    EXPECT_EQ(ReadFile(bench.folder / "a.txt.JPG"), "old coded");

    // Yes, then an odd size: the bad-file message, and the old destination is still there.
    WriteFile(bench.folder / "odd.JPG", "12345");
    WriteFile(bench.folder / "odd", "precious");
    bench.state->language = 1;
    bench.io.answers = {MessageAnswer::Yes};
    EXPECT_EQ(bench.Restore(bench.folder / "odd.JPG"), FileOutcome::Failed);
    EXPECT_EQ(bench.io.window, "hide;");
    ASSERT_EQ(bench.io.shown.size(), 3u);
    EXPECT_EQ(bench.io.shown[1].title, "A file végleg törlődik !!!");
    const Message& bad = bench.io.shown[2];
    EXPECT_EQ(std::tuple(bad.icon, bad.buttons, bad.title),
              std::tuple(MessageIcon::Critical, MessageButtons::Ok, "HIBA"));
    EXPECT_EQ(bad.text, "HIBÁS FÁJL !\r\nA tartalom ellenőrzése során hiba lépett fel !");
    EXPECT_EQ(ReadFile(bench.folder / "odd"), "precious");

    // Yes, then a full disk: the old destination survives that too.
    WriteFile(bench.folder / "big", AllByteValues(200000));
    WriteFile(bench.folder / "big.JPG", "old big");
    bench.io.answers = {MessageAnswer::Yes};
    {
        FileSizeLimit limit(100000);
        EXPECT_EQ(bench.Encode(bench.folder / "big"), FileOutcome::Failed);
    }
    EXPECT_EQ(bench.io.window, "hide;close;");
    EXPECT_EQ(ReadFile(bench.folder / "big.JPG"), "old big");
    EXPECT_EQ(bench.io.shown.back().text, "Nincs elég hely a lemezen a(z) " +
                                              (bench.folder / "big.JPG").string() +
                                              " számára; semmi sem lett kiírva.");
    EXPECT_EQ(bench.folder.Entries(), (std::vector<std::string>{"KEY.ORB", "a.txt", "a.txt.JPG", "big",
                                                                "big.JPG", "odd", "odd.JPG"}));
}

TEST(FileCoder_Failures, ClearMessageAndNothingWritten) {
    Bench bench;
    const auto before = [&] { return bench.folder.Entries(); };
    const auto failsWith = [&](FileOutcome outcome, const std::string& text) {
        EXPECT_EQ(outcome, FileOutcome::Failed);
        ASSERT_FALSE(bench.io.shown.empty());
        const Message& shown = bench.io.shown.back();
        EXPECT_EQ(std::tuple(shown.icon, shown.title, shown.text),
                  std::tuple(MessageIcon::Critical, "ERROR", text));
        bench.io.shown.clear();
    };
    WriteFile(bench.folder / "data.bin", "even");
    WriteFile(bench.folder / "data.bin.JPG", "coded!");
    const auto entries = before();

    // Unreadable sources: missing, or in a missing folder.
    const auto missing = bench.folder / "none";
    failsWith(bench.Encode(missing), "The file " + missing.string() + " cannot be read.");
    const auto nowhere = bench.folder / "no-folder" / "x.JPG";
    failsWith(bench.Restore(nowhere), "The file " + nowhere.string() + " cannot be read.");

    // Names too short to lose four characters; UTF-8 letters count as one each.
    failsWith(bench.Restore(bench.folder / ".JPG"),
              "The name of " + (bench.folder / ".JPG").string() + " is too short for a coded file.");
    failsWith(bench.Restore(bench.folder / "ő.JP"),
              "The name of " + (bench.folder / "ő.JP").string() + " is too short for a coded file.");
    EXPECT_EQ(RestoredFileName("/x/aőűőű"), std::filesystem::path("/x/a"));
    EXPECT_EQ(RestoredFileName("/x/data.bin"), std::filesystem::path("/x/data"));

    // A folder in the destination's place is not replaced, and nobody is asked about it.
    std::filesystem::create_directory(bench.folder / "data");
    failsWith(bench.Restore(bench.folder / "data.bin"),
              "The file " + (bench.folder / "data").string() + " could not be written; nothing was saved.");
    std::filesystem::remove(bench.folder / "data");
    bench.state->keyLength = 0; // no position to code at
    EXPECT_EQ(bench.Encode(bench.folder / "data.bin"), FileOutcome::Failed);
    EXPECT_EQ(bench.io.shown.size(), 1u);
    bench.io.shown.clear();
    bench.state->keyLength = 7;
    EXPECT_EQ(before(), entries);

    // Key problems stop the conversion before anything is asked or created.
    std::filesystem::resize_file(bench.folder / "KEY.ORB", 258 * 3 + 100);
    failsWith(bench.Encode(bench.folder / "data.bin"),
              "The key file KEY.ORB is damaged: record 4 is cut short.");
    std::filesystem::remove(bench.folder / "KEY.ORB");
    failsWith(bench.Encode(bench.folder / "data.bin"),
              "YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\nThe key file does not exist !");
    std::filesystem::remove(bench.folder / "data.bin.JPG");
    failsWith(bench.Restore(bench.folder / "data.bin"), std::string(*Text(TextId::KeyMissingText, 0)));
    EXPECT_EQ(before(), (std::vector<std::string>{"data.bin"}));

    // No language to speak in: nothing is shown, and still nothing is written.
    bench.state->language = 2;
    EXPECT_EQ(bench.Encode(bench.folder / "data.bin"), FileOutcome::Failed);
    EXPECT_TRUE(bench.io.shown.empty());
    EXPECT_EQ(bench.io.open, 0);
}

TEST(FileCoder_LoadFileText, DropsOneTrailingCrLfAndFindsTheCodedText) {
    Bench bench;
    const auto load = [&](const std::string& contents) {
        WriteFile(bench.folder / "t", contents);
        bench.state->sourcePath = bench.folder / "t";
        FileCoder(*bench.state).LoadFileText();
        return bench.state->codedText;
    };
    EXPECT_EQ(load("abc\r\n\r\n"), "abc\r\n");
    EXPECT_EQ(load("abc\n"), "abc\n");
    EXPECT_EQ(load("abc\r"), "abc\r");
    EXPECT_EQ(load("\r\n"), "");
    EXPECT_EQ(load(""), "");
    EXPECT_EQ(load(std::string("\x99\x99\0z", 4)), std::string("\x99\x99\0z", 4));

    // A saved coded text file comes back as exactly the text that went in.
    const std::string armoured = "\"\"0A41FF22\"\"";
    WriteFile(bench.folder / "SelTextC_093005.JPG", ComposeCodedTextFile(armoured));
    bench.state->sourcePath = bench.folder / "SelTextC_093005.JPG";
    FileCoder(*bench.state).LoadFileText();
    EXPECT_EQ(CodedTextOf("SelTextC_093005.JPG", bench.state->codedText), armoured);
}
