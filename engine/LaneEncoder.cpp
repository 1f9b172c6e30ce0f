#include "engine/LaneEncoder.h"

#include "engine/KeyMaterial.h"
#include "engine/Platform.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <immintrin.h>

#if defined(__GNUC__) && !defined(__clang__)
// GCC 12's own intrinsics leave an operand undefined on purpose and then warn about it.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace velt {
namespace {

/// Codes of each lane handled per round of table lookups: the round's tables stay in the
/// nearest cache between the lookups before and after the chains.
constexpr std::size_t kBlockSteps = 32;
/// Bytes of noted state per code: four values for each lane.
constexpr std::size_t kNoteBytes = 4 * kLanes;

/// Nibbles of a random source, kept in one buffer so that a whole vector of them can be
/// read at once.
class NibblePool final {
public:
    explicit NibblePool(IRandomSource& random) : m_random(random) {}
    NibblePool(const NibblePool&) = delete;
    NibblePool& operator=(const NibblePool&) = delete;

    /// At least kLanes nibbles from `at` on.
    const std::uint8_t* Ready() {
        if (m_end - m_at < static_cast<std::ptrdiff_t>(kLanes)) [[unlikely]] {
            Refill();
        }
        return m_buffer + m_at;
    }
    void Take(std::size_t count) { m_at += static_cast<std::ptrdiff_t>(count); }

private:
    [[gnu::noinline]] void Refill() {
        std::memmove(m_buffer, m_buffer + m_at, static_cast<std::size_t>(m_end - m_at));
        m_end -= m_at;
        m_at = 0;
        while (m_end < kFill) {
            const std::span<const std::uint8_t> ready = m_random.ReadyNibbles();
            const std::size_t taken = std::min(ready.size(), static_cast<std::size_t>(kFill - m_end));
            std::memcpy(m_buffer + m_end, ready.data(), taken);
            m_random.TakeNibbles(taken);
            m_end += static_cast<std::ptrdiff_t>(taken);
        }
    }
    static constexpr std::ptrdiff_t kFill = 8192;
    IRandomSource& m_random;
    std::ptrdiff_t m_at = 0;
    std::ptrdiff_t m_end = 0;
    alignas(64) std::uint8_t m_buffer[kFill];
};

/// The chains' state between codes, lane by lane: drawn and previously drawn row and column
/// (the drawn ones are also the last output), and the row mask of the next code, 15 when
/// it is flipped.
struct LaneState {
    alignas(64) std::uint8_t drawnRow[kLanes];
    alignas(64) std::uint8_t previousRow[kLanes];
    alignas(64) std::uint8_t drawnColumn[kLanes];
    alignas(64) std::uint8_t previousColumn[kLanes];
    alignas(64) std::uint8_t rowMask[kLanes];
};

/// One axis of a round for the lanes in `active`: each draws while its value equals its
/// previous draw (a nibble n gives (n ^ mask) + 1), and the value is its previous draw from
/// then on.
[[gnu::target("avx512f,avx512bw,avx512vbmi2,popcnt"), gnu::always_inline]] inline void DrawAxis(
    __m512i& drawn, __m512i& previous, __mmask64 active, __m512i mask, NibblePool& pool) {
    for (__mmask64 need = _mm512_mask_cmpeq_epi8_mask(active, drawn, previous); need != 0;) {
        const __m512i nibbles = _mm512_maskz_expand_epi8(need, _mm512_loadu_si512(pool.Ready()));
        pool.Take(static_cast<std::size_t>(std::popcount(need)));
        drawn = _mm512_mask_add_epi8(drawn, need, _mm512_xor_si512(nibbles, mask), _mm512_set1_epi8(1));
        need = _mm512_mask_cmpeq_epi8_mask(need, drawn, previous);
    }
    previous = _mm512_mask_mov_epi8(previous, active, drawn);
}

/// `steps` codes in every lane: cells[64 j + i] is where lane i's code j stands in its grid;
/// the drawn row and column each code ends with go to rows and columns alike. The state after
/// each of the first `noted` codes goes to `notes`. The same rules as the one-chain loop:
/// a lane draws while its value equals the previous draw, mirrors a value on the plain row or
/// column, and goes round again while it meets the last output row or column; lanes that are
/// done wait, masked, for the others.
[[gnu::target("avx512f,avx512bw,avx512vbmi2,popcnt")]] void Steps(LaneState& s, NibblePool& pool,
                                                               const std::uint8_t* cells, std::uint8_t* rows,
                                                               std::uint8_t* columns, std::size_t steps,
                                                               std::uint8_t* notes, std::size_t noted) {
    const __m512i one = _mm512_set1_epi8(1);
    const __m512i fifteen = _mm512_set1_epi8(15);
    const __m512i seventeen = _mm512_set1_epi8(17);
    __m512i dr = _mm512_load_si512(s.drawnRow);
    __m512i pr = _mm512_load_si512(s.previousRow);
    __m512i dc = _mm512_load_si512(s.drawnColumn);
    __m512i pc = _mm512_load_si512(s.previousColumn);
    __m512i rowMask = _mm512_load_si512(s.rowMask);
    for (std::size_t j = 0; j < steps; ++j) {
        const __m512i cell = _mm512_load_si512(cells + kLanes * j);
        const __m512i r = _mm512_add_epi8(_mm512_and_si512(_mm512_srli_epi16(cell, 4), fifteen), one);
        const __m512i q = _mm512_add_epi8(_mm512_and_si512(cell, fifteen), one);
        const __m512i columnMask = _mm512_xor_si512(rowMask, fifteen);
        const __m512i lastRow = dr, lastColumn = dc;
        __mmask64 active = ~__mmask64{0};
        do {
            DrawAxis(dr, pr, active, rowMask, pool);
            DrawAxis(dc, pc, active, columnMask, pool);
            dr = _mm512_mask_sub_epi8(dr, _mm512_mask_cmpeq_epi8_mask(active, dr, r), seventeen, dr);
            dc = _mm512_mask_sub_epi8(dc, _mm512_mask_cmpeq_epi8_mask(active, dc, q), seventeen, dc);
            active = _mm512_mask_cmpeq_epi8_mask(active, dr, lastRow) | _mm512_mask_cmpeq_epi8_mask(active, dc, lastColumn);
        } while (active != 0);
        _mm512_store_si512(rows + kLanes * j, dr);
        _mm512_store_si512(columns + kLanes * j, dc);
        if (j < noted) {
            std::uint8_t* const note = notes + kNoteBytes * j;
            _mm512_storeu_si512(note, dr);
            _mm512_storeu_si512(note + kLanes, pr);
            _mm512_storeu_si512(note + 2 * kLanes, dc);
            _mm512_storeu_si512(note + 3 * kLanes, pc);
        }
        rowMask = _mm512_xor_si512(rowMask, fifteen);
    }
    _mm512_store_si512(s.drawnRow, dr);
    _mm512_store_si512(s.previousRow, pr);
    _mm512_store_si512(s.drawnColumn, dc);
    _mm512_store_si512(s.previousColumn, pc);
    _mm512_store_si512(s.rowMask, rowMask);
}


/// The table pointer of `position`.
inline const std::uint8_t* BlockOf(const std::uint8_t* tables, int position) {
    return tables + static_cast<std::size_t>(position - 1) * KeyMaterial::kBlockSize;
}

/// Where each lane's next `steps` codes stand in their grids, lane i's codes from
/// codes + i * perLane on, at the positions of walks[i], which move on; each step's cells
/// and positions of all lanes side by side.
void LaneCells(const std::uint8_t* tables, std::array<PositionWalk, kLanes>& walks, const std::uint8_t* codes,
               std::size_t perLane, std::uint8_t* cells, std::uint16_t* positions, std::size_t steps) {
    for (std::size_t i = 0; i < kLanes; ++i) {
        const std::uint8_t* const laneCodes = codes + i * perLane;
        // 64 streams are more than the processor follows by itself: each lane's next codes
        // and pairs are fetched a round ahead.
        __builtin_prefetch(laneCodes + 2 * kBlockSteps);
        // A copy in registers: the byte stores below could otherwise alias it.
        PositionWalk laneWalk = walks[i];
        for (std::size_t j = 0; j < steps; ++j) {
            const int position = laneWalk.Next();
            positions[kLanes * j + i] = static_cast<std::uint16_t>(position);
            cells[kLanes * j + i] = BlockOf(tables, position)[kGridCells + laneCodes[j]];
        }
        walks[i] = laneWalk;
    }
}

/// The pairs of the codes whose cells LaneCells found, from the drawn rows and columns;
/// lane i's go to out + 2 * i * perLane on.
void LanePairs(const std::uint8_t* tables, std::uint8_t* out, std::size_t perLane, const std::uint8_t* cells,
               const std::uint16_t* positions, const std::uint8_t* rows, const std::uint8_t* columns,
               std::size_t steps) {
    for (std::size_t i = 0; i < kLanes; ++i) {
        std::uint8_t* const pairs = out + 2 * i * perLane;
        __builtin_prefetch(pairs + 4 * kBlockSteps, 1);
        __builtin_prefetch(pairs + 5 * kBlockSteps, 1);
        for (std::size_t j = 0; j < steps; ++j) {
            const std::size_t at = kLanes * j + i;
            const std::uint8_t* const grid = BlockOf(tables, positions[at]);
            const unsigned cell = cells[at];
            pairs[2 * j] = grid[((rows[at] - 1u) & 15u) << 4 | (cell & 15u)];
            pairs[2 * j + 1] = grid[(cell & 0xF0u) | ((columns[at] - 1u) & 15u)];
        }
    }
}

/// The entries of a 256-byte table at 64 byte indices.
[[gnu::target("avx512f,avx512bw,avx512vbmi"), gnu::always_inline]] inline __m512i Lookup(const std::uint8_t* table,
                                                                                          __m512i index) {
    const __m512i low = _mm512_permutex2var_epi8(_mm512_loadu_si512(table), index, _mm512_loadu_si512(table + 64));
    const __m512i high =
        _mm512_permutex2var_epi8(_mm512_loadu_si512(table + 128), index, _mm512_loadu_si512(table + 192));
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

/// Where each lane's code stands in its grid, for lanes that all code at one position per
/// step: `codes` holds step j's codes of every lane at 64 j, and so does `cells` the cells.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] void CellsInStep(const std::uint8_t* tables, const int* positions,
                                                                 const std::uint8_t* codes, std::uint8_t* cells,
                                                                 std::size_t steps) {
    for (std::size_t j = 0; j < steps; ++j) {
        const std::uint8_t* const cellOf =
            tables + static_cast<std::size_t>(positions[j] - 1) * KeyMaterial::kBlockSize + kGridCells;
        _mm512_store_si512(cells + kLanes * j, Lookup(cellOf, _mm512_load_si512(codes + kLanes * j)));
    }
}

/// The pairs of each step's codes, for lanes that all code at one position per step: the
/// code in the drawn row and the plain column to `firsts`, the one in the plain row and the
/// drawn column to `seconds`, each step's lanes side by side.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] void PairsInStep(const std::uint8_t* tables, const int* positions,
                                                                 const std::uint8_t* cells, const std::uint8_t* rows,
                                                                 const std::uint8_t* columns, std::uint8_t* firsts,
                                                                 std::uint8_t* seconds, std::size_t steps) {
    const __m512i fifteen = _mm512_set1_epi8(15);
    const __m512i high = _mm512_set1_epi8(static_cast<char>(0xF0));
    const __m512i one = _mm512_set1_epi8(1);
    for (std::size_t j = 0; j < steps; ++j) {
        const std::uint8_t* const grid = BlockOf(tables, positions[j]);
        const __m512i cell = _mm512_load_si512(cells + kLanes * j);
        const __m512i drawnRow = _mm512_and_si512(_mm512_sub_epi8(_mm512_load_si512(rows + kLanes * j), one), fifteen);
        const __m512i drawnColumn =
            _mm512_and_si512(_mm512_sub_epi8(_mm512_load_si512(columns + kLanes * j), one), fifteen);
        // Shifting 16-bit words moves no bit across a byte: each byte holds 4 bits here.
        _mm512_store_si512(firsts + kLanes * j, Lookup(grid, _mm512_or_si512(_mm512_slli_epi16(drawnRow, 4),
                                                                             _mm512_and_si512(cell, fifteen))));
        _mm512_store_si512(seconds + kLanes * j, Lookup(grid, _mm512_or_si512(_mm512_and_si512(cell, high), drawnColumn)));
    }
}

