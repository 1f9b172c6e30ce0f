// Restoring: any coded file of even size restores to one byte per pair, each the code that lies in
// the second's row and the first's column at its scheduled position; an odd one writes nothing.
// Coding a file and restoring it gives the file back.
#include "conversion/FileCoder.h"
#include "engine/AppState.h"
#include "engine/Cipher.h"
#include "engine/KeyMaterial.h"
#include "engine/PositionSchedule.h"
#include "engine/SystemServices.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace velt;

namespace {

constexpr int kLength = 300;

struct Setup {
    fuzz::KeyFolder key{kLength};
    std::filesystem::path folder = key.folder;
    FixedReferenceText reference;
    NullProgress progress;
    DefaultAnswerMessages messages;
};

std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setup setup;
    static AppState state(setup.folder, Services{.progress = &setup.progress,
                                                 .messages = &setup.messages,
                                                 .reference = &setup.reference});
    if (size == 0) {
        return 0;
    }
    // The first byte gives the reference text's length, then come the reference and the coded file.
    const std::size_t referenceLength = std::min<std::size_t>(data[0] % 8, size - 1);
    const std::string reference(reinterpret_cast<const char*>(data + 1), referenceLength);
    const std::string coded(reinterpret_cast<const char*>(data + 1 + referenceLength), size - 1 - referenceLength);
    setup.reference = FixedReferenceText(reference);
    state.keyLength = kLength;

    const auto codedFile = setup.folder / "f.JPG", restoredFile = setup.folder / "f";
    std::filesystem::remove(restoredFile);
    std::ofstream(codedFile, std::ios::binary) << coded;
    state.sourcePath = codedFile;
    const FileOutcome outcome = FileCoder(state).RestoreFile();
    if (coded.size() % 2 != 0) {
        if (outcome != FileOutcome::Failed || std::filesystem::exists(restoredFile)) {
            std::abort();
        }
        return 0;
    }
    if (outcome != FileOutcome::Converted) {
        std::abort();
    }
    const std::string restored = Read(restoredFile);
    if (restored.size() != coded.size() / 2) {
        std::abort();
    }
    PositionSchedule schedule;
    schedule.Start(kLength, &setup.reference);
    const KeyMaterial& key = state.key;
    for (std::size_t k = 0; k < restored.size(); ++k) {
        const int p = schedule.Next();
        const auto first = static_cast<std::uint8_t>(coded[2 * k]);
        const auto second = static_cast<std::uint8_t>(coded[2 * k + 1]);
        const auto plain = static_cast<std::uint8_t>(restored[k]);
        if (key.RowOf(p, plain) != key.RowOf(p, second) || key.ColumnOf(p, plain) != key.ColumnOf(p, first)) {
            std::abort();
        }
    }

    // The other way: the restored bytes coded afresh restore to themselves.
    Cipher cipher;
    fuzz::Draws draws(static_cast<std::uint32_t>(size));
    schedule.Start(kLength, &setup.reference);
    std::string recoded;
    for (const char c : restored) {
        const CodePair pair = cipher.EncodeChar(key, draws, schedule.Next(), static_cast<std::uint8_t>(c));
        recoded += static_cast<char>(pair.first);
        recoded += static_cast<char>(pair.second);
    }
    std::ofstream(codedFile, std::ios::binary | std::ios::trunc) << recoded;
    std::filesystem::remove(restoredFile);
    if (FileCoder(state).RestoreFile() != FileOutcome::Converted || Read(restoredFile) != restored) {
        std::abort();
    }
    return 0;
}
