#include "engine/Cipher.h"
#include "engine/Errors.h"
#include "engine/Fingerprint.h"
#include "engine/KeyFile.h"
#include "engine/KeyGenerator.h"
#include "engine/RandomSource.h"
#include "engine/Workers.h"
#include "tests/conversion/TestFiles.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>
#include <set>
#include <stdexcept>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace velt;
using namespace velt::test;

namespace {

/// Chi-square of `counts` against `n` spread evenly: with 15 degrees of freedom, above 50 once in 10^5.
double ChiSquare(const std::int64_t (&counts)[16], int n) {
    double chi = 0;
    for (const std::int64_t count : counts) {
        chi += (static_cast<double>(count) - n / 16.0) * (static_cast<double>(count) - n / 16.0) / (n / 16.0);
    }
    return chi;
}

/// Cells in which record `r` of two key files agree.
int Agreeing(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, std::size_t r) {
    int same = 0;
    for (std::size_t k = r * 258 + 2; k < (r + 1) * 258; ++k) {
        same += a[k] == b[k] ? 1 : 0;
    }
    return same;
}

} // namespace

TEST(KeyGenerator_NewKeys, IndependentRandomPermutationsWhateverTheClock) {
    // The clock frozen at a second ending in 9 and a scripted random source: nothing of the
    // key may follow from either.
    TempFolder folder;
    ScriptedClock clock;
    clock.second = 59;
    MemorySettingsStore settings;
    std::vector<std::vector<std::uint8_t>> keys;
    for (int n = 0; n < 400; ++n) {
        ScriptedRandom random;
        AppState state(folder.Path(), Services{.clock = &clock, .random = &random, .settings = &settings});
        state.keyFileName = std::string("k").append(std::to_string(n));
        state.keyLength = 100;
        state.GenerateKey();
        const WholeKey key = ReadWholeKey(state.KeyFilePath(), "k"); // every record a permutation
        ASSERT_EQ(key.records, 100);
        std::set<std::vector<std::uint8_t>> records;
        for (std::size_t r = 0; r < 100; ++r) {
            records.emplace(key.bytes.begin() + static_cast<long>(r * 258 + 2),
                            key.bytes.begin() + static_cast<long>((r + 1) * 258));
        }
        ASSERT_EQ(records.size(), 100u) << "two equal records in key " << n;
        keys.push_back(key.bytes);
    }
    // Two random permutations agree in one cell on average; the old scramble chain's keys
    // formed in such a second agreed in about 90 cells per record, their first records in 240.
    double sum = 0, first = 0;
    for (std::size_t pair = 0; pair < 200; ++pair) {
        for (std::size_t r = 0; r < 100; ++r) {
            sum += Agreeing(keys[2 * pair], keys[2 * pair + 1], r);
        }
        first += Agreeing(keys[2 * pair], keys[2 * pair + 1], 0);
    }
    EXPECT_NEAR(sum / (200 * 100), 1.0, 0.05);
    EXPECT_NEAR(first / 200, 1.0, 0.4);
}

TEST(KeyGenerator_Permutation, ByteAboveTheFairLimitIsDrawnAgain) {
    // Swapping from the top: cell 255 takes the code at index byte % 256, cell 254 the code at
    // byte % 255, where 255 itself is beyond the fair limit and must be drawn again.
    const std::uint8_t script[] = {0, 255, 7};
    std::size_t drawn = 0;
    PermutationSource source([&](std::span<std::uint8_t> out) {
        for (auto& byte : out) {
            byte = drawn < 3 ? script[drawn++] : 0;
        }
    });
    const KeyRecord record = source.Next();
    EXPECT_EQ(record[255], 0);
    EXPECT_EQ(record[254], 7) << "a modulo without rejection takes 255 % 255 = 0, the code 255";
    EXPECT_EQ(std::set<std::uint8_t>(record.begin(), record.end()).size(), 256u);
}

