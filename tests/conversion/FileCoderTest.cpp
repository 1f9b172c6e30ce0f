#include "conversion/FileCoder.h"

#include "conversion/CodedTextFile.h"
#include "resources/CoverImage.h"
#include "tests/conversion/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <utility>

using namespace velt;
using namespace velt::test;

namespace {

/// Plays the user, the wait window, the reference box and the file window; records what they saw.
struct Recorder final : IMessages, IProgress, IReferenceText, IFileWindow {
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        return std::exchange(next, std::nullopt).value_or(message.defaultAnswer);
    }
    void Begin(std::int64_t, std::string_view) override {
        ++open;
        stoppable = last = 0;
        if (onBegin) {
            std::exchange(onBegin, nullptr)();
        }
    }
    void BeginCancellable(std::int64_t maximum, std::string_view caption) override {
        Begin(maximum, caption);
        stoppable = maximum;
    }
    void Update(std::int64_t value) override {
        late += Cancelled();
        last = value;
    }
    void End() override { --open; }
    bool Cancelled() const override { return stoppable > 0 && last >= cancelAt * stoppable; }
    const std::string& Codes() override { return reference; }
    void CloseFileWindow() override { window += "close;"; }
    void HideFileWindow() override { window += "hide;"; }

    std::vector<Message> shown;
    std::optional<MessageAnswer> next; ///< the next answer, used once
    int open = 0;
    std::string reference, window;
    std::function<void()> onBegin; ///< runs once when the next wait window opens
    double cancelAt = 2;                  ///< the share of stoppable work at which the user cancels
    std::int64_t stoppable = 0, last = 0; ///< the stoppable work's maximum (0: other work); the last report
    int late = 0;                         ///< reports that came after the cancel
};

/// A program folder with a test key, and an application state on it.
struct Bench {
    explicit Bench(int keyLength = 7) : key(KeyBytes(std::max(keyLength, 100))) {
        WriteAll(folder / "KEY.ORB", key);
        state.keyLength = static_cast<std::int16_t>(keyLength);
    }
    FileOutcome Encode(const std::filesystem::path& source, bool restore = false) {
        state.sourcePath = source;
        FileCoder coder(state, &io);
        return restore ? coder.RestoreFile() : coder.EncodeFile();
    }
    FileOutcome Restore(const std::filesystem::path& source) { return Encode(source, true); }

    std::filesystem::path Put(const std::string& name, const std::string& contents) {
        WriteFile(folder / name, contents);
        return folder / name;
    }
    std::string Get(const std::string& name) const { return ReadFile(folder / name); }
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    TempFolder folder;
    std::vector<std::uint8_t> key;
    Recorder io;
    AppState state{folder.Path(), Services{.progress = &io, .messages = &io, .reference = &io}};
};

/// Checks pair k of `coded` against byte k of `plain` in the grid of position `positionOf(k)`:
/// the first code shares the plain code's column in another row, the second its row in another column.
template <class PositionOf>
void ExpectPairsAt(const std::vector<std::uint8_t>& key, const std::string& plain, const std::string& coded,
                   PositionOf positionOf) {
    ASSERT_EQ(coded.size(), 2 * plain.size());
    for (std::size_t k = 1; k <= plain.size(); ++k) {
        const int p = positionOf(static_cast<int>(k));
        const auto at = [&](char code) {
            const auto grid = key.begin() + (p - 1) * 258 + 2;
            return std::find(grid, grid + 256, static_cast<std::uint8_t>(code)) - grid;
        };
        const auto was = at(plain[k - 1]), first = at(coded[2 * k - 2]), second = at(coded[2 * k - 1]);
        EXPECT_TRUE(first % 16 == was % 16 && first / 16 != was / 16 && second / 16 == was / 16 &&
                    second % 16 != was % 16)
            << "pair " << k << " at position " << p;
    }
}

} // namespace

TEST(FileCoder_EncodeFile, PairsAtScheduledPositionsInPlainAndReferenceMode) {
    Bench bench(3);
    const std::string plain = std::string("\x00\x0A\x0D\xFF", 4) + "ABCDEFGH\"\"";
    const auto cycle = [](int k) { return (k - 1) % 3 + 1; };
    ASSERT_EQ(bench.Encode(bench.Put("report.doc", plain)), FileOutcome::Converted);
    ExpectPairsAt(bench.key, plain, bench.Get("report.doc.JPG"), cycle);
    // The next file of a run starts again at position 1; a .JPG gets a second one.
    ASSERT_EQ(bench.Encode(bench.Put("photo.JPG", "xyz")), FileOutcome::Converted);
    ExpectPairsAt(bench.key, "xyz", bench.Get("photo.JPG.JPG"), cycle);
    EXPECT_TRUE(bench.io.shown.empty());

    // Reference "A" (65) with key length 100: position 65 + key position, reduced by 100, from 65 on.
    Bench shifted(100);
    shifted.io.reference = "A";
    ASSERT_EQ(shifted.Encode(shifted.Put("many", std::string(80, 'B'))), FileOutcome::Converted);
    ExpectPairsAt(shifted.key, std::string(80, 'B'), shifted.Get("many.JPG"), [](int k) {
        const int effective = 65 + (65 + k - 2) % 100 + 1;
        return effective > 100 ? std::max(effective % 100, 1) : effective;
    });
}

