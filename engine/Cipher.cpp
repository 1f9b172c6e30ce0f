#include "engine/Cipher.h"

#include "engine/KeyMaterial.h"
#include "engine/LaneEncoder.h"
#include "engine/Platform.h"
#include "engine/Workers.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <vector>
#include <string>
#include <type_traits>

namespace velt {
namespace {

/// About how many pairs DecodeWalk decodes position by position at a time: with their codes
/// they fit the nearest cache (measured on a whole restore; larger rounds were slower there).
constexpr std::size_t kRoundPairs = 4096;

/// The source's next ready run of nibbles, after reporting the `taken` of the last one.
[[gnu::noinline]] std::span<const std::uint8_t> NextRun(IRandomSource& random, std::size_t taken) {
    random.TakeNibbles(taken);
    return random.ReadyNibbles();
}

} // namespace

int Cipher::RandomNibble(IRandomSource& random) {
    return NibbleOf(random.Draw());
}

CodePair Cipher::EncodeChar(const KeyMaterial& key, IRandomSource& random, int position, std::uint8_t code) {
    if (!KeyMaterial::InCapacity(position)) {
        ThrowPositionOutOfRange(position);
    }
    const std::uint16_t at = static_cast<std::uint16_t>(position);
    std::uint8_t pair[2];
    EncodeRun(key, random, std::span(&at, 1), &code, pair);
    return CodePair{pair[0], pair[1]};
}

namespace {

/// Takes no note of the state after each code.
struct NoRecord {
    bool operator()(std::size_t, const EncoderState&) const { return false; }
};

/// The encoder's loop over `count` codes, codes[k] at position positionAt(k), which is asked for
/// each k once and in turn. record(k, state) hears the state after code k; when it answers true
/// the loop ends there. Returns the codes encoded.
template <class PositionAt, class Record = NoRecord>
std::size_t EncodeCodes(EncoderState& state, const KeyMaterial& key, IRandomSource& random, std::size_t count,
                        PositionAt positionAt, const std::uint8_t* codes, std::uint8_t* out, Record record = {}) {
    constexpr bool recording = !std::is_same_v<Record, NoRecord>;
    // Nibbles are asked for only when one is needed, and the count taken reported back.
    const std::uint8_t* begin = nullptr;
    const std::uint8_t* at = nullptr;
    const std::uint8_t* end = nullptr;
    const auto nibble = [&]() -> int {
        if (at == end) [[unlikely]] {
            const std::span<const std::uint8_t> ready = NextRun(random, static_cast<std::size_t>(at - begin));
            begin = at = ready.data();
            end = ready.data() + ready.size();
        }
        return *at++;
    };
    // The state lives in registers for the run and is stored back however the run ends. After
    // a code the last output row and column are the drawn ones, so within the run only the
    // drawn and previously drawn ones are carried from code to code.
    int drawnRow = state.drawnRow, drawnColumn = state.drawnColumn;
    int previousRow = state.previousDrawnRow, previousColumn = state.previousDrawnColumn;
    int lastRow = state.lastOutputRow, lastColumn = state.lastOutputColumn;
    const bool startFlipped = state.alternation;
    std::size_t k = 0;
    const auto store = [&] {
        random.TakeNibbles(static_cast<std::size_t>(at - begin));
        const bool coded = k > 0;
        state.drawnRow = static_cast<std::uint8_t>(drawnRow);
        state.drawnColumn = static_cast<std::uint8_t>(drawnColumn);
        state.previousDrawnRow = static_cast<std::uint8_t>(previousRow);
        state.previousDrawnColumn = static_cast<std::uint8_t>(previousColumn);
        state.lastOutputRow = static_cast<std::uint8_t>(coded ? drawnRow : lastRow);
        state.lastOutputColumn = static_cast<std::uint8_t>(coded ? drawnColumn : lastColumn);
        state.alternation = startFlipped != ((k & 1) != 0);
    };
    const std::uint8_t* const tables = key.Block(1);
    // Codes k: a draw maps a nibble n to 16 - n (rows when flipped, else columns) or n + 1,
    // i.e. (n ^ 15) + 1 or (n ^ 0) + 1; the flip alternates from code to code.
    const auto encode = [&]<int RowMask>(int lastR, int lastC) __attribute__((always_inline)) {
        constexpr int columnMask = RowMask ^ 15;
        const int position = positionAt(k);
        if (!KeyMaterial::InCapacity(position)) [[unlikely]] {
            store();
            Cipher::ThrowPositionOutOfRange(position);
        }
        const std::uint8_t* const grid = tables + static_cast<std::size_t>(position - 1) * KeyMaterial::kBlockSize;
        const int cell = grid[kGridCells + codes[k]];
        const int r = (cell >> 4) + 1;
        const int q = (cell & 15) + 1;
        for (;;) {
            while (drawnRow == previousRow) {
                drawnRow = (nibble() ^ RowMask) + 1;
            }
            previousRow = drawnRow;
            while (drawnColumn == previousColumn) {
                drawnColumn = (nibble() ^ columnMask) + 1;
            }
            previousColumn = drawnColumn;
            drawnRow = drawnRow == r ? 17 - drawnRow : drawnRow;
            drawnColumn = drawnColumn == q ? 17 - drawnColumn : drawnColumn;
            if (drawnRow != lastR && drawnColumn != lastC) {
                break;
            }
        }
        // Cells are taken modulo 16, as KeyMaterial::Cell does, whatever state a run starts from.
        out[2 * k] = grid[((drawnRow - 1) & 15) << 4 | (q - 1)];
        out[2 * k + 1] = grid[(r - 1) << 4 | ((drawnColumn - 1) & 15)];
        if constexpr (recording) {
            const auto row = static_cast<std::uint8_t>(drawnRow), column = static_cast<std::uint8_t>(drawnColumn);
            if (record(k, EncoderState{row, column, static_cast<std::uint8_t>(previousRow),
                                       static_cast<std::uint8_t>(previousColumn), row, column,
                                       startFlipped == ((k & 1) != 0)})) {
                count = k + 1; // the loops below end here
            }
        }
        ++k;
    };
    if (count == 0) {
        store();
        return 0;
    }
    if (startFlipped) {
        encode.template operator()<15>(lastRow, lastColumn);
    } else {
        encode.template operator()<0>(lastRow, lastColumn);
    }
    // From here on the codes alternate in pairs, the flipped one second when the run began
    // unflipped and first otherwise.
    if (startFlipped) {
        while (k + 1 < count) {
            encode.template operator()<0>(drawnRow, drawnColumn);
            if (recording && k == count) {
                break;
            }
            encode.template operator()<15>(drawnRow, drawnColumn);
        }
        if (k < count) {
            encode.template operator()<0>(drawnRow, drawnColumn);
        }
    } else {
        while (k + 1 < count) {
            encode.template operator()<15>(drawnRow, drawnColumn);
            if (recording && k == count) {
                break;
            }
            encode.template operator()<0>(drawnRow, drawnColumn);
        }
        if (k < count) {
            encode.template operator()<15>(drawnRow, drawnColumn);
        }
    }
    store();
    return k;
}

} // namespace

void Cipher::EncodeRun(const KeyMaterial& key, IRandomSource& random, std::span<const std::uint16_t> positions,
                       const std::uint8_t* codes, std::uint8_t* out) {
    EncodeCodes(state, key, random, positions.size(), [positions](std::size_t k) { return int{positions[k]}; },
                codes, out);
}

void Cipher::EncodeStretch(const KeyMaterial& key, IRandomSource& random, int first, std::size_t count,
                           const std::uint8_t* codes, std::uint8_t* out) {
    EncodeCodes(state, key, random, count, [first](std::size_t k) { return first + static_cast<int>(k); }, codes,
                out);
}

void Cipher::EncodeWalk(const KeyMaterial& key, IRandomSource& random, PositionWalk& walk,
                        const std::uint8_t* codes, std::size_t count, std::uint8_t* out) {
    if (walk.referenceMode || !KeyMaterial::InCapacity(walk.keyLength) || walk.keyPosition < 1 ||
        walk.keyPosition > walk.keyLength) {
        std::uint16_t positions[4096];
        for (std::size_t done = 0; done < count;) {
            const std::size_t n = std::min(count - done, std::size(positions));
            for (std::size_t k = 0; k < n; ++k) {
                positions[k] = static_cast<std::uint16_t>(walk.Next());
            }
            EncodeRun(key, random, std::span(positions, n), codes + done, out + 2 * done);
            done += n;
        }
        return;
    }
    // Plain mode: stretches of consecutive positions up to the key length.
    for (std::size_t done = 0; done < count;) {
        const std::size_t stretch =
            std::min(count - done, static_cast<std::size_t>(walk.keyLength - walk.keyPosition + 1));
        EncodeStretch(key, random, walk.keyPosition, stretch, codes + done, out + 2 * done);
        done += stretch;
        walk.Skip(stretch);
    }
}

namespace {

/// How many codes at the start of a piece keep a note of the state after them: the chain
/// carried on into a piece meets one of them after a few hundred codes on average.
constexpr std::size_t kNotedCodes = 4096;

/// Encodes a piece from `state`, noting the state after each of its first codes in `noted`.
void EncodePiece(EncoderState& state, const KeyMaterial& key, IRandomSource& random, PositionWalk walk,
                 const std::uint8_t* codes, std::size_t count, std::uint8_t* out, std::vector<EncoderState>& noted) {
    const std::size_t first = std::min(count, kNotedCodes);
    std::vector<std::uint16_t> positions(first);
    for (auto& position : positions) {
        position = static_cast<std::uint16_t>(walk.Next());
    }
    noted.resize(first);
    EncodeCodes(state, key, random, first, [&positions](std::size_t k) { return int{positions[k]}; }, codes, out,
                [&noted](std::size_t k, const EncoderState& after) {
                    noted[k] = after;
                    return false;
                });
    Cipher rest;
    rest.state = state;
    rest.EncodeWalk(key, random, walk, codes + first, count - first, out + 2 * first);
    state = rest.state;
}

/// Carries the chain in `state` on into a piece of `count` codes at `walk`, whose own chain was
/// in state noted(k) after its code k (k < notedCount) and ended in `end`: code by code until
/// the chain is in the piece's state after the same code. From there on the piece's pairs and
/// end are what the chain gives with the piece's draws. If they never meet, the chain encodes
/// the whole piece itself.
template <class Noted>
void JoinSeam(EncoderState& state, const KeyMaterial& key, IRandomSource& random, PositionWalk walk,
              const std::uint8_t* codes, std::size_t count, std::uint8_t* out, std::size_t notedCount,
              Noted noted, const EncoderState& end) {
    const std::size_t done =
        EncodeCodes(state, key, random, std::min(count, notedCount), [&walk](std::size_t) { return walk.Next(); },
                    codes, out, [&noted](std::size_t k, const EncoderState& after) { return after == noted(k); });
    if (done > 0 && state == noted(done - 1)) {
        state = end;
        return;
    }
    Cipher rest;
    rest.state = state;
    rest.EncodeWalk(key, random, walk, codes + done, count - done, out + 2 * done);
    state = rest.state;
}

/// Fewest codes per lane for which a lane run pays: each lane costs a seam of a few hundred
/// codes on one thread.
constexpr std::size_t kMinLaneCodes = 1024;

} // namespace

void Cipher::EncodeSplit(const KeyMaterial& key, IRandomSource& random, PositionWalk& walk,
                         const std::uint8_t* codes, std::size_t count, std::uint8_t* out, Workers& helpers,
                         std::span<const std::unique_ptr<IRandomSource>> pieceSources, Lanes lanes) {
    const std::size_t threads = std::min(helpers.Size(), pieceSources.size()) + 1;
    const std::size_t piece = (count + threads - 1) / threads;
    // Every piece, the last and shortest too, holds enough codes for each lane.
    const bool inLanes = lanes == Lanes::IfAvailable && count >= threads * kLanes * kMinLaneCodes + threads &&
                         LanesAvailable();
    if ((threads == 1 && !inLanes) || piece == 0 || !KeyMaterial::InCapacity(walk.keyLength)) {
        EncodeWalk(key, random, walk, codes, count, out);
        return;
    }
    struct Piece {
        std::size_t at = 0, count = 0;
        PositionWalk walk;
        EncoderState end;
        std::vector<EncoderState> noted;
        LaneRun lanes;
    };
    std::vector<Piece> cut;
    PositionWalk start = walk;
    for (std::size_t at = 0; at < count; at += piece) {
        cut.emplace_back();
        cut.back().at = at;
        cut.back().count = std::min(piece, count - at);
        cut.back().walk = start;
        start.Skip(piece);
    }
    // Any state of the chain will do for a piece's own start; the alternation is the one that
    // the chain has there.
    const auto flippedAt = [this](std::size_t at) { return state.alternation != ((at & 1) != 0); };
    const auto encode = [&](Piece& p, IRandomSource& source) {
        if (inLanes) {
            EncodeLanes(key, source, p.walk, flippedAt(p.at), codes + p.at, p.count, out + 2 * p.at, kNotedCodes,
                        p.lanes);
        } else {
            p.end.alternation = flippedAt(p.at);
            EncodePiece(p.end, key, source, p.walk, codes + p.at, p.count, out + 2 * p.at, p.noted);
        }
    };
    for (std::size_t k = 1; k < cut.size(); ++k) {
        helpers.Start(k - 1, [&encode, &p = cut[k], &source = *pieceSources[k - 1]] { encode(p, source); });
    }
    try {
        if (inLanes) {
            encode(cut[0], random);
        } else {
            EncodeWalk(key, random, cut[0].walk, codes, cut[0].count, out); // the chain itself: no seam
        }
    } catch (...) {
        helpers.Wait(); // nothing may still write into `out` once we leave
        throw;
    }
    helpers.Wait();
    // The seams, in the chain's order, each carrying on from where the chain really stands.
    for (std::size_t k = inLanes ? 0 : 1; k < cut.size(); ++k) {
        Piece& p = cut[k];
        if (!inLanes) {
            JoinSeam(state, key, random, p.walk, codes + p.at, p.count, out + 2 * p.at, p.noted.size(),
                     [&p](std::size_t i) { return p.noted[i]; }, p.end);
            continue;
        }
        PositionWalk laneWalk = p.walk;
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const std::size_t at = p.at + lane * p.lanes.perLane;
            const std::size_t n = lane + 1 < kLanes ? p.lanes.perLane : p.count - lane * p.lanes.perLane;
            JoinSeam(state, key, random, laneWalk, codes + at, n, out + 2 * at, p.lanes.notedSteps,
                     [&p, lane](std::size_t i) { return p.lanes.Noted(lane, i); }, p.lanes.end[lane]);
            laneWalk.Skip(n);
        }
    }
    walk.Skip(count);
}