/// Transposes the 16 x 16 bytes in each 128-bit lane of a[0..15]: byte c of a[r] trades places
/// with byte r of a[c], lane by lane. Four rounds of the same interleave.
[[gnu::target("avx512f,avx512bw"), gnu::always_inline]] inline void Transpose16(__m512i (&a)[16]) {
    for (int round = 0; round < 4; ++round) {
        __m512i b[16];
        for (int k = 0; k < 8; ++k) {
            b[2 * k] = _mm512_unpacklo_epi8(a[k], a[k + 8]);
            b[2 * k + 1] = _mm512_unpackhi_epi8(a[k], a[k + 8]);
        }
        for (int k = 0; k < 16; ++k) {
            a[k] = b[k];
        }
    }
}

/// Each step's codes of all lanes side by side: lane i's code j (from codes + i * perLane)
/// to laneCodes[64 j + i], for the first `steps` codes.
[[gnu::target("avx512f,avx512bw")]] void CodesInStep(const std::uint8_t* codes, std::size_t perLane,
                                                      std::uint8_t* laneCodes, std::size_t steps) {
    std::size_t j = 0;
    for (; j + 16 <= steps; j += 16) {
        __m512i a[16];
        for (std::size_t r = 0; r < 16; ++r) {
            const std::uint8_t* const from = codes + r * perLane + j;
            const std::size_t quarter = 16 * perLane;
            __m512i v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
            v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + quarter)), 1);
            v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * quarter)), 2);
            a[r] = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * quarter)), 3);
        }
        Transpose16(a);
        for (std::size_t c = 0; c < 16; ++c) {
            _mm512_store_si512(laneCodes + kLanes * (j + c), a[c]);
        }
    }
    for (std::size_t i = 0; i < kLanes; ++i) {
        for (std::size_t k = j; k < steps; ++k) {
            laneCodes[kLanes * k + i] = codes[i * perLane + k];
        }
    }
}

