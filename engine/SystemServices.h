#pragma once
// The services an AppState uses when none is given: the real clock, a settings
// store in memory, and quiet stand-ins for the windows.

#include "engine/KeyMaterial.h"
#include "engine/Platform.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

namespace velt {

/// The machine's local time of day.
class SystemClock final : public IClock {
public:
    TimeOfDay Now() override;
    /// The kernel's tick-resolution wall clock: a few nanoseconds to read, where the
    /// precise one costs several times more and is read twice per coded character.
    /// Inline, so that the random source's draw loop calls no function for it.
    std::uint64_t FineTime() override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
               static_cast<std::uint64_t>(now.tv_nsec);
    }

private:
    std::int64_t m_cachedSecond = -1; ///< local time is worked out once per second
    TimeOfDay m_cached;
};

/// Settings kept in memory for the life of the object.
class MemorySettingsStore final : public ISettingsStore {
public:
    std::optional<std::string> Read(const std::string& key) override;
    void Write(const std::string& key, const std::string& value) override;

private:
    std::map<std::string, std::string> m_values;
};

class NullProgress final : public IProgress {
public:
    void Begin(std::int64_t, std::string_view) override {}
    void Update(std::int64_t) override {}
    void End() override {}
};

/// Shows nothing and answers every message with its default button.
class DefaultAnswerMessages final : public IMessages {
public:
    MessageAnswer Show(const Message& message) override { return message.defaultAnswer; }
};

/// A reference text that stays as given for the whole run; empty by default.
class FixedReferenceText final : public IReferenceText {
public:
    explicit FixedReferenceText(std::string codes = {}) : m_codes(std::move(codes)) {}
    const std::string& Codes() override { return m_codes; }

private:
    std::string m_codes;
};

/// No window to show the key in; the key lengths the main window takes still hold, so the
/// key store takes the same decisions with or without the main window.
class HeadlessKeyIndicators final : public IKeyIndicators {
public:
    void ShowKeyFileName(const std::string&) override {}
    bool ShowKeyLength(int length) override { return length >= kMinKeyLength && length <= kKeyCapacity; }
    void SetLengthLabel(const std::string&) override {}
    void SetKeyFileChecked(bool) override {}
    void ShowFingerprint(const std::string&) override {}
};

} // namespace velt
