#pragma once
// Small files encoded ahead of their turn, many at once in vector lanes: a run over many
// small files would otherwise spend much of its time in the one-chain loop, file by file.

#include "engine/Cipher.h"
#include "engine/LaneEncoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velt {

class LanesAhead final {
public:
    /// Encodes the first codes of each of `files` (at most kLanes, none empty) side by side, as
    /// many of each as the shortest holds, every file from the position of `walk` (plain mode)
    /// on and file i with the alternation flipped[i] at its first code. Forgets what it held
    /// before. Needs LanesAvailable().
    void Prepare(const KeyMaterial& key, IRandomSource& random, const PositionWalk& walk,
                 std::vector<std::vector<std::uint8_t>> files, const std::vector<bool>& flipped);

    /// When a prepared file, not yet taken, holds exactly `count` codes equal to `codes` and was
    /// prepared at the walk and the key tables that `walk` and `key` are now: encodes them with
    /// cipher.EncodeAfterLane into `out` (walk moves on by `count`), drops that file and those
    /// before it, and returns true. Otherwise false, and nothing changes.
    bool Take(Cipher& cipher, const KeyMaterial& key, IRandomSource& random, PositionWalk& walk,
              const std::uint8_t* codes, std::size_t count, std::uint8_t* out);

    /// Prepared files not yet taken or passed.
    std::size_t Left() const { return m_files.size() - m_next; }
    void Clear();

private:
    std::vector<std::vector<std::uint8_t>> m_files;
    std::size_t m_next = 0;
    std::vector<std::uint8_t> m_pairs; ///< lane i's at 2 i run.perLane
    LaneRun m_run;
    PositionWalk m_walk;
    std::uint64_t m_generation = 0;
};

} // namespace velt
