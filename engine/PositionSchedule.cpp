#include "PositionSchedule.h"

#include "Platform.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace velt {

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
    // Saturate rather than overflow: files may hold more units than the index counts.
    if (characterIndex < std::numeric_limits<std::int32_t>::max()) {
        ++characterIndex;
    }
    if (m_reference == nullptr) {
        const int position = keyPosition;
        keyPosition = keyPosition + 1 > m_keyLength ? 1 : keyPosition + 1;
        return position;
    }

    // The reference text may change between two units. If it has shrunk below the
    // index we wrap to its start; if it has become empty its code counts as 0, so
    // the run goes on at the bare key position instead of failing halfway.
    const std::string& codes = m_reference->Codes();
    if (referenceIndex > static_cast<std::int64_t>(codes.size())) {
        referenceIndex = 1;
    }
    const int code = codes.empty() ? 0 : static_cast<unsigned char>(codes[referenceIndex - 1]);
    effectivePosition = code + keyPosition;
    if (effectivePosition > m_keyLength) {
        effectivePosition %= m_keyLength;
    }
    // Also covers a reference code 0 at a key position 0 (a reference starting with NUL).
    if (effectivePosition == 0) {
        effectivePosition = 1;
    }

    ++keyPosition;
    ++referenceIndex;
    if (keyPosition > m_keyLength) {
        keyPosition = 1;
    }
    if (referenceIndex > static_cast<std::int64_t>(m_reference->Codes().size())) {
        referenceIndex = 1;
    }
    return effectivePosition;
}

} // namespace velt
