#include "engine/AppState.h"

#include "engine/Errors.h"
#include "engine/KeyFile.h"
#include "engine/KeyGenerator.h"
#include "engine/KeyStore.h"
#include "engine/ProgressTicker.h"
#include "engine/RandomSource.h"
#include "engine/SystemServices.h"

#include <algorithm>
#include <stdexcept>

namespace velt {

struct AppState::Defaults {
    SystemClock clock;
    RandomSource random{clock};
    MemorySettingsStore settings;
    NullProgress progress;
    DefaultAnswerMessages messages;
    FixedReferenceText reference;
    HeadlessKeyIndicators indicators;
};

AppState::AppState(std::filesystem::path programFolder, Services services)
    : m_programFolder(std::move(programFolder)), m_defaults(std::make_unique<Defaults>()) {
    m_services =
        Services{&m_defaults->clock,    &m_defaults->random,    &m_defaults->settings,  &m_defaults->progress,
                 &m_defaults->messages, &m_defaults->reference, &m_defaults->indicators};
    Attach(services);
}

AppState::~AppState() = default;

void AppState::Attach(const Services& services) {
    const auto take = [](auto*& current, auto* replacement) {
        if (replacement != nullptr) {
            current = replacement;
        }
    };
    take(m_services.clock, services.clock);
    take(m_services.random, services.random);
    take(m_services.settings, services.settings);
    take(m_services.progress, services.progress);
    take(m_services.messages, services.messages);
    take(m_services.reference, services.reference);
    take(m_services.indicators, services.indicators);
    take(m_services.temporaries, services.temporaries);
}

void AppState::LoadKey() {
    if (keyPlaceUnsafe) {
        throw VeltError(ErrorKind::KeyPlaceUnsafe, "key place unsafe", 0, 0, KeyFilePath().string());
    }
    LoadKeyFile(KeyFilePath(), keyLength, key, Progress(), keyFileName, &m_loadedKey);
}

void AppState::GenerateKey(CommitMode commit) {
    const int length = keyLength;
    if (length > kKeyCapacity) {
        // Such a file could never be loaded again.
        throw VeltError(ErrorKind::KeyTooLong,
                        "key length " + std::to_string(length) + " above " + std::to_string(kKeyCapacity),
                        kKeyCapacity + 1, 0, keyFileName);
    }
    if (length > 0) {
        KeyFileWriter writer(KeyFilePath(), Temporaries());
        try {
            PermutationSource permutations;
            ProgressTicker ticker(Progress(), length);
            for (int p = 1; p <= length; ++p) {
                ticker.Tick(p);
                writer.WriteKeyRecord(p, permutations.Next());
            }
        } catch (VeltError& error) {
            error.path = keyFileName; // no random bytes: the key named in the message was not formed
            throw;
        }
        writer.Commit(commit);
    }
    Options().SaveKey(keyFileName, length);
}

std::string AppState::OpenKeyStore() {
    return velt::OpenKeyStore(m_programFolder, Settings(), Indicators(),
                       KeyStoreFields{keyFileName, keyLength, keyPresent, keyFingerprint, keyFileRecords}, !keyPlaceUnsafe);
}

} // namespace velt
