#include "Cipher.h"

#include "KeyMaterial.h"
#include "Platform.h"

#include <stdexcept>
#include <string>

namespace velt {
namespace {

std::uint8_t DrawHigh(IRandomSource& random) {
    return static_cast<std::uint8_t>(16 - Cipher::RandomNibble(random));
}
std::uint8_t DrawLow(IRandomSource& random) {
    return static_cast<std::uint8_t>(Cipher::RandomNibble(random) + 1);
}

} // namespace

int Cipher::RandomNibble(IRandomSource& random) {
    const float scaled = random.Draw() * 16.0f;
    // A source that strays outside [0, 1) (or gives NaN) must still give a nibble.
    if (!(scaled >= 0.0f)) {
        return 0;
    }
    return scaled >= 15.0f ? 15 : static_cast<int>(scaled);
}

CodePair Cipher::EncodeChar(const KeyMaterial& key, IRandomSource& random, int position, std::uint8_t code) {
    if (!KeyMaterial::InCapacity(position)) {
        ThrowPositionOutOfRange(position);
    }
    const std::uint8_t r = key.RowOf(position, code);
    const std::uint8_t q = key.ColumnOf(position, code);
    EncoderState& s = state;
    for (;;) {
        while (s.drawnRow == s.previousDrawnRow) {
            s.drawnRow = s.alternation ? DrawHigh(random) : DrawLow(random);
        }
        s.previousDrawnRow = s.drawnRow;
        while (s.drawnColumn == s.previousDrawnColumn) {
            s.drawnColumn = s.alternation ? DrawLow(random) : DrawHigh(random);
        }
        s.previousDrawnColumn = s.drawnColumn;
        if (s.drawnRow == r) {
            s.drawnRow = static_cast<std::uint8_t>(17 - s.drawnRow);
        }
        if (s.drawnColumn == q) {
            s.drawnColumn = static_cast<std::uint8_t>(17 - s.drawnColumn);
        }
        if (s.drawnRow != s.lastOutputRow && s.drawnColumn != s.lastOutputColumn) {
            break;
        }
    }
    s.lastOutputColumn = s.drawnColumn;
    s.lastOutputRow = s.drawnRow;
    s.alternation = !s.alternation;
    return CodePair{key.Cell(position, s.drawnRow, q), key.Cell(position, r, s.drawnColumn)};
}

void Cipher::ThrowPositionOutOfRange(int position) {
    throw std::out_of_range("key position " + std::to_string(position) + " is outside 1..10000");
}

} // namespace velt
