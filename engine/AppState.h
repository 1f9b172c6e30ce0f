#pragma once
// The process-wide state of Velt and the engine's argument-less operations on it.
// main() creates one; every window gets it by reference; a test makes its own.

#include "engine/Cipher.h"
#include "engine/FileStreams.h"
#include "engine/KeyFile.h"
#include "engine/KeyMaterial.h"
#include "engine/LanesAhead.h"
#include "engine/Language.h"
#include "engine/OptionSettings.h"
#include "engine/Platform.h"
#include "engine/PositionSchedule.h"
#include "engine/TextCoder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace velt {

/// Services the state reaches the outside through. Null members are replaced by
/// built-in defaults: the system clock, the real random source (which always reads
/// the system clock, whatever clock is attached), an in-memory
/// settings store, no progress, no messages (default answers), an empty reference
/// text and no key indicators.
struct Services {
    IClock* clock = nullptr;
    IRandomSource* random = nullptr;
    ISettingsStore* settings = nullptr;
    IProgress* progress = nullptr;
    IMessages* messages = nullptr;
    IReferenceText* reference = nullptr;
    IKeyIndicators* indicators = nullptr;
    ITemporaryFiles* temporaries = nullptr; ///< may stay null: nobody is told
};

class AppState final {
public:
    /// `programFolder` is where the key file lives; it is given, never guessed.
    explicit AppState(std::filesystem::path programFolder, Services services = {});
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // --- services (replaceable while running: the main window attaches itself later)
    IClock& Clock() { return *m_services.clock; }
    IRandomSource& Random() { return *m_services.random; }
    ISettingsStore& Settings() { return *m_services.settings; }
    OptionSettings Options() { return OptionSettings(Settings()); }
    IProgress& Progress() { return *m_services.progress; }
    IMessages& Messages() { return *m_services.messages; }
    IReferenceText& Reference() { return *m_services.reference; }
    IKeyIndicators& Indicators() { return *m_services.indicators; }
    ITemporaryFiles* Temporaries() { return m_services.temporaries; }
    /// Replaces the services that are non-null in `services`.
    void Attach(const Services& services);

    const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
    /// The current key file: key file name in the program's folder.
    std::filesystem::path KeyFilePath() const { return m_programFolder / keyFileName; }

    // --- key material and key store
    KeyMaterial key;
    std::string keyFileName = kDefaultKeyFileName;
    std::int16_t keyLength = kDefaultKeyLength;
    bool keyPresent = false;
    std::string keyFingerprint; ///< of the key file in use; empty while none is
    int keyFileRecords = 0;     ///< the records of the key file in use, which the key length may undercut
    /// Set at start-up when another user could swap keys in the program's folder: no key there is used.
    bool keyPlaceUnsafe = false;

    /// Rereads and checks the whole current key file (ReadWholeKey), then fills the key
    /// material of positions 1..keyLength (unless they hold that very key already).
    /// Throws VeltError as LoadKeyFile() does.
    void LoadKey();
    /// Generates a new key of keyLength positions, every record a fresh random permutation
    /// from the system's random source, into the current key file (0600,
    /// put in place whole by `commit`) and saves the settings `key` and `keyLenght`.
    /// Throws VeltError(KeyWriteFailed, DestinationExists), or VeltError(KeyTooLong)
    /// before writing anything for a length above 10000.
    void GenerateKey(CommitMode commit = CommitMode::Replace);
    /// Refreshes key file name, key length and the key indicators from the program's folder.
    /// Returns why the fallback key was taken instead, empty when the key was found whole.
    std::string OpenKeyStore();

    // --- character cipher
    Cipher cipher;
    /// Small files of a long run, encoded ahead side by side (see FileCoder::EncodeAhead).
    LanesAhead ahead;

    // --- text coding
    std::string plainText; ///< shared plain-text buffer, single-byte codes
    std::string codedText; ///< shared coded-text buffer (pair text), single-byte codes
    PositionSchedule schedule;
    bool keyMissing = false; ///< set by the key check, cleared by the next one
    TextCoder textCoder{*this};

    // --- jobs and files
    Language language = Language::English;
    // --- long work
    /// True while long work runs (a coding, a conversion, a packing). The wait window lets the
    /// windows take events meanwhile, and none of them may start a second one.
    bool Busy() const { return m_busy; }
    /// Long work, for as long as it lives; begin it only when !Busy().
    class Work final {
    public:
        explicit Work(AppState& state) : m_state(state) { m_state.m_busy = true; }
        ~Work() { m_state.m_busy = false; }
        Work(const Work&) = delete;
        Work& operator=(const Work&) = delete;

    private:
        AppState& m_state;
    };

    /// The file coder's source, set by its caller before each conversion, and the file it wrote.
    std::filesystem::path sourcePath;
    std::filesystem::path destinationPath;

private:
    bool m_busy = false;
    LoadedKey m_loadedKey;
    std::filesystem::path m_programFolder;
    Services m_services;
    struct Defaults;
    std::unique_ptr<Defaults> m_defaults;
};

} // namespace velt
