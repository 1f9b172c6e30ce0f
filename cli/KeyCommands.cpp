// velt-cli keygen and check: forming a key file and checking one.
#include "AppState.h"
#include "Commands.h"
#include "Errors.h"
#include "Interrupts.h"
#include "KeyFile.h"
#include "Options.h"
#include "SystemServices.h"
#include "Texts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace velt::cli {
namespace {

constexpr const char* kKeygenUsage =
    "Usage: velt-cli keygen [--length N] [--out FILE] [--force]\n"
    "Forms a new key of N positions (100 to 10000, default 366) into FILE\n"
    "(default KEY.ORB in the current folder). An existing FILE is replaced only with --force.\n";

constexpr const char* kCheckUsage = "Usage: velt-cli check --key FILE\n"
                                    "Reads a key file and reports its key length. Exits 0 only when every\n"
                                    "258-byte record is whole, starts with the length 256 and holds each of\n"
                                    "the 256 codes exactly once, and there are 100 to 10000 records;\n"
                                    "otherwise names the first bad record.\n";

/// A failure in the program's own words, as a one-line exception.
std::runtime_error Failure(TextId id, std::initializer_list<std::string_view> args) {
    return std::runtime_error(*FormatText(id, 0, args));
}

int RunKeygen(const Options& options) {
    const long length = options.Number("length", kMinKeyLength, kKeyCapacity).value_or(kDefaultKeyLength);
    const std::filesystem::path out = options.Value("out").value_or("KEY.ORB");
    if (out.filename().empty()) {
        throw UsageError("--out must name a file, not '" + out.string() + "'");
    }
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(out, ignored)) && !options.Has("force")) {
        throw Failure(TextId::KeyFileExists, {out.string()});
    }
    MemorySettingsStore settings;
    AppState state(out.has_parent_path() ? out.parent_path() : std::filesystem::path("."),
                   Services{.settings = &settings, .temporaries = &InstallInterruptCleanup()});
    state.keyFileName = out.filename().string();
    state.keyLength = static_cast<std::int16_t>(length);
    try {
        // Without --force a file that appears while the key is formed is kept, not replaced.
        state.GenerateKey(options.Has("force") ? CommitMode::Replace : CommitMode::NoReplace);
    } catch (VeltError& error) {
        error.path = out.string(); // the name as the user gave it
        throw;
    }
    std::printf("Formed a key of %ld positions in %s (%ld bytes).\n", length, out.string().c_str(),
                length * kRecordSize);
    return kExitOk;
}

int RunCheck(const Options& options) {
    const auto key = options.Value("key");
    if (!key) {
        throw UsageError("check needs --key FILE");
    }
    // One record more than the tables hold is enough to tell a key that is too long.
    const auto bytes = ReadKeyBytes(*key, (kKeyCapacity + 1) * std::size_t{kRecordSize}, *key);
    if (bytes.empty()) {
        throw Failure(TextId::KeyFileEmpty, {*key});
    }
    const std::size_t records = (bytes.size() + kRecordSize - 1) / kRecordSize;
    const int framed = static_cast<int>(std::min<std::size_t>(records, kKeyCapacity));
    const int notPermutation = FirstNonPermutationRecord(bytes);
    try {
        CheckRecordFrames(bytes, framed, *key);
    } catch (const VeltError& error) {
        if (notPermutation == 0 || error.record <= notPermutation) {
            throw;
        }
    }
    if (notPermutation != 0) {
        throw Failure(TextId::KeyRecordNotPermutation, {*key, std::to_string(notPermutation)});
    }
    if (records > static_cast<std::size_t>(kKeyCapacity)) {
        throw VeltError(ErrorKind::KeyTooLong, "key file too long", kKeyCapacity + 1, 0, *key);
    }
    if (records < static_cast<std::size_t>(kMinKeyLength)) {
        throw VeltError(ErrorKind::KeyOutOfRange, "key file too short", static_cast<int>(records), 0, *key);
    }
    std::printf("%s: key length %zu (%zu bytes); every record is sound.\n", key->c_str(), records,
                bytes.size());
    return kExitOk;
}

} // namespace

int Keygen(std::span<char* const> args) {
    return RunCommand(args, {{"length", true}, {"out", true}, {"force", false}}, kKeygenUsage, RunKeygen);
}

int Check(std::span<char* const> args) {
    return RunCommand(args, {{"key", true}}, kCheckUsage, RunCheck);
}

} // namespace velt::cli