void Cipher::EncodeAfterLane(const KeyMaterial& key, IRandomSource& random, PositionWalk& walk,
                             const std::uint8_t* codes, std::size_t count, std::uint8_t* out, const LaneRun& run,
                             std::size_t lane, const std::uint8_t* lanePairs) {
    const std::size_t inLane = std::min(count, run.perLane);
    // The seam writes over the lane's pairs up to where it meets the lane.
    std::copy(lanePairs, lanePairs + 2 * inLane, out);
    JoinSeam(state, key, random, walk, codes, inLane, out, run.notedSteps,
             [&run, lane](std::size_t k) { return run.Noted(lane, k); }, run.end[lane]);
    walk.Skip(inLane);
    EncodeWalk(key, random, walk, codes + inLane, count - inLane, out + 2 * inLane);
}

void Cipher::DecodeWalk(const KeyMaterial& key, PositionWalk& walk, const std::uint8_t* pairs, std::size_t count,
                        std::uint8_t* out) {
    if (walk.referenceMode || !KeyMaterial::InCapacity(walk.keyLength) || walk.keyPosition < 1 ||
        walk.keyPosition > walk.keyLength) {
        DecodeRun(key, [&walk] { return walk.Next(); }, pairs, count, out);
        return;
    }
    // Plain mode: the positions run 1..L over and over. Many whole rounds of the key are
    // decoded position by position, so that one position's tables serve all its pairs from the
    // nearest cache while the pairs of those rounds stay cached too; what is left over, in
    // stretches of consecutive positions.
    const std::uint8_t* const tables = key.Block(1);
    const auto length = static_cast<std::size_t>(walk.keyLength);
    const std::size_t rounds = std::max<std::size_t>(1, kRoundPairs / length);
    std::size_t done = 0;
    const auto stretch = [&](std::size_t n) {
        const int first = walk.keyPosition;
        const std::uint8_t* block = tables + static_cast<std::size_t>(first - 1) * KeyMaterial::kBlockSize;
        const std::uint8_t* in = pairs + 2 * done;
        std::uint8_t* const to = out + done;
        for (std::size_t k = 0; k < n; ++k, block += KeyMaterial::kBlockSize) {
            const std::uint8_t* const cellOf = block + kGridCells;
            to[k] = block[(cellOf[in[2 * k + 1]] & 0xF0u) | (cellOf[in[2 * k]] & 0x0Fu)];
        }
        done += n;
        walk.Skip(n);
    };
    if (walk.keyPosition != 1 && done < count) {
        stretch(std::min(count - done, length - static_cast<std::size_t>(walk.keyPosition) + 1));
    }
    if (length >= 16 && LanesAvailable()) {
        // 64 rounds at once, each position's tables looked up for all of them.
        while (count - done >= kLanes * length) {
            DecodeLaneRounds(key, length, pairs + 2 * done, out + done);
            done += kLanes * length;
            walk.Skip(kLanes * length);
        }
    }
    while (count - done >= rounds * length) {
        // A round starts at position 1 here.
        const std::uint8_t* in = pairs + 2 * done;
        std::uint8_t* const to = out + done;
        const std::uint8_t* block = tables;
        for (std::size_t p = 0; p < length; ++p, block += KeyMaterial::kBlockSize) {
            const std::uint8_t* const cellOf = block + kGridCells;
            for (std::size_t k = p; k < rounds * length; k += length) {
                to[k] = block[(cellOf[in[2 * k + 1]] & 0xF0u) | (cellOf[in[2 * k]] & 0x0Fu)];
            }
        }
        done += rounds * length;
        walk.Skip(rounds * length);
    }
    while (done < count) {
        stretch(std::min(count - done, length - static_cast<std::size_t>(walk.keyPosition) + 1));
    }
}

void Cipher::DecodeSplit(const KeyMaterial& key, PositionWalk& walk, const std::uint8_t* pairs,
                         std::size_t count, std::uint8_t* out, Workers& helpers) {
    const std::size_t pieces = helpers.Size() + 1;
    const std::size_t piece = (count + pieces - 1) / pieces;
    PositionWalk start = walk;
    std::size_t at = 0;
    for (std::size_t index = 0; index + 1 < pieces && at + piece < count; ++index, at += piece) {
        helpers.Start(index, [&key, from = start, pairs, out, at, piece]() mutable {
            DecodeWalk(key, from, pairs + 2 * at, piece, out + at);
        });
        start.Skip(piece);
    }
    try {
        DecodeWalk(key, start, pairs + 2 * at, count - at, out + at); // the last piece on this thread
    } catch (...) {
        helpers.Wait(); // nothing may still write into `out` once we leave
        throw;
    }
    helpers.Wait();
    walk = start;
}

void Cipher::ThrowPositionOutOfRange(int position) {
    throw std::out_of_range("key position " + std::to_string(position) + " is outside 1..10000");
}

} // namespace velt
