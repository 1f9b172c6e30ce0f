#include "Cipher.h"

#include "KeyMaterial.h"
#include "Platform.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <thread>
#include <vector>
#include <string>

namespace velt {
namespace {

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

void Cipher::EncodeRun(const KeyMaterial& key, IRandomSource& random, std::span<const std::uint16_t> positions,
                       const std::uint8_t* codes, std::uint8_t* out) {
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
    // The state lives in registers for the run and is stored back however the run ends.
    int drawnRow = state.drawnRow, drawnColumn = state.drawnColumn;
    int previousRow = state.previousDrawnRow, previousColumn = state.previousDrawnColumn;
    int lastRow = state.lastOutputRow, lastColumn = state.lastOutputColumn;
    bool alternation = state.alternation;
    const auto store = [&] {
        random.TakeNibbles(static_cast<std::size_t>(at - begin));
        state.drawnRow = static_cast<std::uint8_t>(drawnRow);
        state.drawnColumn = static_cast<std::uint8_t>(drawnColumn);
        state.previousDrawnRow = static_cast<std::uint8_t>(previousRow);
        state.previousDrawnColumn = static_cast<std::uint8_t>(previousColumn);
        state.lastOutputRow = static_cast<std::uint8_t>(lastRow);
        state.lastOutputColumn = static_cast<std::uint8_t>(lastColumn);
        state.alternation = alternation;
    };
    const std::uint8_t* const tables = key.Block(1);
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const int position = positions[k];
        if (!KeyMaterial::InCapacity(position)) [[unlikely]] {
            store();
            ThrowPositionOutOfRange(position);
        }
        const std::uint8_t* const grid = tables + static_cast<std::size_t>(position - 1) * KeyMaterial::kBlockSize;
        const int cell = grid[kGridCells + codes[k]];
        const int r = (cell >> 4) + 1;
        const int q = (cell & 15) + 1;
        // A draw maps a nibble n to 16 - n (high) or n + 1 (low): (n ^ 15) + 1 or (n ^ 0) + 1.
        const int rowMask = alternation ? 15 : 0;
        const int columnMask = rowMask ^ 15;
        for (;;) {
            while (drawnRow == previousRow) {
                drawnRow = (nibble() ^ rowMask) + 1;
            }
            previousRow = drawnRow;
            while (drawnColumn == previousColumn) {
                drawnColumn = (nibble() ^ columnMask) + 1;
            }
            previousColumn = drawnColumn;
            drawnRow = drawnRow == r ? 17 - drawnRow : drawnRow;
            drawnColumn = drawnColumn == q ? 17 - drawnColumn : drawnColumn;
            if (drawnRow != lastRow && drawnColumn != lastColumn) {
                break;
            }
        }
        lastColumn = drawnColumn;
        lastRow = drawnRow;
        alternation = !alternation;
        // Cells are taken modulo 16, as KeyMaterial::Cell does, whatever state a run starts from.
        out[2 * k] = grid[((drawnRow - 1) & 15) << 4 | (q - 1)];
        out[2 * k + 1] = grid[(r - 1) << 4 | ((drawnColumn - 1) & 15)];
    }
    store();
}

void Cipher::DecodeWalk(const KeyMaterial& key, PositionWalk& walk, const std::uint8_t* pairs, std::size_t count,
                        std::uint8_t* out) {
    if (walk.referenceMode || !KeyMaterial::InCapacity(walk.keyLength) || walk.keyPosition < 1 ||
        walk.keyPosition > walk.keyLength) {
        DecodeRun(key, [&walk] { return walk.Next(); }, pairs, count, out);
        return;
    }
    // Plain mode: stretches of consecutive positions up to the key length, each position's
    // tables one block further on, with no test per pair.
    const std::uint8_t* const tables = key.Block(1);
    for (std::size_t done = 0; done < count;) {
        const int first = walk.keyPosition;
        const std::size_t stretch = std::min(count - done, static_cast<std::size_t>(walk.keyLength - first + 1));
        const std::uint8_t* block = tables + static_cast<std::size_t>(first - 1) * KeyMaterial::kBlockSize;
        const std::uint8_t* in = pairs + 2 * done;
        std::uint8_t* const to = out + done;
        for (std::size_t k = 0; k < stretch; ++k, block += KeyMaterial::kBlockSize) {
            const std::uint8_t* const cellOf = block + kGridCells;
            to[k] = block[(cellOf[in[2 * k + 1]] & 0xF0) | (cellOf[in[2 * k]] & 0x0F)];
        }
        done += stretch;
        walk.Skip(stretch);
    }
}

void Cipher::DecodeSplit(const KeyMaterial& key, PositionWalk& walk, const std::uint8_t* pairs,
                         std::size_t count, std::uint8_t* out, int parts) {
    const std::size_t pieces = parts > 1 ? static_cast<std::size_t>(parts) : 1;
    const std::size_t piece = (count + pieces - 1) / pieces;
    std::vector<std::thread> helpers;
    std::vector<std::exception_ptr> failures(pieces);
    PositionWalk start = walk;
    for (std::size_t at = 0, index = 0; index < pieces && at < count; ++index, at += piece) {
        const std::size_t length = std::min(piece, count - at);
        const auto decode = [&key, pairs, out, at, length, &failure = failures[index]](PositionWalk from) {
            try {
                DecodeWalk(key, from, pairs + 2 * at, length, out + at);
            } catch (...) {
                failure = std::current_exception();
            }
        };
        if (at + length < count) {
            helpers.emplace_back(decode, start);
        } else {
            decode(start); // the last piece on this thread
        }
        start.Skip(length);
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    walk = start;
}

void Cipher::ThrowPositionOutOfRange(int position) {
    throw std::out_of_range("key position " + std::to_string(position) + " is outside 1..10000");
}

} // namespace velt