TEST(KeyFile_GenerateKey, WritesAWholePrivateKeyOrLeavesTheOldOne) {
    Program f;
    const auto file = f.folder / "KEY.ORB";
    const ::mode_t oldMask = ::umask(022);
    f.state.GenerateKey(CommitMode::NoReplace);
    const auto bytes = ReadAll(file);
    ASSERT_EQ(bytes.size(), 94428u);
    for (std::size_t p = 0; p < 366; ++p) {
        ASSERT_TRUE(bytes[p * 258] == 0x00 && bytes[p * 258 + 1] == 0x01) << p;
    }
    EXPECT_EQ(ReadWholeKey(file, "KEY.ORB").records, 366);
    EXPECT_EQ(f.settings.Read("key"), "KEY.ORB");
    EXPECT_EQ(f.settings.Read("keyLenght"), "366");
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"KEY.ORB"}) << "no temporary file left";

    std::filesystem::permissions(file, std::filesystem::perms(0644));
    f.state.GenerateKey();
    EXPECT_NE(ReadAll(file), bytes) << "two generations differ";
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600)) << "replaced too";
    ::umask(oldMask);

    // An old, longer file is replaced by exactly the new records.
    WriteAll(file, std::vector<std::uint8_t>(258 * 500, 0xAB));
    f.state.keyLength = 100;
    f.state.GenerateKey();
    const auto old = ReadAll(file);
    EXPECT_EQ(old.size(), 25800u);
    EXPECT_EQ(FailureOf([&] { f.state.GenerateKey(CommitMode::NoReplace); }).first, ErrorKind::DestinationExists);
    EXPECT_EQ(ReadAll(file), old);

    // Disk full halfway: the old key stays as it was and nothing else is left.
    f.state.keyLength = 1000;
    std::pair<ErrorKind, int> failure;
    WithFileSizeLimit(100000, [&] { failure = FailureOf([&] { f.state.GenerateKey(); }); });
    EXPECT_EQ(failure.first, ErrorKind::KeyWriteFailed);
    EXPECT_EQ(ReadAll(file), old);
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"KEY.ORB"});
    EXPECT_EQ(f.settings.Read("keyLenght"), "100") << "settings only follow a written key";

    f.state.keyLength = 10001;
    EXPECT_EQ(FailureOf([&] { f.state.GenerateKey(); }).first, ErrorKind::KeyTooLong);
    EXPECT_EQ(ReadAll(file), old);
}

TEST(KeyFile_LoadKey, DamagedFilesFailNamingTheRecord) {
    Program f;
    const auto file = f.folder / "KEY.ORB";
    const auto failure = [&] { return FailureOf([&] { f.state.LoadKey(); }); };
    f.state.keyLength = 100;
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyFileMissing, 0));
    std::filesystem::create_directory(file);
    EXPECT_EQ(failure().first, ErrorKind::NotRegularFile);
    std::filesystem::remove(file);

    auto bytes = KeyBytes(100);
    WriteAll(file, bytes);
    EXPECT_NO_THROW(f.state.LoadKey());
    f.state.keyLength = 101;
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyTooShort, 101));
    f.state.keyLength = 10001;
    EXPECT_EQ(failure().first, ErrorKind::KeyTooLong);

    // The whole file is checked, not only the positions in use: the verdict of every caller.
    f.state.keyLength = 20;
    for (const UnsoundKey& key : UnsoundKeys()) {
        WriteAll(file, key.bytes);
        EXPECT_EQ(failure(), std::make_pair(key.kind, key.record)) << key.what;
    }
    // Record 7 changed and record 100 with a bad length field: the load fails whole,
    // so record 7 keeps what the last good load put there.
    f.state.keyLength = 100;
    bytes[6 * 258 + 2] ^= 0xFF;
    bytes[99 * 258 + 1] = 0x02;
    WriteAll(file, bytes);
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyRecordNotPermutation, 7)) << "the first bad record";
    EXPECT_EQ(f.state.key.Cell(7, 1, 1), 7);
    bytes[6 * 258 + 2] ^= 0xFF;
    WriteAll(file, bytes);
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyRecordBadLength, 100));
    EXPECT_EQ(f.state.key.Cell(7, 1, 1), 7);
}

