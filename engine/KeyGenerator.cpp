#include "KeyGenerator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

namespace velt {

std::string ShortText(float x) {
    if (x == 0.0f) {
        return " 0";
    }
    if (x >= 0.1f && x < 1.0f) {
        // The common case without printf: x * 1e7 is exact in double, and rounding
        // half to even matches the library's formatting.
        auto digits = static_cast<long>(std::nearbyint(static_cast<double>(x) * 1e7));
        std::string text = " .0000000";
        for (std::size_t place = 8; place >= 2; --place) {
            text[place] = static_cast<char>('0' + digits % 10);
            digits /= 10;
        }
        while (text.back() == '0') {
            text.pop_back();
        }
        return text;
    }
    char buffer[48];
    const double value = x;
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
    std::string text = buffer;
    if (text.find('e') != std::string::npos) {
        // Very small values: fixed notation with the same seven significant digits.
        const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        std::snprintf(buffer, sizeof buffer, "%.*f", 6 - exponent, value);
        text = buffer;
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
    }
    if (text.size() > 1 && text[0] == '0' && text[1] == '.') {
        text.erase(0, 1);
    }
    return (x < 0.0f ? "" : " ") + text;
}

int DigitAtPlace(float x, int place) {
    const std::string text = ShortText(x);
    if (place < 1 || static_cast<std::size_t>(place) > text.size()) {
        return 0;
    }
    const char c = text[static_cast<std::size_t>(place - 1)];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

namespace {

/// The 64 row and column exchanges of FixedShuffle, worked out once: cell k of the
/// shuffled grid is cell kShuffleSource[k] of the grid before.
constexpr std::array<std::uint8_t, kGridCells> ShuffleSource() {
    std::array<std::uint8_t, kGridCells> grid{};
    for (std::size_t k = 0; k < kGridCells; ++k) {
        grid[k] = static_cast<std::uint8_t>(k);
    }
    const auto at = [&](int row, int column) -> std::uint8_t& {
        return grid[static_cast<std::size_t>((row - 1) * kGridSide + (column - 1))];
    };
    const auto rows = [&](int first, int second) {
        for (int j = 1; j <= kGridSide; ++j) {
            std::swap(at(first, j), at(second, j));
        }
    };
    const auto columns = [&](int first, int second) {
        for (int i = 1; i <= kGridSide; ++i) {
            std::swap(at(i, first), at(i, second));
        }
    };
    for (int k = 1; k <= 8; ++k) {
        rows(k, 17 - k);
        columns(17 - k, k);
        rows(k, k + 8);
        columns(k + 8, k);
    }
    return grid;
}

constexpr auto kShuffleSource = ShuffleSource();

} // namespace

int ClockDigit(IClock& clock) {
    return clock.Now().second % 10;
}

KeyGenerator::KeyGenerator(KeyMaterial& key, IClock& clock, IRandomSource& random)
    : m_grid(key.Grid(1)), m_clock(clock), m_random(random) {}

void KeyGenerator::ResetWorkingGrid() {
    int counter = 0;
    for (int i = 1; i <= kGridSide; ++i) {
        for (int j = 1; j <= kGridSide; ++j) {
            Cell(i, j) = static_cast<std::uint8_t>(counter++);
        }
    }
}

void KeyGenerator::FixedShuffle() {
    std::array<std::uint8_t, kGridCells> old;
    std::copy(m_grid, m_grid + kGridCells, old.begin());
    for (std::size_t k = 0; k < kGridCells; ++k) {
        m_grid[k] = old[kShuffleSource[k]];
    }
}

void KeyGenerator::ExchangeRowsReversed(int a, int b) {
    for (int j = 1; j <= kGridSide; ++j) {
        std::swap(Cell(a, j), Cell(b, 17 - j));
    }
}

void KeyGenerator::ExchangeColumnsReversed(int a, int b) {
    for (int j = 1; j <= kGridSide; ++j) {
        std::swap(Cell(j, a), Cell(17 - j, b));
    }
}

ExchangePair KeyGenerator::DrawExchangePair(int firstOffset, int secondOffset) {
    const int s = ClockDigit(m_clock);
    ExchangePair pair;
    pair.a = 16 - DigitAtPlace(m_random.Draw(), s + firstOffset);
    pair.b = DigitAtPlace(m_random.Draw(), s + secondOffset) + 1;
    if (pair.a == pair.b) {
        --pair.a;
        ++pair.b;
    }
    return pair;
}

void KeyGenerator::ScrambleGrid() {
    for (int pass = 1; pass <= 15; ++pass) {
        const ExchangePair rows = DrawExchangePair(3, 4);
        ExchangeRowsReversed(rows.a, rows.b);
        FixedShuffle();
        const ExchangePair columns = DrawExchangePair(4, 3);
        ExchangeColumnsReversed(columns.a, columns.b);
        FixedShuffle();
    }
}

} // namespace velt