TEST(FileCoder_RoundTrip, RealFilesComeBackExactlyInBothModes) {
    const auto cover = CoverImage();
    const std::vector<std::pair<std::string, std::string>> files = {
        {"every-byte.bin", AllByteValues(4100)}, // more than one chunk
        {"past-two-mib.bin", AllByteValues(8200)}, // a coded file of more than one restoring chunk
        {"cover.jpg", std::string(cover.begin(), cover.end())},
        {"levél.txt", "Árvíztűrő tükörfúrógép\r\n\"idézet\"\r\n\x1A"},
        {"empty", ""},
    };
    // Reference lengths that do not and do divide the chunks.
    for (const std::string reference : {"", "titok \xF5", "ab\xC8\x01"}) {
        Bench bench(366);
        bench.io.reference = reference;
        std::filesystem::create_directory(bench.folder / "out");
        for (const auto& [name, contents] : files) {
            SCOPED_TRACE(name + " with reference '" + reference + "'");
            ASSERT_EQ(bench.Encode(bench.Put(name, contents)), FileOutcome::Converted);
            const std::string first = bench.Get(name + ".JPG");
            ASSERT_EQ(first.size(), 2 * contents.size());
            ASSERT_EQ(bench.Restore(bench.Put("out/" + name + ".JPG", first)), FileOutcome::Converted);
            EXPECT_EQ(bench.Get("out/" + name), contents);
            // Encoding again draws other pairs; they restore (over the original, after a Yes) all the same.
            bench.io.next = MessageAnswer::Yes;
            ASSERT_EQ(bench.Encode(bench.folder / name), FileOutcome::Converted);
            EXPECT_TRUE(contents.empty() || bench.Get(name + ".JPG") != first);
            bench.io.next = MessageAnswer::Yes;
            ASSERT_EQ(bench.Restore(bench.folder / (name + ".JPG")), FileOutcome::Converted);
            EXPECT_EQ(bench.Get(name), contents);
        }
        EXPECT_EQ(bench.io.shown.size(), 2 * files.size()); // only the overwrite questions
        EXPECT_EQ(bench.io.open, 0);
    }
}

TEST(FileCoder_OverwriteQuestion, NoAndFailuresAfterYesLeaveTheOldDestination) {
    Bench bench;
    bench.Put("a.txt.JPG", "old coded");
    EXPECT_EQ(bench.Encode(bench.Put("a.txt", "new text")), FileOutcome::Declined);
    const Message question = bench.io.shown.at(0);
    EXPECT_EQ(
        std::tuple(question.icon, question.buttons, question.defaultAnswer, question.title, question.text),
        std::tuple(MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No,
                   "The file gets deleted finally !!!",
                   "File " + bench.Path("a.txt.JPG") +
                       " is exist !\r\nWe coded this once already I may overwrite it ??"));
    EXPECT_EQ(bench.io.window, ""); // the window stays until a conversion really starts
    EXPECT_EQ(bench.Get("a.txt.JPG"), "old coded");

    // Yes, then an odd size: the bad-file message, and the old destination is still there.
    bench.Put("odd", "precious");
    bench.state.language = Language::Hungarian;
    bench.io.next = MessageAnswer::Yes;
    EXPECT_EQ(bench.Restore(bench.Put("odd.JPG", "12345")), FileOutcome::Failed);
    EXPECT_EQ(bench.io.window, "hide;");
    const Message& bad = bench.io.shown.back();
    EXPECT_EQ(std::tuple(bench.io.shown.size(), bad.icon, bad.buttons, bad.title, bad.text),
              std::tuple(3u, MessageIcon::Critical, MessageButtons::Ok, "HIBA",
                         "HIBÁS FÁJL !\r\nA tartalom ellenőrzése során hiba lépett fel !"));
    EXPECT_EQ(bench.Get("odd"), "precious");

    // Yes, then a full disk: the old destination survives that too, and no temporary file is left.
    bench.Put("big.JPG", "old big");
    bench.io.next = MessageAnswer::Yes;
    WithFileSizeLimit(
        100000, [&] { EXPECT_EQ(bench.Encode(bench.Put("big", AllByteValues(800))), FileOutcome::Failed); });
    EXPECT_EQ(bench.io.window, "hide;close;");
    EXPECT_EQ(bench.Get("big.JPG"), "old big");
    EXPECT_EQ(bench.io.shown.back().text,
              "Nincs elég hely a lemezen a(z) " + bench.Path("big.JPG") + " számára; semmi sem lett kiírva.");
    EXPECT_EQ(bench.folder.Names(), (std::vector<std::string>{"KEY.ORB", "a.txt", "a.txt.JPG", "big",
                                                              "big.JPG", "odd", "odd.JPG"}));
}