TEST(KeyFile_LoadKey, AKeyWrittenOrReplacedSinceTheLastLoadTakesEffectUnchangedOneIsNotReadAgain) {
    TempFolder folder;
    const auto file = folder.Path() / "KEY.ORB";
    RecordingProgress progress;
    KeyMaterial key;
    LoadedKey loaded;
    loaded.settle = 50'000'000; // the file system's clock ticks in far less
    const auto load = [&] { LoadKeyFile(file, 100, key, progress, "KEY.ORB", &loaded); };
    // Keys alike but for the first two cells of position 1.
    auto bytes = KeyBytes(100);
    const auto first = [&] { return std::pair(int{key.Cell(1, 1, 1)}, int{key.Cell(1, 1, 2)}); };
    const auto written = [&] { return std::pair(int{bytes[2]}, int{bytes[3]}); };
    WriteAll(file, bytes);
    load();
    EXPECT_EQ(first(), written());
    EXPECT_FALSE(loaded.settled) << "changed just before the read";

    ::usleep(100'000);
    load();
    ASSERT_TRUE(loaded.settled);
    // Unchanged since a settled read: the tables are taken as they are.
    const std::uint8_t other[256] = {};
    key.FillPosition(2, other);
    load();
    EXPECT_EQ(key.Cell(2, 1, 1), 0) << "read again although nothing changed";
    key.FillPosition(2, &bytes[258 + 2]);

    // Rewritten in place at once, same size: the change time moved on.
    std::swap(bytes[2], bytes[3]);
    WriteAll(file, bytes);
    load();
    EXPECT_EQ(first(), written());
    // Replaced by another file of the same size, after settling.
    ::usleep(100'000);
    load();
    ASSERT_TRUE(loaded.settled);
    std::swap(bytes[2], bytes[3]);
    WriteAll(folder.Path() / "new.orb", bytes);
    std::filesystem::rename(folder.Path() / "new.orb", file);
    load();
    EXPECT_EQ(first(), written());
    // Gone: the load fails as it always did.
    std::filesystem::remove(file);
    EXPECT_EQ(FailureOf(load).first, ErrorKind::KeyFileMissing);
}

TEST(KeyStore_OpenKeyStore, TakesAWholeKeyOrFallsBack) {
    struct Case {
        int keyOrb, friendOrb; // records of sound key files; -1: absent
        const char* setting;   // `key`; nullptr: absent
        const char* name;      // the key in use; nullptr: the fallback
        int length;
    };
    for (const Case& c : std::initializer_list<Case>{
             {366, -1, nullptr, "KEY.ORB", 366},
             {366, 2000, "friend.orb", "friend.orb", 2000},
             {500, -1, "gone.orb", "KEY.ORB", 500},
             {500, -1, "/etc/hostname", "KEY.ORB", 500}, // outside the folder
             {100, 10000, "friend.orb", "friend.orb", 10000},
             {-1, 2000, "friend.orb", nullptr, 366}, // no KEY.ORB
         }) {
        Program s;
        for (const auto& [file, records] : {std::pair{"KEY.ORB", c.keyOrb}, std::pair{"friend.orb", c.friendOrb}}) {
            if (records >= 0) {
                WriteAll(s.folder / file, KeyBytes(records));
            }
        }
        if (c.setting != nullptr) {
            s.settings.Write("key", c.setting);
            s.settings.Write("keyLenght", "untouched");
        }
        const std::string why = s.state.OpenKeyStore();
        const bool used = c.name != nullptr;
        EXPECT_EQ(why.empty(), used) << why;
        const std::string name = used ? c.name : "KEY.ORB";
        const bool keepsSettings = used && c.setting != nullptr && name == c.setting;
        SCOPED_TRACE(name);
        EXPECT_EQ(std::tuple(s.state.keyFileName, s.state.keyLength, s.state.keyPresent, s.state.keyFileRecords),
                  std::tuple(name, c.length, used, used ? c.length : 0));
        EXPECT_EQ(s.settings.Read("key"), keepsSettings ? c.setting : "KEY.ORB");
        EXPECT_EQ(s.settings.Read("keyLenght"), keepsSettings ? "untouched" : "366");
        EXPECT_EQ(std::tuple(s.indicators.label, s.indicators.slider, s.indicators.checked),
                  std::tuple(used ? std::to_string(c.length) : "-", used ? std::optional(c.length) : std::nullopt,
                             std::optional(used)));
        EXPECT_EQ(s.indicators.fingerprint, s.state.keyFingerprint);
        EXPECT_EQ(s.state.keyFingerprint.empty(), !used);
        EXPECT_TRUE(!used || s.indicators.name == name) << s.indicators.name;
    }
    // A key file that is not whole sound records is never taken into use, as the current
    // key or as KEY.ORB beside it.
    for (const UnsoundKey& key : UnsoundKeys()) {
        for (const char* current : {"KEY.ORB", "friend.orb"}) {
            Program s;
            WriteAll(s.folder / "KEY.ORB", KeyBytes(366));
            WriteAll(s.folder / current, key.bytes);
            s.settings.Write("key", current);
            EXPECT_NE(s.state.OpenKeyStore(), "");
            EXPECT_EQ(std::tuple(s.state.keyPresent, s.state.keyLength, s.indicators.checked, s.indicators.fingerprint),
                      std::tuple(false, 366, std::optional(false), "")) << key.what << " as " << current;
        }
    }

    // A later fallback (KEY.ORB turned into a folder fails the probe) keeps the key-present flag.
    Program s;
    WriteAll(s.folder / "KEY.ORB", KeyBytes(200));
    s.state.OpenKeyStore();
    std::filesystem::remove(s.folder / "KEY.ORB");
    std::filesystem::create_directory(s.folder / "KEY.ORB");
    s.state.OpenKeyStore();
    EXPECT_EQ(std::tuple(s.state.keyLength, s.indicators.checked, s.state.keyPresent),
              std::tuple(366, std::optional(false), true));
}

TEST(Fingerprint_KeyFile, StableForTheSameBytesAndChangedByOneByte) {
    auto bytes = KeyBytes(366);
    const std::string print = KeyFingerprint(bytes);
    ASSERT_EQ(print.size(), 19u) << print;
    for (std::size_t k = 0; k < print.size(); ++k) {
        const bool dash = k % 5 == 4;
        EXPECT_EQ(print[k] == '-', dash) << print;
        EXPECT_TRUE(dash || std::string_view("23456789ABCDEFGHJKLMNPQRSTUVWXYZ").find(print[k]) != std::string::npos)
            << print;
    }
    EXPECT_EQ(KeyFingerprint(KeyBytes(366)), print);
    bytes[1000] ^= 1;
    EXPECT_NE(KeyFingerprint(bytes), print);
    // SHA-256 of no bytes begins e3 b0 c4 42 98: bits 11100 01110 11000 01100 01000 ...
    EXPECT_EQ(KeyFingerprint({}), "WGSE-AJNS-ZJG3-B8RV");
}

TEST(Cipher_EncodeChar, FollowsTheDrawingLoopAndStaysInTheTables) {
    KeyMaterial key; // position 1 holds the reset grid: code c in row c / 16 + 1, column c % 16 + 1
    std::uint8_t record[256];
    std::iota(record, record + 256, 0);
    key.FillPosition(1, record);
    ScriptedRandom random;
    Cipher cipher;
    // First call: all state zero, so the row is drawn low and the column high.
    random.script = {0.0f, 0.0f};
    EXPECT_EQ(cipher.EncodeChar(key, random, 1, 0x55), (CodePair{0x05, 0x5F}));
    EXPECT_EQ(random.draws, 2);
    // Second call, plain cell (16, 1): the draws 16 and 1 are mirrored onto the previous output
    // row and column, kept once, then drawn anew (row high, column low now).
    random.script = {0.0f, 0.0f, 0.5f, 0.25f};
    EXPECT_EQ(cipher.EncodeChar(key, random, 1, 0xF0), (CodePair{0x70, 0xF4}));
    EXPECT_EQ(random.draws, 6);

    // Positions outside the tables fail without reading; one never loaded reads inside its grid.
    for (int position : {0, -1, 10001}) {
        EXPECT_THROW(cipher.EncodeChar(key, random, position, 'x'), std::out_of_range);
        EXPECT_THROW(Cipher::DecodePair(key, position, 'a', 'b'), std::out_of_range);
    }
    EXPECT_NO_THROW(Cipher::DecodePair(key, 10000, 'a', 'b'));
}

TEST(Cipher_RoundTrip, EveryCodeAtEveryPositionOfARealKey) {
    TempFolder folder;
    AppState state(folder.Path());
    state.keyLength = 1000;
    state.GenerateKey();
    state.LoadKey();
    const KeyMaterial& key = state.key;
    int previousRow = 0, previousColumn = 0;
    for (int p = 1; p <= state.keyLength; ++p) {
        for (int c = 0; c < 256; ++c) {
            const auto code = static_cast<std::uint8_t>(c);
            const CodePair pair = state.cipher.EncodeChar(key, state.Random(), p, code);
            ASSERT_EQ(Cipher::DecodePair(key, p, pair.first, pair.second), code) << p << "," << c;
            ASSERT_EQ(key.Cell(p, key.RowOf(p, code), key.ColumnOf(p, code)), code);
            // First in the plain column, another row; second in the plain row, another column;
            // never the previous character's substitute row or column.
            const int row = key.RowOf(p, pair.first), column = key.ColumnOf(p, pair.second);
            ASSERT_TRUE(key.ColumnOf(p, pair.first) == key.ColumnOf(p, code) && row != key.RowOf(p, code));
            ASSERT_TRUE(key.RowOf(p, pair.second) == key.RowOf(p, code) && column != key.ColumnOf(p, code));
            ASSERT_TRUE(row != previousRow && column != previousColumn) << p << "," << c;
            std::tie(previousRow, previousColumn) = std::pair(row, column);
        }
    }
}

TEST(RandomSource_Draws, UniformAndReseededFromTheClockEveryTime) {
    ScriptedClock clock, same; // the same fine times for both sources
    RandomSource random(clock), other(same);
    EXPECT_NE(random.Draw(), other.Draw()) << "seeded apart";
    std::int64_t counts[16] = {};
    const int n = 160000;
    for (int i = 0; i < n; ++i) {
        const float x = random.Draw();
        ASSERT_TRUE(x >= 0.0f && x < 1.0f) << x;
        ++counts[Cipher::RandomNibble(random)];
    }
    EXPECT_EQ(clock.fineReads, 2 * n + 1);
    EXPECT_LT(ChiSquare(counts, n), 50.0);
}

namespace {

/// Hands out seeded nibbles in runs of changing length, as a keystream source does, and
/// keeps every nibble it handed out so a test can replay them.
struct RunSource final : IRandomSource {
    std::mt19937 engine{99};
    std::vector<std::uint8_t> run, given;
    std::size_t taken = 0;
    float Draw() override { return 0.5f; }
    std::span<const std::uint8_t> ReadyNibbles() override {
        if (taken == run.size()) {
            run.resize(1 + engine() % 40);
            for (auto& n : run) {
                n = static_cast<std::uint8_t>(engine() % 16);
            }
            given.insert(given.end(), run.begin(), run.end());
            taken = 0;
        }
        return std::span<const std::uint8_t>(run).subspan(taken);
    }
    void TakeNibbles(std::size_t count) override { taken += count; }
    std::size_t Used() const { return given.size() - (run.size() - taken); }
};

auto Fields(const EncoderState& s) {
    return std::tuple(s.drawnRow, s.drawnColumn, s.previousDrawnRow, s.previousDrawnColumn, s.lastOutputRow,
                      s.lastOutputColumn, s.alternation);
}

} // namespace

TEST(RandomSource_Nibbles, UniformInRunsWithTheClockOncePerRun) {
    ScriptedClock clock;
    RandomSource random(clock);
    std::int64_t counts[16] = {};
    const int n = 1 << 20;
    int got = 0, take = 1;
    while (got < n) {
        const auto ready = random.ReadyNibbles();
        ASSERT_FALSE(ready.empty());
        // Taking part of a run leaves the rest for the next call, in order.
        const auto count = std::min<std::size_t>(ready.size(), static_cast<std::size_t>(take));
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_LT(ready[i], 16);
            ++counts[ready[i]];
        }
        const std::uint8_t* next = ready.data() + count;
        random.TakeNibbles(count);
        if (count < ready.size()) {
            ASSERT_EQ(random.ReadyNibbles().data(), next);
        }
        got += static_cast<int>(count);
        take = take % 700 + 1;
    }
    EXPECT_LT(ChiSquare(counts, got), 50.0);
    EXPECT_NEAR(clock.fineReads, got / (2 * RandomSource::kRunBytes), 2) << "one clock reading per run";
}

TEST(Cipher_EncodeRun, SameAsOneCharacterAtATimeOverLongRunsInAnyCut) {
    const int keyLength = 366;
    const KeyMaterial key = TestKey(keyLength);
    const std::size_t n = 400000;
    std::mt19937 engine(5);
    std::vector<std::uint16_t> positions(n);
    std::vector<std::uint8_t> codes(n);
    for (std::size_t k = 0; k < n; ++k) {
        positions[k] = static_cast<std::uint16_t>(k % keyLength + 1);
        // Long runs of one code too: they meet the last output row and column most often.
        codes[k] = static_cast<std::uint8_t>(k % 5000 < 1000 ? 7 : engine());
    }
    RunSource random;
    Cipher cipher;
    std::vector<std::uint8_t> out(2 * n);
    for (std::size_t at = 0; at < n;) {
        const std::size_t count = std::min<std::size_t>(n - at, engine() % 3000);
        cipher.EncodeRun(key, random, std::span(positions).subspan(at, count), &codes[at], &out[2 * at]);
        at += count;
    }
    // The same nibbles, one draw each through Draw(), give the same pairs and state, and no nibble
    // was taken beyond those used.
    ScriptedRandom scripted;
    for (std::size_t k = 0; k < random.Used(); ++k) {
        scripted.script.push_back((static_cast<float>(random.given[k]) + 0.5f) / 16.0f);
    }
    Cipher single;
    for (std::size_t k = 0; k < n; ++k) {
        ASSERT_EQ(single.EncodeChar(key, scripted, positions[k], codes[k]), (CodePair{out[2 * k], out[2 * k + 1]}))
            << "code " << k;
    }
    EXPECT_EQ(scripted.draws, static_cast<int>(random.Used()));
    EXPECT_EQ(Fields(cipher.state), Fields(single.state));

    // A position outside the tables stops the run there; the codes before it are coded and counted.
    RunSource upTo, again;
    Cipher whole, stopped;
    std::vector<std::uint8_t> part(2000), cut(4000);
    whole.EncodeRun(key, upTo, std::span(positions).first(1000), codes.data(), part.data());
    positions[1000] = 0;
    EXPECT_THROW(stopped.EncodeRun(key, again, std::span(positions).first(2000), codes.data(), cut.data()),
                 std::out_of_range);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), cut.begin()));
    EXPECT_EQ(Fields(stopped.state), Fields(whole.state));
    EXPECT_EQ(again.Used(), upTo.Used());
}

