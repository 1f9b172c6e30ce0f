#pragma once

#include <cstdint>

namespace velt {

class IReferenceText;

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
