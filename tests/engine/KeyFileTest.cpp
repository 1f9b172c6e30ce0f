#include "KeyFile.h"

#include "AppState.h"
#include "Errors.h"
#include "Fakes.h"
#include "SystemServices.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace velt;
using namespace velt::test;

namespace {

struct Folder {
    TempFolder folder;
    MemorySettingsStore settings;
    RecordingProgress progress;
    AppState state{folder.Path(), Services{.settings = &settings, .progress = &progress}};
};

/// The kind and record of the VeltError that `run` throws.
template <typename F> std::pair<ErrorKind, int> FailureOf(F run) {
    try {
        run();
    } catch (const VeltError& error) {
        return {error.kind, error.record};
    }
    ADD_FAILURE() << "no VeltError";
    return {};
}

} // namespace

TEST(KeyFile_GenerateKey, WritesExactRecordsThatLoadBack) {
    Folder f;
    f.state.GenerateKey();
    const auto bytes = ReadAll(f.folder / "KEY.ORB");
    ASSERT_EQ(bytes.size(), 94428u);
    for (std::size_t p = 0; p < 366; ++p) {
        ASSERT_EQ(bytes[p * 258], 0x00) << p;
        ASSERT_EQ(bytes[p * 258 + 1], 0x01) << p;
    }
    EXPECT_EQ(FirstNonPermutationRecord(bytes), 0);
    EXPECT_EQ(f.settings.Read("key"), "KEY.ORB");
    EXPECT_EQ(f.settings.Read("keyLenght"), "366");
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"KEY.ORB"}) << "no temporary file left";
    EXPECT_EQ(f.progress.last, 366);

    f.state.LoadKey();
    for (int p = 1; p <= 366; ++p) {
        for (int k = 0; k < 256; ++k) {
            const auto code = bytes[static_cast<std::size_t>(p - 1) * 258 + 2 + static_cast<std::size_t>(k)];
            ASSERT_EQ(f.state.key.Cell(p, k / 16 + 1, k % 16 + 1), code);
            ASSERT_EQ(f.state.key.Cell(p, f.state.key.RowOf(p, code), f.state.key.ColumnOf(p, code)), code);
        }
    }
    f.state.GenerateKey();
    EXPECT_NE(ReadAll(f.folder / "KEY.ORB"), bytes) << "two generations differ";
}

TEST(KeyFile_GenerateKey, ReplacesOldFileWholeOrNotAtAll) {
    Folder f;
    // An old, longer file is replaced by exactly the new records.
    WriteAll(f.folder / "KEY.ORB", std::vector<std::uint8_t>(258 * 500, 0xAB));
    f.state.keyLength = 100;
    f.state.GenerateKey();
    const auto old = ReadAll(f.folder / "KEY.ORB");
    EXPECT_EQ(old.size(), 25800u);

    // Disk full halfway: the old key stays as it was and nothing else is left.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    setrlimit(RLIMIT_FSIZE, &small);
    f.state.keyLength = 1000;
    const auto failure = FailureOf([&] { f.state.GenerateKey(); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(failure.first, ErrorKind::KeyWriteFailed);
    EXPECT_EQ(ReadAll(f.folder / "KEY.ORB"), old);
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"KEY.ORB"});
    EXPECT_EQ(f.settings.Read("keyLenght"), "100") << "settings only follow a written key";

    // No length: no record, nothing touched, both settings saved.
    f.state.keyLength = 0;
    f.state.GenerateKey();
    EXPECT_EQ(ReadAll(f.folder / "KEY.ORB"), old);
    EXPECT_EQ(f.settings.Read("keyLenght"), "0");

    f.state.keyLength = 10001;
    EXPECT_EQ(FailureOf([&] { f.state.GenerateKey(); }).first, ErrorKind::KeyTooLong);
    EXPECT_EQ(ReadAll(f.folder / "KEY.ORB"), old);

    AppState lost(f.folder / "missing");
    EXPECT_EQ(FailureOf([&] { lost.GenerateKey(); }).first, ErrorKind::KeyWriteFailed);
}

TEST(KeyFile_LoadKey, DamagedFilesFailNamingTheRecord) {
    Folder f;
    const auto file = f.folder / "KEY.ORB";
    const auto failure = [&] { return FailureOf([&] { f.state.LoadKey(); }); };
    f.state.keyLength = 100;
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyFileMissing, 0));
    std::filesystem::create_directory(file);
    EXPECT_EQ(failure().first, ErrorKind::KeyFileUnreadable);
    std::filesystem::remove(file);

    auto bytes = KeyBytes(100);
    WriteAll(file, bytes);
    f.state.LoadKey();
    f.state.keyLength = 101;
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyTooShort, 101));
    f.state.keyLength = 10001;
    EXPECT_EQ(failure().first, ErrorKind::KeyTooLong);

    f.state.keyLength = 100;
    WriteAll(file, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 49 * 258 + 100));
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyRecordTruncated, 50));
    WriteAll(file, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 49 * 258 + 1));
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyRecordTruncated, 50));

    // Record 7 changed and record 100 with a bad length field: the load fails whole,
    // so record 7 keeps what the last good load put there.
    bytes[6 * 258 + 2] ^= 0xFF;
    bytes[99 * 258 + 1] = 0x02;
    WriteAll(file, bytes);
    EXPECT_EQ(failure(), std::make_pair(ErrorKind::KeyRecordBadLength, 100));
    EXPECT_EQ(f.state.key.Cell(7, 1, 1), 7);

    // A record that is not a permutation still loads, inside the tables.
    bytes[99 * 258 + 1] = 0x01;
    WriteAll(file, bytes);
    EXPECT_NO_THROW(f.state.LoadKey());
    EXPECT_EQ(FirstNonPermutationRecord(bytes), 7);
}