/// The inverse for the pairs: lane i's pair of step j, firsts[64 j + i] and seconds[64 j + i],
/// to out[2 (i * perLane + j)] and the byte after it.
[[gnu::target("avx512f,avx512bw")]] void PairsToLanes(const std::uint8_t* firsts, const std::uint8_t* seconds,
                                                       std::uint8_t* out, std::size_t perLane, std::size_t steps) {
    std::size_t j = 0;
    for (; j + 16 <= steps; j += 16) {
        __m512i f[16], g[16];
        for (std::size_t r = 0; r < 16; ++r) {
            f[r] = _mm512_load_si512(firsts + kLanes * (j + r));
            g[r] = _mm512_load_si512(seconds + kLanes * (j + r));
        }
        Transpose16(f);
        Transpose16(g);
        for (std::size_t c = 0; c < 16; ++c) {
            // Lane 16 q + c: its 16 steps are in 128-bit lane q of f[c] and g[c].
            const __m512i low = _mm512_unpacklo_epi8(f[c], g[c]);
            const __m512i high = _mm512_unpackhi_epi8(f[c], g[c]);
            std::uint8_t* const to = out + 2 * (c * perLane + j);
            const std::size_t quarter = 2 * 16 * perLane;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm512_castsi512_si128(low));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), _mm512_castsi512_si128(high));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + quarter), _mm512_extracti32x4_epi32(low, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + quarter + 16), _mm512_extracti32x4_epi32(high, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * quarter), _mm512_extracti32x4_epi32(low, 2));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * quarter + 16), _mm512_extracti32x4_epi32(high, 2));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 3 * quarter), _mm512_extracti32x4_epi32(low, 3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 3 * quarter + 16), _mm512_extracti32x4_epi32(high, 3));
        }
    }
    for (std::size_t i = 0; i < kLanes; ++i) {
        for (std::size_t k = j; k < steps; ++k) {
            out[2 * (i * perLane + k)] = firsts[kLanes * k + i];
            out[2 * (i * perLane + k) + 1] = seconds[kLanes * k + i];
        }
    }
}

} // namespace