TEST(FileCoder_Failures, ClearMessageAndNothingWritten) {
    Bench bench;
    const auto failsWith = [&](FileOutcome outcome, const std::string& text) {
        ASSERT_EQ(std::tuple(outcome, bench.io.shown.size()), std::tuple(FileOutcome::Failed, 1u));
        const Message shown = std::exchange(bench.io.shown, {}).back();
        EXPECT_EQ(std::tuple(shown.icon, shown.title, shown.text),
                  std::tuple(MessageIcon::Critical, "ERROR", text));
    };
    const auto data = bench.Put("data.bin", "even");
    bench.Put("data.bin.JPG", "coded!");
    const auto entries = bench.folder.Names();

    for (const std::string name : {"missing.JPG", "no-folder/x.JPG"}) {
        failsWith(bench.Encode(bench.Path(name)),
                  "The file " + bench.Path(name) + " cannot be read. Reason: No such file or directory.");
    }
    // A name with a line break is shown quoted, so the message keeps its shape.
    failsWith(bench.Encode(bench.Path("two\nlines")),
              "The file '" + bench.Path("two") + "\\nlines' cannot be read. Reason: No such file or directory.");
    // The reason in the user's language where there is one.
    bench.state.language = Language::Hungarian;
    const auto longName = bench.Put(std::string(252, 'n'), "x"); // its coded name is too long
    EXPECT_EQ(bench.Encode(longName), FileOutcome::Failed);
    EXPECT_TRUE(std::exchange(bench.io.shown, {}).back().text.ends_with("nem írható; semmi sem lett mentve. Ok: a név túl hosszú."));
    std::filesystem::remove(longName);
    bench.state.language = Language::English;
    // A device never ends and a pipe would wait for a writer: both are refused at once.
    ASSERT_EQ(::mkfifo(bench.Path("pipe").c_str(), 0600), 0);
    for (const std::string& name : {bench.Path("pipe"), std::string("/dev/zero")}) {
        failsWith(bench.Encode(name), name + " is not a regular file (but a pipe, a device or a folder); nothing was read.");
    }
    std::filesystem::remove(bench.folder / "pipe");
    // Names too short to lose four characters; UTF-8 letters count as one each.
    for (const std::string name : {".JPG", "ő.JP"}) {
        failsWith(bench.Restore(bench.Path(name)),
                  "The name of " + bench.Path(name) + " is too short for a coded file.");
    }
    // A folder in the destination's place is not replaced, and nobody is asked about it.
    std::filesystem::create_directory(bench.folder / "data");
    failsWith(bench.Restore(data),
              "The file " + bench.Path("data") + " could not be written; nothing was saved.");
    std::filesystem::remove(bench.folder / "data");
    bench.state.keyLength = 0; // no position to code at
    failsWith(bench.Encode(data), "The key file KEY.ORB is too short: record 1 is missing.");
    bench.state.keyLength = 7;
    EXPECT_EQ(bench.folder.Names(), entries);

    // Key problems stop the conversion before anything is asked or created.
    std::filesystem::resize_file(bench.folder / "KEY.ORB", 258 * 3 + 100);
    failsWith(bench.Encode(data), "The key file KEY.ORB is damaged: record 4 is cut short.");
    std::filesystem::remove(bench.folder / "KEY.ORB");
    std::filesystem::remove(bench.folder / "data.bin.JPG");
    const std::string missing =
        "YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\nThe key file does not exist !";
    failsWith(bench.Encode(data), missing);
    failsWith(bench.Restore(data), missing);
    // No language to speak in: nothing is shown, and still nothing is written.
    bench.state.language = static_cast<Language>(2);
    EXPECT_EQ(bench.Encode(data), FileOutcome::Failed);
    EXPECT_EQ(std::tuple(bench.io.shown.size(), bench.io.open), std::tuple(0u, 0));
    EXPECT_EQ(bench.folder.Names(), (std::vector<std::string>{"data.bin"}));
}

