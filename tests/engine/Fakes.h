#pragma once
// Scripted services and a temporary program folder for the engine's tests.

#include "engine/AppState.h"
#include "engine/Errors.h"
#include "engine/Platform.h"
#include "engine/SystemServices.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <sys/mount.h>
#include <vector>

namespace velt::test {

/// A clock at a fixed second whose fine time moves on by one at every reading.
struct ScriptedClock final : IClock {
    int second = 0, fineReads = 0;
    TimeOfDay Now() override { return TimeOfDay{12, 0, second, 0}; }
    std::uint64_t FineTime() override { return static_cast<std::uint64_t>(++fineReads); }
};

/// Draws the scripted values first, then seeded pseudo-random ones; counts every draw.
struct ScriptedRandom final : IRandomSource {
    std::deque<float> script;
    int draws = 0;
    std::mt19937 engine{12345};
    float Draw() override {
        ++draws;
        const float x = script.empty() ? std::uniform_real_distribution<float>(0.0f, 1.0f)(engine) : script.front();
        if (!script.empty()) {
            script.pop_front();
        }
        return x;
    }
};

/// Key indicators that take the key lengths the main window takes.
struct RecordingIndicators final : IKeyIndicators {
    std::string name = "-", label = "-", fingerprint = "-";
    std::optional<int> slider;
    std::optional<bool> checked;
    void ShowKeyFileName(const std::string& text) override { name = text; }
    bool ShowKeyLength(int value) override {
        const bool inRange = value >= kMinKeyLength && value <= kKeyCapacity;
        slider = inRange ? std::optional(value) : slider;
        return inRange;
    }
    void SetLengthLabel(const std::string& text) override { label = text; }
    void SetKeyFileChecked(bool value) override { checked = value; }
    void ShowFingerprint(const std::string& text) override { fingerprint = text; }
};

/// A reference text the test may change between characters.
struct ReferenceBox final : IReferenceText {
    explicit ReferenceBox(std::string codes = "") : text(std::move(codes)) {}
    const std::string& Codes() override { return text; }
    std::string text;
};

struct RecordingProgress final : IProgress {
    std::int64_t maximum = -1, last = -1;
    int ends = 0;
    void Begin(std::int64_t max, std::string_view) override { maximum = max; }
    void Update(std::int64_t value) override { last = value; }
    void End() override { ++ends; }
};

struct MessageLog final : IMessages {
    std::vector<Message> shown;
    MessageAnswer Show(const Message& message) override {
        shown.push_back(message);
        return MessageAnswer::Ok;
    }
};

/// A fresh folder, removed with everything in it at the end of the test.
class TempFolder final {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velt-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_path;
};

/// `folder` bound read-only onto itself (the superuser cannot write either) while the object lives;
/// not Active() where the test may not mount.
class ReadOnlyMount final {
public:
    explicit ReadOnlyMount(std::filesystem::path folder) : m_folder(std::move(folder)) {
        m_active = ::mount(m_folder.c_str(), m_folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
        if (m_active && ::mount(nullptr, m_folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
            m_active = false;
        }
    }
    ~ReadOnlyMount() {
        if (m_active) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    ReadOnlyMount(const ReadOnlyMount&) = delete;
    ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;
    bool Active() const { return m_active; }

private:
    std::filesystem::path m_folder;
    bool m_active = false;
};

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadFile(const std::filesystem::path& file) {
    const auto bytes = ReadAll(file);
    return {bytes.begin(), bytes.end()};
}

inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteAll(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    WriteFile(file, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

/// A well-formed key file of `records` records. Each grid is a different permutation
/// (an odd multiplier per position), so decoding at a wrong position gives other codes.
inline std::vector<std::uint8_t> KeyBytes(int records) {
    std::vector<std::uint8_t> bytes;
    for (int p = 1; p <= records; ++p) {
        bytes.insert(bytes.end(), {0x00, 0x01});
        for (int k = 0; k < 256; ++k) {
            bytes.push_back(static_cast<std::uint8_t>(k * (2 * p + 1) + p));
        }
    }
    return bytes;
}

/// The key of KeyBytes(positions), as LoadKey would fill it.
inline KeyMaterial TestKey(int positions) {
    KeyMaterial key;
    const auto bytes = KeyBytes(positions);
    for (int p = 1; p <= positions; ++p) {
        key.FillPosition(p, &bytes[static_cast<std::size_t>(p - 1) * 258 + 2]);
    }
    return key;
}

/// A key file that is not whole sound records, and the verdict every caller gives on it, in words.
struct UnsoundKey {
    const char* what;
    std::vector<std::uint8_t> bytes;
    ErrorKind kind;
    int record;
    const char* says;
};

inline std::vector<UnsoundKey> UnsoundKeys() {
    auto cut = KeyBytes(200);
    cut.resize(cut.size() + 100, 0);
    auto tooLong = KeyBytes(10000);
    tooLong.push_back(0);
    auto repeated = KeyBytes(366);
    repeated[6 * 258 + 3] = repeated[6 * 258 + 2];
    return {{"200 records and 100 bytes", cut, ErrorKind::KeyRecordTruncated, 201, "is damaged: record 201 is cut short."},
            {"99 records", KeyBytes(99), ErrorKind::KeyOutOfRange, 99, "holds 99 positions; a key needs 100 to 10000."},
            {"10000 records and 1 byte", tooLong, ErrorKind::KeyTooLong, 10001, "is above 10000; the key file"},
            {"10001 records", KeyBytes(10001), ErrorKind::KeyTooLong, 10001, "is above 10000; the key file"},
            {"no bytes", {}, ErrorKind::KeyFileEmpty, 0, "is empty."},
            {"record 7 repeats a code", repeated, ErrorKind::KeyRecordNotPermutation, 7,
             "is damaged: record 7 does not hold every code once."}};
}

/// An application state on a fresh program folder, every service recorded.
struct Program {
    TempFolder folder;
    MemorySettingsStore settings;
    RecordingIndicators indicators;
    RecordingProgress progress;
    MessageLog messages;
    ReferenceBox reference;
    AppState state{folder.Path(),
                   Services{nullptr, nullptr, &settings, &progress, &messages, &reference, &indicators}};
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

} // namespace velt::test
