#pragma once

#include <cstdint>
#include <string_view>

namespace velt {

class IReferenceText;

/// The schedule's arithmetic over a reference text that stays as it is for a run of
/// units: a plain value, cheap to copy, so a run may be walked in a tight loop or cut
/// into parts that start at any offset.
struct PositionWalk {
    int keyLength = 1;
    bool referenceMode = false;
    std::string_view reference; ///< the reference codes (reference mode; may be empty)
    std::int32_t keyPosition = 1;
    std::int32_t referenceIndex = 1;
    std::int32_t effectivePosition = 0;

    /// The key position of the next unit; moves on by one step.
    int Next() {
        if (!referenceMode) {
            const int position = keyPosition;
            keyPosition = keyPosition + 1 > keyLength ? 1 : keyPosition + 1;
            return position;
        }
        // If the text has shrunk below the index we wrap to its start; if it has become
        // empty its code counts as 0, so the run goes on at the bare key position.
        const auto size = static_cast<std::int64_t>(reference.size());
        if (referenceIndex > size) {
            referenceIndex = 1;
        }
        const int code = size == 0 ? 0 : static_cast<unsigned char>(reference[referenceIndex - 1]);
        effectivePosition = code + keyPosition;
        if (effectivePosition > keyLength) {
            effectivePosition %= keyLength;
        }
        // Also covers a reference code 0 at a key position 0 (a reference starting with NUL).
        if (effectivePosition == 0) {
            effectivePosition = 1;
        }
        ++keyPosition;
        ++referenceIndex;
        if (keyPosition > keyLength) {
            keyPosition = 1;
        }
        if (referenceIndex > size) {
            referenceIndex = 1;
        }
        return effectivePosition;
    }

    /// Moves on by `units` steps at once, as that many calls of Next() would.
    void Skip(std::uint64_t units);
};

/// Walks the key positions along a text or file: 1, 2, ..., L, 1, ... in plain mode,
/// or shifted by the codes of the reference text in reference mode. One step per unit
/// (a plain character, a pair, a file byte).
class PositionSchedule final {
public:
    /// Starts a new run with key length `keyLength`. The mode is chosen here, once:
    /// reference mode when `reference` is given and its text is not empty now.
    /// Throws std::invalid_argument for a key length below 1.
    void Start(int keyLength, IReferenceText* reference);

    /// The key position (1..key length) of the next unit; advances by one step.
    /// In reference mode the reference text is read afresh for every unit; should it
    /// become empty halfway, its code counts as 0 (the bare key position) until it returns.
    int Next();

    /// The schedule as it stands, over the reference text as it reads now. Walking it
    /// gives what Next() gives for as long as the reference text does not change, so a
    /// caller takes a walk for a run of units in which no user-interface event runs.
    PositionWalk Walk();
    /// Takes back the values of `walk` after it has moved on by `units` units.
    void Continue(const PositionWalk& walk, std::uint64_t units);

    bool ReferenceMode() const { return m_reference != nullptr; }

    // The schedule's values, kept between runs as the rest of the program expects.
    std::int32_t characterIndex = 0;
    std::int32_t keyPosition = 0;
    std::int32_t effectivePosition = 0;
    std::int32_t referenceIndex = 0;

private:
    int m_keyLength = 0;
    IReferenceText* m_reference = nullptr;
};

} // namespace velt
