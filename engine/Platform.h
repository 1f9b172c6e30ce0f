#pragma once
// The engine's seams to the outside world. Windows provide real implementations,
// tests provide scripted ones. No Qt here.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velt {

/// Local time of day.
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::uint32_t nanosecond = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual TimeOfDay Now() = 0;
    /// A cheap reading of the wall clock in nanoseconds (any fixed origin), taken before
    /// every random draw. The default derives it from Now(); the system clock reads it faster.
    virtual std::uint64_t FineTime() {
        const TimeOfDay t = Now();
        const auto seconds = static_cast<std::uint64_t>((t.hour * 60 + t.minute) * 60 + t.second);
        return seconds * 1'000'000'000u + t.nanosecond;
    }
};

/// The whole part of 16 x for a draw x in [0, 1): a nibble 0..15. A value outside
/// [0, 1) (or NaN) from a faulty source still gives a nibble.
inline std::uint8_t NibbleOf(float x) {
    const float scaled = x * 16.0f;
    if (!(scaled >= 0.0f)) {
        return 0;
    }
    return scaled >= 15.0f ? 15 : static_cast<std::uint8_t>(scaled);
}

/// Uniform single-precision values in [0, 1). Implementations mix the time of day
/// into their running state before every single draw.
class IRandomSource {
public:
    virtual ~IRandomSource() = default;
    virtual float Draw() = 0;

    /// Nibbles 0..15 (one per byte) that are ready for use: at least one. The caller asks
    /// only when it needs a nibble now, takes them from the front and reports how many it
    /// took with TakeNibbles() before it asks again. Sources that hold a keystream hand out
    /// a whole run at once (the clock mixed in once per run); the default gives NibbleOf
    /// one fresh Draw() per call, so a scripted source sees one draw per nibble used.
    virtual std::span<const std::uint8_t> ReadyNibbles() {
        m_drawnNibble = NibbleOf(Draw());
        return {&m_drawnNibble, 1};
    }
    virtual void TakeNibbles(std::size_t /*count*/) {}
    /// A source whose draws are independent of this one's, to be used on another thread;
    /// none (so the work stays on one thread) when the source cannot make one.
    virtual std::unique_ptr<IRandomSource> Independent() { return nullptr; }

private:
    std::uint8_t m_drawnNibble = 0;
};

/// Per-user settings of application VELT, section Option. Values are strings.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    /// The stored value, or nullopt when the key does not exist.
    virtual std::optional<std::string> Read(const std::string& key) = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

/// The main window's key indicators.
class IKeyIndicators {
public:
    virtual ~IKeyIndicators() = default;
    /// The key-name label and the status bar's second panel.
    virtual void ShowKeyFileName(const std::string& name) = 0;
    /// Shows the key length in use; returns false for a length the window cannot take
    /// (outside kMinKeyLength..kKeyCapacity), showing nothing.
    virtual bool ShowKeyLength(int length) = 0;
    virtual void SetLengthLabel(const std::string& text) = 0;
    virtual void SetKeyFileChecked(bool checked) = 0;
    /// The fingerprint of the key file in use beside its name; empty when no key is in use.
    virtual void ShowFingerprint(const std::string& fingerprint) = 0;
};

/// The wait window. Begin shows it, Update moves the bar and lets pending
/// user-interface events run, End closes it. Callers throttle Update (see ProgressTicker).
class IProgress {
public:
    virtual ~IProgress() = default;
    /// An empty caption means the wait window's own caption in the current language.
    virtual void Begin(std::int64_t maximum, std::string_view caption) = 0;
    /// Begin() for work that the user may stop: the wait window offers Cancel.
    virtual void BeginCancellable(std::int64_t maximum, std::string_view caption) { Begin(maximum, caption); }
    virtual void Update(std::int64_t value) = 0;
    virtual void End() = 0;
    /// True once the user asked to stop the work begun with BeginCancellable(); read after every Update().
    virtual bool Cancelled() const { return false; }
};

/// Thrown out of stoppable work (see ProgressTicker) once the user cancelled it. It is no failure:
/// callers discard what was made and show nothing. Not a std::exception, so failure handlers pass it on.
struct WorkCancelled {};

enum class MessageIcon { Critical, Exclamation, Question, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

/// A modal message box; texts are UTF-8.
struct Message {
    MessageIcon icon = MessageIcon::Critical;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    std::string title;
    std::string text;
};

class IMessages {
public:
    virtual ~IMessages() = default;
    virtual MessageAnswer Show(const Message& message) = 0;
};

/// The reference text (the main window's txtRef) as single-byte codes.
/// Read afresh for every coded character, so implementations keep it cheap.
class IReferenceText {
public:
    virtual ~IReferenceText() = default;
    virtual const std::string& Codes() = 0;
};

/// Told of the one named temporary file that is being written, if any, so that an
/// interrupted run can remove it. Unnamed temporaries (Linux) need no such care.
class ITemporaryFiles {
public:
    virtual ~ITemporaryFiles() = default;
    virtual void Created(const std::string& path) = 0;
    /// The temporary file has been renamed into place or removed.
    virtual void Gone() = 0;
};

} // namespace velt
