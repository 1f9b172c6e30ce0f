// velt-cli keygen and check: forming a key file and checking one.
#include "cli/Commands.h"
#include "cli/Options.h"
#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/Fingerprint.h"
#include "engine/Interrupts.h"
#include "engine/KeyFile.h"
#include "engine/SystemServices.h"
#include "engine/Texts.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace velt::cli {
namespace {

constexpr const char* kKeygenUsage =
    "Usage: velt-cli keygen [--length N] [--out FILE] [--force]\n"
    "Forms a new key file for you and your correspondent to share.\n"
    "\n"
    "  --length N  the key length in positions, 100 to 10000 (default 366)\n"
    "  --out FILE  where to write the key (default: KEY.ORB in the current folder)\n"
    "  --force     replace an existing FILE\n";

constexpr const char* kCheckUsage =
    "Usage: velt-cli check --key FILE\n"
    "Reads a key file and reports its key length and fingerprint.\n"
    "\n"
    "  --key FILE  the key file to check\n"
    "\n"
    "Exits 0 only when every 258-byte record is whole, starts with the length\n"
    "256 and holds each of the 256 codes exactly once, and there are 100 to\n"
    "10000 records; otherwise names the first bad record. Read the\n"
    "fingerprint to your correspondent by phone: the same key file gives\n"
    "the same fingerprint on both sides.\n";

/// A failure in the program's own words, as a one-line exception.
std::runtime_error Failure(TextId id, std::initializer_list<std::string_view> args) {
    return std::runtime_error(*FormatText(id, Language::English, args));
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
    // The windows' own check: the same verdict and the same words for the same file.
    const WholeKey whole = ReadWholeKey(*key, *key);
    std::printf("%s: key length %d (%zu bytes); every record is sound.\nFingerprint: %s\n", key->c_str(),
                whole.records, whole.bytes.size(), KeyFingerprint(whole.bytes).c_str());
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