[[gnu::target("avx2,avx512f,avx512bw,avx512vl,avx512vbmi")]] void DecodeLaneRounds(const KeyMaterial& key,
                                                                                 std::size_t length,
                                                                                 const std::uint8_t* pairs,
                                                                                 std::uint8_t* out) {
    const std::uint8_t* const tables = key.Block(1);
    // Within each 16 bytes: the 8 first codes, then the 8 second ones.
    const __m256i split = _mm256_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15, 0, 2, 4, 6, 8, 10, 12,
                                           14, 1, 3, 5, 7, 9, 11, 13, 15);
    const __m512i low = _mm512_set1_epi8(0x0F);
    const __m512i high = _mm512_set1_epi8(static_cast<char>(0xF0));
    std::size_t j = 0;
    for (; j + 16 <= length; j += 16) {
        // firsts[r] and seconds[r], 128-bit lane q: the codes of round 16 q + r at 16 positions.
        __m512i firsts[16], seconds[16];
        for (std::size_t r = 0; r < 16; ++r) {
            __m128i f[4], s[4];
            for (std::size_t q = 0; q < 4; ++q) {
                const std::uint8_t* const from = pairs + 2 * ((16 * q + r) * length + j);
                __m256i v = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)), split);
                v = _mm256_permute4x64_epi64(v, 0xD8); // the firsts of both halves, then the seconds
                f[q] = _mm256_castsi256_si128(v);
                s[q] = _mm256_extracti128_si256(v, 1);
            }
            firsts[r] = _mm512_inserti32x4(
                _mm512_inserti32x4(_mm512_inserti32x4(_mm512_castsi128_si512(f[0]), f[1], 1), f[2], 2), f[3], 3);
            seconds[r] = _mm512_inserti32x4(
                _mm512_inserti32x4(_mm512_inserti32x4(_mm512_castsi128_si512(s[0]), s[1], 1), s[2], 2), s[3], 3);
        }
        Transpose16(firsts);
        Transpose16(seconds);
        // Now firsts[c]: the first codes of all 64 rounds at position j + c + 1.
        __m512i plain[16];
        for (std::size_t c = 0; c < 16; ++c) {
            const std::uint8_t* const block = BlockOf(tables, static_cast<int>(j + c + 1));
            const __m512i cell = _mm512_or_si512(_mm512_and_si512(Lookup(block + kGridCells, seconds[c]), high),
                                                 _mm512_and_si512(Lookup(block + kGridCells, firsts[c]), low));
            plain[c] = Lookup(block, cell);
        }
        Transpose16(plain);
        for (std::size_t r = 0; r < 16; ++r) {
            std::uint8_t* const to = out + r * length + j;
            const std::size_t quarter = 16 * length;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm512_castsi512_si128(plain[r]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + quarter), _mm512_extracti32x4_epi32(plain[r], 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * quarter), _mm512_extracti32x4_epi32(plain[r], 2));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 3 * quarter), _mm512_extracti32x4_epi32(plain[r], 3));
        }
    }
    // Positions left over at the end of the rounds: pair by pair.
    for (std::size_t i = 0; i < kLanes; ++i) {
        for (std::size_t k = j; k < length; ++k) {
            const std::size_t at = i * length + k;
            out[at] = Cipher::DecodePair(key, static_cast<int>(k + 1), pairs[2 * at], pairs[2 * at + 1]);
        }
    }
}

