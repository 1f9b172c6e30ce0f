#pragma once

#include "engine/KeyMaterial.h"
#include "engine/PositionSchedule.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace velt {

class Workers;

class IRandomSource;
struct LaneRun;

/// Whether a long run may be encoded in vector lanes, where the processor has them.
enum class Lanes { IfAvailable, None };

/// The encoder's process-wide state: zero at start, never reset.
struct EncoderState {
    std::uint8_t drawnRow = 0;
    std::uint8_t drawnColumn = 0;
    std::uint8_t previousDrawnRow = 0;
    std::uint8_t previousDrawnColumn = 0;
    std::uint8_t lastOutputRow = 0;
    std::uint8_t lastOutputColumn = 0;
    bool alternation = false;
    friend bool operator==(const EncoderState&, const EncoderState&) = default;
};

/// The two codes that stand for one plain code at one key position.
struct CodePair {
    std::uint8_t first = 0;  ///< in the plain code's column, another row
    std::uint8_t second = 0; ///< in the plain code's row, another column
    friend bool operator==(const CodePair&, const CodePair&) = default;
};

/// Homophonic substitution of one code at one key position.
class Cipher final {
public:
    EncoderState state;

    /// A whole number 0..15 from one draw of the random source.
    static int RandomNibble(IRandomSource& random);
    /// Encodes `code` at `position` (1..10000) with a freshly drawn pair. A position
    /// outside 1..10000 throws std::out_of_range, as does DecodePair.
    CodePair EncodeChar(const KeyMaterial& key, IRandomSource& random, int position, std::uint8_t code);
    /// EncodeChar for each code in turn, codes[k] at positions[k] into out[2k] and out[2k + 1],
    /// in one loop that takes its nibbles from the source in runs. On a position outside the
    /// tables it throws as EncodeChar does, the codes before it encoded.
    void EncodeRun(const KeyMaterial& key, IRandomSource& random, std::span<const std::uint16_t> positions,
                   const std::uint8_t* codes, std::uint8_t* out);
    /// EncodeRun at the consecutive positions first, first + 1, ..., first + count - 1.
    void EncodeStretch(const KeyMaterial& key, IRandomSource& random, int first, std::size_t count,
                       const std::uint8_t* codes, std::uint8_t* out);
    /// EncodeRun over `count` codes at the positions of `walk`, which moves on by `count`.
    void EncodeWalk(const KeyMaterial& key, IRandomSource& random, PositionWalk& walk, const std::uint8_t* codes,
                    std::size_t count, std::uint8_t* out);
    /// EncodeWalk over `count` codes cut into pieces encoded side by side: the first on this
    /// thread with `random`, piece k on thread k - 1 of `helpers` with `pieceSources[k - 1]`,
    /// each from a state of its own; a long piece is cut again into one piece per vector lane
    /// (see EncodeLanes) unless `lanes` says no. Where a piece meets the one before, the chain
    /// is carried on from the real end of that one with draws of `random` until it is in a
    /// state that the piece went through, and the piece is taken from there on: the pairs are
    /// those of one chain. `walk` moves on by `count`.
    void EncodeSplit(const KeyMaterial& key, IRandomSource& random, PositionWalk& walk, const std::uint8_t* codes,
                     std::size_t count, std::uint8_t* out, Workers& helpers,
                     std::span<const std::unique_ptr<IRandomSource>> pieceSources, Lanes lanes = Lanes::IfAvailable);
    /// EncodeWalk over `count` codes, whose first run.perLane (at most `count`) lane `lane` of
    /// `run` has encoded from the empty state into `lanePairs`: the chain is carried on into
    /// the lane until it stands where the lane stood after the same code, as EncodeSplit
    /// joins its pieces, and the lane's pairs are taken from there on. `walk` moves on by `count`.
    void EncodeAfterLane(const KeyMaterial& key, IRandomSource& random, PositionWalk& walk, const std::uint8_t* codes,
                         std::size_t count, std::uint8_t* out, const LaneRun& run, std::size_t lane,
                         const std::uint8_t* lanePairs);
    /// The plain code of a pair at `position`. Inline: decoding is two lookups and a read.
    static std::uint8_t DecodePair(const KeyMaterial& key, int position, std::uint8_t first,
                                   std::uint8_t second) {
        if (!KeyMaterial::InCapacity(position)) [[unlikely]] {
            ThrowPositionOutOfRange(position);
        }
        // Row of the second code, column of the first.
        return key.CodeAt(position, static_cast<std::uint8_t>((key.CellOf(position, second) & 0xF0) |
                                                              (key.CellOf(position, first) & 0x0F)));
    }

    /// DecodePair for `count` pairs (2 * count codes) into `out`, the k-th pair at the
    /// position that the k-th call of `next` gives.
    template <class NextPosition>
    static void DecodeRun(const KeyMaterial& key, NextPosition&& next, const std::uint8_t* pairs,
                          std::size_t count, std::uint8_t* out) {
        for (std::size_t k = 0; k < count; ++k) {
            out[k] = DecodePair(key, next(), pairs[2 * k], pairs[2 * k + 1]);
        }
    }

    /// DecodeRun over `count` pairs at the positions of `walk`, which moves on by `count`.
    static void DecodeWalk(const KeyMaterial& key, PositionWalk& walk, const std::uint8_t* pairs,
                           std::size_t count, std::uint8_t* out);
    /// DecodeRun over `count` pairs at the positions of `walk`, cut into one piece per thread
    /// of `helpers` plus one for the caller, decoded side by side, each from its own offset
    /// of the walk: the output is that of one loop, and `walk` moves on by `count`.
    static void DecodeSplit(const KeyMaterial& key, PositionWalk& walk, const std::uint8_t* pairs,
                            std::size_t count, std::uint8_t* out, Workers& helpers);

    /// Throws std::out_of_range for a key position outside 1..10000.
    [[noreturn]] static void ThrowPositionOutOfRange(int position);
};

} // namespace velt
