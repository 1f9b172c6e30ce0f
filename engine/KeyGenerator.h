#pragma once

#include "KeyMaterial.h"
#include "Platform.h"

#include <string>

namespace velt {

/// `x` as the short single-precision text: a blank for the sign, no zero before the
/// point, at most 7 significant digits, no trailing zeros (0.25 gives " .25").
/// Values below 0.1 are written in fixed notation (" .0125").
std::string ShortText(float x);
/// The digit at place `place` (the blank is place 1) of ShortText(x); 0 for any
/// other character or a place beyond the text.
int DigitAtPlace(float x, int place);
/// The last decimal digit of the seconds of the time of day.
int ClockDigit(IClock& clock);

/// The rows (or columns) a and b one half of a scramble pass exchanges.
struct ExchangePair {
    int a = 0;
    int b = 0;
    friend bool operator==(const ExchangePair&, const ExchangePair&) = default;
};

/// Key generation's steps on the working grid (the grid of position 1).
class KeyGenerator final {
public:
    KeyGenerator(KeyMaterial& key, IClock& clock, IRandomSource& random);

    void ResetWorkingGrid();
    /// Fixed permutation P = 9,10,11,12,4,3,2,1,8,7,6,5,13,14,15,16 of rows and columns.
    void FixedShuffle();
    /// 15 passes of a random row exchange and column exchange, each reversed, each
    /// followed by FixedShuffle.
    void ScrambleGrid();

    /// Reads the clock digit s and two fresh random numbers: a := 16 - the digit at
    /// place s + firstOffset of the first, b := 1 + the digit at place s + secondOffset
    /// of the second; a and b are pulled apart when equal.
    ExchangePair DrawExchangePair(int firstOffset, int secondOffset);
    /// Row a receives row b reversed and row b receives row a reversed.
    void ExchangeRowsReversed(int a, int b);
    /// Column a receives column b reversed and column b receives column a reversed.
    void ExchangeColumnsReversed(int a, int b);

    /// Cell (row, column) of the working grid.
    std::uint8_t& Cell(int row, int column) {
        return m_grid[((row - 1) & 15) * kGridSide + ((column - 1) & 15)];
    }

private:
    std::uint8_t* m_grid;
    IClock& m_clock;
    IRandomSource& m_random;
};

} // namespace velt