bool LanesAvailable() {
    // The compiler's check includes the operating system saving the wide registers.
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
}

EncoderState LaneRun::Noted(std::size_t lane, std::size_t step) const {
    const std::uint8_t* const note = notes.data() + kNoteBytes * step;
    const std::uint8_t row = note[lane], column = note[2 * kLanes + lane];
    return EncoderState{row, column, note[kLanes + lane], note[3 * kLanes + lane], row, column,
                        flipped[lane] == ((step & 1) != 0)};
}

namespace {

/// The lanes' chains over `perLane` codes each, lane i from codes + i * perLane at the positions
/// of walks[i], which move on, with the alternations of run.flipped; `inStep` when every walk
/// stands at the same position in each step.
void RunLanes(const KeyMaterial& key, IRandomSource& random, std::array<PositionWalk, kLanes>& walks, bool inStep,
              const std::uint8_t* codes, std::size_t perLane, std::uint8_t* out, std::size_t notedSteps,
              LaneRun& run) {
    run.perLane = perLane;
    run.notedSteps = std::min(notedSteps, perLane);
    run.notes.resize(kNoteBytes * run.notedSteps);
    LaneState state{};
    for (std::size_t i = 0; i < kLanes; ++i) {
        state.rowMask[i] = run.flipped[i] ? 15 : 0;
    }
    auto pool = std::make_unique<NibblePool>(random);
    alignas(64) std::uint8_t cells[kBlockSteps * kLanes];
    alignas(64) std::uint8_t rows[kBlockSteps * kLanes];
    alignas(64) std::uint8_t columns[kBlockSteps * kLanes];
    std::uint16_t positions[kBlockSteps * kLanes];
    const std::uint8_t* const tables = key.Block(1);
    alignas(64) std::uint8_t laneCodes[kBlockSteps * kLanes];
    alignas(64) std::uint8_t laneFirsts[kBlockSteps * kLanes];
    alignas(64) std::uint8_t laneSeconds[kBlockSteps * kLanes];
    int stepPositions[kBlockSteps];
    for (std::size_t first = 0; first < perLane; first += kBlockSteps) {
        const std::size_t steps = std::min(kBlockSteps, perLane - first);
        if (inStep) {
            for (std::size_t j = 0; j < steps; ++j) {
                stepPositions[j] = walks[0].Next();
            }
            for (std::size_t i = 0; i < kLanes; ++i) {
                // 64 streams are more than the processor follows by itself.
                __builtin_prefetch(codes + i * perLane + first + 2 * kBlockSteps);
            }
            CodesInStep(codes + first, perLane, laneCodes, steps);
            CellsInStep(tables, stepPositions, laneCodes, cells, steps);
        } else {
            LaneCells(tables, walks, codes + first, perLane, cells, positions, steps);
        }
        const std::size_t noted = first < run.notedSteps ? run.notedSteps - first : 0;
        Steps(state, *pool, cells, rows, columns, steps, run.notes.data() + kNoteBytes * first, noted);
        if (inStep) {
            PairsInStep(tables, stepPositions, cells, rows, columns, laneFirsts, laneSeconds, steps);
            for (std::size_t i = 0; i < kLanes; ++i) {
                __builtin_prefetch(out + 2 * (i * perLane + first) + 4 * kBlockSteps, 1);
                __builtin_prefetch(out + 2 * (i * perLane + first) + 5 * kBlockSteps, 1);
            }
            PairsToLanes(laneFirsts, laneSeconds, out + 2 * first, perLane, steps);
        } else {
            LanePairs(tables, out + 2 * first, perLane, cells, positions, rows, columns, steps);
        }
    }
    if (inStep) {
        // Every lane stands where the first does.
        for (std::size_t i = 1; i < kLanes; ++i) {
            walks[i].Skip(perLane);
        }
    }
    for (std::size_t i = 0; i < kLanes; ++i) {
        run.end[i] = EncoderState{state.drawnRow[i],    state.drawnColumn[i], state.previousRow[i],
                                  state.previousColumn[i], state.drawnRow[i], state.drawnColumn[i],
                                  state.rowMask[i] != 0};
    }
}

} // namespace