TEST(FileCoder_LoadFileText, DropsOneTrailingCrLfAndFindsTheCodedText) {
    Bench bench;
    const auto load = [&](const std::string& name, const std::string& contents) {
        bench.state.sourcePath = bench.Put(name, contents);
        FileCoder(bench.state).LoadFileText();
        return bench.state.codedText;
    };
    EXPECT_EQ(load("t", "abc\r\n\r\n"), "abc\r\n");
    EXPECT_EQ(load("t", "abc\r"), "abc\r");
    EXPECT_EQ(load("t", "\r\n"), "");
    const std::string armoured = "\"\"0A41FF22\"\"";
    EXPECT_EQ(CodedTextOf("SelTextC_093005.JPG", load("SelTextC_093005.JPG", ComposeCodedTextFile(armoured))),
              armoured);
}

TEST(FileCoder_Destination, TakesTheSourcesBitsAndNeverReplacesUnasked) {
    Bench bench;
    namespace fs = std::filesystem;
    const ::mode_t oldMask = ::umask(022);
    const auto secret = bench.Put("secret", "private text");
    fs::permissions(secret, fs::perms(0600));
    ASSERT_EQ(bench.Encode(secret), FileOutcome::Converted);
    EXPECT_EQ(fs::status(bench.folder / "secret.JPG").permissions(), fs::perms(0600));
    fs::remove(secret);
    ASSERT_EQ(bench.Restore(bench.folder / "secret.JPG"), FileOutcome::Converted);
    EXPECT_EQ(fs::status(secret).permissions(), fs::perms(0600)) << "restored plaintext stays private";
    EXPECT_EQ(bench.Get("secret"), "private text");
    fs::permissions(bench.folder / "secret.JPG", fs::perms(0644));
    bench.io.next = MessageAnswer::Yes;
    ASSERT_EQ(bench.Restore(bench.folder / "secret.JPG"), FileOutcome::Converted);
    EXPECT_EQ(fs::status(secret).permissions(), fs::perms(0644)) << "the coded file's bits, not the old file's";
    // Only the permission bits travel: a restored file never comes back setuid or setgid.
    fs::permissions(bench.folder / "secret.JPG", fs::perms(06755));
    bench.io.next = MessageAnswer::Yes;
    ASSERT_EQ(bench.Restore(bench.folder / "secret.JPG"), FileOutcome::Converted);
    EXPECT_EQ(fs::status(secret).permissions(), fs::perms(0755));
    ::umask(oldMask);

    // Nobody was asked, so a file that appears under the name while coding runs is kept.
    fs::remove(secret);
    bench.io.onBegin = [&] { bench.Put("secret", "written meanwhile"); };
    EXPECT_EQ(bench.Restore(bench.folder / "secret.JPG"), FileOutcome::Failed);
    EXPECT_EQ(bench.Get("secret"), "written meanwhile");
    EXPECT_EQ(bench.io.shown.back().text,
              "The file " + bench.Path("secret") + " appeared meanwhile and was kept; nothing was written.");
    // After a Yes the user's consent covers it.
    bench.io.next = MessageAnswer::Yes;
    bench.io.onBegin = [&] { bench.Put("secret", "written meanwhile again"); };
    EXPECT_EQ(bench.Restore(bench.folder / "secret.JPG"), FileOutcome::Converted);
    EXPECT_EQ(bench.Get("secret"), "private text");
    EXPECT_EQ(bench.folder.Names(), (std::vector<std::string>{"KEY.ORB", "secret", "secret.JPG"}));
}

TEST(FileCoder_Cancel, AtTenFiftyAndNinetyNinePercentNothingIsWrittenNorShown) {
    Bench bench;
    const auto plain = bench.Put("plain", AllByteValues(6 * 4096)); // several pieces to restore
    ASSERT_EQ(bench.Encode(plain), FileOutcome::Converted);
    std::filesystem::rename(bench.folder / "plain.JPG", bench.folder / "coded.JPG");
    for (const std::string destination : {"plain.JPG", "coded"}) {
        for (const double share : {0.10, 0.50, 0.99}) {
            for (const bool existing : {false, true}) {
                SCOPED_TRACE(destination + ' ' + std::to_string(share) + (existing ? " over an old file" : ""));
                if (existing) {
                    bench.Put(destination, "old");
                    bench.io.next = MessageAnswer::Yes;
                }
                const auto before = bench.folder.Names();
                bench.io.shown.clear();
                bench.io.cancelAt = share;
                EXPECT_EQ(destination == "coded" ? bench.Restore(bench.folder / "coded.JPG") : bench.Encode(plain),
                          FileOutcome::Cancelled);
                // Stopped at the first report after the cancel; no message but the overwrite question.
                EXPECT_EQ(std::tuple(bench.io.late, bench.io.open, bench.io.shown.size()),
                          std::tuple(0, 0, existing ? 1u : 0u));
                EXPECT_EQ(bench.folder.Names(), before); // no destination, nothing temporary
                if (existing) {
                    EXPECT_EQ(bench.Get(destination), "old");
                    std::filesystem::remove(bench.folder / destination);
                }
            }
        }
    }
}
