#include "Cipher.h"

#include "KeyMaterial.h"
#include "Platform.h"

#include <stdexcept>
#include <string>

namespace velt {
namespace {

/// Nibbles taken from a source's ready runs, asked for only when one is needed,
/// and the count taken reported back when done.
class NibbleReader final {
public:
    explicit NibbleReader(IRandomSource& random) : m_random(random) {}
    ~NibbleReader() { m_random.TakeNibbles(static_cast<std::size_t>(m_at - m_begin)); }
    NibbleReader(const NibbleReader&) = delete;
    NibbleReader& operator=(const NibbleReader&) = delete;

    int Next() {
        if (m_at == m_end) [[unlikely]] {
            Refill();
        }
        return *m_at++;
    }
    /// A row or column drawn high (16 - n) or low (n + 1).
    int High() { return 16 - Next(); }
    int Low() { return Next() + 1; }

private:
    void Refill() {
        m_random.TakeNibbles(static_cast<std::size_t>(m_at - m_begin));
        const std::span<const std::uint8_t> ready = m_random.ReadyNibbles();
        m_begin = m_at = ready.data();
        m_end = ready.data() + ready.size();
    }

    IRandomSource& m_random;
    const std::uint8_t* m_begin = nullptr;
    const std::uint8_t* m_at = nullptr;
    const std::uint8_t* m_end = nullptr;
};

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
    NibbleReader nibbles(random);
    // The state lives in registers for the run and is stored back however the run ends.
    int drawnRow = state.drawnRow, drawnColumn = state.drawnColumn;
    int previousRow = state.previousDrawnRow, previousColumn = state.previousDrawnColumn;
    int lastRow = state.lastOutputRow, lastColumn = state.lastOutputColumn;
    bool alternation = state.alternation;
    const auto store = [&] {
        state.drawnRow = static_cast<std::uint8_t>(drawnRow);
        state.drawnColumn = static_cast<std::uint8_t>(drawnColumn);
        state.previousDrawnRow = static_cast<std::uint8_t>(previousRow);
        state.previousDrawnColumn = static_cast<std::uint8_t>(previousColumn);
        state.lastOutputRow = static_cast<std::uint8_t>(lastRow);
        state.lastOutputColumn = static_cast<std::uint8_t>(lastColumn);
        state.alternation = alternation;
    };
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const int position = positions[k];
        if (!KeyMaterial::InCapacity(position)) [[unlikely]] {
            store();
            ThrowPositionOutOfRange(position);
        }
        const int r = key.RowOf(position, codes[k]);
        const int q = key.ColumnOf(position, codes[k]);
        for (;;) {
            while (drawnRow == previousRow) {
                drawnRow = alternation ? nibbles.High() : nibbles.Low();
            }
            previousRow = drawnRow;
            while (drawnColumn == previousColumn) {
                drawnColumn = alternation ? nibbles.Low() : nibbles.High();
            }
            previousColumn = drawnColumn;
            if (drawnRow == r) {
                drawnRow = 17 - drawnRow;
            }
            if (drawnColumn == q) {
                drawnColumn = 17 - drawnColumn;
            }
            if (drawnRow != lastRow && drawnColumn != lastColumn) {
                break;
            }
        }
        lastColumn = drawnColumn;
        lastRow = drawnRow;
        alternation = !alternation;
        out[2 * k] = key.Cell(position, drawnRow, q);
        out[2 * k + 1] = key.Cell(position, r, drawnColumn);
    }
    store();
}

void Cipher::ThrowPositionOutOfRange(int position) {
    throw std::out_of_range("key position " + std::to_string(position) + " is outside 1..10000");
}

} // namespace velt
