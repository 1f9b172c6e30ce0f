#include "engine/PositionSchedule.h"

#include "engine/Platform.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace velt {

void PositionWalk::Skip(std::uint64_t units) {
    if (units == 0) {
        return;
    }
    // All but the last step in closed form; the last one walked, for its effective position.
    const std::uint64_t jump = units - 1;
    const auto length = static_cast<std::uint64_t>(keyLength);
    if (!referenceMode) {
        keyPosition = static_cast<std::int32_t>((static_cast<std::uint64_t>(keyPosition) - 1 + jump) % length + 1);
        Next();
        return;
    }
    if (jump > 0) {
        // A first key position above L (a reference code beyond the key) drops to 1 after one step.
        std::uint64_t steps = jump;
        if (keyPosition > keyLength) {
            keyPosition = 1;
            --steps;
        }
        keyPosition = static_cast<std::int32_t>((static_cast<std::uint64_t>(keyPosition) - 1 + steps) % length + 1);
        const auto size = static_cast<std::uint64_t>(reference.size());
        if (size == 0 || static_cast<std::uint64_t>(referenceIndex) > size) {
            referenceIndex = 1;
        }
        if (size > 0) {
            referenceIndex =
                static_cast<std::int32_t>((static_cast<std::uint64_t>(referenceIndex) - 1 + jump) % size + 1);
        }
    }
    Next();
}

void PositionSchedule::Start(int keyLength, IReferenceText* reference) {
    if (keyLength < 1) {
        throw std::invalid_argument("key length " + std::to_string(keyLength) + " leaves no key position");
    }
    m_keyLength = keyLength;
    m_reference = (reference != nullptr && !reference->Codes().empty()) ? reference : nullptr;
    characterIndex = 0;
    effectivePosition = 0;
    referenceIndex = 1;
    keyPosition = m_reference != nullptr ? static_cast<unsigned char>(m_reference->Codes().front()) : 1;
}

int PositionSchedule::Next() {
    PositionWalk walk = Walk();
    const int position = walk.Next();
    Continue(walk, 1);
    return position;
}

PositionWalk PositionSchedule::Walk() {
    PositionWalk walk;
    walk.keyLength = m_keyLength;
    walk.referenceMode = m_reference != nullptr;
    if (m_reference != nullptr) {
        walk.reference = m_reference->Codes();
    }
    walk.keyPosition = keyPosition;
    walk.referenceIndex = referenceIndex;
    walk.effectivePosition = effectivePosition;
    return walk;
}

void PositionSchedule::Continue(const PositionWalk& walk, std::uint64_t units) {
    // Saturate rather than overflow: files may hold more units than the index counts.
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    const auto index = static_cast<std::uint64_t>(characterIndex) + units;
    characterIndex = static_cast<std::int32_t>(index < kMax ? index : kMax);
    keyPosition = walk.keyPosition;
    referenceIndex = walk.referenceIndex;
    effectivePosition = walk.effectivePosition;
}

} // namespace velt
