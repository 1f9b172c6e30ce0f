#pragma once
// Many encoder chains at once, one per byte lane of the processor's widest vectors, for the
// processors that can hand each lane its own fresh nibbles (byte expansion); the others keep
// the one-chain loop.

#include "engine/Cipher.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velt {

/// Chains a lane run encodes side by side.
inline constexpr std::size_t kLanes = 64;

/// Whether this processor (and its operating system) runs the lane encoder.
bool LanesAvailable();

/// What a lane run leaves behind for the seams: the state of each chain after its piece and
/// after each of the piece's first `notedSteps` codes.
struct LaneRun {
    std::array<EncoderState, kLanes> end;
    std::size_t notedSteps = 0;
    std::array<bool, kLanes> flipped{}; ///< the alternation at each lane's first code
    std::size_t perLane = 0;     ///< codes in each piece but the last, which has the rest too
    std::vector<std::uint8_t> notes; ///< per step: drawn rows, previous rows, drawn and previous columns, lane by lane

    /// The state of lane `lane`'s chain after code `step` of its piece (step < notedSteps).
    EncoderState Noted(std::size_t lane, std::size_t step) const;
};

/// Encodes `count` codes at the positions of `walk` cut into kLanes pieces, the last taking
/// what does not divide evenly. Each piece is encoded by a chain of its own from the empty
/// state, with the alternation that the single chain has at the piece's first code (the run
/// starting with `startFlipped`), on nibbles of `random` that no other draw uses; pairs go to
/// out[2k], out[2k + 1] as Cipher::EncodeRun puts them. Needs LanesAvailable() and at least
/// kLanes codes; `walk` is taken by value and not moved on.
void EncodeLanes(const KeyMaterial& key, IRandomSource& random, PositionWalk walk, bool startFlipped,
                 const std::uint8_t* codes, std::size_t count, std::uint8_t* out, std::size_t notedSteps,
                 LaneRun& run);

/// Encodes kLanes runs of `perLane` codes (at least 1) side by side, each from the position of
/// `walk` on, as the first codes of as many files are: run i from codes + i * perLane to
/// out + 2 * i * perLane, by a chain of its own from the empty state with the alternation
/// flipped[i] at its first code, on nibbles of `random` that no other draw uses. The states
/// go to `run` as EncodeLanes puts them. Needs LanesAvailable() and a walk in plain mode.
void EncodeLanesTogether(const KeyMaterial& key, IRandomSource& random, const PositionWalk& walk,
                         const std::array<bool, kLanes>& flipped, const std::uint8_t* codes, std::size_t perLane,
                         std::uint8_t* out, std::size_t notedSteps, LaneRun& run);

/// Decodes 64 whole rounds of a key of `length` positions (16 or more), the first at position
/// 1: the pair of round i at position j + 1, pairs[2 (i length + j)] and the byte after it,
/// into out[i length + j], each position's tables serving all rounds at once. Needs
/// LanesAvailable(); gives what Cipher::DecodePair gives pair by pair.
void DecodeLaneRounds(const KeyMaterial& key, std::size_t length, const std::uint8_t* pairs, std::uint8_t* out);

} // namespace velt