void EncodeLanes(const KeyMaterial& key, IRandomSource& random, PositionWalk walk, bool startFlipped,
                 const std::uint8_t* codes, std::size_t count, std::uint8_t* out, std::size_t notedSteps,
                 LaneRun& run) {
    const std::size_t perLane = count / kLanes;
    std::array<PositionWalk, kLanes> walks;
    for (std::size_t i = 0; i < kLanes; ++i) {
        walks[i] = walk;
        walk.Skip(perLane);
        run.flipped[i] = startFlipped != (((i * perLane) & 1) != 0);
    }
    // When the pieces are whole rounds of the key, every lane codes at the same position in
    // each step, and the tables are looked up for all lanes at once.
    const bool inStep = !walk.referenceMode && perLane % static_cast<std::size_t>(walk.keyLength) == 0;
    RunLanes(key, random, walks, inStep, codes, perLane, out, notedSteps, run);
    // What does not divide evenly goes on along the last lane's chain.
    const std::size_t rest = count - kLanes * perLane;
    if (rest > 0) {
        Cipher last;
        last.state = run.end[kLanes - 1];
        last.EncodeWalk(key, random, walks[kLanes - 1], codes + kLanes * perLane, rest, out + 2 * kLanes * perLane);
        run.end[kLanes - 1] = last.state;
    }
}

void EncodeLanesTogether(const KeyMaterial& key, IRandomSource& random, const PositionWalk& walk,
                         const std::array<bool, kLanes>& flipped, const std::uint8_t* codes, std::size_t perLane,
                         std::uint8_t* out, std::size_t notedSteps, LaneRun& run) {
    std::array<PositionWalk, kLanes> walks;
    walks.fill(walk);
    run.flipped = flipped;
    RunLanes(key, random, walks, true, codes, perLane, out, notedSteps, run);
}

} // namespace velt
