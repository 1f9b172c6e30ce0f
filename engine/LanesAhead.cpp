#include "engine/LanesAhead.h"

#include "engine/KeyMaterial.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace velt {

void LanesAhead::Prepare(const KeyMaterial& key, IRandomSource& random, const PositionWalk& walk,
                         std::vector<std::vector<std::uint8_t>> files, const std::vector<bool>& flipped) {
    Clear();
    if (files.empty() || files.size() > kLanes || flipped.size() != files.size() || walk.referenceMode) {
        return;
    }
    std::size_t perLane = files.front().size();
    for (const auto& file : files) {
        perLane = std::min(perLane, file.size());
    }
    if (perLane == 0) {
        return;
    }
    // Lanes without a file code zeros; their pairs are never used.
    std::vector<std::uint8_t> codes(kLanes * perLane);
    std::array<bool, kLanes> flips{};
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::copy_n(files[i].begin(), perLane, codes.begin() + static_cast<std::ptrdiff_t>(i * perLane));
        flips[i] = flipped[i];
    }
    m_pairs.resize(2 * kLanes * perLane);
    // The chain meets a lane after a few hundred codes; where it does not within the notes, it
    // encodes the file itself.
    constexpr std::size_t kNotedCodes = 4096;
    EncodeLanesTogether(key, random, walk, flips, codes.data(), perLane, m_pairs.data(), kNotedCodes, m_run);
    m_files = std::move(files);
    m_walk = walk;
    m_generation = key.Generation();
}

bool LanesAhead::Take(Cipher& cipher, const KeyMaterial& key, IRandomSource& random, PositionWalk& walk,
                      const std::uint8_t* codes, std::size_t count, std::uint8_t* out) {
    if (Left() == 0 || key.Generation() != m_generation || walk.referenceMode ||
        std::tie(walk.keyLength, walk.keyPosition) != std::tie(m_walk.keyLength, m_walk.keyPosition)) {
        return false;
    }
    for (std::size_t i = m_next; i < m_files.size(); ++i) {
        const std::vector<std::uint8_t>& file = m_files[i];
        if (file.size() == count && std::equal(file.begin(), file.end(), codes)) {
            cipher.EncodeAfterLane(key, random, walk, codes, count, out, m_run, i,
                                   m_pairs.data() + 2 * i * m_run.perLane);
            m_next = i + 1;
            return true;
        }
    }
    return false;
}

void LanesAhead::Clear() {
    m_files.clear();
    m_next = 0;
}

} // namespace velt