TEST(Cipher_DecodeSplit, SameAsOneLoopAtEveryPieceEdge) {
    std::mt19937 engine(3);
    std::vector<std::uint8_t> pairs(2 * 70000);
    std::generate(pairs.begin(), pairs.end(), [&] { return static_cast<std::uint8_t>(engine()); });
    // Pieces below, at and across the rounds that plain mode decodes position by position;
    // reference lengths that divide the pieces and ones that do not, codes above the key length;
    // keys with and without positions left over from the 16 that vector lanes take at once.
    for (const int length : {100, 16, 3}) {
        const KeyMaterial key = TestKey(length);
        for (const std::string reference : {"", "A", "\xC8\x10", "ab\xFF", "abcdefghij"}) {
            for (const std::size_t count : {0, 1, 2, 3, 99, 100, 101, 200, 599, 600, 601, 1000, 65400, 65401, 70000}) {
                ReferenceBox box(reference);
                PositionSchedule schedule;
                schedule.Start(length, &box);
                std::vector<std::uint8_t> expected(count);
                for (std::size_t k = 0; k < count; ++k) {
                    expected[k] = Cipher::DecodePair(key, schedule.Next(), pairs[2 * k], pairs[2 * k + 1]);
                }
                const int after = schedule.Next();
                for (std::size_t parts = 1; parts <= 6; ++parts) {
                    Workers helpers(parts - 1);
                    PositionSchedule split;
                    split.Start(length, &box);
                    PositionWalk walk = split.Walk();
                    std::vector<std::uint8_t> out(count);
                    Cipher::DecodeSplit(key, walk, pairs.data(), count, out.data(), helpers);
                    ASSERT_EQ(out, expected) << length << " " << reference.size() << " " << count << " " << parts;
                    ASSERT_EQ(walk.Next(), after) << "the walk goes on where the pieces ended";
                }
            }
        }
    }
}
